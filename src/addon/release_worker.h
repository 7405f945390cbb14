// Releases a finished parse's nodes, context and source on a pool thread. A large result has
// millions of native objects; destroying them on the JavaScript thread would stall the host's
// event loop for no reason once the JavaScript objects have been built.
#pragma once

#include "parser/program.h"
#include "toolchain/context.h"

#include <napi.h>

#include <istream>
#include <memory>

namespace VEXA::Addon::Parse {

class Release final : public Napi::AsyncWorker {
 public:
  Release(Napi::Env env, NodeList nodes, std::shared_ptr<Toolchain::Context> context,
          std::shared_ptr<std::istream> source);

 protected:
  void Execute() override;
  // Nothing to report: the parse's promise was settled already.
  void OnOK() override {}

 private:
  NodeList nodes_;
  std::shared_ptr<Toolchain::Context> context_;
  std::shared_ptr<std::istream> source_;
};

// Hands the parse's data to a Release job; when no job can be queued (the environment is going
// away), the data is simply released here.
void ReleaseLater(Napi::Env env, NodeList& nodes, std::shared_ptr<Toolchain::Context>& context,
                  std::shared_ptr<std::istream>& source);

}  // namespace VEXA::Addon::Parse
