#include "TestFolder.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include "data/Schema.h"
#include "data/TurkishText.h"

namespace {

// Runs Work on a connection of its own to FileName, then drops it.
template <class F>
void WithConnection(const QString& FileName, F Work) {
  const QString name = QStringLiteral("test:") + FileName;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(FileName);
    if (!db.open()) qFatal("cannot open %s", qPrintable(FileName));
    RegisterTurkishText(db);
    Work(db);
    db.close();
  }
  QSqlDatabase::removeDatabase(name);
}

}  // namespace

void CreateDatabase(const QString& FileName, const QString& SchemaName) {
  // The routine the build's mkdatabases runs (data/Schema.h), so the tests
  // get exactly the tables of a fresh program folder.
  try {
    CreateDatabaseFromSchema(
        FileName, QStringLiteral(MERIDOX_SCHEMA_DIR "/") + SchemaName + QStringLiteral(".sql"));
  } catch (const std::exception& e) {
    qFatal("%s", e.what());
  }
}

void ExecOn(const QString& FileName, const QString& Statement, const QVariantList& Params) {
  WithConnection(FileName, [&](QSqlDatabase& db) {
    QSqlQuery q(db);
    q.prepare(Statement);
    for (const QVariant& p : Params) q.addBindValue(p);
    if (!q.exec()) qFatal("%s: %s", qPrintable(Statement), qPrintable(q.lastError().text()));
  });
}

TestFolder::TestFolder() {
  QVERIFY2(dir_.isValid(), "temporary folder");
}

void TestFolder::CreateDatabases(bool Data, bool Log) {
  if (Data) CreateDatabase(File(QStringLiteral("Data.mdb")), QStringLiteral("Data"));
  if (Log) CreateDatabase(File(QStringLiteral("Log.mdb")), QStringLiteral("Log"));
}

void TestFolder::WriteFile(const QString& Name, const QByteArray& Bytes) const {
  QFile f(File(Name));
  if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(Name));
  f.write(Bytes);
}

QByteArray TestFolder::ReadFile(const QString& Name) const {
  QFile f(File(Name));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestFolder::AddTerminal(const QString& Name, const QString& No, const QString& Tip,
                             const QString& ComPort, const QString& ComBaud, const QString& Ip,
                             const QString& NetPort, const QString& Sifre) {
  ExecOn(File(QStringLiteral("Data.mdb")),
         QStringLiteral("insert into Terminal (Terminal,TerminalNo,Tip,ComPort,ComBaud,Ip,NetPort,"
                        "Sifre) values (?,?,?,?,?,?,?,?)"),
         {Name, No, Tip, ComPort, ComBaud, Ip, NetPort, Sifre});
}
