// The character stream under the lexer: reads the source one byte at a time, keeps the bytes of
// the token being scanned, and counts lines and UTF-8 characters for source ranges.
#pragma once

#include "toolchain/characters.h"
#include "toolchain/position.h"

#include <cstdint>
#include <istream>
#include <memory>
#include <streambuf>
#include <string>

namespace VEXA::Lexer {

class Stream {
 public:
  explicit Stream(std::shared_ptr<std::istream> source);

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
  using Traits = std::char_traits<char>;

  // The byte as 0 to 255, or -1 for the end of the input. A NUL byte ends the input for good:
  // whatever follows it (in a string, a comment, anywhere) is never read.
  static int byteOf(Traits::int_type r) {
    return (r == Traits::eof() || r == 0) ? -1 : static_cast<int>(r);
  }
  void count(int c);

  std::shared_ptr<std::istream> source_;
  // Read directly, byte by byte: the stream's own get/peek cost a sentry per call.
  std::streambuf* buffer_;
  bool eof_ = false;
  bool endCounted_ = false;
};

inline int Stream::peek() {
  if (eof_) return -1;
  const int c = byteOf(buffer_->sgetc());
  if (c < 0) eof_ = true;
  return c;
}

inline int Stream::get() {
  int c = -1;
  if (!eof_) {
    c = byteOf(buffer_->sbumpc());
    if (c < 0) {
      eof_ = true;
    } else {
      lexeme.push_back(static_cast<char>(c));
    }
  }
  count(c);
  return c;
}

inline void Stream::skip() {
  int c = -1;
  if (!eof_) {
    c = byteOf(buffer_->sbumpc());
    if (c < 0) eof_ = true;
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
