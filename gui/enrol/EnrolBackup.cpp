// The first tab's backup and full restore, and the selected-user upload.
#include "common/Cleanup.h"
#include "data/DM.h"
#include "enrol/Enrol.h"
#include "enrolldata/EnrollBackup.h"
#include "enrolldata/EnrollRestore.h"
#include "session/TerminalSession.h"
#include "widgets/ActionGuard.h"
#include "widgets/BusyState.h"
#include "widgets/Dlg.h"

void TfrmEnrol::BitBtn1Click() {
  Memo1->clear();
  TBusyState busy(BitBtn1);
  TTerminalBusy terminal;
  Label2->clear();
  lblMessage->setText(QStringLiteral("Alınıyor....."));
  // The lists show the store as it stands afterwards, whatever the outcome
  // (the backup has enabled the terminal again by then).
  TScopeExit cleanUp([this] {
    RunGuarded([this] {
      RefreshNameList();
      RefreshEnrollLists();
    });
  });
  BackupEnrollData(Session().TerminalSdk(), Working, Store, frmDM->Names, Report());
}

void TfrmEnrol::BitBtn2Click() {
  if (Dlg().MessageBox(QStringLiteral("Seçili terminale parmakizi datası yüklensin mi...?"),
                       QStringLiteral("UYARI"), MB_YESNO) != IDYES)
    return;
  TBusyState busy(BitBtn2);
  TTerminalBusy terminal;
  RestoreAllEnrollData(Session().TerminalSdk(), Working, Store, CheckBox2->isChecked(), Report());
}

void TfrmEnrol::BitBtn7Click() {
  TBusyState busy(BitBtn7);
  TTerminalBusy terminal;
  RestoreUserEnrollData(Session().TerminalSdk(), Working, qryenroll, ADOEnroll, Report());
}
