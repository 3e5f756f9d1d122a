#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include "TestFolder.h"
#include "common/Errors.h"
#include "data/Schema.h"

namespace {

QStringList Entries(const TestFolder& Folder) {
  return QDir(Folder.Path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// Reads one number from a database file through a connection of its own.
int ScalarOn(const QString& FileName, const QString& Statement) {
  int value = -1;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
    db.setDatabaseName(FileName);
    if (db.open()) {
      QSqlQuery q(db);
      if (q.exec(Statement) && q.next()) value = q.value(0).toInt();
    }
  }
  QSqlDatabase::removeDatabase(QStringLiteral("check"));
  return value;
}

}  // namespace

class TestSchema : public QObject {
  Q_OBJECT
 private slots:
  void splitsStatements_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("statements");
    QTest::newRow("comments") << "-- a; b\nCREATE TABLE t (a); /* x; y */ DROP TABLE t;"
                              << QStringList{"CREATE TABLE t (a)", "DROP TABLE t"};
    QTest::newRow("quoted ;") << "INSERT INTO t VALUES ('a;''b', \"c;\", [d;]);"
                              << QStringList{"INSERT INTO t VALUES ('a;''b', \"c;\", [d;])"};
    QTest::newRow("no closing ;") << "PRAGMA x;\n\nSELECT 1\n"
                                  << QStringList{"PRAGMA x", "SELECT 1"};
    QTest::newRow("trigger body")
        << "CREATE TEMP TRIGGER g AFTER INSERT ON t BEGIN UPDATE t SET a=1; DELETE FROM u; END;"
           "SELECT 1;"
        << QStringList{
               "CREATE TEMP TRIGGER g AFTER INSERT ON t BEGIN UPDATE t SET a=1; DELETE "
               "FROM u; END",
               "SELECT 1"};
  }
  void splitsStatements() {
    QFETCH(QString, script);
    QFETCH(QStringList, statements);
    QCOMPARE(SplitSqlScript(script), statements);
  }

  // The program's own scripts give working tables, and the folder holds the
  // database alone: no temporary or journal file is left behind.
  void createsTheProgramDatabases() {
    TestFolder folder;
    folder.CreateDatabases();
    QCOMPARE(Entries(folder), (QStringList{"Data.mdb", "Log.mdb"}));
    const QString data = folder.File(QStringLiteral("Data.mdb"));
    QCOMPARE(ScalarOn(data, QStringLiteral("select count(*) from Terminal")), 0);
    QCOMPARE(ScalarOn(data, QStringLiteral("select count(*) from tblEnroll")), 0);
    QCOMPARE(ScalarOn(folder.File(QStringLiteral("Log.mdb")),
                      QStringLiteral("select count(*) from temp")),
             0);
  }

  // A failure leaves the folder as it was: an existing database untouched,
  // no half-made file.
  void failureLeavesFolderAsItWas_data() {
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<bool>("existing");
    QTest::addColumn<QString>("reason");
    const QByteArray good("CREATE TABLE t (a);\n");
    QTest::newRow("existing database") << good << true << "the file already exists";
    QTest::newRow("bad statement") << QByteArray("CREATE TABLE t (a);\nCREATE TABLE t (b);\n")
                                   << false << "table t already exists";
    QTest::newRow("missing script") << QByteArray() << false << "cannot read";
    QTest::newRow("comments only") << QByteArray("-- nothing\n") << false << "holds no statement";
  }
  void failureLeavesFolderAsItWas() {
    QFETCH(QByteArray, script);
    QFETCH(bool, existing);
    QFETCH(QString, reason);
    TestFolder folder;
    if (!script.isEmpty()) folder.WriteFile(QStringLiteral("s.sql"), script);
    if (existing) folder.WriteFile(QStringLiteral("Data.mdb"), "operator data");
    const QStringList before = Entries(folder);
    const QString target = folder.File(QStringLiteral("Data.mdb"));
    try {
      CreateDatabaseFromSchema(target, folder.File(QStringLiteral("s.sql")));
      QFAIL("no error");
    } catch (const EDatabaseError& e) {
      QVERIFY2(e.Text().startsWith(
                 QStringLiteral("Cannot create %1: ").arg(QDir::toNativeSeparators(target))),
               qPrintable(e.Text()));
      QVERIFY2(e.Text().contains(reason), qPrintable(e.Text()));
    }
    QCOMPARE(Entries(folder), before);
    if (existing)
      QCOMPARE(folder.ReadFile(QStringLiteral("Data.mdb")), QByteArray("operator data"));
  }
};

QTEST_MAIN(TestSchema)
#include "tst_schema.moc"
