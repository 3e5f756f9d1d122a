#include "enrolldata/EnrollBackup.h"

#include "common/Cleanup.h"
#include "common/Dialogs.h"
#include "common/Errors.h"
#include "common/LibFunctions.h"
#include "data/Transaction.h"

namespace {

const QString kWholeStore = QStringLiteral("SELECT * FROM tblEnroll");
const QString kWalkError = QStringLiteral("ERROR, GetEnrollData :");
constexpr int kEndOfData = -7;

// Reads one item into the working template; asks again after each failure.
// False when the operator passes the item over.
bool ReadItem(TFKAttendObject& Sdk, int EnrollNumber, int BackupNumber, int& Privilege) {
  for (;;) {
    ResetTemplateBuffer(BackupNumber);
    if (Sdk.FK_GetEnrollData(EnrollNumber, BackupNumber, Privilege,
                             reinterpret_cast<unsigned char*>(TemplateBuffer.data()),
                             PasswordValue))
      return true;
    if (Dlg().MessageBox(QStringLiteral(": Continue ?"), QStringLiteral("GetEnrollData"),
                         MB_YESNO | MB_ICONQUESTION) != IDYES)
      return false;
  }
}

}  // namespace

TBackupOutcome BackupEnrollData(TFKAttendObject& Sdk, TEnrollStore& Store,
                                const TEnrollBackupTables& Tables) {
  // Whatever happens, the store view ends up showing what the file holds.
  // Declared first so it runs after the transactions have ended.
  TScopeExit reread([&Store] {
    try {
      Store.Store.OpenSQL(kWholeStore);
    } catch (const EAppError&) {
      Store.Store.Close();  // a closed view is reported by whoever uses it next
    }
  });
  // One transaction per file. The store's file is committed first: if that
  // fails, neither file changes; the names' commit that could still fail
  // after it leaves only the (re-creatable) name list at its earlier content.
  TTransaction data(Tables.ADOEnroll.ConnectionName());
  TTransaction names(Tables.Names.ConnectionName());

  Tables.ADOEnroll.ExecuteSQL(QStringLiteral("delete * from tblEnroll"));
  Tables.ADOEnroll.OpenSQL(kWholeStore);
  Tables.Names.ExecuteSQL(QStringLiteral("delete FROM temp"));
  Store.Store.OpenSQL(kWholeStore);

  TEnrollReport& report = Store.Report;
  if (!Sdk.FK_EnableDevice(0)) {
    report.Status(QStringLiteral("Bağlanamadı..."));
    return TBackupOutcome::NoDevice;
  }
  if (!Sdk.FK_ReadAllUserID()) {
    report.Status(QStringLiteral("ok"));
    Sdk.FK_EnableDevice(1);
    return TBackupOutcome::NoUserList;
  }
  report.Status(QStringLiteral("ReadAllUserID OK"));

  int skipped = 0;
  for (;;) {
    int n = 0, b = 0, p = 0, enabled = 0;
    if (!Sdk.FK_GetAllUserID(n, b, p, enabled)) break;
    // The privilege kept is the one the item read gives.
    const bool read = ReadItem(Sdk, n, b, p);
    QString name;
    Sdk.FK_GetUserName(n, name);
    // An item the terminal did not deliver is never stored: a later restore
    // would write the zeros over the user's real template.
    if (read) {
      StoreEnrollRecord(Store, n, b, p, name);
    } else {
      ++skipped;
    }
    Tables.Names.ExecuteSQL(QStringLiteral("insert into temp(kartno,isim) values (?,?)"),
                            {ZeroFill(QString::number(n), 5), name});
  }
  if (Sdk.SdkResult != kEndOfData) {
    report.Status(kWalkError + ResultText(Sdk.SdkResult));
    return TBackupOutcome::WalkBroken;
  }
  data.Commit();
  names.Commit();
  if (skipped > 0) {
    report.Status(kWalkError + QString::number(skipped));
    return TBackupOutcome::ItemsSkipped;
  }
  report.Status(QStringLiteral("GetEnrollData OK"));
  return TBackupOutcome::Completed;
}
