// Runs a clean-up when the scope ends, also when an exception leaves it: the
// re-enabling after a handler that may fail, without a catch-and-rethrow.
#pragma once

#include <utility>

namespace tvx {

template <class F>
class ScopeGuard {
 public:
  explicit ScopeGuard(F cleanUp) : cleanUp_(std::move(cleanUp)) {}
  ~ScopeGuard() { cleanUp_(); }
  ScopeGuard(const ScopeGuard&) = delete;
  ScopeGuard& operator=(const ScopeGuard&) = delete;

 private:
  F cleanUp_;
};

}  // namespace tvx
