// The decoders of object layouts (syntax/compact_writer.h): for each layout one small function,
// compiled once per environment, that reads one object of that layout from the stream and
// returns it as an object literal, so that every object of a layout gets one hidden class and
// costs no per-property work. Functions are compiled as scripts through the embedder's
// interface, never through the global `Function`, which a program may replace or a hardened host
// may forbid; where the host refuses to compile, the JavaScript decoder interprets the layout.
#pragma once

#include "syntax/compact_writer.h"

#include <node_api.h>

#include <string>
#include <unordered_map>

namespace VEXA::Addon {

class Decoders {
 public:
  Decoders() = default;
  ~Decoders();
  Decoders(const Decoders&) = delete;
  Decoders& operator=(const Decoders&) = delete;

  // The decoder of `layout`, or undefined where the host refuses to compile; null (with the
  // host's error pending or recorded) when a host call failed.
  napi_value find(napi_env env, const Syntax::CompactWriter::Layout& layout);
  // Stops compiling (tests of the interpreter; hosts that refuse to compile).
  void refuse() { refused_ = true; }

  // The function's source: `(function(S){...})`, reading from the decoder state S.
  static std::string source(const Syntax::CompactWriter::Layout& layout);

 private:
  napi_env env_ = nullptr;
  bool refused_ = false;
  // By the layout's names and kinds: the same layout has other numbers in other parses. The
  // names are string constants, so their number is bounded by the program, not by the input.
  std::unordered_map<std::string, napi_ref> compiled_;
};

}  // namespace VEXA::Addon
