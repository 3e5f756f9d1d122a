// A command-line download killed with SIGKILL in the middle of its walk, then
// run again against the same vterminal: every record the terminal holds is
// in the files. Only the records of the fetch in flight at the kill (one
// fetch of the library: at most 16,384 records) may arrive twice; a record
// the terminal counts as delivered is never missing.
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sys/stat.h>

#include <csignal>

#include "CommandLineFixture.h"
#include "E2EFixture.h"
#include "SimFixture.h"

namespace {

// Records the stand-in library fetches in one round trip.
constexpr int kFetch = 16384;

int Delivered(const VTerminal& Vt) {
  return Vt.state().value("records").toObject().value("delivered").toInt(-1);
}

bool Enabled(const VTerminal& Vt) {
  return Vt.state().value("enabled").toBool(true);
}

const QString kEnabledAtConnect = QStringLiteral(
    "Terminal yarıda kalan önceki bir işlemden devre dışı kalmıştı, yeniden etkinleştirildi....");

// kill -9 of the program, then the terminal seeing its connection go.
bool KillAndAwaitClose(QProcess& Program, const VTerminal& Vt) {
  ::kill(static_cast<pid_t>(Program.processId()), SIGKILL);
  if (!Program.waitForFinished(10000) || Program.exitStatus() != QProcess::CrashExit) return false;
  QElapsedTimer waited;
  waited.start();
  while (!Vt.events().contains(QStringLiteral("# connection closed by the client"))) {
    if (waited.elapsed() > 60000) return false;
    QThread::msleep(10);
  }
  return true;
}

}  // namespace

class TestE2EKill : public QObject {
  Q_OBJECT
 private slots:
  void killedDownloadLosesNothing() {
    QTemporaryDir dir;
    VTerminal vt(dir.path());
    // Three fetches (16,384, 16,384 and 7,232 records), each answered after a
    // wait, so the walk is still going when it is killed.
    QVERIFY2(vt.start({"--machine", "1", "--seed-users", "20", "--seed-records", "40000",
                       "--latency", "300"}),
             qPrintable(vt.error()));
    const QList<QByteArray> lines = TerminalLines(vt, 1);
    QCOMPARE(lines.size(), 40000);
    TestProgram t(true, TSdk::Library);
    InstallProgram(t.Folder);
    t.Folder.AddTerminal(QStringLiteral("T1"), QStringLiteral("1"), QStringLiteral("ethernet"), {},
                         {}, QStringLiteral("127.0.0.1"), QString::number(vt.port()));

    // Killed right after the terminal counted the first fetch as delivered
    // (on receiving the request for the second, it saves its state and
    // answers): a line the program still held in a buffer of its own would
    // be lost for good. The state file is watched closely so the kill comes
    // before the answer has been worked through.
    std::unique_ptr<QProcess> first(Launch(t.Folder, {"--download-all"}));
    const QByteArray state = QFile::encodeName(vt.statePath());
    QElapsedTimer waited;
    waited.start();
    struct stat seen {};
    while (waited.elapsed() < 60000) {
      struct stat now {};
      if (::stat(state.constData(), &now) != 0 ||
          (now.st_ino == seen.st_ino && now.st_mtim.tv_nsec == seen.st_mtim.tv_nsec)) {
        QThread::usleep(100);
        continue;
      }
      seen = now;
      if (Delivered(vt) >= kFetch) break;
    }
    QVERIFY2(Delivered(vt) >= kFetch, "the walk never got to its second fetch");
    // What the terminal counts as delivered is settled once it saw the
    // connection go.
    QVERIFY(KillAndAwaitClose(*first, vt));

    // Each file holds whole lines in the terminal's order, at least every
    // delivered one (the kill may fall between the files of one line).
    const int delivered = Delivered(vt);
    QList<int> written;
    for (const QString& file : {QStringLiteral("veri.txt"), BackupFile()}) {
      const QByteArray text = t.Folder.ReadFile(file);
      const int count = static_cast<int>(text.count('\n'));
      QCOMPARE(text, FileText(lines.mid(0, count)));
      QVERIFY2(
          count >= delivered,
          qPrintable(
              QStringLiteral("%1: %2 lines, %3 delivered").arg(file).arg(count).arg(delivered)));
      QVERIFY2(count - delivered <= kFetch, qPrintable(QString::number(count - delivered)));
      QVERIFY(count < lines.size());  // killed in the middle
      written << count;
    }

    // The second run gets what was not delivered: the lines of the fetch in
    // flight come twice, nothing is missing.
    const TRun run = RunCommandLine(t.Folder, {"--download-all"});
    QCOMPARE(run.Exit, 0);
    QCOMPARE(t.Folder.ReadFile(QStringLiteral("veri.txt")),
             FileText(lines.mid(0, written[0]) + lines.mid(delivered)));
    QCOMPARE(t.Folder.ReadFile(BackupFile()),
             FileText(lines.mid(0, written[1]) + lines.mid(delivered)));
    QVERIFY(vt.state().value("enabled").toBool());
  }

