// The character stream under the lexer: reads the source one byte at a time, keeps the bytes of
// the token being scanned, and counts lines and UTF-8 characters for source ranges. The source is
// one contiguous buffer, read through a pointer: every byte of every parse passes through here.
#pragma once

#include "toolchain/characters.h"
#include "toolchain/position.h"
#include "toolchain/source_text.h"

#include <cstdint>
#include <memory>
#include <string>

namespace VEXA::Lexer {

class Stream {
 public:
  // The source's bytes; null reads as an empty source.
  explicit Stream(std::shared_ptr<const Toolchain::SourceText> source);

  // Consumes one byte and returns it (0 to 255), or -1 at the end of the input.
  int get();
  // Consumes one byte like get, without keeping it in the lexeme: for blanks and comment text,
  // which no token ever shows.
  void skip();
  // The next byte without consuming it, or -1 at the end of the input.
  int peek();
  bool peekIs(int c) { return peek() == c; }
  // Consumes the next byte when it is c.
  bool acceptChar(int c);
  // Set once a read has met the end of the input; still false right after the last byte.
  bool atEof() const { return eof_; }
  // Back to the first byte, with an empty lexeme and position (0, 0).
  void rewind();

  // Continuation bytes still expected for the character being read.
  uint64_t pending = 0;
  // Every byte consumed since the lexeme was last emptied. Cleared, never shrunk, so its buffer
  // is reused from token to token.
  std::string lexeme;
  // Line and character of the next byte.
  Toolchain::Position position;

 private:
  void count(int c);

  std::shared_ptr<const Toolchain::SourceText> source_;
  const char* begin_ = nullptr;
  // The next byte, and the end of the input: the first NUL byte, or else the end of the buffer.
  // A NUL byte ends the input for good: whatever follows it (in a string, a comment, anywhere) is
  // never read.
  const char* next_ = nullptr;
  const char* end_ = nullptr;
  bool eof_ = false;
  bool endCounted_ = false;
};

inline int Stream::peek() {
  if (next_ == end_) {
    eof_ = true;
    return -1;
  }
  return static_cast<unsigned char>(*next_);
}

inline int Stream::get() {
  int c = -1;
  if (next_ == end_) {
    eof_ = true;
  } else {
    c = static_cast<unsigned char>(*next_++);
    lexeme.push_back(static_cast<char>(c));
  }
  count(c);
  return c;
}

inline void Stream::skip() {
  int c = -1;
  if (next_ == end_) {
    eof_ = true;
  } else {
    c = static_cast<unsigned char>(*next_++);
  }
  count(c);
}

inline bool Stream::acceptChar(int c) {
  if (peek() != c) return false;
  get();
  return true;
}

inline void Stream::count(int c) {
  if (pending > 0) {
    // A continuation byte belongs to the character already counted. Anything else means the
    // sequence was cut short: it starts a character of its own, so that a damaged character
    // never swallows a line feed or the next character.
    if (c >= 0x80 && c <= 0xBF) {
      --pending;
      return;
    }
    pending = 0;
  }
  // The end of the input counts as one character too, which gives the end token its width; but
  // only once, however often a scanner reads past the end, so that no range reaches further.
  if (c < 0) {
    if (endCounted_) return;
    endCounted_ = true;
  }
  ++position.character;
  if (c < 0x80) {
    if (c == '\n') {
      ++position.line;
      position.character = 0;
    }
    return;
  }
  pending = utf8Continuations(c);
}

}  // namespace VEXA::Lexer
