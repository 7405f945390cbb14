// The texts of one compact encoding (syntax/compact_writer.h), interned: identical bytes share one
// number. Their bytes are kept, in the order of their numbers, in one byte string, as they are (no
// UTF-8 check or repair), and each has an entry saying where its bytes are and whether they are
// all ASCII. Texts past the reader's limits are refused, and the first limit passed is recorded.
#pragma once

#include <array>
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

  // The number of `text`: the same for the same bytes. -1 when the text passes a limit.
  int32_t intern(std::string_view text);

  const std::vector<Entry>& entries() const { return entries_; }
  std::string& bytes() { return bytes_; }
  // The first limit passed, as a message; empty while none is.
  const std::string& failure() const { return failure_; }

 private:
  int32_t lookup(std::string_view text);
  int32_t find(std::string_view text, uint64_t hash);
  bool equal(const Entry& entry, std::string_view text) const;

  uint64_t maxBytes_;
  uint64_t maxSize_;
  std::string failure_;
  std::vector<Entry> entries_;
  std::string bytes_;
  // Open addressing over text numbers + 1 (0 is free), tagged with their hashes.
  std::vector<uint64_t> slots_;
  // Texts recently met, by address.
  struct Recent {
    const char* data = nullptr;
    size_t size = 0;
    int32_t id = -1;
  };
  std::array<Recent, 1024> recent_{};
  // Texts recently met, by hash.
  struct Hot {
    uint64_t hash = 0;
    int32_t id = -1;
  };
  std::array<Hot, 4096> hot_{};
};

}  // namespace VEXA::Syntax
