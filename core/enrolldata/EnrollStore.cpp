#include "enrolldata/EnrollStore.h"

#include "common/Errors.h"
#include "common/LibFunctions.h"
#include "sdk/FKDefine.h"

QString TrimName(const QString& Name) {
  int begin = 0, end = Name.size();
  while (begin < end && Name[begin].unicode() <= 0x20) ++begin;
  while (end > begin && Name[end - 1].unicode() <= 0x20) --end;
  return Name.mid(begin, end - begin);
}

QString ProgressLine(int EnrollNumber, int BackupNumber, int Count) {
  return QStringLiteral("EMachine = 00%1, ID = 00%2, FpNo = %3, Count = %4")
      .arg(0)
      .arg(EnrollNumber)
      .arg(BackupNumber)
      .arg(Count);
}

QString EmptyListText() {
  return QStringLiteral("Listede kayıt yok");
}

TEnrollStore::TEnrollStore(TConnection& Connection, QObject* Parent)
    : ads_(QStringLiteral("ads"), Connection, Parent),
      adsTmp_(QStringLiteral("adsTmp"), Connection, Parent) {}

void TEnrollStore::OpenAll() {
  ads_.OpenSQL(QStringLiteral("SELECT * FROM tblEnroll"));
}

void TEnrollStore::Close() {
  ads_.Close();
}

void TEnrollStore::Clear() {
  adsTmp_.ExecuteSQL(QStringLiteral("delete * from tblEnroll"));
}

bool TEnrollStore::Contains(int EnrollNumber, int BackupNumber) {
  adsTmp_.OpenSQL(QStringLiteral("SELECT COUNT(1) FROM tblEnroll WHERE EnrollNumber=? AND "
                                 "FingerNumber=?"),
                  {EnrollNumber, BackupNumber});
  const int count = adsTmp_.FieldByName(adsTmp_.FieldNames().value(0)).AsInteger();
  adsTmp_.Close();
  return count > 0;
}

void StoreEnrollRecord(TEnrollStore& S, TEnrollReport& Report, int EnrollNumber, int BackupNumber,
                       int Privilege, const QString& Name, const QByteArray& Template) {
  const QString pair =
      ZeroFill(QString::number(EnrollNumber), 4) + QLatin1Char('-') + QString::number(BackupNumber);
  TDataSet& rows = S.Rows();
  try {
    if (S.Contains(EnrollNumber, BackupNumber)) {
      Report.Status(QStringLiteral("Double ID : ") + pair);
      return;
    }
    rows.Append();
    rows.FieldByName(QStringLiteral("EnrollNumber")).SetAsInteger(EnrollNumber);
    rows.FieldByName(QStringLiteral("FingerNumber")).SetAsInteger(BackupNumber);
    rows.FieldByName(QStringLiteral("Privilige")).SetAsInteger(Privilege);
    rows.FieldByName(QStringLiteral("Name")).SetAsString(TrimName(Name));
    // Never a null value: an empty buffer is stored as an empty one.
    rows.FieldByName(QStringLiteral("FPdata"))
        .SetAsBytes(Template.isNull() ? QByteArray("", 0) : Template);
    rows.Post();
    Report.Status(pair);
    Report.ShowRecord(EnrollNumber, BackupNumber, Privilege);
    Report.StoredLine(QStringLiteral("%1-%2 ok").arg(EnrollNumber).arg(BackupNumber));
  } catch (const EAppError&) {
    // The row left unposted would be written by the next move of the store.
    rows.Cancel();
    throw;
  }
}

bool LoadEnrollRecord(TDataSet& Source, TEnrollReport& Report, EnrollRecord& Record,
                      TWorkingTemplate& Working) {
  if (!Source.Active() || Source.IsEmpty() || Source.RecNo() + 1 < 1) return false;
  const int number = Source.FieldByName(QStringLiteral("EnrollNumber")).AsInteger();
  if (number <= 0) return false;
  Record.EnrollNumber = number;
  Record.BackupNumber = Source.FieldByName(QStringLiteral("FingerNumber")).AsInteger();
  Record.Privilege = Source.FieldByName(QStringLiteral("Privilige")).AsInteger();
  Record.Name = Source.FieldByName(QStringLiteral("Name")).AsString();
  Report.ShowRecord(Record.EnrollNumber, Record.BackupNumber, Record.Privilege);
  const QByteArray stored = Source.FieldByName(QStringLiteral("FPdata")).AsBytes();
  Working.Reset(Record.BackupNumber);
  const int kept =
      qMin(static_cast<int>(stored.size()), static_cast<int>(Working.TemplateBuffer.size()));
  std::copy_n(stored.constData(), kept, Working.TemplateBuffer.data());
  return true;
}
