// Name hashing and folded comparison. Folding is ASCII-only, as in the C locale.
#include "toolchain/name_hash.h"

#include "toolchain/characters.h"

namespace VEXA {

namespace {

char Fold(char c, Toolchain::CaseMode mode) {
  if (mode == Toolchain::CaseMode::Upper) return upper(c);
  if (mode == Toolchain::CaseMode::Lower) return lower(c);
  return c;
}

}  // namespace

uint32_t hashName(std::string_view text, Toolchain::CaseMode mode) {
  size_t end = text.find('\0');
  if (end == std::string_view::npos) end = text.size();
  uint32_t hash = 5381;
  for (size_t i = end; i-- > 0;) {
    hash = hash * 33u + static_cast<uint32_t>(static_cast<int8_t>(Fold(text[i], mode)));
  }
  return hash;
}

bool equalsFolded(Toolchain::CaseMode mode, std::string_view left, std::string_view right) {
  if (left.size() != right.size()) return false;
  if (mode == Toolchain::CaseMode::Exact) return left == right;
  // Any non-exact mode other than Upper folds to lower case.
  const Toolchain::CaseMode fold =
      mode == Toolchain::CaseMode::Upper ? mode : Toolchain::CaseMode::Lower;
  for (size_t i = 0; i < left.size(); ++i) {
    if (Fold(left[i], fold) != Fold(right[i], fold)) return false;
  }
  return true;
}

}  // namespace VEXA
