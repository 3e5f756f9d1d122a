#include "enrolldata/Users.h"

#include "common/Dialogs.h"
#include "data/DataSet.h"
#include "enrolldata/EnrollReport.h"
#include "enrolldata/EnrollStore.h"
#include "sdk/FKDefine.h"

QString OldPasswordText(int StoredValue) {
  QString text;
  for (int v = StoredValue; v > 0; v /= 16) text += QString::number(v % 16 - 1);
  return text;
}

namespace {

QString PrivilegeTerm(TPrivilegeFilter Filter) {
  switch (Filter) {
    case TPrivilegeFilter::Users:
      return QStringLiteral("(Privilige=0)");
    case TPrivilegeFilter::Admins:
      return QStringLiteral("(Privilige=1 or Privilige=2)");
    case TPrivilegeFilter::All:
      break;
  }
  return {};
}

// Yes loads the row again, No sends with numbers 0, Cancel passes it over.
enum class TLoadOutcome { Loaded, Zero, PassOver };

TLoadOutcome LoadWithQuestion(TDataSet& Rows, TEnrollReport& Report, EnrollRecord& Record,
                              TWorkingTemplate& Working) {
  for (;;) {
    Record.EnrollNumber = 0;
    Record.BackupNumber = 0;
    if (LoadEnrollRecord(Rows, Report, Record, Working)) return TLoadOutcome::Loaded;
    switch (Report.Ask(QStringLiteral("Conv Error: Continue ?"), QStringLiteral("ConvShToArm"),
                       MB_YESNOCANCEL | MB_ICONQUESTION)) {
      case IDYES:
        continue;
      case IDNO:
        // A row whose template is damaged has its numbers read; the command
        // still goes out with numbers 0, as for a row that did not load.
        Record.EnrollNumber = 0;
        Record.BackupNumber = 0;
        return TLoadOutcome::Zero;
      default:
        return TLoadOutcome::PassOver;
    }
  }
}

bool Send(TFKAttendObject& Sdk, TUserCommand Command, int EnrollNumber, int BackupNumber) {
  switch (Command) {
    case TUserCommand::Enable:
      return Sdk.FK_EnableUser(EnrollNumber, BackupNumber, 1);
    case TUserCommand::Disable:
      return Sdk.FK_EnableUser(EnrollNumber, BackupNumber, 0);
    case TUserCommand::MakeAdmin:
      return Sdk.FK_ModifyPrivilege(EnrollNumber, BackupNumber, 1);
    case TUserCommand::MakeUser:
      return Sdk.FK_ModifyPrivilege(EnrollNumber, BackupNumber, 0);
  }
  return false;
}

}  // namespace

void OpenPasswordList(TDataSet& List, TPrivilegeFilter Filter) {
  const QString term = PrivilegeTerm(Filter);
  List.OpenSQL(QStringLiteral("SELECT * FROM tblEnroll where FingerNumber=15 ") +
               (term.isEmpty() ? QString() : QStringLiteral(" and ") + term));
  List.First();
}

void OpenActivePassiveList(TDataSet& List, TPrivilegeFilter Filter) {
  // With neither filter chosen the list holds every stored row.
  const QString term = PrivilegeTerm(Filter);
  List.OpenSQL(QStringLiteral("SELECT * FROM tblEnroll") +
               (term.isEmpty() ? QString() : QStringLiteral(" where  ") + term));
  List.First();
}

void RunUserCommand(TFKAttendObject& Sdk, TWorkingTemplate& Working, TDataSet& List, TDataSet& Rows,
                    TUserCommand Command, TEnrollReport& Out) {
  if (!List.Active() || List.IsEmpty()) {
    Out.Status(EmptyListText());
    return;
  }
  const QVariant user = List.FieldByName(QStringLiteral("EnrollNumber")).Value();
  Rows.OpenSQL(QStringLiteral("SELECT * FROM tblEnroll where EnrollNumber=?"), {user});
  // A stored number that is no number in range ends the command here, before
  // the terminal hears of it, not halfway through the user's rows.
  CheckEnrollNumbers(Rows);
  // The terminal is disabled before every row and enabled once, here.
  TEnableAtEnd report(Sdk, Out, TTerminalBracket::TEnableWhen::EveryPath);
  Rows.First();
  int failed = 0;
  for (; !Rows.Eof(); Rows.Next()) {
    EnrollRecord record;
    if (LoadWithQuestion(Rows, report, record, Working) == TLoadOutcome::PassOver) {
      report.Idle();
      continue;
    }
    if (!report.DisableTerminal()) {
      report.Status(QStringLiteral("No Device"));
      return;
    }
    const bool ok = Send(Sdk, Command, record.EnrollNumber, record.BackupNumber);
    if (!ok) ++failed;
    report.Status(ok ? QStringLiteral("Success!") : QStringLiteral("error"));
    report.Idle();
  }
  if (failed > 0) report.Status(QStringLiteral("error"));
}
