#include "enrolldata/EnrollRestore.h"

#include "common/Dialogs.h"
#include "common/LibFunctions.h"
#include "enrolldata/EnrollStore.h"

namespace {

const QString kConvError = QStringLiteral("Conv Error");
const QString kSendError = QStringLiteral("SetAllEnrollData Error");
const QString kSaveError = QStringLiteral("SaveEnrollData Error");

// One row of the store as it will be sent: read and checked before the
// terminal is changed, so that a store that cannot be read whole changes
// nothing. Rows that do not load are kept too: they are logged in order.
struct TPrepared {
  EnrollRecord Record;
  QByteArray Template;
  int Count = 0;        // 1-based position of the row in the result set
  bool Loaded = false;  // false: not sent, logged as an error
};

// Every row of Rows from the first. A database error (a column missing, a
// value that is no number) is thrown from here, before any terminal call.
QVector<TPrepared> PrepareAll(TDataSet& Rows) {
  QVector<TPrepared> rows;
  rows.reserve(Rows.RecordCount());
  for (Rows.First(); !Rows.Eof(); Rows.Next()) {
    TPrepared p;
    p.Loaded = ReadEnrollRow(Rows, p.Record, p.Template);
    p.Count = Rows.RecNo() + 1;
    rows.append(std::move(p));
  }
  return rows;
}

bool Send(TFKAttendObject& Sdk, const TPrepared& Row, TWorkingTemplate& Working,
          TEnrollReport& Report) {
  TakeEnrollRecord(Row.Record, Row.Template, Report, Working);
  return Sdk.FK_PutEnrollData(Row.Record.EnrollNumber, Row.Record.BackupNumber,
                              Row.Record.Privilege, Working.Data(), Working.PasswordValue);
}

// Remembers the last failure of a walk for its final status line.
struct TFailures {
  bool Any = false;
  QString Last;
  void Add(const QString& Text) {
    Any = true;
    Last = Text;
  }
  void Report(TEnrollReport& R) const {
    if (Any) R.Status(Last + QStringLiteral(" : error"));
  }
};

void ShowProgress(TEnrollReport& Report, const EnrollRecord& R, int Count) {
  Report.Status(ProgressLine(R.EnrollNumber, R.BackupNumber, Count));
  Report.Count(Count);
}

}  // namespace

void RestoreAllEnrollData(TFKAttendObject& Sdk, TWorkingTemplate& Working, TEnrollStore& Store,
                          bool ClearFirst, TEnrollReport& Out) {
  Out.Status(QStringLiteral("Working..."));
  Out.Idle();
  // A view that an earlier error left closed (the store could not be read
  // when the window was shown, or after a backup) is read now: its error is
  // the one to show.
  if (!Store.Rows().Active()) Store.OpenAll();
  const QVector<TPrepared> rows = PrepareAll(Store.Rows());
  TEnableAtEnd report(Sdk, Out, TTerminalBracket::TEnableWhen::Disabled);
  if (!report.DisableTerminal()) {
    report.Status(QStringLiteral("No Device"));
    return;
  }
  if (ClearFirst)
    report.Status(Sdk.FK_ClearKeeperData() ? QStringLiteral("ClearKeeperData OK")
                                           : QStringLiteral("ERROR"));
  TFailures failures;
  for (const TPrepared& row : rows) {
    bool ok = row.Loaded;
    if (!ok) {
      failures.Add(kConvError);
    } else {
      bool supported = false;
      Sdk.FK_IsSupportedEnrollData(row.Record.BackupNumber, supported);
      ok = Send(Sdk, row, Working, report);
      if (!ok) failures.Add(kSendError);
    }
    ShowProgress(report, row.Record, row.Count);
    report.LogLine(ZeroFill(QString::number(row.Record.EnrollNumber), 5) +
                   QStringLiteral(" - Kayıt=") + QString::number(row.Record.BackupNumber) +
                   (ok ? QStringLiteral(" ok") : QStringLiteral(" error")));
    report.Idle();
  }
  // Until it is saved the terminal may not keep what it was sent.
  if (!Sdk.FK_SaveEnrollData()) failures.Add(kSaveError);
  failures.Report(report);
}

void RestoreUserEnrollData(TFKAttendObject& Sdk, TWorkingTemplate& Working, TDataSet& List,
                           TDataSet& PerUser, TEnrollReport& Out) {
  Out.Status(QStringLiteral("Working..."));
  Out.Idle();
  if (!List.Active() || List.IsEmpty()) {
    Out.Status(EmptyListText());
    return;
  }
  const int user = List.FieldByName(QStringLiteral("EnrollNumber")).AsInteger();
  PerUser.OpenSQL(QStringLiteral("SELECT * FROM tblEnroll where EnrollNumber=?"), {user});
  // The user's rows are read and the questions answered before the terminal
  // is disabled; Cancel leaves out the row and those after it.
  QVector<TPrepared> rows;
  bool cancelled = false;
  for (PerUser.First(); !PerUser.Eof(); PerUser.Next()) {
    TPrepared p;
    p.Count = PerUser.RecNo() + 1;
    for (;;) {
      p.Record = EnrollRecord();
      p.Loaded = ReadEnrollRow(PerUser, p.Record, p.Template);
      if (p.Loaded) break;
      const int answer = Out.Ask(kConvError + QStringLiteral(": Continue ?"),
                                 QStringLiteral("ConvShToArm"), MB_YESNOCANCEL | MB_ICONQUESTION);
      if (answer == IDYES) continue;
      cancelled = answer != IDNO;
      break;
    }
    if (cancelled) break;
    rows.append(std::move(p));
  }
  TEnableAtEnd report(Sdk, Out, TTerminalBracket::TEnableWhen::EveryPath);
  if (!report.DisableTerminal()) {
    report.Status(QStringLiteral("No Device"));
    return;
  }
  // The failures in row order, as the final status names the last one.
  TFailures failures;
  for (const TPrepared& row : rows) {
    if (!row.Loaded) {
      failures.Add(kConvError);
    } else if (!Send(Sdk, row, Working, report)) {
      failures.Add(kSendError);
    }
    ShowProgress(report, row.Record, row.Count);
    report.LogLine(ZeroFill(QString::number(row.Record.EnrollNumber), 5));
    report.Idle();
  }
  if (cancelled) failures.Add(kConvError);
  failures.Report(report);
}