  // A program killed while its terminal is disabled leaves a note in the
  // program folder; the next connect to that terminal (command line or
  // window) enables it first and says so once. The other terminal of the
  // list, never disabled, gets no extra call.
  void terminalLeftDisabledIsEnabledAtTheNextConnect_data() {
    QTest::addColumn<QString>("next");
    QTest::addColumn<bool>("refused");  // the terminal refuses the enable
    QTest::newRow("--check") << "--check" << false;
    QTest::newRow("--check, enable refused") << "--check" << true;
    QTest::newRow("--download-all") << "--download-all" << false;
    QTest::newRow("window") << "window" << false;
  }
  void terminalLeftDisabledIsEnabledAtTheNextConnect() {
    QFETCH(QString, next);
    QFETCH(bool, refused);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("1") && QDir(dir.path()).mkpath("2"));
    VTerminal vt(dir.filePath("1")), other(dir.filePath("2"));
    // Two fetches, each answered after a wait: the walk is still going, the
    // terminal disabled, when the program is killed.
    QVERIFY2(vt.start({"--machine", "1", "--seed-users", "5", "--seed-records", "20000",
                       "--latency", "300"}),
             qPrintable(vt.error()));
    QVERIFY2(other.start({"--machine", "2"}), qPrintable(other.error()));
    TestProgram t(true, TSdk::Library);
    InstallProgram(t.Folder);
    t.Folder.AddTerminal(QStringLiteral("T1"), QStringLiteral("1"), QStringLiteral("ethernet"), {},
                         {}, QStringLiteral("127.0.0.1"), QString::number(vt.port()));
    t.Folder.AddTerminal(QStringLiteral("T2"), QStringLiteral("2"), QStringLiteral("ethernet"), {},
                         {}, QStringLiteral("127.0.0.1"), QString::number(other.port()));

    std::unique_ptr<QProcess> first(Launch(t.Folder, {"--download-all"}));
    QElapsedTimer waited;
    waited.start();
    while (Enabled(vt) && waited.elapsed() < 60000) QThread::usleep(500);
    QVERIFY2(!Enabled(vt), "the walk never disabled the terminal");
    QVERIFY(KillAndAwaitClose(*first, vt));
    QVERIFY(!Enabled(vt));
    const QDir notes(t.Folder.File(QStringLiteral("DevreDisi")));
    QCOMPARE(notes.entryList(QDir::Files).size(), 1);
    QVERIFY(other.journal().isEmpty());  // the batch never got to it
    const qsizetype before = vt.journal().size();

    if (refused) {
      // The same terminal (same state, same port) now refuses to be enabled.
      const QString port = QString::number(vt.port());
      QVERIFY(vt.stop());
      QVERIFY2(vt.start({"--machine", "1", "--port", port, "--fail", "FK_EnableDevice:-6"}),
               qPrintable(vt.error()));
    }
    QString firstLine;
    if (next == QLatin1String("window")) {
      t.Start();
      t.SelectTerminalRow(0);
      t.Main().BitBtn4->click();
      QVERIFY(Session().Connected());
      firstLine = t.Main().Memo4->toPlainText();
      t.Main().BitBtn4->click();
      t.SelectTerminalRow(1);
      t.Main().BitBtn4->click();
      QVERIFY(Session().Connected());
      QCOMPARE(t.Main().Memo4->toPlainText(), firstLine);  // said once, for T1 alone
      t.Main().BitBtn4->click();
      QCOMPARE(firstLine, kEnabledAtConnect);
    } else {
      const TRun run = RunCommandLine(t.Folder, {next});
      QCOMPARE(run.Exit, refused ? 1 : 0);
      QStringList lines = run.Out.split(QLatin1Char('\n'));
      // The check names the library in use first.
      if (next == QLatin1String("--check") &&
          lines.value(0).startsWith(QStringLiteral("Terminal kitaplığı: ")))
        lines.removeFirst();
      firstLine = lines.value(0);
      if (refused)
        QCOMPARE(firstLine, QStringLiteral("T1: HATA - Terminal yarıda kalan önceki bir işlemden "
                                           "devre dışı kalmıştı ve etkinleştirilemedi (execution "
                                           "of command failed.); cihazın tuş takımı ve "
                                           "okuyucusu kilitli...."));
      else if (next == QLatin1String("--check"))
        QCOMPARE(firstLine, QStringLiteral("T1: bağlantı başarılı - ") + kEnabledAtConnect);
      else
        QVERIFY2(firstLine.startsWith(QStringLiteral("T1: ")) &&
                     firstLine.endsWith(QStringLiteral(" kayıt aktarıldı - ") + kEnabledAtConnect),
                 qPrintable(firstLine));
      QVERIFY2(!lines.value(1).contains(QStringLiteral("etkinleştir")), qPrintable(run.Out));
    }
    // The enable comes right after the connect; the note goes with it.
    if (!refused) {
      const QStringList calls = vt.journal().mid(before);
      QVERIFY2(calls.value(1) == QStringLiteral("FK_EnableDevice(1) = 1"),
               qPrintable(calls.join(QLatin1Char('|'))));
      QVERIFY(Enabled(vt));
    }
    QCOMPARE(notes.entryList(QDir::Files).size(), refused ? 1 : 0);
    if (next != QLatin1String("--download-all"))
      QVERIFY2(other.journal().filter(QStringLiteral("FK_EnableDevice")).isEmpty(),
               qPrintable(other.journal().join(QLatin1Char('|'))));
  }
};

QTEST_MAIN(TestE2EKill)
#include "tst_e2e_kill.moc"
