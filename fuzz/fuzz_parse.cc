// libFuzzer target: lexes and parses arbitrary bytes under every rule combination. The first input
// byte selects the rules and is not part of the source: bit 0 strict rules, bit 1 block tags, bits
// 2-3 the diagnostic limit, bit 4 a strict keyword table, bits 5-6 how often the compact
// encoding is cut into chunks. The rest is the source text.
//
// Besides what the sanitizers catch, it checks what must hold for every input: every node's and
// diagnostic's range is ordered and lies inside the source; parsing the same bytes again, each
// node passed on as soon as it is parsed and its memory reused, gives the same nodes and
// diagnostics (written out through a plain-text writer and compared); and so does the compact
// encoding the addon hands to JavaScript, in chunks, read back here (fuzz/compact_text.h).
#include "compact_text.h"
#include "lexer/keyword_table.h"
#include "parser/program.h"
#include "syntax/compact_writer.h"
#include "syntax/writer.h"
#include "toolchain/context.h"
#include "toolchain/rules.h"
#include "toolchain/source_text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::shared_ptr<const VEXA::KeywordTable> Table(bool strict) {
  auto table = std::make_shared<VEXA::KeywordTable>();
  table->strict = strict;
  using Kind = VEXA::Lexer::TokenKind;
  const auto add = [&](std::initializer_list<const char*> words, Kind kind) {
    for (const char* word : words) table->words.emplace(word, kind);
  };
  add({"NOJ", "REX", "IASJ", "PRE"}, Kind::Precode);
  add({"#HMI", "#NAV", "#TRACE", "#META", "#INCLUDE"}, Kind::Command);
  add({"EQU",     "IEQU",    "SEQU",     "OEQU",    "AIEQU",    "AOEQU",     "FEQU",    "#EQU",
       "MEQU",    "DEFSEM",  "DEFBLOCK", "DEFWORD", "DEFADDR",  "DEFTIME24", "DEFLONG", "DEFFLOAT",
       "NV0TEXT", "NV0BYTE", "NV0FNUM",  "NV0PTR",  "NV0SPACE", "NVEM0",     "D"},
      Kind::Directive);
  add({"MOV", "NOP", "JMP", "ADD"}, Kind::Instruction);
  return table;
}

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

// Writes a result as text and checks every range against the source's extent: no line past the
// last, no character past the end of its line (bytes bound characters from above; one more for
// the end-of-input token).
class CheckingWriter final : public VEXA::Syntax::Writer {
 public:
  explicit CheckingWriter(std::string_view source) {
    size_t start = 0;
    for (size_t i = 0; i <= source.size(); ++i) {
      if (i == source.size() || source[i] == '\n') {
        lineBytes_.push_back(i - start);
        start = i + 1;
      }
    }
  }

  std::string out;

  Writer& range(const char* name, const VEXA::Toolchain::Range& value) override {
    const auto& [start, end] = value;
    if (start.line > end.line || (start.line == end.line && start.character > end.character)) {
      fail("a range ends before it starts");
    }
    if (end.line >= lineBytes_.size()) fail("a range lies past the last line");
    if (start.character > lineBytes_[start.line] + 1 || end.character > lineBytes_[end.line] + 1) {
      fail("a range lies past the end of its line");
    }
    return put(name, std::to_string(start.line) + ":" + std::to_string(start.character) + "-" +
                         std::to_string(end.line) + ":" + std::to_string(end.character));
  }
  // Past 32 bits as the double it becomes, as the compact encoding carries it.
  Writer& integer(const char* name, int64_t value) override {
    if (value >= INT32_MIN && value <= INT32_MAX) return put(name, std::to_string(value));
    return number(name, static_cast<double>(value));
  }
  Writer& number(const char* name, double value) override {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return put(name, buffer);
  }
  Writer& text(const char* name, std::string_view value) override {
    return put(name, std::string(value));
  }
  Writer& boolean(const char* name, bool value) override { return put(name, value ? "1" : "0"); }
  Writer& texts(const char* name, const std::vector<std::string>& values) override {
    put(name, "[");
    for (const auto& value : values) out.append(value).push_back(',');
    out.push_back(']');
    return *this;
  }
  Writer& node(const char* name, const VEXA::Syntax::Node& value) override {
    put(name, "{");
    value.describe(*this);
    out.push_back('}');
    return *this;
  }
  Writer& nodes(const char* name, const VEXA::Syntax::NodeList& values) override {
    put(name, "[");
    for (const auto& value : values) node("", *value);
    out.push_back(']');
    return *this;
  }

