// Data.mdb and Log.mdb as operators handle them: copied alone after a
// backup, copied over one another, kept in a folder that cannot be written.
// The programs that write them are real processes killed with kill -9.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QThread>
#include <cstdio>
#include <memory>
#include <optional>

#include "ReadOnlyFolder.h"
#include "TestFolder.h"
#include "cli/CommandLine.h"
#include "data/DM.h"
#include "data/Transaction.h"

namespace {

const QString kInsertEnroll = QStringLiteral(
    "insert into tblEnroll (EnrollNumber, FingerNumber, Privilige, Name, FPdata) "
    "values (?, 0, 0, 'Ayşe', ?)");

// Writes into File as Kind says, prints "committed" and waits to be killed.
//   transaction  3 rows in one transaction of this program
//   statement    1 row in a statement of its own
//   earlier      200 rows of 2 KiB as the earlier version wrote them: into a
//                log beside the file (write-ahead log mode)
//   unfinished   a transaction that replaces every row by 2,000 new ones,
//                more than the page cache holds, and is never committed
//   renaming     a transaction that renames every row in place, more than
//                the page cache holds, and is never committed
int CommitAndWait(const QString& Kind, const QString& File) {
  const QByteArray bytes(2048, 'x');
  TADOConnection connection;               // open until the end: the kill closes it
  std::optional<TTransaction> unfinished;  // never committed: the kill ends it
  if (Kind == QLatin1String("earlier")) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
    db.setDatabaseName(File);
    if (!db.open()) return 2;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !db.transaction()) return 2;
    for (int n = 1; n <= 200; ++n) {
      q.prepare(kInsertEnroll);
      q.addBindValue(n);
      q.addBindValue(bytes);
      if (!q.exec()) return 2;
    }
    if (!db.commit()) return 2;
  } else {
    try {
      connection.Open(File);
      QString error;
      if (Kind == QLatin1String("renaming")) {
        unfinished.emplace(connection);
        connection.Run(QStringLiteral("update tblEnroll set Name = 'Ay'"), {}, error);
      } else if (Kind == QLatin1String("unfinished")) {
        unfinished.emplace(connection);
        connection.Run(QStringLiteral("delete from tblEnroll"), {}, error);
        for (int n = 1; n <= 2000 && error.isEmpty(); ++n)
          connection.Run(kInsertEnroll, {n, bytes}, error);
      } else if (Kind == QLatin1String("transaction")) {
        TTransaction t(connection);
        for (int n = 1; n <= 3; ++n) connection.Run(kInsertEnroll, {n, bytes}, error);
        t.Commit();
      } else {
        connection.Run(kInsertEnroll, {1, bytes}, error);
      }
      if (!error.isEmpty()) return 2;
    } catch (const EAppError&) {
      return 2;
    }
  }
  std::printf("committed\n");  // or, unfinished, as far as it goes
  std::fflush(stdout);
  for (;;) QThread::sleep(60);
}

// Runs CommitAndWait in a child; null when it did not get as far.
std::unique_ptr<QProcess> StartWriter(const QString& Kind, const QString& File) {
  auto child = std::make_unique<QProcess>();
  child->start(QCoreApplication::applicationFilePath(), {"--commit-and-wait", Kind, File});
  bool committed = false;
  while (!committed && child->waitForReadyRead(30000))
    committed = child->readAllStandardOutput().contains("committed");
  if (committed) return child;
  child->kill();
  child->waitForFinished();
  return nullptr;
}

// Kills the child with SIGKILL (TerminateProcess on Windows): it closes
// nothing.
void Kill(QProcess& Child) {
  Child.kill();
  Child.waitForFinished();
}

bool CommitAndKill(const QString& Kind, const QString& File) {
  const std::unique_ptr<QProcess> child = StartWriter(Kind, File);
  if (child) Kill(*child);
  return child != nullptr;
}

// Rows of Table in a copy of File alone, without anything beside it; -1
// when the copy cannot be read.
int RowsInFileAlone(const QString& File, const QString& Table) {
  QTemporaryDir elsewhere;
  const QString copy = elsewhere.filePath(QStringLiteral("copy.mdb"));
  if (!QFile::copy(File, copy)) return -1;
  int rows = -1;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("alone"));
    db.setDatabaseName(copy);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (db.open()) {
      QSqlQuery q(db);
      if (q.exec(QStringLiteral("select count(*) from ") + Table) && q.next())
        rows = q.value(0).toInt();
    }
  }
  QSqlDatabase::removeDatabase(QStringLiteral("alone"));
  return rows;
}

