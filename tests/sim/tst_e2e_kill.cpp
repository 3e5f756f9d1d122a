// A command-line download killed with SIGKILL in the middle of its walk, then
// run again against the same vterminal: every record the terminal holds is
// in the files. Only the records of the fetch in flight at the kill (one
// fetch of the library: at most 16,384 records) may arrive twice; a record
// the terminal counts as delivered is never missing.
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
    ::kill(static_cast<pid_t>(first->processId()), SIGKILL);
    QVERIFY(first->waitForFinished(10000));
    QCOMPARE(first->exitStatus(), QProcess::CrashExit);
    // What the terminal counts as delivered is settled once it saw the
    // connection go.
    while (!vt.events().contains(QStringLiteral("# connection closed by the client")) &&
           waited.elapsed() < 60000)
      QThread::msleep(10);

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
};

QTEST_MAIN(TestE2EKill)
#include "tst_e2e_kill.moc"
