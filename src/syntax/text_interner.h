// The texts of one compact encoding (syntax/compact_writer.h), interned where it is cheap: a text
// met again while it is still among the texts met lately shares their number. Their bytes are
// kept, in the order of their numbers, in one byte string per chunk, as they are (no UTF-8 check
// or repair), and each has an entry saying where its bytes are and whether they are all ASCII.
// Texts past the reader's limits are refused, and the first limit passed is recorded.
//
// Texts are not interned across the whole result: a table of every distinct text of a large
// source misses the cache on nearly every lookup, and cost more than the parse itself. Mnemonics,
// registers and small numbers come back all the time and stay among the texts met lately; what
// falls out of them (a label used far from its definition) is kept again, and the reader makes
// one more string of it. Short texts are found again across chunks; long ones only within one,
// since only the current chunk's bytes are at hand to compare them with.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace VEXA::Syntax {

class TextInterner {
 public:
  // At most `maxBytes` bytes of texts in all, and `maxSize` in one text.
  TextInterner(uint64_t maxBytes, uint64_t maxSize);

  // Room for the texts of about `words` words of encoding: the number of texts remembered as met
  // lately grows with it. Small encodings keep the tables small, which are cleared for every one.
  void reserve(size_t words);

  // The number of `text`: the same for the same bytes met a short while ago. -1 when the text
  // passes a limit.
  int32_t intern(std::string_view text);

  // The texts numbered since the last take, in the order of their numbers: per text the offset of
  // its bytes in `bytes`, their size, and 1 when all are ASCII. Numbering goes on from them; what
  // was taken is no longer held here. `last`: no more texts will come.
  struct Taken {
    std::vector<uint32_t> texts;
    std::string bytes;
  };
  Taken take(bool last);

  // The first limit passed, as a message; empty while none is.
  const std::string& failure() const { return failure_; }

 private:
  // What a text is looked up by: for texts of at most kShortText bytes the bytes themselves, so
  // that finding one needs neither a hash nor a look at the kept bytes (far away in memory, and
  // each look a cache miss); for longer ones a hash, checked against the kept bytes.
  static constexpr size_t kShortText = 8;
  static uint64_t keyOf(std::string_view text);
  int32_t lookup(std::string_view text, uint64_t key);
  int32_t add(std::string_view text);
  // Whether `id`, found for a text of `size` bytes under the text's key, is the text's number.
  // A long text taken already cannot be compared any more, and counts as not found.
  bool same(int32_t id, uint32_t size, std::string_view text) const;

  uint64_t maxBytes_;
  uint64_t maxSize_;
  std::string failure_;
  // Texts numbered before the first of texts_, and their bytes.
  uint32_t taken_ = 0;
  uint64_t takenBytes_ = 0;
  // Three words per text, as take() hands them on.
  std::vector<uint32_t> texts_;
  std::string bytes_;
  // Long texts met lately, by address: some (every node's file path) are met again and again at
  // the same address.
  struct Recent {
    const char* data = nullptr;
    uint32_t size = 0;
    int32_t id = -1;
  };
  std::vector<Recent> recent_;
  // Texts met lately, by key.
  struct Hot {
    uint64_t key = 0;
    uint32_t size = 0;
    int32_t id = -1;
  };
  std::vector<Hot> hot_;
};

}  // namespace VEXA::Syntax
