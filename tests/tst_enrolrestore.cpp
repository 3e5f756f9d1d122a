// The restores' guards, in the core against the fake terminal: when the
// store may not be sent at all, the terminal gets no call (not even the
// disable), the working template stays, and the status line says why.
#include <QTest>

#include "RecordingReport.h"
#include "TestFolder.h"
#include "data/DataSet.h"
#include "enrolldata/EnrollRestore.h"
#include "enrolldata/EnrollStore.h"

namespace {

const QString kOff = QStringLiteral("FK_EnableDevice(17,0)");
const QString kOn = QStringLiteral("FK_EnableDevice(17,1)");
const QString kClear = QStringLiteral("FK_ClearKeeperData(17)");
const QString kSave = QStringLiteral("FK_SaveEnrollData(17)");

// A stored row: user, backup number and the size of its template, -1 for
// none. A fingerprint shorter than 1680 bytes does not load.
using Row = QList<int>;

QStringList Sent(const QList<Row>& Rows) {
  QStringList calls;
  for (const Row& r : Rows)
    calls << QStringLiteral("FK_IsSupportedEnrollData(17,%1)").arg(r[1])
          << QStringLiteral("FK_PutEnrollData(17,%1,%2,0,ptr,0)").arg(r[0]).arg(r[1]);
  return calls;
}

// A restore's parts over a store holding Rows, read whole. The working
// template holds "kept", which a restore that sends nothing leaves.
struct TRestoreRun {
  TRestoreRun(TLocalDatabases& Db, const QList<Row>& Rows) : Store(Db.Data) {
    for (const Row& r : Rows)
      ExecOn(Db.Folder.File(QStringLiteral("Data.mdb")),
             QStringLiteral("insert into tblEnroll (EnrollNumber, FingerNumber, Privilige, "
                            "FPdata) values (?, ?, 0, ?)"),
             {r[0], r[1], r[2] < 0 ? QVariant() : QVariant(QByteArray(r[2], char(r[0])))});
    Store.OpenAll();
    Working.TemplateBuffer = QByteArray("kept");
  }
  TEnrollStore Store;
  TWorkingTemplate Working;
  TRecordingReport Report;
};

}  // namespace

class TestEnrolRestore : public QObject {
  Q_OBJECT
  std::unique_ptr<TDatabasesAndFakeTerminal> t;

 private slots:
  void init() { t = std::make_unique<TDatabasesAndFakeTerminal>(); }
  void cleanup() { t.reset(); }

  // With "clear first", the terminal is cleared only when the store has rows
  // and every one of them loads; otherwise it is not touched at all. Without
  // it, each row that does not load is logged and the others are sent.
  void fullRestoreClearsOnlyWhatItCanRefill_data() {
    QTest::addColumn<QList<Row>>("rows");
    QTest::addColumn<bool>("clearFirst");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("status");  // the last status line
    const QList<Row> good = {{1, 0, 1680}, {2, 10, 40}};
    QTest::newRow("every row loads: cleared, then sent")
        << good << true << QStringList{kOff, kClear} + Sent(good) + QStringList{kSave, kOn}
        << "EMachine = 000, ID = 002, FpNo = 10, Count = 2";
    QTest::newRow("empty store") << QList<Row>{} << true << QStringList{}
                                 << "Datada kayıt yok - terminal silinmedi";
    QTest::newRow("no row loads") << QList<Row>{{1, 0, 10}, {2, 0, 10}} << true << QStringList{}
                                  << "Datada yüklenemeyen 2 kayıt var (00001, 00002) - "
                                     "terminal silinmedi";
    QTest::newRow("one row of three does not load")
        << QList<Row>{{1, 0, 1680}, {2, 0, -1}, {3, 0, 1680}} << true << QStringList{}
        << "Datada yüklenemeyen 1 kayıt var (00002) - terminal silinmedi";
    QTest::newRow("a user named once, number 0, the first five named")
        << QList<Row>{{1, 0, 10}, {1, 1, 10}, {0, 0, 1680}, {3, 0, 10},
                      {4, 0, 10}, {5, 0, 10}, {6, 0, 10},   {7, 0, 1680}}
        << true << QStringList{}
        << "Datada yüklenemeyen 7 kayıt var (00001, 00000, 00003, 00004, 00005, ...) - "
           "terminal silinmedi";
    QTest::newRow("empty store, not clearing")
        << QList<Row>{} << false << QStringList{kOff, kSave, kOn} << "Working...";
    QTest::newRow("no row loads, not clearing")
        << QList<Row>{{1, 0, 10}, {2, 0, 1680}} << false
        << QStringList{kOff} + Sent({{2, 0}}) + QStringList{kSave, kOn} << "Conv Error : error";
  }
  void fullRestoreClearsOnlyWhatItCanRefill() {
    QFETCH(QList<Row>, rows);
    QFETCH(bool, clearFirst);
    QFETCH(QStringList, calls);
    QFETCH(QString, status);
    TRestoreRun run(t->Db, rows);
    TEnrollStore& store = run.Store;
    TWorkingTemplate& working = run.Working;
    TRecordingReport& report = run.Report;
    RestoreAllEnrollData(t->Sdk, working, store, clearFirst, report);
    QCOMPARE(FakeSdk.Calls, calls);
    QCOMPARE(report.Lines.last(), status);
    if (calls.isEmpty()) {
      QCOMPARE(report.Lines, (QStringList{"Working...", status}));
      QVERIFY(report.Log.isEmpty());
      QCOMPARE(working.TemplateBuffer, QByteArray("kept"));
    }
  }

