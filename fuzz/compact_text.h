// Reads the chunks of a compact encoding back, natively, into the fuzz target's plain-text form
// of a result: what the JavaScript decoder would build, written the way the target writes nodes
// and diagnostics, so that the two can be compared byte for byte.
#pragma once

#include "syntax/compact_writer.h"

#include <string>
#include <vector>

class CompactText {
 public:
  // Reads one chunk; chunks come in the order taken. False when the chunk refers to a text,
  // layout or list record it does not have, or ends inside a record.
  bool read(const VEXA::Syntax::CompactWriter::Chunk& chunk);

  std::string out;

 private:
  bool object(std::string& into);
  bool value(const VEXA::Syntax::CompactWriter::Property& property, std::string& into);
  bool word(int32_t& into);

  std::vector<std::string> texts_;
  std::vector<VEXA::Syntax::CompactWriter::Layout> layouts_;
  // The list records met and not yet used, rendered.
  std::vector<std::string> lists_;
  const std::vector<int32_t>* stream_ = nullptr;
  size_t at_ = 0;
};
