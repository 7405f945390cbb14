// The description of a diagnostic.
#include "syntax/writer.h"

#include <cstdio>

namespace VEXA::Syntax {

void describe(const Toolchain::Diagnostic& diagnostic, Writer& out) {
  char code[16];
  const int length =
      std::snprintf(code, sizeof code, "VEXA%u", static_cast<unsigned>(diagnostic.code));
  out.text("code", std::string_view(code, static_cast<size_t>(length)))
      .integer("severity", static_cast<int64_t>(diagnostic.severity));
  if (!diagnostic.args.empty()) out.texts("args", diagnostic.args);
  // Every diagnostic raised here has a range; the record merely allows one without.
  if (diagnostic.range) out.range("range", *diagnostic.range);
}

}  // namespace VEXA::Syntax
