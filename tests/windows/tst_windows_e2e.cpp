// The cross-built Windows program under Wine against a Linux vterminal: the
// console program's unattended download writes, byte for byte, the files the
// Linux program writes from a terminal holding the same records, prints the
// same lines and returns the same status, whichever way it reaches the SDK.
#include <QTemporaryDir>
#include <QTest>

#include "CommandLineFixture.h"
#include "E2EFixture.h"
#include "WindowsFixture.h"
#include "WineFixture.h"

namespace {

constexpr int kRecords = 20000;
const QString kTerminal = QStringLiteral("Ana Kapı");

struct TDownload {
  int Exit = -1;
  QString Out;
  QList<QByteArray> Files;  // veri.txt, the month's backup, veri2.txt
};

QList<QByteArray> OutputFiles(const TestFolder& Folder) {
  return {Folder.ReadFile(QStringLiteral("veri.txt")), Folder.ReadFile(BackupFile()),
          Folder.ReadFile(QStringLiteral("veri2.txt"))};
}

// The terminal row, and the option that adds veri2.txt to the files.
void PrepareFolder(TestFolder& Folder, int Port) {
  Folder.AddTerminal(kTerminal, QStringLiteral("1"), QStringLiteral("ethernet"), {}, {},
                     QStringLiteral("127.0.0.1"), QString::number(Port));
  Folder.WriteFile(QStringLiteral("Settings.ini"), "[Options]\r\nveriDosya2=1\r\n");
}

}  // namespace

class TestWindowsE2E : public QObject {
  Q_OBJECT

  QTemporaryDir seeded_;  // the state every terminal of the suite starts from
  TDownload linux_;       // what the Linux program did with it

  // A vterminal in Dir holding the seeded records.
  bool StartSeeded(VTerminal& Vt, const QString& Dir) {
    return CopyVTerminalState(seeded_.path(), Dir) && Vt.start({"--machine", "1"});
  }

 private slots:
  void initTestCase() {
    const QString reason = WindowsUnavailable();
    if (!reason.isEmpty()) QSKIP(qPrintable(reason));
    QString error;
    QVERIFY2(!WinePrefix(&error).isEmpty(), qPrintable(error));

    VTerminal seed(seeded_.path());
    QVERIFY2(seed.start({"--machine", "1", "--seed-users", "30", "--seed-records",
                         QString::number(kRecords)}),
             qPrintable(seed.error()));
    QVERIFY(seed.stop());

    QTemporaryDir dir;
    VTerminal vt(dir.path());
    QVERIFY2(StartSeeded(vt, dir.path()), qPrintable(vt.error()));
    TestProgram t(true, TSdk::Library);
    PrepareFolder(t.Folder, vt.port());
    InstallProgram(t.Folder);
    const TRun run = RunCommandLine(t.Folder, {"--download-all"});
    linux_ = {run.Exit, run.Out, OutputFiles(t.Folder)};
    QCOMPARE(linux_.Exit, 0);
    QCOMPARE(linux_.Out,
             QStringLiteral("Ana Kapı: 20000 kayıt aktarıldı\nİşlem tamamlandı. Terminal: 1, "
                            "Hatalı: 0, Toplam Kayıt: 20000\n"));
    QCOMPARE(linux_.Files[0], FileText(TerminalLines(vt, 1)));
    QCOMPARE(linux_.Files[0].count('\n'), kRecords);
  }

  // meridox.com --download-all under Wine; the SDK reached in-process (the
  // x86_64 stand-in of stand-in\, no host beside the program), through
  // sdkhost-x86_64.exe forced by MERIDOX_SDK_HOST=1, or through
  // sdkhost-i686.exe for 32-bit libraries in the program folder.
  void downloadAll_data() {
    QTest::addColumn<bool>("forceHost");
    QTest::addColumn<QString>("i686");  // the folder of 32-bit stand-ins to use, if any
    QTest::addColumn<QByteArray>("host");
    QTest::newRow("in-process") << false << QString() << QByteArray();
    QTest::newRow("host x86_64") << true << QString() << QByteArray("sdkhost-x86_64.exe");
    QTest::newRow("host i686") << false << StandInFolder(QStringLiteral("i686"))
                               << QByteArray("sdkhost-i686.exe");
  }
  void downloadAll() {
    QFETCH(bool, forceHost);
    QFETCH(QString, i686);
    QFETCH(QByteArray, host);
    if (!i686.isEmpty()) SKIP_UNLESS_WINE(QStringLiteral("i686"));

    QTemporaryDir dir;
    VTerminal vt(dir.path());
    QVERIFY2(StartSeeded(vt, dir.path()), qPrintable(vt.error()));
    TestFolder folder;
    folder.CreateDatabases();
    PrepareFolder(folder, vt.port());
    // In-process: no host in the folder, so a download cannot have used one.
    const QStringList leave =
        host.isEmpty() ? QStringList{"sdkhost-x86_64.exe", "sdkhost-i686.exe"} : QStringList{};
    QVERIFY(InstallWindowsProgram(folder.Path(), leave));
    if (!i686.isEmpty()) QVERIFY(CopyStandIns(QStringLiteral("i686"), folder.Path()));

    // The host is started from the program folder (whose name is unique).
    const QByteArray where = QFile::encodeName(QDir(folder.Path()).dirName());
    const TWineRun run = RunUnderWine(
        folder.File(QStringLiteral("meridox.com")), {"--download-all"}, WineEnvironment(forceHost),
        host.isEmpty() ? QList<QByteArray>{} : QList<QByteArray>{host, where});
    qInfo("meridox.com --download-all of %d records under Wine: %lld ms", kRecords, run.Ms);
    QVERIFY2(run.Exit == 0, qPrintable(QString::number(run.Exit) + QLatin1Char(' ') +
                                       QString::fromUtf8(run.Out + run.Err)));
    QCOMPARE(ConsoleText(run.Out), linux_.Out);
    if (!host.isEmpty()) QVERIFY2(run.Seen, host.constData());
    const QList<QByteArray> files = OutputFiles(folder);
    const char* names[] = {"veri.txt", "the month's backup", "veri2.txt"};
    for (int i = 0; i < 3; ++i) {
      QVERIFY2(!files[i].isEmpty(), names[i]);
      QVERIFY2(files[i] == linux_.Files[i], names[i]);
    }
    // The terminal is left enabled, as after the Linux program.
    QVERIFY(vt.state().value("enabled").toBool());
  }
};

QTEST_MAIN(TestWindowsE2E)
#include "tst_windows_e2e.moc"
