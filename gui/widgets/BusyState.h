// Busy state of a long action: the pressed button is disabled and the
// hourglass cursor shown; both are restored when the scope ends.
#pragma once

class QWidget;

class TBusyState {
 public:
  explicit TBusyState(QWidget* Button);
  // Only the hourglass, for an action no single button started (a connect
  // from the grid, a download from the pop-up menu).
  [[nodiscard]] static TBusyState CursorOnly() { return TBusyState(nullptr); }
  ~TBusyState();
  TBusyState(const TBusyState&) = delete;
  TBusyState& operator=(const TBusyState&) = delete;

 private:
  QWidget* button_;
};
