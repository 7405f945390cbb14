// The sliced conversion of a parse result.
//
// Each slice converts top-level nodes (then diagnostics) until its time is up, checking the clock
// every few hundred items, and hops to the next slice through an async work item whose Execute
// only frees the nodes converted so far: its completion is a later turn of the event loop,
// reached without anything a script can replace (a global setImmediate, process.nextTick). The
// result object and the list being filled are held by references between slices. A top-level node
// with long lists (a block of many statements) has those lists converted ahead, element by element,
// into arrays that the node's own conversion then takes as they are.
#include "addon/conversion.h"

#include "addon/instance_data.h"

#include <napi.h>

#include <algorithm>
#include <chrono>

namespace VEXA::Addon::Parse {

namespace {

// Time one slice may take: well below the longest stall a host's timers should see, long enough
// that the hops between slices cost little.
constexpr auto kSliceBudget = std::chrono::milliseconds(8);
// Items converted between looks at the clock; a top-level node takes a few microseconds.
constexpr size_t kCheckEvery = 256;
// Items per handle scope at most: cached handles are dropped with each scope.
constexpr size_t kScopeItems = 2048;

}  // namespace

void Conversion::Start(napi_env env, napi_deferred deferred, Program program) {
  (new Conversion(env, deferred, std::move(program)))->begin();
}

Conversion::Conversion(napi_env env, napi_deferred deferred, Program program)
    : env_(env),
      deferred_(deferred),
      program_(std::move(program)),
      writer_(env, InstanceData::Get(Napi::Env(env)).layouts) {}

Conversion::~Conversion() {
  forgetLongLists();
  if (work_ != nullptr) napi_delete_async_work(env_, work_);
  if (result_ != nullptr) napi_delete_reference(env_, result_);
  if (list_ != nullptr) napi_delete_reference(env_, list_);
}

napi_value Conversion::value(napi_ref reference) const {
  napi_value value = nullptr;
  if (napi_get_reference_value(env_, reference, &value) != napi_ok) return nullptr;
  return value;
}

void Conversion::begin() {
  napi_value result = nullptr;
  napi_value optimize = nullptr;
  napi_value list = nullptr;
  size_ = program_.nodes.size();
  if (napi_create_object(env_, &result) != napi_ok ||
      napi_create_uint32(env_, program_.context->optimization.mask(), &optimize) != napi_ok ||
      napi_set_named_property(env_, result, "optimize", optimize) != napi_ok ||
      napi_create_array_with_length(env_, size_, &list) != napi_ok ||
      napi_create_reference(env_, result, 1, &result_) != napi_ok ||
      napi_create_reference(env_, list, 1, &list_) != napi_ok) {
    writer_.fail();
    return settle(nullptr);
  }
  slice();
}

void Conversion::slice() {
  const Clock::time_point deadline = Clock::now() + kSliceBudget;
  napi_value result = value(result_);
  napi_value list = value(list_);
  if (result == nullptr || list == nullptr) {
    writer_.fail();
    return settle(nullptr);
  }
  for (;;) {
    if (next_ == size_) {
      if (diagnostics_) {
        if (garbage_.empty()) return settle(result);
        done_ = true;
        if (!hop()) return settle(nullptr);
        return;
      }
      if (!nextList(result, list) || (list = value(list_)) == nullptr) return settle(nullptr);
      continue;
    }
    const bool ok = long_ < lists_.size()
                        ? fillLongList(deadline)
                        : convert(list, std::min(size_, next_ + kScopeItems), deadline);
    if (!ok) return settle(nullptr);
    if (next_ < size_ && Clock::now() >= deadline) {
      if (!hop()) return settle(nullptr);
      return;
    }
  }
}

bool Conversion::convert(napi_value list, size_t end, Clock::time_point deadline) {
  napi_handle_scope scope = nullptr;
  if (napi_open_handle_scope(env_, &scope) != napi_ok) {
    writer_.fail();
    return false;
  }
  bool ok = true;
  const auto& diagnostics = program_.context->diagnostics().entries();
  for (size_t i = next_, done = 1; ok && i < end; ++i, ++done) {
    if (!diagnostics_) {
      if (searched_ != i) {
        searched_ = i;
        lists_ = search_.find(*program_.nodes[i]);
        long_ = 0;
        longNext_ = 0;
      }
      // Its long lists first, in slices of their own.
      if (long_ < lists_.size()) break;
    }
    napi_value item =
        diagnostics_ ? writer_.write(diagnostics[i]) : writer_.write(*program_.nodes[i]);
    ok = item != nullptr && napi_set_element(env_, list, static_cast<uint32_t>(i), item) == napi_ok;
    // Released as soon as converted, so that freeing a large result is spread over the slices
    // instead of stalling the thread once at the end.
    if (!diagnostics_) {
      garbage_.push_back(std::move(program_.nodes[i]));
      forgetLongLists();
    }
    next_ = i + 1;
    if (done % kCheckEvery == 0 && Clock::now() >= deadline) break;
  }
  writer_.forgetHandles();
  // The error must outlive the scope it was made in: the writer keeps it by reference.
  if (!ok) writer_.fail();
  return napi_close_handle_scope(env_, scope) == napi_ok && ok;
}

bool Conversion::fillLongList(Clock::time_point deadline) {
  const LongLists::List& list = lists_[long_];
  napi_handle_scope scope = nullptr;
  if (napi_open_handle_scope(env_, &scope) != napi_ok) {
    writer_.fail();
    return false;
  }
  napi_value array = nullptr;
  bool ok = true;
  if (longNext_ == 0) {
    napi_ref reference = nullptr;
    ok = napi_create_array_with_length(env_, list.items.size(), &array) == napi_ok &&
         napi_create_reference(env_, array, 1, &reference) == napi_ok;
    if (ok) arrays_.push_back(reference);
  } else {
    ok = napi_get_reference_value(env_, arrays_.back(), &array) == napi_ok;
  }
  // An element is small, its own long lists being done, but may still hold a few hundred nodes:
  // the clock is read more often than between top-level nodes.
  constexpr size_t kCheckElements = 16;
  for (size_t done = 1; ok && longNext_ < list.items.size(); ++done) {
    napi_value item = writer_.write(*list.items[longNext_]);
    ok = item != nullptr &&
         napi_set_element(env_, array, static_cast<uint32_t>(longNext_), item) == napi_ok;
    ++longNext_;
    if (done % kCheckElements == 0 && Clock::now() >= deadline) break;
  }
  if (ok && longNext_ == list.items.size()) {
    writer_.prebuilt(list.owner, list.name, arrays_.back());
    ++long_;
    longNext_ = 0;
  }
  writer_.forgetHandles();
  if (!ok) writer_.fail();
  return napi_close_handle_scope(env_, scope) == napi_ok && ok;
}

void Conversion::forgetLongLists() {
  writer_.forgetPrebuilt();
  for (napi_ref array : arrays_) napi_delete_reference(env_, array);
  arrays_.clear();
  lists_.clear();
  long_ = 0;
  longNext_ = 0;
}

bool Conversion::nextList(napi_value result, napi_value list) {
  napi_value reports = nullptr;
  size_ = program_.context->diagnostics().reported();
  next_ = 0;
  diagnostics_ = true;
  napi_delete_reference(env_, list_);
  list_ = nullptr;
  if (napi_set_named_property(env_, result, "nodes", list) != napi_ok ||
      napi_create_array_with_length(env_, size_, &reports) != napi_ok ||
      napi_set_named_property(env_, result, "diagnostics", reports) != napi_ok ||
      napi_create_reference(env_, reports, 1, &list_) != napi_ok) {
    writer_.fail();
    return false;
  }
  return true;
}

bool Conversion::hop() {
  napi_value name = nullptr;
  if (napi_create_string_latin1(env_, "Addon::Parse::Conversion", NAPI_AUTO_LENGTH, &name) !=
          napi_ok ||
      napi_create_async_work(env_, nullptr, name, &Conversion::Collect, &Conversion::Resume, this,
                             &work_) != napi_ok) {
    writer_.fail();
    return false;
  }
  if (napi_queue_async_work(env_, work_) != napi_ok) {
    writer_.fail();
    return false;
  }
  return true;
}

void Conversion::Collect(napi_env, void* data) {
  // On a pool thread: the JavaScript thread leaves the conversion alone until Resume.
  static_cast<Conversion*>(data)->garbage_.clear();
}

void Conversion::Resume(napi_env env, napi_status status, void* data) {
  auto* self = static_cast<Conversion*>(data);
  napi_delete_async_work(env, self->work_);
  self->work_ = nullptr;
  // Nothing cancels the work item; any other status means the environment is going away.
  if (status != napi_ok) {
    self->writer_.fail();
    return self->settle(nullptr);
  }
  if (self->done_) return self->settle(self->value(self->result_));
  self->slice();
}

void Conversion::settle(napi_value result) {
  if (result != nullptr) {
    napi_resolve_deferred(env_, deferred_, result);
  } else {
    napi_value error = writer_.error();
    if (error == nullptr) {
      error = Napi::Error::New(env_, "the parse result could not be converted").Value();
    }
    // During environment teardown this fails too, and the engine drops the promise with the
    // environment; either way the job is over.
    napi_reject_deferred(env_, deferred_, error);
  }
  delete this;
}

}  // namespace VEXA::Addon::Parse
