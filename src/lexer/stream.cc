// Construction and rewinding of the character stream.
#include "lexer/stream.h"

#include <ios>
#include <utility>

namespace VEXA::Lexer {

Stream::Stream(std::shared_ptr<std::istream> source)
    : source_(std::move(source)), buffer_(source_ ? source_->rdbuf() : nullptr) {
  // Reading must never flush some output stream of the host.
  if (source_) source_->tie(nullptr);
  // Without a buffer there is nothing to read: an empty source.
  eof_ = buffer_ == nullptr;
}

void Stream::rewind() {
  lexeme.clear();
  pending = 0;
  endCounted_ = false;
  position = Toolchain::Position();
  if (buffer_ == nullptr) return;
  // The buffer is read directly, so the stream's own state flags are untouched; only our end
  // flag needs clearing. A source that cannot seek stays at its end.
  const bool seeked =
      buffer_->pubseekpos(0, std::ios_base::in) != std::streampos(std::streamoff(-1));
  eof_ = !seeked;
}

}  // namespace VEXA::Lexer
