// Clean-up that must run on every path out of an action, errors included.
#pragma once
#include <utility>

class QWidget;

// Runs a function when the scope ends.
template <class F>
class TScopeExit {
 public:
  explicit TScopeExit(F f) : f_(std::move(f)) {}
  ~TScopeExit() { f_(); }
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;

 private:
  F f_;
};

// Busy state of a long action: the pressed button is disabled and the
// hourglass cursor shown; both are restored when the scope ends.
class TBusyState {
 public:
  explicit TBusyState(QWidget* Button);
  ~TBusyState();
  TBusyState(const TBusyState&) = delete;
  TBusyState& operator=(const TBusyState&) = delete;

 private:
  QWidget* button_;
};
