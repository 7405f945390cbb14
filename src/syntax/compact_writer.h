// The compact writer: node and diagnostic descriptions encoded into flat arrays that any thread
// can build and any reader can turn into objects later, without a JavaScript engine at hand.
//
// Every distinct sequence of (property name, value kind) that a description produces is a layout,
// numbered in the order met. The stream is a sequence of 32-bit words:
//
//   record  := kNodeRecord object | kDiagnosticRecord object | kListRecord count object*
//   object  := layout value*            (one value per property of the layout, in its order)
//   value   := Range: 4 words (start line, start character, end line, end character, unsigned)
//              Integer: 1 word; Number: 2 words holding the bytes of a double
//              Text: a text number; Boolean: 0 or 1; Texts: count, text numbers
//              Node: object; Nodes: count, object* — or ~k for the k-th list record
//
// A list whose encoding is long (a block of thousands of statements) is moved out of its owner
// into a list record of its own ahead of the owner's record, so that a reader can build it a
// slice at a time; lists inside it that are long come earlier still. Doubles travel inside the
// stream rather than beside it so that such a move keeps every value in reading order.
//
// Texts are interned (syntax/text_interner.h): a text value is its number.
#pragma once

#include "syntax/node.h"
#include "syntax/text_interner.h"
#include "syntax/writer.h"
#include "toolchain/diagnostic.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace VEXA::Syntax {

class CompactWriter final : public Writer {
 public:
  // The value kinds and record tags, numbered as lib/decode.js reads them (test/encoding.test.js
  // checks that they agree).
  enum class Kind : uint8_t { Range, Integer, Number, Text, Boolean, Texts, Node, Nodes };
  struct Property {
    const char* name;
    Kind kind;
    bool operator==(const Property& other) const {
      return name == other.name && kind == other.kind;
    }
  };
  using Layout = std::vector<Property>;

  static constexpr int32_t kNodeRecord = 0;
  static constexpr int32_t kListRecord = 1;
  static constexpr int32_t kDiagnosticRecord = 2;
  // A list whose elements take more words than this becomes a list record of its own: a few
  // hundred statements.
  static constexpr size_t kLongList = 8192;

  // What the reader can take: text offsets and sizes are 32-bit, a text becomes one engine
  // string, and list counts share a word with list record references (~k).
  struct Limits {
    uint64_t textBytes = UINT32_MAX;
    // The engine's longest string, in characters (a text has no more characters than bytes).
    uint64_t textSize = (uint64_t{1} << 29) - 24;
    uint64_t listCount = INT32_MAX;
  };

  CompactWriter() : CompactWriter(Limits{}) {}
  explicit CompactWriter(const Limits& limits);
  // Why the encoding cannot be read, or null: the first limit passed.
  const std::string* failure() const;

  // Room for a stream of about `words` words, taken now rather than grown (and copied) bit by bit:
  // untouched, the room costs address space only.
  void reserve(size_t words);
  // The words a source of `bytes` bytes usually needs: about one a byte (typical statements need a
  // little less), with a margin, and at most 1 GiB of them.
  static size_t estimate(size_t bytes) {
    return std::min(bytes + bytes / 4 + 1024, size_t{1} << 28);
  }

  // What was written since the last take: the records, and the texts and layouts first used in
  // them, numbered on from those of the chunks before. A reader decodes the chunks in order while
  // the writer goes on.
  struct Chunk {
    std::vector<int32_t> stream;
    // Per text: the offset of its bytes in `bytes`, their size, and 1 when all are ASCII.
    std::vector<uint32_t> texts;
    std::string bytes;
    std::vector<Layout> layouts;
    // Its node and diagnostic records, so that the reader can size its lists once.
    uint32_t nodes = 0;
    uint32_t diagnostics = 0;
  };
  // Takes what was written since the last take; the records written from now on go to `spare`
  // (emptied first), whose memory is reused. `last`: nothing more will be written, and no room is
  // kept for more texts.
  Chunk take(std::vector<int32_t> spare, bool last);

  // Appends one record.
  void add(const Node& node);
  void add(const Toolchain::Diagnostic& diagnostic);

  std::vector<int32_t>& stream() { return stream_; }

  Writer& range(const char* name, const Toolchain::Range& value) override;
  Writer& integer(const char* name, int64_t value) override;
  Writer& number(const char* name, double value) override;
  Writer& text(const char* name, std::string_view value) override;
  Writer& boolean(const char* name, bool value) override;
  Writer& texts(const char* name, const std::vector<std::string>& values) override;
  Writer& node(const char* name, const Node& value) override;
  Writer& nodes(const char* name, const NodeList& values) override;

 private:
  // An object's layout is found by walking a tree of properties as they are written: each state
  // is a sequence of properties, each edge adds one. Describers write the same properties in the
  // same order time after time, so the walk is a probe per property in a small table, and the
  // state at the object's end is its layout, numbered the first time an object ends there.
  struct State {
    uint32_t parent;
    int32_t layout;  // -1 until an object ends here
    const char* name;
    Kind kind;
    // The edge last followed from here: nearly always the one taken next.
    Kind lastKind = Kind::Range;
    uint32_t last = 0;
    const char* lastName = nullptr;
  };
  struct Edge {
    const char* name = nullptr;  // null: free
    uint32_t from = 0;
    uint32_t to = 0;
    Kind kind = Kind::Range;
  };
  struct Frame {
    size_t at;       // the layout word in current_
    uint32_t state;  // the properties written so far
  };

  void record(int32_t tag);
  void begin();
  void end();
  void add(const char* name, Kind kind);
  uint32_t follow(uint32_t from, const char* name, Kind kind);
  uint32_t find(uint32_t from, const char* name, Kind kind);
  // Numbers the layout of the objects that end at `state`, the first time one does.
  int32_t layoutAt(uint32_t state);
  void putDouble(double value);
  void fail(std::string message);
  void checkList(size_t count);

  Limits limits_;
  std::string failure_;
  std::vector<int32_t> stream_;
  // The record being written; long lists leave it for stream_ as they end.
  std::vector<int32_t> current_;
  std::vector<Frame> frames_;
  int32_t lists_ = 0;

  std::vector<Layout> layouts_;
  std::vector<State> states_;
  std::vector<Edge> edges_;

  TextInterner texts_;
  // Layouts already taken with a chunk.
  size_t layoutsTaken_ = 0;
  // Records added since the last take.
  uint32_t nodes_ = 0;
  uint32_t diagnostics_ = 0;
};

}  // namespace VEXA::Syntax
