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

void StoreEnrollRecord(TEnrollStore& S, int EnrollNumber, int BackupNumber, int Privilege,
                       const QString& Name, const QByteArray& Template) {
  const QString pair =
      ZeroFill(QString::number(EnrollNumber), 4) + QLatin1Char('-') + QString::number(BackupNumber);
  try {
    S.Scratch.OpenSQL(QStringLiteral("SELECT COUNT(1) FROM tblEnroll WHERE EnrollNumber=? AND "
                                     "FingerNumber=?"),
                      {EnrollNumber, BackupNumber});
    const int count = S.Scratch.FieldByName(S.Scratch.FieldNames().value(0)).AsInteger();
    S.Scratch.Close();
    if (count > 0) {
      S.Report.Status(QStringLiteral("Double ID : ") + pair);
      return;
    }
    S.Store.Append();
    S.Store.FieldByName(QStringLiteral("EnrollNumber")).SetAsInteger(EnrollNumber);
    S.Store.FieldByName(QStringLiteral("FingerNumber")).SetAsInteger(BackupNumber);
    S.Store.FieldByName(QStringLiteral("Privilige")).SetAsInteger(Privilege);
    S.Store.FieldByName(QStringLiteral("Name")).SetAsString(TrimName(Name));
    // Never a null value: an empty buffer is stored as an empty one.
    S.Store.FieldByName(QStringLiteral("FPdata"))
        .SetAsBytes(Template.isNull() ? QByteArray("", 0) : Template);
    S.Store.Post();
    S.Report.Status(pair);
    S.Report.ShowRecord(EnrollNumber, BackupNumber, Privilege);
    S.Report.StoredLine(QStringLiteral("%1-%2 ok").arg(EnrollNumber).arg(BackupNumber));
  } catch (const EAppError&) {
    // The row left unposted would be written by the next move of the store.
    S.Store.Cancel();
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
