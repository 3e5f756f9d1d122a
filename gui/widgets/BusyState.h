// Busy state of a long action: the pressed button is disabled and the
// hourglass cursor shown; both are restored when the scope ends.
#pragma once
#include <cstddef>

class QWidget;

class TBusyState {
 public:
  explicit TBusyState(QWidget* Button);
  // An action without a pressed button says so with CursorOnly().
  explicit TBusyState(std::nullptr_t) = delete;
  // Only the hourglass, for an action no single button started (a connect
  // from the grid, a download from the pop-up menu).
  [[nodiscard]] static TBusyState CursorOnly() { return TBusyState(); }
  ~TBusyState();
  TBusyState(const TBusyState&) = delete;
  TBusyState& operator=(const TBusyState&) = delete;

 private:
  TBusyState();
  QWidget* button_ = nullptr;
};
