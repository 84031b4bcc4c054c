#pragma once
// One replaceable handler: the program and the tests install their own, the
// installer gets the one it replaced back, and an empty handler restores the
// default (which may itself be empty: the caller then does without).
//
// A slot lives as a function-local static, so that it is ready before any
// other static needs it:
//
//   THandlerSlot<TCursorHandler>& CursorSlot() {
//     static THandlerSlot<TCursorHandler> S([](bool) {});
//     return S;
//   }
//   TCursorHandler SetCursorHandler(TCursorHandler H) { return CursorSlot().Set(std::move(H)); }
//
// TScopedHandler installs a handler for a scope and puts the one it replaced
// back however the scope is left.

#include <utility>

template <class THandler>
class THandlerSlot {
 public:
  explicit THandlerSlot(THandler Default = THandler()) : FDefault(Default), FHandler(std::move(Default)) {}
  THandlerSlot(const THandlerSlot&) = delete;
  THandlerSlot& operator=(const THandlerSlot&) = delete;

  // Installs Handler (the default when it is empty); answers the one replaced.
  THandler Set(THandler Handler) {
    THandler Old = std::move(FHandler);
    FHandler = Handler ? std::move(Handler) : FDefault;
    return Old;
  }
  const THandler& Get() const { return FHandler; }

 private:
  const THandler FDefault;
  THandler FHandler;
};

template <class THandler>
class TScopedHandler {
 public:
  using TSetter = THandler (*)(THandler);
  TScopedHandler(TSetter Setter, THandler Handler) : FSetter(Setter), FOld(Setter(std::move(Handler))) {}
  ~TScopedHandler() { FSetter(std::move(FOld)); }
  TScopedHandler(const TScopedHandler&) = delete;
  TScopedHandler& operator=(const TScopedHandler&) = delete;

 private:
  TSetter FSetter;
  THandler FOld;
};
