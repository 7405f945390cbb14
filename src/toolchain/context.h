// The per-parse context: rules, source name, keyword tables, diagnostics, symbol table, case mode
// and the three usage flags reported as "optimize".
#pragma once

#include "toolchain/diagnostic.h"
#include "toolchain/rules.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

namespace VEXA {
struct KeywordTable;
namespace Syntax {
class Node;
}
}  // namespace VEXA

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
 public:
  Context(std::string name, std::shared_ptr<Rules> rules);
  virtual ~Context() = default;

  Optimization optimization;

  CaseMode caseMode() const { return caseMode_; }
  const std::string& name() const { return *name_; }
  // Shared with the parse's node arena: tokens keep views into the name, and nodes may outlive
  // the context.
  const std::shared_ptr<const std::string>& sharedName() const { return name_; }
  // Only before the parse starts.
  void setName(std::string name) { name_ = std::make_shared<const std::string>(std::move(name)); }
  const Rules& rules() const { return *rules_; }
  Diagnostics& diagnostics() { return *diagnostics_; }
  const Diagnostics& diagnostics() const { return *diagnostics_; }
  SymbolTable& symbols() { return *symbols_; }
  const KeywordTable* keywords() const { return keywords_.get(); }
  void setKeywords(std::shared_ptr<const KeywordTable> keywords) {
    keywords_ = std::move(keywords);
  }
  // Asked between statements now and then: true ends the parse early, because whoever wanted the
  // result is gone (a host tearing down its environment). The result is then incomplete.
  void setStop(std::function<bool()> stop) { stop_ = std::move(stop); }
  bool stopRequested() const { return stop_ && stop_(); }

 private:
  CaseMode caseMode_;
  std::shared_ptr<const std::string> name_;
  std::shared_ptr<Rules> rules_;
  std::shared_ptr<Diagnostics> diagnostics_;
  std::shared_ptr<SymbolTable> symbols_;
  std::shared_ptr<const KeywordTable> keywords_;
  std::function<bool()> stop_;
};

}  // namespace VEXA::Toolchain
