#include "widgets/BusyState.h"

#include <QGuiApplication>
#include <QWidget>

TBusyState::TBusyState() {
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

TBusyState::TBusyState(QWidget* Button) : button_(Button) {
  button_->setEnabled(false);
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

TBusyState::~TBusyState() {
  QGuiApplication::restoreOverrideCursor();
  if (button_) button_->setEnabled(true);
}
