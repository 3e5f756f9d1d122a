// The program over a temporary folder, connected to the fake terminal, with
// helpers to seed and read the enroll-data store and the name list.
#pragma once
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include "TestProgram.h"
#include "enrolldata/EnrollRecord.h"

struct StoredRow {
  int EnrollNumber, FingerNumber, Privilige;
  QString Name;
  QByteArray FPdata;
};

// Template bytes that differ per item, so a swapped or cut template shows.
inline QByteArray Pattern(int Size, int Seed) {
  QByteArray b(Size, '\0');
  for (int i = 0; i < Size; ++i) b[i] = static_cast<char>((i * 7 + Seed * 31) & 0xFF);
  return b;
}

class EnrolProgram : public TestProgram {
 public:
  EnrolProgram() {
    Start();
    TConnInfo info;
    info.Kind = QStringLiteral("LAN");
    info.MachineNumber = 1;
    Session().Connect(info, QStringLiteral("Ana Kapı"));
    FakeSdk.Calls.clear();
  }
  TfrmEnrol& W() { return *Program->Enrol; }
  QString DataFile() const { return Folder.File(QStringLiteral("Data.mdb")); }
  QString LogFile() const { return Folder.File(QStringLiteral("Log.mdb")); }

  void Store(int N, int B, int P, const QString& Name, const QByteArray& Bytes) {
    ExecOn(DataFile(),
           QStringLiteral("insert into tblEnroll (EnrollNumber,FingerNumber,Privilige,Name,FPdata) "
                          "values (?,?,?,?,?)"),
           {N, B, P, Name, Bytes});
  }
  void AddName(const QString& Kartno, const QString& Isim) {
    ExecOn(LogFile(), QStringLiteral("insert into temp (kartno,isim) values (?,?)"),
           {Kartno, Isim});
  }
  // Shows the window as the main window's button does, and forgets the calls.
  void Show() {
    W().FormShow();
    FakeSdk.Calls.clear();
    Dialogs->Shown.clear();
  }

  QList<StoredRow> StoredRows() {
    QList<StoredRow> rows;
    Query(DataFile(),
          QStringLiteral("select EnrollNumber,FingerNumber,Privilige,Name,FPdata from "
                         "tblEnroll order by rowid"),
          [&](QSqlQuery& q) {
            rows.append({q.value(0).toInt(), q.value(1).toInt(), q.value(2).toInt(),
                         q.value(3).toString(), q.value(4).toByteArray()});
          });
    return rows;
  }
  QStringList Names() {
    QStringList names;
    Query(LogFile(), QStringLiteral("select kartno,isim from temp order by rowid"),
          [&](QSqlQuery& q) {
            names << q.value(0).toString() + QLatin1Char('|') + q.value(1).toString();
          });
    return names;
  }
  QStringList Lines(QListWidget* List) {
    QStringList lines;
    for (int i = 0; i < List->count(); ++i) lines << List->item(i)->text();
    return lines;
  }

 private:
  template <class F>
  static void Query(const QString& File, const QString& Statement, F Row) {
    const QString name = QStringLiteral("read:") + File;
    {
      QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
      db.setDatabaseName(File);
      QVERIFY(db.open());
      QSqlQuery q(db);
      QVERIFY(q.exec(Statement));
      while (q.next()) Row(q);
    }
    QSqlDatabase::removeDatabase(name);
  }
};
