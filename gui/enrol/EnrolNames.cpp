// The name list on the first tab: search, names typed into the grid, and the
// names written into the terminal, one or all.
#include "data/DM.h"
#include "enrol/Enrol.h"
#include "enrolldata/EnrollStore.h"
#include "enrolldata/Names.h"
#include "session/TerminalSession.h"
#include "widgets/ActionGuard.h"
#include "widgets/BusyState.h"

namespace {
const QColor kMoneyGreen(0xC0, 0xDC, 0xC0);
}

void TfrmEnrol::ConnectNamesTab() {
  // A user with several items has several rows; a name typed into one of
  // them is the user's name, so it is stored on all of them.
  frmDM->Names.List().SetUpdateKey({QStringLiteral("kartno")});
  frmDM->dsisim.SetColumns(
      {{QStringLiteral("kartno"), QStringLiteral("kartno"), 55, false, kMoneyGreen, true},
       {QStringLiteral("isim"), QStringLiteral("isim"), 200, true, {}, true}});
  ConnectAction(Edit8, &QLineEdit::textChanged, this, &TfrmEnrol::Edit8Change);
  ConnectAction(BitBtn4, &QPushButton::clicked, this, &TfrmEnrol::BitBtn4Click);
  ConnectAction(BitBtn5, &QPushButton::clicked, this, &TfrmEnrol::BitBtn5Click);
}

void TfrmEnrol::ReadPdksSettings() {
  PdksSettings = ::ReadPdksSettings(Session().SettingsFile());
  setWindowTitle(PdksCaption(PdksSettings));
}

void TfrmEnrol::RefreshNameList() {
  frmDM->Names.Open(Edit8->text());
  Label7->setText(QString::number(frmDM->Names.List().RecordCount()));
}

void TfrmEnrol::Edit8Change() {
  RefreshNameList();
}

void TfrmEnrol::SendUserName() {
  const QString status = SendStatus(::SendUserName(Session().TerminalSdk(), frmDM->Names.List()));
  if (!status.isEmpty()) lblMessage->setText(status);
}

// A list never opened is the data layer's error; an open one without rows
// says so instead of doing nothing silently.
void TfrmEnrol::BitBtn4Click() {
  TBusyState busy(BitBtn4);
  TTerminalBusy terminal;
  TDataSet& list = frmDM->Names.List();
  if (list.Active() && list.IsEmpty()) {
    lblMessage->setText(EmptyListText());
    return;
  }
  SendUserName();
}

void TfrmEnrol::BitBtn5Click() {
  TBusyState busy(BitBtn5);
  TTerminalBusy terminal;
  TDataSet& list = frmDM->Names.List();
  if (list.Active() && list.IsEmpty()) {
    lblMessage->setText(EmptyListText());
    return;
  }
  SendAllUserNames(Session().TerminalSdk(), list,
                   [this](const QString& Status) { lblMessage->setText(Status); });
}
