// The password tab (old passwords of the stored password entries) and the
// enable / privilege tab (commands for every stored item of a user).
#include "enrol/Enrol.h"
#include "enrolldata/Users.h"
#include "session/TerminalSession.h"
#include "widgets/ActionGuard.h"
#include "widgets/BusyState.h"
#include "widgets/Dlg.h"

namespace {

TPrivilegeFilter Filter(const QRadioButton* Users, const QRadioButton* Admins) {
  if (Users->isChecked()) return TPrivilegeFilter::Users;
  if (Admins->isChecked()) return TPrivilegeFilter::Admins;
  return TPrivilegeFilter::All;
}

// The four commands differ only in what they send. The walk lets window
// messages run between rows, so everything that could start another action
// or close the window is locked meanwhile.
void UserCommand(TfrmEnrol& W, QPushButton* Button, TUserCommand Command) {
  Dlg().ProcessMessages();
  TBusyState busy(Button);
  TTerminalBusy terminal;
  RunUserCommand(Session().TerminalSdk(), W.Working, W.qryaktifpasif, W.ADOEnroll, Command,
                 W.Report());
}

}  // namespace

void TfrmEnrol::ConnectUsersTab() {
  qryadmin.AfterScroll = [this] { qryadminAfterScroll(); };
  ConnectAction(RadioButton1, &QRadioButton::clicked, this, &TfrmEnrol::RadioButton1Click);
  ConnectAction(RadioButton2, &QRadioButton::clicked, this, &TfrmEnrol::RadioButton2Click);
  ConnectAction(RadioButton3, &QRadioButton::clicked, this, &TfrmEnrol::RadioButton3Click);
  ConnectAction(RadioButton4, &QRadioButton::clicked, this, &TfrmEnrol::RadioButton4Click);
  ConnectAction(Button1, &QPushButton::clicked, this, &TfrmEnrol::Button1Click);
  ConnectAction(Button2, &QPushButton::clicked, this, &TfrmEnrol::Button2Click);
  ConnectAction(Button4, &QPushButton::clicked, this, &TfrmEnrol::Button4Click);
  ConnectAction(Button5, &QPushButton::clicked, this, &TfrmEnrol::Button5Click);
  ConnectAction(BitBtn8, &QPushButton::clicked, this, &TfrmEnrol::BitBtn8Click);
}

// Opening the list shows the first row's old password (its after-scroll).
void TfrmEnrol::RefreshPasswordList() {
  OpenPasswordList(qryadmin, Filter(RadioButton1, RadioButton2));
}

void TfrmEnrol::RefreshActivePassiveList() {
  OpenActivePassiveList(qryaktifpasif, Filter(RadioButton3, RadioButton4));
}

void TfrmEnrol::qryadminAfterScroll() {
  ShowOldPassword();
}

void TfrmEnrol::ShowOldPassword() {
  const int stored = qryadmin.FieldByName(QStringLiteral("PassWord")).AsInteger();
  Edit4->clear();
  Label32->clear();
  Edit4->setText(OldPasswordText(stored));
  Label32->setText(Edit4->text());
}

void TfrmEnrol::RadioButton1Click() {
  RefreshPasswordList();
}
void TfrmEnrol::RadioButton2Click() {
  RefreshPasswordList();
}
void TfrmEnrol::RadioButton3Click() {
  RefreshActivePassiveList();
}
void TfrmEnrol::RadioButton4Click() {
  RefreshActivePassiveList();
}

void TfrmEnrol::Button1Click() {
  UserCommand(*this, Button1, TUserCommand::Enable);
}
void TfrmEnrol::Button2Click() {
  UserCommand(*this, Button2, TUserCommand::Disable);
}
void TfrmEnrol::Button4Click() {
  UserCommand(*this, Button4, TUserCommand::MakeAdmin);
}
void TfrmEnrol::Button5Click() {
  UserCommand(*this, Button5, TUserCommand::MakeUser);
}

// The password-change button sends nothing: no new password goes to the
// terminal or the store.
void TfrmEnrol::BitBtn8Click() {}