 private:
  Writer& put(const char* name, const std::string& value) {
    out.append(name).push_back('=');
    out.append(value).push_back(';');
    return *this;
  }

  std::vector<size_t> lineBytes_;
};

enum class Mode { Keep, PassOn, Encode };

struct Parsed {
  std::string text;
  // Where the diagnostics a result reports end in `text` (Keep and PassOn).
  size_t reportedEnd = 0;
};

// Keep: the nodes are kept and written afterwards. PassOn: each node is written as soon as the
// parse passes it on, and its memory is reused for the statements after it, as the addon parses.
// Encode: as PassOn, but through the compact encoding, a chunk taken after every `every`
// records, and read back natively.
Parsed Parse(const std::string& bytes, uint8_t selector, Mode mode, size_t every) {
  auto rules = std::make_shared<VEXA::Toolchain::Rules>();
  rules->strict = selector & 1;
  rules->parseBlocks = (selector >> 1) & 1;
  rules->diagnosticLimit = (selector >> 2) & 3;
  auto context = std::make_shared<VEXA::Toolchain::Context>("fuzz.vx", rules);
  // Keyword tables are immutable and shared between parses, as in the addon: built once each.
  static const std::shared_ptr<const VEXA::KeywordTable> tables[2] = {Table(false), Table(true)};
  context->setKeywords(tables[(selector >> 4) & 1]);
  // The source ends at its first NUL byte: nothing after it is ever read.
  CheckingWriter writer(std::string_view(bytes).substr(0, bytes.find('\0')));
  VEXA::Syntax::CompactWriter encoded;
  CompactText read;
  size_t records = 0;
  const auto take = [&](bool last) {
    if (!read.read(encoded.take({}, last))) fail("a chunk of the compact encoding does not read");
  };
  Parsed parsed;
  VEXA::Program program =
      mode == Mode::Keep
          ? VEXA::parseProgram(std::make_shared<std::istringstream>(bytes), std::move(context))
          : VEXA::parseProgram(VEXA::Toolchain::SourceText::take(std::string(bytes)),
                               std::move(context), [&](const VEXA::Syntax::Node& node) {
                                 if (mode == Mode::PassOn) {
                                   writer.node("", node);
                                 } else {
                                   encoded.add(node);
                                   if (++records % every == 0) take(false);
                                 }
                               });
  for (const auto& node : program.nodes) writer.node("", *node);
  // Only the diagnostics a result reports (a limit may hold the rest back) are encoded.
  const auto& diagnostics = program.context->diagnostics();
  const auto& entries = diagnostics.entries();
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i == diagnostics.reported()) parsed.reportedEnd = writer.out.size();
    VEXA::Syntax::describe(entries[i], writer);
  }
  if (diagnostics.reported() >= entries.size()) parsed.reportedEnd = writer.out.size();
  if (mode == Mode::Encode) {
    for (size_t i = 0; i < diagnostics.reported() && i < entries.size(); ++i) {
      encoded.add(entries[i]);
    }
    take(true);
    if (const std::string* failure = encoded.failure()) fail(failure->c_str());
    parsed.text = std::move(read.out);
    return parsed;
  }
  parsed.text = std::move(writer.out);
  return parsed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const Parsed kept = Parse(bytes, data[0], Mode::Keep, 0);
  if (kept.text != Parse(bytes, data[0], Mode::PassOn, 0).text) {
    fail("a second parse, passing its nodes on, gave another result");
  }
  // Bits 5-6 choose how often a chunk is taken: after every record, every third, every 64th, or
  // once at the end.
  static constexpr size_t kEvery[4] = {1, 3, 64, SIZE_MAX};
  const Parsed encoded = Parse(bytes, data[0], Mode::Encode, kEvery[(data[0] >> 5) & 3]);
  if (encoded.text != std::string_view(kept.text).substr(0, kept.reportedEnd)) {
    fail("the compact encoding, read back, gave another result");
  }
  return 0;
}
