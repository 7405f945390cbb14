// The nine scanners, one class per kind of token; each is defined in its own scanner_<name>.cc.
#pragma once

#include "lexer/scanner.h"

#include <string_view>

namespace VEXA::Lexer::Scanner {

// "#" words: numbers after "#", command names, the conditional keywords.
class Hash final : public Base {
 public:
  bool accept(Reader& reader, int c) const override;
  Token scan(Reader& reader, int c) const override;
};

// Plain words: labels, keywords, and unknown words.
class Identifier final : public Base {
 public:
  bool accept(Reader& reader, int c) const override;
  Token scan(Reader& reader, int c) const override;
};

// A sign directly followed by a word: "+INF", "-NAN" and their misspellings.
class Special final : public Base {
 public:
  bool accept(Reader& reader, int c) const override;
  Token scan(Reader& reader, int c) const override;
};

// "@" words, which the language does not have: always an error.
class At final : public Base {
 public:
  bool accept(Reader& reader, int c) const override;
  Token scan(Reader& reader, int c) const override;
};

// Decimal numbers, with an optional sign (blanks may follow it), fraction and exponent; and the
// lone "+" and "-" operators when no number follows the sign.
class Number final : public Base {
 public:
  bool accept(Reader& reader, int c) const override;
  Token scan(Reader& reader, int c) const override;

  // Integer when the fraction-form text (an optional sign, digits, ".", digits) has an integral
  // value in single precision, Real otherwise.
  static TokenKind classify(std::string_view text);
};

// Hexadecimal literals: an apostrophe and hexadecimal digits.
class Hexadecimal final : public Base {
 public:
  bool accept(Reader& reader, int c) const override;
  Token scan(Reader& reader, int c) const override;
};

// Binary literals ("%" and binary digits), and the lone "%".
class Binary final : public Base {
 public:
  bool accept(Reader& reader, int c) const override;
  Token scan(Reader& reader, int c) const override;
};

// Double-quoted strings, where a doubled quote stands for a quote.
class String final : public Base {
 public:
  bool accept(Reader& reader, int c) const override;
  Token scan(Reader& reader, int c) const override;

 private:
  // The token of a string whose closing quote has just been read.
  static Token closed(Reader& reader);
};

// Operators, the line feed, and register literals ("=" and a register letter).
class Operator final : public Base {
 public:
  bool accept(Reader& reader, int c) const override;
  Token scan(Reader& reader, int c) const override;

  // The kind of the token that c makes on its own, whatever follows, or None when the token
  // depends on the bytes after it (or c is no operator).
  static constexpr TokenKind alone(int c) {
    switch (c) {
      case '\n':
        return TokenKind::Newline;
      case '%':
        return TokenKind::Percent;
      case '(':
        return TokenKind::LeftParen;
      case ')':
        return TokenKind::RightParen;
      case ',':
        return TokenKind::Comma;
      case ':':
        return TokenKind::Colon;
      case '+':
        return TokenKind::Plus;
      case '-':
        return TokenKind::Minus;
      default:
        return TokenKind::None;
    }
  }

  // The bytes that start an operator token.
  static constexpr std::string_view operators = "-+%*():,=\n";
  // The register letters that may follow "=".
  static constexpr std::string_view registers = "xyhmsipwq";
};

}  // namespace VEXA::Lexer::Scanner
