// The conversion of a parse result into JavaScript objects, a slice at a time: the JavaScript
// thread is never held much longer than one slice, however large the result, and other callbacks
// (timers, I/O) run between slices.
#pragma once

#include "addon/js_writer.h"
#include "addon/long_lists.h"
#include "parser/program.h"

#include <node_api.h>

#include <chrono>
#include <cstddef>
#include <vector>

namespace VEXA::Addon::Parse {

class Conversion {
 public:
  // Converts `program` and settles `deferred` with {optimize, nodes, diagnostics}, or with the
  // error that stopped the conversion. Owns itself from here on: it lives until the promise is
  // settled, across as many turns of the event loop as the result needs.
  static void Start(napi_env env, napi_deferred deferred, Program program);

 private:
  using Clock = std::chrono::steady_clock;

  Conversion(napi_env env, napi_deferred deferred, Program program);
  ~Conversion();
  Conversion(const Conversion&) = delete;
  Conversion& operator=(const Conversion&) = delete;

  // Makes the result object and its node list, then converts the first slice.
  void begin();
  // Converts until the slice's time is up, then hops to the next turn or settles.
  void slice();
  // Converts items [next_, end) of the current list in one handle scope, up to the deadline,
  // releasing each native node once converted; false once a host call has failed.
  bool convert(napi_value list, size_t end, Clock::time_point deadline);
  // Converts elements of the next long list of the current top-level node up to the deadline.
  bool fillLongList(Clock::time_point deadline);
  // Drops the long lists of the top-level node just written.
  void forgetLongLists();
  // The node list is done: attaches it and moves on to the diagnostics.
  bool nextList(napi_value result, napi_value list);
  // Queues the next slice for a later turn of the event loop; the work item frees the garbage.
  bool hop();
  static void Collect(napi_env env, void* data);
  static void Resume(napi_env env, napi_status status, void* data);
  // Resolves with the result, or rejects (result null) with the writer's error; then deletes this.
  void settle(napi_value result);
  napi_value value(napi_ref reference) const;

  napi_env env_;
  napi_deferred deferred_;
  Program program_;
  JsWriter writer_;
  // The result object and the list being filled, kept alive between slices.
  napi_ref result_ = nullptr;
  napi_ref list_ = nullptr;
  bool diagnostics_ = false;
  size_t size_ = 0;
  size_t next_ = 0;
  // The long lists of top-level node `searched_` (none of a small node), each converted into an
  // array ahead of the node; `long_` of them are done and the next has `longNext_` elements.
  LongLists search_;
  size_t searched_ = SIZE_MAX;
  std::vector<LongLists::List> lists_;
  std::vector<napi_ref> arrays_;
  size_t long_ = 0;
  size_t longNext_ = 0;
  // Converted top-level nodes, freed off the JavaScript thread by the next hop's work item:
  // freeing a block of many statements at once would stall the thread like converting it.
  Syntax::NodeList garbage_;
  // Everything is converted; what is left is freeing the last garbage before resolving.
  bool done_ = false;
  napi_async_work work_ = nullptr;
};

}  // namespace VEXA::Addon::Parse
