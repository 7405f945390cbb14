// The per-parse context: rules, source name, keyword tables, diagnostics, symbol table, case mode
// and the three usage flags reported as "optimize".
#pragma once

#include "addon/keyword_table.h"
#include "toolchain/diagnostic.h"
#include "toolchain/node_arena.h"
#include "toolchain/rules.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

namespace VEXA::Syntax {
class Node;
}

namespace VEXA::Toolchain {

// How names are compared and hashed: exactly, or after folding ASCII letters.
enum class CaseMode : uint8_t { Exact = 0, Upper = 1, Lower = 2 };

struct Optimization {
  bool flagA = false;
  bool flagB = false;
  bool flagC = false;

  // 2 for A, 1 for B, 4 for C.
  uint32_t mask() const { return (flagA ? 2u : 0u) | (flagB ? 1u : 0u) | (flagC ? 4u : 0u); }
};

// Keyed by the case-mode name hash of a label, so names that fold alike share an entry.
using SymbolTable = std::unordered_map<uint32_t, std::shared_ptr<Syntax::Node>>;

class Context {
  // First, so that it is destroyed last: the symbol table's nodes live in it.
  Syntax::NodeArena arena_;

 public:
  Context(std::string name, std::shared_ptr<Rules> rules);
  virtual ~Context() = default;

  Optimization optimization;

  // Where this parse's nodes are allocated; it lives as long as the context.
  Syntax::NodeArena& arena() { return arena_; }

  CaseMode caseMode() const { return caseMode_; }
  const std::string& name() const { return name_; }
  // Only before the parse starts: tokens keep views into the name.
  void setName(std::string name) { name_ = std::move(name); }
  const Rules& rules() const { return *rules_; }
  Diagnostics& diagnostics() { return *diagnostics_; }
  const Diagnostics& diagnostics() const { return *diagnostics_; }
  SymbolTable& symbols() { return *symbols_; }
  const KeywordTable* keywords() const { return keywords_.get(); }
  void setKeywords(std::shared_ptr<const KeywordTable> keywords) {
    keywords_ = std::move(keywords);
  }

 private:
  CaseMode caseMode_;
  std::string name_;
  std::shared_ptr<Rules> rules_;
  std::shared_ptr<Diagnostics> diagnostics_;
  std::shared_ptr<SymbolTable> symbols_;
  std::shared_ptr<const KeywordTable> keywords_;
};

}  // namespace VEXA::Toolchain
