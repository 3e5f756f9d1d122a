// Controls a window locks while the terminal session is busy: they are
// disabled when a terminal action starts and each gets back the enabled state
// it had before when the action ends.
#pragma once
#include <QList>

class QAction;
class QWidget;

// Registers the controls of Owner (a window) with the session.
void LockWhileBusy(QWidget* Owner, const QList<QWidget*>& Controls,
                   const QList<QAction*>& Actions = {});
