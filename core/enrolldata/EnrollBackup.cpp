#include "enrolldata/EnrollBackup.h"

#include "common/Cleanup.h"
#include "common/Dialogs.h"
#include "common/Errors.h"
#include "common/LibFunctions.h"
#include "data/Transaction.h"

namespace {

const QString kWalkError = QStringLiteral("ERROR, GetEnrollData :");
const QString kNothingReplaced = QStringLiteral("kayıtlar değiştirilmedi");

// Reads one item into the working template; asks again after each failure.
// False when the operator passes the item over.
bool ReadItem(TFKAttendObject& Sdk, TWorkingTemplate& Working, TEnrollReport& Report,
              int EnrollNumber, int BackupNumber, int& Privilege) {
  for (;;) {
    Working.Reset(BackupNumber);
    if (Sdk.FK_GetEnrollData(EnrollNumber, BackupNumber, Privilege, Working.Data(),
                             Working.PasswordValue))
      return true;
    if (Report.Ask(QStringLiteral(": Continue ?"), QStringLiteral("GetEnrollData"),
                   MB_YESNO | MB_ICONQUESTION) != IDYES)
      return false;
  }
}

// Both files are still inside their transactions: a database that ended one
// on its own must not see the rest of the work stored row by row.
void CheckActive(TTransaction& Data, TTransaction& Names) {
  Data.CheckActive();
  Names.CheckActive();
}

}  // namespace

TBackupOutcome BackupEnrollData(TFKAttendObject& Sdk, TWorkingTemplate& Working,
                                TEnrollStore& Store, TNameList& Names, TEnrollReport& Report,
                                int MaxItems) {
  // Whatever happens, the store view ends up showing what the file holds.
  // Declared first so it runs after the transactions have ended.
  TScopeExit reread([&Store] {
    try {
      Store.OpenAll();
    } catch (const EAppError&) {
      Store.Close();  // a closed view is reported by whoever uses it next
    }
  });
  // The terminal is enabled after the work is rolled back or committed, also
  // when the terminal never answered "disable".
  TEnableAtEnd report(Sdk, Report, TTerminalBracket::TEnableWhen::EveryPath);
  // Items listed as stored ("1-0 ok") while the transaction was open: when
  // it is rolled back, the list says that none of them was kept.
  int listed = 0;
  auto nothingKept = [&](const QString& Status) {
    if (listed > 0) report.StoredLine(kNothingReplaced);
    report.Status(Status);
  };
  try {
    // One transaction per file. Both are checked before either commits, and
    // the store's file is committed first: if that fails, neither file
    // changes; the names' commit that could still fail after it leaves only
    // the (re-creatable) name list at its earlier content.
    TTransaction data(Store.Connection());
    TTransaction names(Names.Connection());
    auto commit = [&] {
      CheckActive(data, names);
      data.Commit();
      names.Commit();
    };

    Store.Clear();
    Names.Clear();
    Store.OpenAll();

    if (!report.DisableTerminal()) {
      report.Status(QStringLiteral("Bağlanamadı..."));
      return TBackupOutcome::NoDevice;
    }
    if (!Sdk.FK_ReadAllUserID()) {
      const int result = Sdk.SdkResult();
      Sdk.FK_EnableDevice(1);
      // "No data" is the whole list of a terminal without users: an empty
      // store is then exactly what the terminal holds.
      if (result == FKResult::NoData) {
        commit();
        report.Status(QStringLiteral("ok"));
        return TBackupOutcome::Empty;
      }
      report.Status(QStringLiteral("ReadAllUserID Error: ") + ResultText(result) +
                    QStringLiteral(" - ") + kNothingReplaced);
      return TBackupOutcome::NoUserList;
    }
    report.Status(QStringLiteral("ReadAllUserID OK"));

    int items = 0;
    int skipped = 0;
    for (;;) {
      int n = 0, b = 0, p = 0, enabled = 0;
      if (!Sdk.FK_GetAllUserID(n, b, p, enabled)) break;
      if (items == MaxItems) {
        nothingKept(kWalkError + QStringLiteral("%1 kayıttan fazla - ").arg(MaxItems) +
                    kNothingReplaced);
        return TBackupOutcome::TooManyItems;
      }
      ++items;
      // The privilege kept is the one the item read gives.
      const bool read = ReadItem(Sdk, Working, report, n, b, p);
      QString name;
      Sdk.FK_GetUserName(n, name);
      // An item the terminal did not deliver is never stored: a later restore
      // would write the zeros over the user's real template.
      if (read) {
        if (StoreEnrollRecord(Store, report, n, b, p, name, Working.TemplateBuffer)) ++listed;
      } else {
        ++skipped;
      }
      Names.Add(ZeroFill(QString::number(n), 5), name);
      CheckActive(data, names);
    }
    // "No data" at once is the end of an empty terminal's walk.
    const bool complete = Sdk.SdkResult() == FKResult::EndOfData ||
                          (Sdk.SdkResult() == FKResult::NoData && items == 0);
    if (!complete) {
      nothingKept(kWalkError + ResultText(Sdk.SdkResult()) + QStringLiteral(" - ") +
                  kNothingReplaced);
      return TBackupOutcome::WalkBroken;
    }
    commit();
    if (skipped > 0) {
      report.Status(kWalkError + QString::number(skipped));
      return TBackupOutcome::ItemsSkipped;
    }
    report.Status(QStringLiteral("GetEnrollData OK"));
    return items == 0 ? TBackupOutcome::Empty : TBackupOutcome::Completed;
  } catch (const EAppError&) {
    // The error itself is shown by whoever handles it; the status line says
    // what became of the store.
    nothingKept(kWalkError + kNothingReplaced);
    throw;
  }
}
