// Every diagnostic code the front end raises, with the severity it is raised with, declared once.
// Tools read this table too (the message catalogue's test enumerates it): keep one entry a line,
// in the form X(Name, number, Severity).
#pragma once

#include <cstdint>

namespace VEXA::Toolchain {

enum class Severity : uint8_t { Unset = 0, Error = 1, Warning = 2 };

// clang-format off
#define VEXA_DIAGNOSTIC_CODES(X)                                                                  \
  X(UnexpectedToken, 1001, Error)          /* no statement starts here; extra clause tokens */    \
  X(UnknownCharacter, 1002, Error)         /* no scanner takes the byte */                        \
  X(MissingOpenParen, 1003, Error)                                                                \
  X(MissingCloseParen, 1004, Error)                                                               \
  X(MissingComma, 1005, Error)                                                                    \
  X(NestingTooDeep, 1006, Error)           /* format calls and conditionals past the depth limit */ \
  X(StrayCarriageReturn, 1201, Warning)                                                           \
  X(BlankAfterHash, 1202, Warning)                                                                \
  X(TrailingTokens, 1203, Error)                                                                  \
  X(Unterminated, 1302, Error)             /* a warning for an open block tag */                  \
  X(EmptyBlockTag, 1303, Warning)                                                                 \
  X(BadHashWord, 1304, Error)                                                                     \
  X(HashNumberTooLarge, 1305, Warning)                                                            \
  X(MissingExponentDigits, 1306, Error)                                                           \
  X(BadSignedWord, 1307, Error)                                                                   \
  X(UnknownRegister, 1308, Error)                                                                 \
  X(MissingIndirectionName, 1309, Error)                                                          \
  X(TokenRunArgument, 1310, Warning)                                                              \
  X(TokenRunArgumentStrict, 1311, Error)                                                          \
  X(LabelWithoutColon, 1501, Warning)                                                             \
  X(MissingDirective, 1502, Error)                                                                \
  X(MissingPrecodeColon, 1601, Error)                                                             \
  X(MissingInstruction, 1602, Error)                                                              \
  X(RepeatedExtendedPrecode, 1603, Warning)                                                       \
  X(RepeatedPrecode, 1604, Warning)                                                               \
  X(LabelledNvem0, 1605, Error)                                                                   \
  X(MissingClauseName, 1606, Error)                                                               \
  X(MissingName, 2001, Error)                                                                     \
  X(MissingInteger, 2002, Error)                                                                  \
  X(MissingReal, 2003, Error)                                                                     \
  X(MissingValue, 2005, Error)                                                                    \
  X(HexLiteralTooLong, 3101, Error)                                                               \
  X(BinaryLiteralTooLong, 3102, Error)                                                            \
  X(MissingArguments, 3201, Error)                                                                \
  X(MissingSpecification, 3202, Error)                                                            \
  X(AtWord, 4101, Error)                                                                          \
  X(UnknownComparator, 4103, Error)                                                               \
  X(UnknownCommand, 4104, Error)                                                                  \
  X(UnknownFormatLetter, 4105, Error)                                                             \
  X(EquWithoutLabel, 4201, Error)                                                                 \
  X(MissingMethodName, 5001, Error)                                                               \
  X(LiteralBeforeParen, 5901, Error)                                                              \
  X(EmptySpecification, 5902, Warning)                                                            \
  X(BadDisplayFormat, 5903, Error)                                                                \
  X(BadStyle, 5904, Error)                                                                        \
  X(TextPointer, 5905, Error)                                                                     \
  X(BadOutputItem, 5906, Error)                                                                   \
  X(TextMember, 7001, Warning)                                                                    \
  X(Unhandled, 9001, Error)                /* an operation met a case it has no branch for */
// clang-format on

enum class Code : uint16_t {
#define VEXA_CODE_ENUM(name, number, severity) name = number,
  VEXA_DIAGNOSTIC_CODES(VEXA_CODE_ENUM)
#undef VEXA_CODE_ENUM
};

}  // namespace VEXA::Toolchain

namespace VEXA {
using Toolchain::Code;
}  // namespace VEXA
