// Busy state of a long action: the pressed button is disabled and the
// hourglass cursor shown; both are restored when the scope ends.
#pragma once

class QWidget;

class TBusyState {
 public:
  explicit TBusyState(QWidget* Button);
  ~TBusyState();
  TBusyState(const TBusyState&) = delete;
  TBusyState& operator=(const TBusyState&) = delete;

 private:
  QWidget* button_;
};
