#pragma once
// Runs a function when a scope is left, however it is left.
#include <utility>

namespace velmora {

template <typename Function>
class ScopeExit {
 public:
  explicit ScopeExit(Function function) : function_(std::move(function)) {}
  ~ScopeExit() { function_(); }
  ScopeExit(const ScopeExit &) = delete;
  ScopeExit &operator=(const ScopeExit &) = delete;

 private:
  Function function_;
};

}  // namespace velmora
