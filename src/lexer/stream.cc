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

void Stream::skipLine() {
  // No memchr over nothing: a null source has no buffer at all.
  const void* found = next_ != end_ ? std::memchr(next_, '\n', end_ - next_) : nullptr;
  const char* stop = found != nullptr ? static_cast<const char*>(found) : end_;
  // Pure ASCII, with no sequence left open, is one character a byte.
  const char* at = next_;
  if (pending == 0) {
    for (; stop - at >= 8; at += 8) {
      uint64_t word;
      std::memcpy(&word, at, sizeof word);
      if ((word & 0x8080808080808080u) != 0) break;
    }
    position.character += static_cast<uint32_t>(at - next_);
    next_ = at;
  }
  // The rest (a short tail, or text beyond ASCII) byte by byte.
  skipUntil([](int c) { return c == '\n'; });
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
