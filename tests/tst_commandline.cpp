// The program's arguments read once: which of them open the window, which
// ask for a command, and the usage error a command line is told, the first
// in the order of the arguments.
#include <QTest>

#include "cli/CommandLine.h"

class TestCommandLine : public QObject {
  Q_OBJECT
 private slots:
  void options_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("commandLine");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("lockWait");
    QTest::addColumn<QString>("problem");  // of the command line
    QTest::newRow("nothing: the window")
        << QStringList{} << false << "" << 600 << "komut verilmedi";
    QTest::newRow("the window's own options")
        << QStringList{"--folder", "/d", "--quit-after-start"} << false << "/d" << 600
        << "bilinmeyen seçenek: --quit-after-start";
    QTest::newRow("a command's name as the folder")
        << QStringList{"--folder", "--check"} << false << "--check" << 600 << "komut verilmedi";
    QTest::newRow("an empty folder")
        << QStringList{"--folder", ""} << true << "" << 600 << "--folder için bir klasör gerekli";
    QTest::newRow("a command with its folder")
        << QStringList{"--check", "--folder", "/d"} << true << "/d" << 600 << "";
    QTest::newRow("the first problem is told")
        << QStringList{"--check", "-x", "--check"} << true << "" << 600 << "bilinmeyen seçenek: -x";
    QTest::newRow("two commands") << QStringList{"--check", "--version"} << true << "" << 600
                                  << "tek bir komut verilebilir";
    QTest::newRow("the window's option in a command")
        << QStringList{"--quit-after-start", "--check"} << true << "" << 600
        << "bilinmeyen seçenek: --quit-after-start";
    QTest::newRow("a wait of its own")
        << QStringList{"--lock-wait", "5", "--download-all"} << true << "" << 5 << "";
    QTest::newRow("a wait without the download")
        << QStringList{"--lock-wait", "5", "--retries", "2", "--check"} << true << "" << 5
        << "--retries yalnızca --download-all ile kullanılır";
    QTest::newRow("a wait too long")
        << QStringList{"--download-all", "--lock-wait", "86401"} << true << "" << 86401
        << "--lock-wait için 0 ile 86400 arasında bir saniye sayısı "
           "gerekli";
  }
  void options() {
    QFETCH(QStringList, args);
    QFETCH(bool, commandLine);
    QFETCH(QString, folder);
    QFETCH(int, lockWait);
    QFETCH(QString, problem);
    const TProgramOptions o = ReadProgramOptions(QStringList{"meridox"} + args);
    QCOMPARE(o.CommandLine, commandLine);
    QCOMPARE(o.Folder, folder);
    QCOMPARE(o.LockWaitSeconds, lockWait);
    QCOMPARE(o.Problem, problem);
  }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
