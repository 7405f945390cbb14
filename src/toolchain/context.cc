// Context construction: the case mode follows strictness, the diagnostic list takes the limit.
#include "toolchain/context.h"

namespace VEXA::Toolchain {

Context::Context(std::string name, std::shared_ptr<Rules> rules)
    : caseMode_(rules->strict ? CaseMode::Exact : CaseMode::Upper),
      name_(std::make_shared<const std::string>(std::move(name))),
      rules_(std::move(rules)),
      diagnostics_(std::make_shared<Diagnostics>(rules_->diagnosticLimit)),
      symbols_(std::make_shared<SymbolTable>()) {}

}  // namespace VEXA::Toolchain
