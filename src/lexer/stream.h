// The character stream under the lexer: reads the source one byte at a time, marks where the
// token being scanned starts, and counts lines and UTF-8 characters for source ranges. The source
// is one contiguous buffer, read through a pointer: every byte of every parse passes through here.
#pragma once

#include "toolchain/characters.h"
#include "toolchain/position.h"
#include "toolchain/source_text.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace VEXA::Lexer {

class Stream {
 public:
  // The source's bytes; null reads as an empty source.
  explicit Stream(std::shared_ptr<const Toolchain::SourceText> source);

  // Consumes one byte and returns it (0 to 255), or -1 at the end of the input.
  int get();
  // Consumes one byte like get: for blanks and comment text, which no token ever shows.
  void skip();
  // The next byte without consuming it, or -1 at the end of the input.
  int peek();
  bool peekIs(int c) { return peek() == c; }
  // Consumes the next byte when it is c.
  bool acceptChar(int c);
  // Consumes bytes as long as `inClass` holds for them; returns how many. The class may hold only
  // ASCII bytes other than the line feed: each is one character then, so a whole run is counted
  // at once instead of byte by byte.
  template <typename Class>
  size_t takeWhile(Class inClass);
  // takeWhile(isWordChar), sixteen bytes at a time where the processor allows: words are most of
  // the bytes of a source, and their varying lengths made the byte loop's exit a guess.
  size_t takeWord();
  // Consumes bytes up to the first one for which `stops` holds, which stays, or the end of the
  // input; counts them as get does. `stops` must hold for the line feed.
  template <typename Stops>
  void skipUntil(Stops stops);
  // skipUntil for the line feed alone: comment text, found with memchr and counted a word at a
  // time while it is ASCII.
  void skipLine();
  // Set once a read has met the end of the input; still false right after the last byte.
  bool atEof() const { return eof_; }
  // Back to the first byte, with an empty lexeme and position (0, 0).
  void rewind();

  // Continuation bytes still expected for the character being read.
  uint64_t pending = 0;
  // Every byte consumed since the lexeme was last emptied: a slice of the source, which tokens
  // keep as their text without copying it.
  std::string_view lexeme() const {
    return {lexemeStart_, static_cast<size_t>(next_ - lexemeStart_)};
  }
  void clearLexeme() { lexemeStart_ = next_; }
  // Line and character of the next byte.
  Toolchain::Position position;

 private:
  void count(int c);
  // Consumes the bytes up to `at`, all of them ASCII other than the line feed, for takeWhile.
  size_t takeTo(const char* at);

  std::shared_ptr<const Toolchain::SourceText> source_;
  const char* begin_ = nullptr;
  // The next byte, and the end of the input: the first NUL byte, or else the end of the buffer.
  // A NUL byte ends the input for good: whatever follows it (in a string, a comment, anywhere) is
  // never read.
  const char* next_ = nullptr;
  const char* end_ = nullptr;
  const char* lexemeStart_ = nullptr;
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

template <typename Class>
inline size_t Stream::takeWhile(Class inClass) {
  const char* at = next_;
  while (at != end_ && inClass(static_cast<unsigned char>(*at))) ++at;
  return takeTo(at);
}

inline size_t Stream::takeTo(const char* at) {
  // Stopped by the end: as a peek there would have found it.
  if (at == end_) eof_ = true;
  const auto taken = static_cast<size_t>(at - next_);
  if (taken > 0) {
    // An ASCII byte ends any sequence that was cut short, as count does.
    pending = 0;
    position.character += static_cast<uint32_t>(taken);
    next_ = at;
  }
  return taken;
}

template <typename Stops>
inline void Stream::skipUntil(Stops stops) {
  // count's rules, on local copies of the state: no line feed is among these bytes.
  const char* at = next_;
  uint32_t character = position.character;
  uint64_t expected = pending;
  for (; at != end_; ++at) {
    const auto c = static_cast<unsigned char>(*at);
    if (stops(c)) break;
    if (expected > 0) {
      if (c >= 0x80 && c <= 0xBF) {
        --expected;
        continue;
      }
      expected = 0;
    }
    ++character;
    if (c >= 0x80) expected = utf8Continuations(c);
  }
  if (at == end_) eof_ = true;
  next_ = at;
  position.character = character;
  pending = expected;
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
