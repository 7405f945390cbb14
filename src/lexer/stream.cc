// Construction and rewinding of the character stream.
#include "lexer/stream.h"

#include <bit>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

size_t Stream::takeWord() {
  const char* at = next_;
#if defined(__SSE2__)
  // Only whole blocks inside the input: nothing past its end is read.
  while (end_ - at >= 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    // A range test per byte: shifted so that the range starts at -128, a signed comparison
    // against its width decides (bytes of 0x80 and above never land there).
    const auto inRange = [](__m128i values, char low, char width) {
      const __m128i shifted = _mm_add_epi8(values, _mm_set1_epi8(static_cast<char>(-128 - low)));
      return _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>(-128 + width)));
    };
    // Setting bit 5 folds the upper-case letters onto the lower-case ones, and no other byte.
    const __m128i letters = inRange(_mm_or_si128(bytes, _mm_set1_epi8(0x20)), 'a', 26);
    const __m128i digits = inRange(bytes, '0', 10);
    const __m128i marks = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('_')),
                                       _mm_cmpeq_epi8(bytes, _mm_set1_epi8('.')));
    const auto word = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(letters, digits), marks)));
    if (word != 0xFFFFu) return takeTo(at + std::countr_one(word));
    at += 16;
  }
#endif
  while (at != end_ && isWordChar(static_cast<unsigned char>(*at))) ++at;
  return takeTo(at);
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
