// Off-thread release of a finished parse.
#include "addon/release_worker.h"

namespace VEXA::Addon::Parse {

Release::Release(Napi::Env env, NodeList nodes, std::shared_ptr<Toolchain::Context> context,
                 std::shared_ptr<std::istream> source)
    : Napi::AsyncWorker(env, "Addon::Parse::Release"),
      nodes_(std::move(nodes)),
      context_(std::move(context)),
      source_(std::move(source)) {}

void Release::Execute() {
  // Nodes first: the symbol table and the node arena belong to the context.
  nodes_ = NodeList();
  context_.reset();
  source_.reset();
}

void ReleaseLater(Napi::Env env, NodeList& nodes, std::shared_ptr<Toolchain::Context>& context,
                  std::shared_ptr<std::istream>& source) {
  if (env.IsExceptionPending()) return;
  auto* job = new Release(env, std::move(nodes), std::move(context), std::move(source));
  if (!env.IsExceptionPending()) job->Queue();
  if (env.IsExceptionPending()) {
    // A job that could not be queued never runs; its data goes with it, here. The failure is
    // the release's own business: the caller's promise is settled and must not see an error.
    env.GetAndClearPendingException();
    delete job;
  }
}

}  // namespace VEXA::Addon::Parse