// Adds Count rows of 2 KiB to tblEnroll of File, numbered from First, all
// named "Ad".
void FillEnroll(const QString& File, int Count, int First) {
  ExecOn(
      File,
      QStringLiteral("with recursive r(n) as (select 0 union all select n + 1 from r "
                     "where n + 1 < ?) insert into tblEnroll (EnrollNumber, FingerNumber, "
                     "Privilige, Name, FPdata) select n + ?, 0, 0, 'Ad', randomblob(2048) from r"),
      {Count, First});
}

int Rows(TConnection& Connection, const QString& Statement) {
  QString error;
  QSqlQuery q = Connection.Run(Statement, {}, error);
  return error.isEmpty() && q.next() ? q.value(0).toInt() : -1;
}

QStringList Entries(const TestFolder& Folder) {
  return QDir(Folder.Path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// The file as the earlier version left it: in log mode.
void InLogMode(const QString& File) {
  ExecOn(File, QStringLiteral("PRAGMA journal_mode=WAL"));
}

}  // namespace

class TestDataFiles : public QObject {
  Q_OBJECT
 private slots:
  // What a program killed right after a commit leaves is in the file
  // itself, whichever way it committed, also for a file the earlier
  // version left in log mode; nothing is left beside the file.
  void fileAloneHoldsEveryCommit_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("earlierFile");
    QTest::addColumn<int>("rows");
    QTest::newRow("transaction") << "transaction" << false << 3;
    QTest::newRow("statement of its own") << "statement" << false << 1;
    QTest::newRow("file of the earlier version") << "transaction" << true << 3;
  }
  void fileAloneHoldsEveryCommit() {
    QFETCH(QString, kind);
    QFETCH(bool, earlierFile);
    QFETCH(int, rows);
    TestFolder folder;
    folder.CreateDatabases();
    const QString data = folder.File(QStringLiteral("Data.mdb"));
    if (earlierFile) InLogMode(data);
    QVERIFY(CommitAndKill(kind, data));
    QCOMPARE(RowsInFileAlone(data, QStringLiteral("tblEnroll")), rows);
    QCOMPARE(Entries(folder), (QStringList{"Data.mdb", "Log.mdb"}));
  }

  // The rows the earlier version committed into its log before it died are
  // this file's own: they are read, and written into the file, and the log
  // goes.
  void logOfTheSameFileIsKept() {
    TestFolder folder;
    folder.CreateDatabases();
    const QString data = folder.File(QStringLiteral("Data.mdb"));
    InLogMode(data);
    QVERIFY(CommitAndKill(QStringLiteral("earlier"), data));
    QVERIFY(QFile::exists(data + QStringLiteral("-wal")));

    TADOConnection connection;
    connection.Open(data);
    QCOMPARE(connection.Notice(), QString());
    QCOMPARE(Rows(connection, QStringLiteral("select count(*) from tblEnroll")), 200);
    QCOMPARE(RowsInFileAlone(data, QStringLiteral("tblEnroll")), 200);
    QCOMPARE(Entries(folder), (QStringList{"Data.mdb", "Log.mdb"}));
  }

  // The earlier version died with rows in its log; then the operator copied
  // another Data.mdb over the file. The log is not mixed into it: the file
  // reads as copied, the log is kept under another name, and the operator
  // is told. Windows keeps a copied file's time, so the log must also be
  // told apart by what it holds.
  void logOfAnotherFileIsSetAside_data() {
    QTest::addColumn<bool>("keepsOldTime");
    QTest::newRow("copied over") << false;
    QTest::newRow("copied over keeping its time") << true;
  }
  void logOfAnotherFileIsSetAside() {
    QFETCH(bool, keepsOldTime);
    TestFolder folder;
    folder.CreateDatabases();
    const QString data = folder.File(QStringLiteral("Data.mdb"));
    InLogMode(data);
    QVERIFY(CommitAndKill(QStringLiteral("earlier"), data));
    const QByteArray log = folder.ReadFile(QStringLiteral("Data.mdb-wal"));

    TestFolder other;
    other.CreateDatabases(true, false);
    other.AddTerminal(QStringLiteral("Başka"), QStringLiteral("1"), QStringLiteral("ethernet"));
    InLogMode(other.File(QStringLiteral("Data.mdb")));
    QVERIFY(QFile::remove(data));
    QVERIFY(QFile::copy(other.File(QStringLiteral("Data.mdb")), data));
    if (keepsOldTime) {
      // Only what the log holds tells it apart then.
      QFile wal(data + QStringLiteral("-wal"));
      QVERIFY(wal.open(QIODevice::ReadWrite));
      QVERIFY(wal.setFileTime(QDateTime::currentDateTime().addSecs(3600),
                              QFileDevice::FileModificationTime));
    }

    TfrmDM dm;
    QStringList told;
    dm.OpenLocalDatabases(folder.Path(), [&](const QString& Text) { told << Text; });
    QCOMPARE(Rows(dm.ADOConnection1, QStringLiteral("select count(*) from tblEnroll")), 0);
    QCOMPARE(dm.qrycihaz.RecordCount(), 1);
    QCOMPARE(dm.qrycihaz.FieldByName(QStringLiteral("Terminal")).AsString(),
             QStringLiteral("Başka"));
    const QStringList aside =
        QDir(folder.Path()).entryList({QStringLiteral("Data.mdb-wal.ayrildi-*")}, QDir::Files);
    QCOMPARE(aside.size(), 1);
    QCOMPARE(folder.ReadFile(aside[0]), log);
    QVERIFY(!QFile::exists(data + QStringLiteral("-wal")));
    QCOMPARE(told.size(), 1);
    QVERIFY2(told[0].contains(aside[0]) && told[0].contains(QStringLiteral("katılmadı")),
             qPrintable(told[0]));
  }

  // The program died in the middle of a transaction and left its journal.
  // On the same file the transaction is undone; when the operator copied
  // another Data.mdb over it meanwhile, the journal is not played into that
  // one: it is set aside and the operator is told.
  void unfinishedTransactionsJournal_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("rows");  // in the file before the transaction
    QTest::addColumn<bool>("copiedOver");
    QTest::newRow("same file") << "unfinished" << 5 << false;
    QTest::newRow("another file copied over") << "unfinished" << 5 << true;
    // Renaming in place leaves page 1 alone: the journal holds no copy of it.
    QTest::newRow("renamed in place, same file") << "renaming" << 2000 << false;
    QTest::newRow("renamed in place, another file copied over") << "renaming" << 2000 << true;
  }
  void unfinishedTransactionsJournal() {
    QFETCH(QString, kind);
    QFETCH(int, rows);
    QFETCH(bool, copiedOver);
    TestFolder folder;
    folder.CreateDatabases();
    const QString data = folder.File(QStringLiteral("Data.mdb"));
    FillEnroll(data, rows, 1);
    QVERIFY(CommitAndKill(kind, data));
    QVERIFY(QFile::exists(data + QStringLiteral("-journal")));
    const QByteArray journal = folder.ReadFile(QStringLiteral("Data.mdb-journal"));

    TestFolder other;
    other.CreateDatabases(true, false);
    // A history of its own: more commits than the first file had.
    for (int first = 11; first < 41; first += 10)
      FillEnroll(other.File(QStringLiteral("Data.mdb")), 10, first);
    if (copiedOver) {
      QVERIFY(QFile::remove(data));
      QVERIFY(QFile::copy(other.File(QStringLiteral("Data.mdb")), data));
    }

    TADOConnection connection;
    connection.Open(data);
    QCOMPARE(Rows(connection, QStringLiteral("select count(*) from tblEnroll")),
             copiedOver ? 30 : rows);
    QCOMPARE(Rows(connection, QStringLiteral("select count(*) from tblEnroll where Name <> 'Ad'")),
             0);
    QCOMPARE(Rows(connection, QStringLiteral("select min(EnrollNumber) from tblEnroll")),
             copiedOver ? 11 : 1);
    QCOMPARE(Rows(connection, QStringLiteral("select count(*) from pragma_integrity_check "
                                             "where integrity_check <> 'ok'")),
             0);
    QVERIFY(!QFile::exists(data + QStringLiteral("-journal")));
    const QStringList aside =
        QDir(folder.Path()).entryList({QStringLiteral("Data.mdb-journal.ayrildi-*")}, QDir::Files);
    if (!copiedOver) {
      QCOMPARE(aside, QStringList());
      QCOMPARE(connection.Notice(), QString());
      return;
    }
    QCOMPARE(aside.size(), 1);
    QCOMPARE(folder.ReadFile(aside[0]), journal);
    QVERIFY2(connection.Notice().contains(aside[0]), qPrintable(connection.Notice()));
  }

  // The journal of a transaction another program is still writing is no
  // leftover: it stays, and the file opens once that program is gone.
  void journalOfARunningTransactionStays() {
    TestFolder folder;
    folder.CreateDatabases();
    const QString data = folder.File(QStringLiteral("Data.mdb"));
    for (int n = 1; n <= 5; ++n) ExecOn(data, kInsertEnroll, {n, QByteArray(2048, 'a')});
    const std::unique_ptr<QProcess> writer = StartWriter(QStringLiteral("unfinished"), data);
    QVERIFY(writer);
    {
      TADOConnection connection;
      QVERIFY(ErrorOf([&] { connection.Open(data); }).contains(QStringLiteral("locked")));
      QCOMPARE(connection.Notice(), QString());
    }
    QVERIFY(QFile::exists(data + QStringLiteral("-journal")));
    Kill(*writer);
    TADOConnection connection;
    connection.Open(data);
    QCOMPARE(Rows(connection, QStringLiteral("select count(*) from tblEnroll")), 5);
    QCOMPARE(Entries(folder), (QStringList{"Data.mdb", "Log.mdb"}));
  }

  // A program folder that cannot be written reads: the terminal list, the
  // names, the command line's check; the first write fails naming the folder
  // and leaves the files as they were. Another file's log left beside
  // Data.mdb is not read with it, and the operator is told.
  void readOnlyFolderReads_data() {
    QTest::addColumn<bool>("earlierFiles");
    QTest::addColumn<bool>("strayLog");
    QTest::newRow("files of this version") << false << false;
    QTest::newRow("files the earlier version left in log mode") << true << false;
    QTest::newRow("another file's log beside Data.mdb") << true << true;
  }
  void readOnlyFolderReads() {
    QFETCH(bool, earlierFiles);
    QFETCH(bool, strayLog);
    TestFolder folder;
    folder.CreateDatabases();
    folder.AddTerminal(QStringLiteral("Giriş"), QStringLiteral("1"), QStringLiteral("ethernet"),
                       QStringLiteral("1"), QStringLiteral("9600"), QStringLiteral("127.0.0.1"),
                       QStringLiteral("1"));
    ExecOn(folder.File(QStringLiteral("Log.mdb")),
           QStringLiteral("insert into temp (kartno, isim) values ('00042', 'Ali')"));
    if (earlierFiles) {
      InLogMode(folder.File(QStringLiteral("Data.mdb")));
      InLogMode(folder.File(QStringLiteral("Log.mdb")));
    }
    if (strayLog) {
      TestFolder other;
      other.CreateDatabases(true, false);
      InLogMode(other.File(QStringLiteral("Data.mdb")));
      QVERIFY(CommitAndKill(QStringLiteral("earlier"), other.File(QStringLiteral("Data.mdb"))));
      QVERIFY(QFile::copy(other.File(QStringLiteral("Data.mdb-wal")),
                          folder.File(QStringLiteral("Data.mdb-wal"))));
    }
    const QStringList before = Entries(folder);
    ReadOnlyFolder readOnly(folder.Path());
    if (!readOnly.Mounted())
      QSKIP(qPrintable(QStringLiteral("no read-only folder: ") + readOnly.Error()));

    // The check reads the list; the terminal, which answers nowhere, fails
    // as a terminal (1), not as an unreadable file (2).
    const TProgramOptions check =
        ReadProgramOptions({QStringLiteral("meridox"), QStringLiteral("--folder"), folder.Path(),
                            QStringLiteral("--check")});
    QCOMPARE(RunCommandLine(check), int(kExitTerminalFailed));

    TfrmDM dm;
    QStringList told;
    dm.OpenLocalDatabases(folder.Path(), [&](const QString& Text) { told << Text; });
    QCOMPARE(told.size(), strayLog ? 1 : 0);
    if (strayLog)
      QVERIFY2(told[0].contains(QStringLiteral("katılmadı, klasöre yazılamadığı için yerinde")),
               qPrintable(told[0]));
    QCOMPARE(Rows(dm.ADOConnection1, QStringLiteral("select count(*) from tblEnroll")), 0);
    QCOMPARE(dm.qrycihaz.RecordCount(), 1);
    QCOMPARE(dm.qrycihaz.FieldByName(QStringLiteral("Terminal")).AsString(),
             QStringLiteral("Giriş"));
    dm.Names.Open(QString());
    QCOMPARE(dm.qryisim.RecordCount(), 1);

    const QString folderName = QDir::toNativeSeparators(QDir(folder.Path()).absolutePath());
    const QString error = ErrorOf([&] {
      dm.Terminals.Insert(
          {QStringLiteral("Yeni"), QStringLiteral("2"), QStringLiteral("usb"), {}, {}, {}, {}, {}});
    });
    QVERIFY2(error.contains(QStringLiteral("Klasöre yazılamıyor: ") + folderName),
             qPrintable(error));
    QVERIFY2(ErrorOf([&] { dm.Names.Clear(); }).contains(folderName), "Log.mdb names the folder");
    QCOMPARE(Entries(folder), before);
  }
};

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc == 4 && qstrcmp(argv[1], "--commit-and-wait") == 0)
    return CommitAndWait(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
  TestDataFiles test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_datafiles.moc"
