// Construction and rewinding of the character stream.
#include "lexer/stream.h"

#include <cstring>
#include <utility>

namespace VEXA::Lexer {

Stream::Stream(std::shared_ptr<const std::string> source) : source_(std::move(source)) {
  if (source_) {
    begin_ = source_->data();
    const void* nul = std::memchr(begin_, 0, source_->size());
    end_ = nul != nullptr ? static_cast<const char*>(nul) : begin_ + source_->size();
  }
  next_ = begin_;
}

void Stream::rewind() {
  lexeme.clear();
  pending = 0;
  endCounted_ = false;
  position = Toolchain::Position();
  next_ = begin_;
  eof_ = false;
}

}  // namespace VEXA::Lexer