  // A store holding the same user and backup number twice is not sent at
  // all, by either restore: the terminal keeps one item per pair, and the
  // later one would silently replace the first. The per-user restore only
  // looks at its user's rows, and refuses before asking about a row that
  // does not load.
  void itemStoredTwiceIsRefused_data() {
    QTest::addColumn<QList<Row>>("rows");
    QTest::addColumn<int>("user");  // 0: the whole store, with and without clearing
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("status");
    const QList<Row> twice = {{1, 0, 1680}, {2, 0, 1680}, {1, 1, 1680}, {1, 0, 1680}};
    const QString oneTwice =
        QStringLiteral("Datada çift kayıt var (0001-0) - terminale yükleme yapılmadı");
    QTest::newRow("whole store") << twice << 0 << QStringList{} << oneTwice;
    QTest::newRow("each pair named once")
        << QList<Row>{{2, 1, 1680}, {1, 0, 1680}, {1, 0, 1680}, {2, 1, 1680}, {1, 0, 1680}} << 0
        << QStringList{} << "Datada çift kayıt var (0001-0, 0002-1) - terminale yükleme yapılmadı";
    QTest::newRow("one copy does not load")
        << QList<Row>{{1, 0, 1680}, {1, 0, 10}} << 0 << QStringList{} << oneTwice;
    QTest::newRow("the user's item twice") << twice << 1 << QStringList{} << oneTwice;
    QTest::newRow("the user's item twice, one not loading: no question")
        << QList<Row>{{1, 0, 10}, {1, 0, 1680}} << 1 << QStringList{} << oneTwice;
    QTest::newRow("another user's item twice")
        << twice << 2 << QStringList{kOff, "FK_PutEnrollData(17,2,0,0,ptr,0)", kOn}
        << "EMachine = 000, ID = 002, FpNo = 0, Count = 1";
  }
  void itemStoredTwiceIsRefused() {
    QFETCH(QList<Row>, rows);
    QFETCH(int, user);
    QFETCH(QStringList, calls);
    QFETCH(QString, status);
    TRestoreRun run(t->Db, rows);
    TEnrollStore& store = run.Store;
    TWorkingTemplate& working = run.Working;
    TRecordingReport& report = run.Report;
    if (user == 0) {
      for (bool clearFirst : {false, true}) {
        FakeSdk.Calls.clear();
        RestoreAllEnrollData(t->Sdk, working, store, clearFirst, report);
        QCOMPARE(FakeSdk.Calls, calls);
        QCOMPARE(report.Lines.last(), status);
      }
    } else {
      TDataSet list(QStringLiteral("qryenroll"), t->Db.Data);
      list.OpenSQL(QStringLiteral("SELECT * FROM tblEnroll where EnrollNumber=?"), {user});
      TDataSet perUser(QStringLiteral("ADOEnroll"), t->Db.Data);
      RestoreUserEnrollData(t->Sdk, working, list, perUser, report);
      QCOMPARE(FakeSdk.Calls, calls);
      QCOMPARE(report.Lines.last(), status);
      QVERIFY(report.Shown.isEmpty());
    }
    if (calls.isEmpty()) {
      QVERIFY(report.Log.isEmpty());
      QCOMPARE(working.TemplateBuffer, QByteArray("kept"));
    }
  }
};

QTEST_MAIN(TestEnrolRestore)
#include "tst_enrolrestore.moc"
