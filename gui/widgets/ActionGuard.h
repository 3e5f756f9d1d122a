// Every handler runs inside the action guard: an error the action does not
// handle ends it where it arose and its text goes to the standard error box;
// a silent abort ends it without a message.
#pragma once
#include <QObject>
#include <exception>
#include <utility>

#include "common/Errors.h"
#include "widgets/Dlg.h"

template <class Action>
void RunGuarded(Action&& action) noexcept {
  try {
    std::forward<Action>(action)();
  } catch (const EAbort&) {
  } catch (const EAppError& e) {
    ShowErrorBox(e.Text());
  } catch (const std::exception& e) {
    ShowErrorBox(QString::fromLocal8Bit(e.what()));
  }
}

// Connects Sender's Signal to Window's Handler through the guard.
template <class Sender, class Signal, class Window>
QMetaObject::Connection ConnectAction(Sender* sender, Signal signal, Window* window,
                                      void (Window::*handler)()) {
  return QObject::connect(sender, signal, window,
                          [window, handler] { RunGuarded([&] { (window->*handler)(); }); });
}
