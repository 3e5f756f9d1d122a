#include "enrolldata/EnrollRestore.h"

#include "common/Dialogs.h"
#include "common/LibFunctions.h"
#include "enrolldata/EnrollStore.h"

namespace {

const QString kConvError = QStringLiteral("Conv Error");
const QString kSendError = QStringLiteral("SetAllEnrollData Error");

bool Send(TFKAttendObject& Sdk, const EnrollRecord& R, TWorkingTemplate& Working) {
  return Sdk.FK_PutEnrollData(R.EnrollNumber, R.BackupNumber, R.Privilege, Working.Data(),
                              Working.PasswordValue);
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

void RestoreAllEnrollData(TFKAttendObject& Sdk, TWorkingTemplate& Working, TDataSet& Store,
                          bool ClearFirst, TEnrollReport& Out) {
  Out.Status(QStringLiteral("Working..."));
  Dlg().ProcessMessages();
  if (!Sdk.FK_EnableDevice(0)) {
    Out.Status(QStringLiteral("No Device"));
    return;
  }
  TEnableAtEnd report(Sdk, Out);
  if (ClearFirst)
    report.Status(Sdk.FK_ClearKeeperData() ? QStringLiteral("ClearKeeperData OK")
                                           : QStringLiteral("ERROR"));
  TFailures failures;
  for (Store.First(); !Store.Eof(); Store.Next()) {
    EnrollRecord r;
    bool ok = LoadEnrollRecord(Store, report, r, Working);
    if (!ok) {
      failures.Add(kConvError);
    } else {
      bool supported = false;
      Sdk.FK_IsSupportedEnrollData(r.BackupNumber, supported);
      ok = Send(Sdk, r, Working);
      if (!ok) failures.Add(kSendError);
    }
    ShowProgress(report, r, Store.RecNo() + 1);
    report.LogLine(ZeroFill(QString::number(r.EnrollNumber), 5) + QStringLiteral(" - Kayıt=") +
                   QString::number(r.BackupNumber) +
                   (ok ? QStringLiteral(" ok") : QStringLiteral(" error")));
    Dlg().ProcessMessages();
  }
  Sdk.FK_SaveEnrollData();
  failures.Report(report);
}

void RestoreUserEnrollData(TFKAttendObject& Sdk, TWorkingTemplate& Working, TDataSet& List,
                           TDataSet& PerUser, TEnrollReport& Out) {
  Out.Status(QStringLiteral("Working..."));
  Dlg().ProcessMessages();
  if (!List.Active() || List.IsEmpty()) {
    Out.Status(EmptyListText());
    return;
  }
  TEnableAtEnd report(Sdk, Out);
  if (!Sdk.FK_EnableDevice(0)) {
    report.Status(QStringLiteral("No Device"));
    return;
  }
  const int user = List.FieldByName(QStringLiteral("EnrollNumber")).AsInteger();
  PerUser.OpenSQL(QStringLiteral("SELECT * FROM tblEnroll where EnrollNumber=?"), {user});
  TFailures failures;
  for (PerUser.First(); !PerUser.Eof(); PerUser.Next()) {
    EnrollRecord r;
    bool send = true;
    while (!LoadEnrollRecord(PerUser, report, r, Working)) {
      failures.Add(kConvError);
      const int answer =
          report.Ask(kConvError + QStringLiteral(": Continue ?"), QStringLiteral("ConvShToArm"),
                     MB_YESNOCANCEL | MB_ICONQUESTION);
      if (answer == IDYES) continue;
      if (answer == IDNO) {
        send = false;
        break;
      }
      failures.Report(report);
      return;
    }
    if (send && !Send(Sdk, r, Working)) failures.Add(kSendError);
    ShowProgress(report, r, PerUser.RecNo() + 1);
    report.LogLine(ZeroFill(QString::number(r.EnrollNumber), 5));
    Dlg().ProcessMessages();
  }
  failures.Report(report);
}
