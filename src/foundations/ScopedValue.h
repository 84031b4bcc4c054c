#pragma once
// A flag or field that holds a value for one scope: the value it had comes
// back however the scope is left, also when an error passes through.
//
//   const TScopedValue<bool> Running(FRunning, true);

#include <utility>

template <class T>
class TScopedValue {
 public:
  TScopedValue(T& Var, T Value) : FVar(Var), FOld(std::exchange(Var, std::move(Value))) {}
  ~TScopedValue() { FVar = std::move(FOld); }
  TScopedValue(const TScopedValue&) = delete;
  TScopedValue& operator=(const TScopedValue&) = delete;

 private:
  T& FVar;
  T FOld;
};
