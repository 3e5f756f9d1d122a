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

bool StoreEnrollRecord(TEnrollStore& S, TEnrollReport& Report, int EnrollNumber, int BackupNumber,
                       int Privilege, const QString& Name, const QByteArray& Template) {
  const QString pair =
      ZeroFill(QString::number(EnrollNumber), 4) + QLatin1Char('-') + QString::number(BackupNumber);
  TDataSet& rows = S.Rows();
  try {
    if (S.Contains(EnrollNumber, BackupNumber)) {
      Report.Status(QStringLiteral("Double ID : ") + pair);
      return false;
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
    return true;
  } catch (const EAppError&) {
    // The row left unposted would be written by the next move of the store.
    rows.Cancel();
    throw;
  }
}

bool ReadEnrollRow(TDataSet& Source, EnrollRecord& Record, QByteArray& Template) {
  if (!Source.Active() || Source.IsEmpty() || Source.RecNo() + 1 < 1) return false;
  const int number = Source.FieldByName(QStringLiteral("EnrollNumber")).AsInteger();
  if (number <= 0) return false;
  const int backup = Source.FieldByName(QStringLiteral("FingerNumber")).AsInteger();
  const int privilege = Source.FieldByName(QStringLiteral("Privilige")).AsInteger();
  const QString name = Source.FieldByName(QStringLiteral("Name")).AsString();
  const TField data = Source.FieldByName(QStringLiteral("FPdata"));
  Record.EnrollNumber = number;
  Record.BackupNumber = backup;
  Record.Privilege = privilege;
  Record.Name = name;
  // The backup stores whole templates. A shorter value was damaged or
  // edited by hand: padded with zeros it would overwrite the user's real
  // template on the terminal.
  // A value that is not a BLOB was not written by a backup: hex digits or
  // text pasted into the column are no template, whatever their length.
  const int size = TemplateSize(backup);
  if (!data.IsBlob()) return false;
  const QByteArray stored = data.AsBytes();
  if (stored.size() < size) return false;
  // Shared with the row when it has the size already: nothing is copied.
  Template = stored.size() == size ? stored : stored.left(size);
  return true;
}

void CheckEnrollNumbers(TDataSet& Rows) {
  for (Rows.First(); !Rows.Eof(); Rows.Next()) {
    if (Rows.FieldByName(QStringLiteral("EnrollNumber")).AsInteger() <= 0) continue;
    Rows.FieldByName(QStringLiteral("FingerNumber")).AsInteger();
    Rows.FieldByName(QStringLiteral("Privilige")).AsInteger();
  }
  Rows.First();
}

void TakeEnrollRecord(const EnrollRecord& Record, const QByteArray& Template, TEnrollReport& Report,
                      TWorkingTemplate& Working) {
  Report.ShowRecord(Record.EnrollNumber, Record.BackupNumber, Record.Privilege);
  Working.TemplateBuffer = Template;
  Working.TemplateBuffer.detach();  // the library gets a buffer of its own
  Working.PasswordValue = 0;
}

bool LoadEnrollRecord(TDataSet& Source, TEnrollReport& Report, EnrollRecord& Record,
                      TWorkingTemplate& Working) {
  QByteArray bytes;
  if (!ReadEnrollRow(Source, Record, bytes)) return false;
  TakeEnrollRecord(Record, bytes, Report, Working);
  return true;
}
