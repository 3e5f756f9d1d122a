#include "widgets/BusyControls.h"

#include <QAction>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "session/TerminalSession.h"

namespace {

template <class Control>
struct TLocked {
  QPointer<Control> Item;
  bool WasEnabled = true;
};

template <class Control>
void Apply(QList<TLocked<Control>>& Items, bool Busy) {
  for (TLocked<Control>& c : Items) {
    if (!c.Item) continue;
    if (Busy) {
      c.WasEnabled = c.Item->isEnabled();
      c.Item->setEnabled(false);
    } else {
      c.Item->setEnabled(c.WasEnabled);
    }
  }
}

}  // namespace

void LockWhileBusy(QWidget* Owner, const QList<QWidget*>& Controls,
                   const QList<QAction*>& Actions) {
  struct TLocks {
    QList<TLocked<QWidget>> Widgets;
    QList<TLocked<QAction>> Actions;
  };
  auto locks = std::make_shared<TLocks>();
  for (QWidget* w : Controls) locks->Widgets.append({w, true});
  for (QAction* a : Actions) locks->Actions.append({a, true});
  Session().AddBusyWatcher(Owner, [locks](bool Busy) {
    Apply(locks->Widgets, Busy);
    Apply(locks->Actions, Busy);
  });
}
