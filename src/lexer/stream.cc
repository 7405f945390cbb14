// Construction and rewinding of the character stream.
#include "lexer/stream.h"

#include <cstring>
#include <utility>

namespace VEXA::Lexer {

Stream::Stream(std::shared_ptr<const Toolchain::SourceText> source) : source_(std::move(source)) {
  if (source_) {
    const std::string_view bytes = source_->bytes();
    begin_ = bytes.data();
    const void* nul = std::memchr(begin_, 0, bytes.size());
    end_ = nul != nullptr ? static_cast<const char*>(nul) : begin_ + bytes.size();
  }
  next_ = begin_;
  lexemeStart_ = begin_;
}

void Stream::rewind() {
  pending = 0;
  endCounted_ = false;
  position = Toolchain::Position();
  next_ = begin_;
  lexemeStart_ = begin_;
  eof_ = false;
}

}  // namespace VEXA::Lexer
