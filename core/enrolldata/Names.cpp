#include "enrolldata/Names.h"

#include "common/Errors.h"
#include "data/DataSet.h"
#include "sdk/FKDefine.h"

QString ToAsciiName(const QString& Name) {
  static const QString turkish = QStringLiteral("çğıöşüÇĞİÖŞÜ");
  static const QString latin = QStringLiteral("cgiosuCGIOSU");
  QString out = Name;
  for (QChar& c : out) {
    const qsizetype i = turkish.indexOf(c);
    if (i >= 0) c = latin[i];
  }
  return out;
}

TSendResult SendUserName(TFKAttendObject& Sdk, TDataSet& List) {
  const QString card = List.FieldByName(QStringLiteral("kartno")).AsString();
  const QString name = List.FieldByName(QStringLiteral("isim")).AsString();
  if (name.isEmpty()) return TSendResult::Skipped;
  const int enrollNumber = StrToInt(card);
  return Sdk.FK_SetUserName(enrollNumber, ToAsciiName(name)) ? TSendResult::Sent
                                                             : TSendResult::Failed;
}

QString SendStatus(TSendResult Result) {
  switch (Result) {
    case TSendResult::Sent:
      return QStringLiteral("SetUserName OK");
    case TSendResult::Failed:
      return QStringLiteral("error");
    case TSendResult::Skipped:
      break;
  }
  return {};
}

int SendAllUserNames(TFKAttendObject& Sdk, TDataSet& List,
                     const std::function<void(const QString&)>& Status) {
  int failed = 0;
  for (List.First(); !List.Eof(); List.Next()) {
    const TSendResult result = SendUserName(Sdk, List);
    if (result == TSendResult::Failed) ++failed;
    if (result != TSendResult::Skipped) Status(SendStatus(result));
  }
  if (failed > 0) Status(QStringLiteral("error"));
  return failed;
}
