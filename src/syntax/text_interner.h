// The texts of one compact encoding (syntax/compact_writer.h), interned where it is cheap: a text
// met again while it is still among the texts met lately shares their number. Their bytes are
// kept, in the order of their numbers, in one byte string, as they are (no UTF-8 check or repair),
// and each has an entry saying where its bytes are and whether they are all ASCII. Texts past the
// reader's limits are refused, and the first limit passed is recorded.
//
// Texts are not interned across the whole result: a table of every distinct text of a large
// source misses the cache on nearly every lookup, and cost more than the parse itself. Mnemonics,
// registers and small numbers come back all the time and stay among the texts met lately; what
// falls out of them (a label used far from its definition) is kept again, and the reader makes
// one more string of it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace VEXA::Syntax {

class TextInterner {
 public:
  struct Entry {
    uint32_t offset;
    uint32_t size;
    bool ascii;
  };

  // At most `maxBytes` bytes of texts in all, and `maxSize` in one text.
  TextInterner(uint64_t maxBytes, uint64_t maxSize);

  // Room for the texts of about `words` words of encoding: the number of texts remembered as met
  // lately grows with it. Small encodings keep the tables small, which are cleared for every one.
  void reserve(size_t words);

  // The number of `text`: the same for the same bytes met a short while ago. -1 when the text
  // passes a limit.
  int32_t intern(std::string_view text);

  const std::vector<Entry>& entries() const { return entries_; }
  std::string& bytes() { return bytes_; }
  // The first limit passed, as a message; empty while none is.
  const std::string& failure() const { return failure_; }

 private:
  int32_t lookup(std::string_view text);
  int32_t add(std::string_view text);
  bool equal(const Entry& entry, std::string_view text) const;

  uint64_t maxBytes_;
  uint64_t maxSize_;
  std::string failure_;
  std::vector<Entry> entries_;
  std::string bytes_;
  // Texts met lately, by address: most texts are views into the nodes' tokens, and some (every
  // node's file path) are met again at the same address.
  struct Recent {
    const char* data = nullptr;
    size_t size = 0;
    int32_t id = -1;
  };
  std::vector<Recent> recent_;
  // Texts met lately, by hash.
  struct Hot {
    uint64_t hash = 0;
    int32_t id = -1;
  };
  std::vector<Hot> hot_;
};

}  // namespace VEXA::Syntax
