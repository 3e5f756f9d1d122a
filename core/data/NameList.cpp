#include "data/NameList.h"

#include "data/DataSet.h"

TNameList::TNameList(TDataSet& List, TDataSet& Change, TDataSet& Rename)
    : list_(List), change_(Change), rename_(Rename) {}

TConnection& TNameList::Connection() const {
  return change_.Connection();
}

void TNameList::Open(const QString& SearchText) {
  const QString t = SearchText.trimmed();
  if (t.isEmpty()) {
    list_.OpenSQL(QStringLiteral("select * from temp order by kartno"));
  } else {
    list_.OpenSQL(QStringLiteral("select * from temp where isim like ? order by kartno"),
                  {t + QLatin1Char('%')});
  }
}

void TNameList::Clear() {
  change_.ExecuteSQL(QStringLiteral("delete FROM temp"));
}

void TNameList::Add(const QString& CardNo, const QString& Name) {
  change_.ExecuteSQL(QStringLiteral("insert into temp(kartno,isim) values (?,?)"), {CardNo, Name});
}

void TNameList::SetName(const QString& CardNo, const QString& Name) {
  rename_.ExecuteSQL(QStringLiteral("update temp set isim=? where kartno=?"), {Name, CardNo});
}
