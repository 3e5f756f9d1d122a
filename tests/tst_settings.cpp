#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <thread>

#ifndef Q_OS_WIN
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#include "TestProgram.h"
#include "TinyDisk.h"
#include "common/Errors.h"
#include "data/IniFile.h"

namespace {

// Runs Work on a thread of its own without root's right to read and write
// any file, so that file permissions stop it as they stop any user (tests
// run as root in CI). Capabilities belong to a thread: the test's own
// thread keeps them. False when they could not be given up.
// A Windows user has no such rights to give up: Work runs as it is.
template <class F>
bool WithoutFileRights(F Work) {
#ifdef Q_OS_WIN
  Work();
  return true;
#else
  bool dropped = false;
  std::thread worker([&] {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2]{};
    if (syscall(SYS_capget, &header, caps) != 0) return;
    for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
      caps[cap / 32].effective &= ~(1u << (cap % 32));
    if (syscall(SYS_capset, &header, caps) != 0) return;
    dropped = true;
    Work();
  });
  worker.join();
  return dropped;
#endif
}

}  // namespace

class TestSettings : public QObject {
  Q_OBJECT
 private slots:
  void readingRules_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << QByteArray("[Options]\r\nveriDosya2=1\r\n") << "Options"
                           << "veriDosya2"
                           << "1";
    QTest::newRow("names ignore case") << QByteArray("[OPTIONS]\r\nVERIDOSYA2=1\r\n") << "options"
                                       << "veriDosya2"
                                       << "1";
    QTest::newRow("blanks around")
        << QByteArray("[Options]\r\n  veriDosya2  =  1  \r\n") << "Options"
        << "veriDosya2"
        << "1";
    QTest::newRow("quoted") << QByteArray("[Login]\nServer=\" db1 \"\n") << "Login"
                            << "Server"
                            << " db1 ";
    QTest::newRow("missing key") << QByteArray("[Options]\r\nveriSil=1\r\n") << "Options"
                                 << "veriDosya2"
                                 << "default";
    QTest::newRow("key of another section")
        << QByteArray("[Other]\r\nveriDosya2=1\r\n[Options]\r\n") << "Options"
        << "veriDosya2"
        << "default";
    QTest::newRow("empty value") << QByteArray("[MySql]\r\nPort=\r\n") << "MySql"
                                 << "Port"
                                 << "";
    QTest::newRow("turkish bytes")
        << QByteArray("[System]\r\nProgramTipi=Varnok \xDE\x75\x62\x65\r\n") << "System"
        << "ProgramTipi"
        << "Varnok Şube";
    QTest::newRow("long value cut")
        << QByteArray("[A]\r\nk=" + QByteArray(3000, 'x') + "\r\n") << "A"
        << "k" << QString(2047, QLatin1Char('x'));
  }
  void readingRules() {
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    TestFolder folder;
    folder.WriteFile(QStringLiteral("Settings.ini"), file);
    const TIniFile ini(folder.File(QStringLiteral("Settings.ini")));
    QCOMPARE(ini.ReadString(section, key, QStringLiteral("default")), expected);
  }

  void missingFileGivesDefaults() {
    TestFolder folder;
    const TIniFile ini(folder.File(QStringLiteral("Settings.ini")));
    QCOMPARE(
        ini.ReadString(QStringLiteral("MySql"), QStringLiteral("Port"), QStringLiteral("3306")),
        QStringLiteral("3306"));
  }

  // Writing replaces or adds one key and leaves every other line alone.
  void writingKeepsOtherLines() {
    TestFolder folder;
    folder.WriteFile(QStringLiteral("Settings.ini"),
                     "; operator notes\r\n[options]\r\nVERIDOSYA2 = 0\r\nother=x\r\n\r\n"
                     "[MySql]\r\nPort=3307\r\n");
    TIniFile ini(folder.File(QStringLiteral("Settings.ini")));
    ini.WriteString(QStringLiteral("Options"), QStringLiteral("veriDosya2"), QStringLiteral("1"));
    ini.WriteString(QStringLiteral("Options"), QStringLiteral("veriSil"), QStringLiteral("0"));
    ini.WriteString(QStringLiteral("System"), QStringLiteral("ProgramTipi"),
                    QStringLiteral("Şube"));
    QCOMPARE(
        folder.ReadFile(QStringLiteral("Settings.ini")),
        QByteArray("; operator notes\r\n[options]\r\nVERIDOSYA2=1\r\nother=x\r\nveriSil=0\r\n\r\n"
                   "[MySql]\r\nPort=3307\r\n[System]\r\nProgramTipi=\xDE\x75\x62\x65\r\n"));
  }

  // A file that is there but cannot be read is not replaced by one holding
  // only the new key: the write is refused and the file stays as it was.
  void writeRefusedLeavesFileAsItWas_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("setup");
    QTest::newRow("folder missing") << "nofolder/Settings.ini"
                                    << "";
    QTest::newRow("folder in its place") << "Settings.ini"
                                         << "folder";
    QTest::newRow("file it may not read") << "Settings.ini"
                                          << "write-only";
  }
  void writeRefusedLeavesFileAsItWas() {
    QFETCH(QString, name);
    QFETCH(QString, setup);
    TestFolder folder;
    const QString path = folder.File(name);
    if (setup == QLatin1String("folder")) QVERIFY(QDir().mkdir(path));
    if (setup == QLatin1String("write-only")) {
#ifdef Q_OS_WIN
      QSKIP("Windows file attributes cannot make a file unreadable to its owner");
#endif
      folder.WriteFile(name, "[Login]\r\nServer=db\r\n[Options]\r\nveriSil=1\r\n");
      QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
    }
    const QByteArray before = folder.ReadFile(name);
    const bool wasFolder = QFileInfo(path).isDir();

    bool readable = false;
    QString error = QStringLiteral("no error");
    const bool asUser = WithoutFileRights([&] {
      QFile probe(path);
      readable = probe.open(QIODevice::ReadOnly);
      try {
        TIniFile(path).WriteString(QStringLiteral("Options"), QStringLiteral("veriSil"),
                                   QStringLiteral("0"));
      } catch (const EIniFileError& e) {
        error = e.Text();
      }
    });
    if (!asUser) QSKIP("the test thread cannot give up its file rights here");
    QVERIFY2(!readable, "the file can be read");
    QCOMPARE(error, QStringLiteral("Unable to write to %1").arg(path));
    QCOMPARE(folder.ReadFile(name), before);
    QCOMPARE(QFileInfo(path).isDir(), wasFolder);
  }

  // On a full disk the new content never reaches the disk: the write fails
  // with the settings-write error and the old file stays byte for byte, with
  // no temporary file left beside it. With room left, the same write works.
  void fullDiskKeepsOldFile_data() {
    QTest::addColumn<int>("freeBytes");
    QTest::addColumn<bool>("written");
    QTest::newRow("full") << 0 << false;
    QTest::newRow("room for the file") << 8192 << true;
  }
  void fullDiskKeepsOldFile() {
    QFETCH(int, freeBytes);
    QFETCH(bool, written);
    TestFolder folder;
    TinyDisk disk(folder.Path(), 64);
    if (!disk.Mounted()) QSKIP(qPrintable(QStringLiteral("no small tmpfs here: ") + disk.Error()));
    const QByteArray before(
        "[Login]\r\nServer=db1\r\nDatabase=pdks\r\n[MySql]\r\nPort=3307\r\n"
        "[Options]\r\nveriDosya2=0\r\nveriSil=1\r\n");
    folder.WriteFile(QStringLiteral("Settings.ini"), before);
    QVERIFY(disk.FillLeaving(freeBytes));
    const QString path = folder.File(QStringLiteral("Settings.ini"));
    const QString error = ErrorOf([&] {
      TIniFile(path).WriteString(QStringLiteral("Options"), QStringLiteral("veriDosya2"),
                                 QStringLiteral("1"));
    });
    if (written) {
      QCOMPARE(error, QString());
      QVERIFY(
          folder.ReadFile(QStringLiteral("Settings.ini")).contains("veriDosya2=1\r\nveriSil=1"));
    } else {
      QCOMPARE(error, QStringLiteral("Unable to write to %1").arg(path));
      QCOMPARE(folder.ReadFile(QStringLiteral("Settings.ini")), before);
    }
    QCOMPARE(QDir(folder.Path()).entryList(QDir::Files, QDir::Name),
             (QStringList{"Settings.ini", "filler"}));
  }

  // The main window's options: read at start, saved by "kaydet".
  void downloadOptionsAtStart_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("second");
    QTest::addColumn<bool>("erase");
    QTest::newRow("no file") << QByteArray() << false << false;
    QTest::newRow("ones") << QByteArray("[Options]\r\nveriDosya2=1\r\nveriSil=1\r\n") << true
                          << true;
    QTest::newRow("only 1 ticks") << QByteArray("[Options]\r\nveriDosya2=yes\r\nveriSil=true\r\n")
                                  << false << false;
    QTest::newRow("blanks around")
        << QByteArray("[Options]\r\nveriDosya2 = 1\r\n") << true << false;
  }
  void downloadOptionsAtStart() {
    QFETCH(QByteArray, file);
    QFETCH(bool, second);
    QFETCH(bool, erase);
    TestProgram t;
    if (!file.isEmpty()) t.Folder.WriteFile(QStringLiteral("Settings.ini"), file);
    t.Start();
    QCOMPARE(t.Main().CheckBox1->isChecked(), second);
    QCOMPARE(t.Main().CheckBox2->isChecked(), erase);
  }

  void kaydetCreatesFileAndKeepsOtherLines() {
    TestProgram t;
    t.Start();
    t.Main().CheckBox1->setChecked(true);
    t.Main().Button2->click();
    QCOMPARE(t.Folder.ReadFile(QStringLiteral("Settings.ini")),
             QByteArray("[Options]\r\nveriDosya2=1\r\nveriSil=0\r\n"));
    QVERIFY(t.Shown().isEmpty());

    t.Folder.WriteFile(QStringLiteral("Settings.ini"),
                       "[Login]\r\nServer=db\r\n[Options]\r\nveriSil=1\r\nveriDosya2=1\r\n");
    t.Main().CheckBox1->setChecked(false);
    t.Main().Button2->click();
    QCOMPARE(t.Folder.ReadFile(QStringLiteral("Settings.ini")),
             QByteArray("[Login]\r\nServer=db\r\n[Options]\r\nveriSil=0\r\nveriDosya2=0\r\n"));
  }

  // Tests run as root in CI, where file permissions do not stop a write:
  // a folder in the file's place does.
  void kaydetWriteFailureShowsErrorBox() {
    TestProgram t;
    t.Start();
    QVERIFY(QDir(t.Folder.Path()).mkdir(QStringLiteral("Settings.ini")));
    t.Main().Button2->click();
    QCOMPARE(t.Dialogs->Shown.size(), 1);
    QCOMPARE(t.Dialogs->Shown[0].Text, QStringLiteral("Unable to write to %1.")
                                           .arg(t.Folder.File(QStringLiteral("Settings.ini"))));
    QCOMPARE(t.Dialogs->Shown[0].Flags, MB_OK | MB_ICONERROR);
  }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
