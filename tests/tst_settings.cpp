#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <thread>

#ifndef Q_OS_WIN
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#include "TestProgram.h"
#include "TinyDisk.h"
#include "common/Encoding.h"
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

const QByteArray kBom("\xEF\xBB\xBF");

QByteArray Utf8(const char* Text) {
  return QByteArray(Text);
}
QByteArray Win1254(const char* Text) {
  return ToWin1254(QString::fromUtf8(Text));
}

// A Settings.ini as an operator's editor may save it: Options first, then
// the personnel database's user under a comment line.
QByteArray OperatorsIni(const QByteArray& Bom, const QByteArray& Comment, const QByteArray& User,
                        const QByteArray& NewLine = "\r\n", bool EndsLastLine = true) {
  const QByteArray& nl = NewLine;
  QByteArray file = Bom + "[Options]" + nl + "veriDosya2=0" + nl + nl + "[MySql]" + nl + "; " +
                    Comment + nl + "Password = gizli " + nl + "User=" + User;
  if (EndsLastLine) file += nl;
  return file;
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

  // A file saved as UTF-8 (with or without a BOM, as Notepad does) is read
  // as UTF-8, anything else as Windows-1254. Writing keys into it changes
  // only their lines: the BOM, the other lines and their ends stay byte for
  // byte, and a new value is written in the file's own encoding (UTF-8 for
  // a UTF-8 file, Windows-1254 for a plain ASCII or a Windows-1254 one).
  void fileAsTheOperatorSavedIt_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("user");  // the bytes of User's value in the file
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QByteArray>("newUser");  // "Gülşen" as it must be written
    QTest::addColumn<QByteArray>("newLine");
    const QByteArray utf8 = Utf8("çalışan"), cp = Win1254("çalışan");
    const QByteArray newUtf8 = Utf8("Gülşen"), newCp = Win1254("Gülşen");
    QTest::newRow("BOM, ASCII") << OperatorsIni(kBom, "okur", "okur") << QByteArray("okur")
                                << "okur" << newUtf8 << QByteArray("\r\n");
    QTest::newRow("BOM, UTF-8 Turkish") << OperatorsIni(kBom, Utf8("Çağrı"), utf8) << utf8
                                        << "çalışan" << newUtf8 << QByteArray("\r\n");
    QTest::newRow("UTF-8 without BOM") << OperatorsIni({}, Utf8("Çağrı"), utf8) << utf8 << "çalışan"
                                       << newUtf8 << QByteArray("\r\n");
    QTest::newRow("UTF-8, LF ends, last line without one")
        << OperatorsIni({}, Utf8("Çağrı"), utf8, "\n", false) << utf8 << "çalışan" << newUtf8
        << QByteArray("\n");
    QTest::newRow("Windows-1254 Turkish")
        << OperatorsIni({}, Win1254("Çağrı"), cp) << cp << "çalışan" << newCp << QByteArray("\r\n");
    QTest::newRow("ASCII") << OperatorsIni({}, "okur", "okur") << QByteArray("okur") << "okur"
                           << newCp << QByteArray("\r\n");
    QTest::newRow("UTF-8 and Windows-1254 mixed")
        << OperatorsIni({}, Utf8("Çağrı"), cp) << cp << "çalışan" << newCp << QByteArray("\r\n");
    QTest::newRow("BOM before Windows-1254") << OperatorsIni(kBom, Win1254("Çağrı"), cp) << cp
                                             << "çalışan" << newCp << QByteArray("\r\n");
    QTest::newRow("overlong form is not UTF-8") << OperatorsIni({}, "\xC1\xA1", utf8) << utf8
                                                << FromWin1254(utf8) << newCp << QByteArray("\r\n");
  }
  void fileAsTheOperatorSavedIt() {
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, user);
    QFETCH(QString, expected);
    QFETCH(QByteArray, newUser);
    QFETCH(QByteArray, newLine);
    TestFolder folder;
    folder.WriteFile(QStringLiteral("Settings.ini"), file);
    TIniFile ini(folder.File(QStringLiteral("Settings.ini")));
    const QString options = QStringLiteral("Options"), mysql = QStringLiteral("MySql");
    QCOMPARE(ini.ReadString(options, QStringLiteral("veriDosya2"), QStringLiteral("default")),
             QStringLiteral("0"));
    QCOMPARE(ini.ReadString(mysql, QStringLiteral("User"), {}), expected);
    QCOMPARE(ini.ReadString(mysql, QStringLiteral("Password"), {}), QStringLiteral("gizli"));

    ini.WriteString(options, QStringLiteral("veriDosya2"), QStringLiteral("1"));
    ini.WriteString(options, QStringLiteral("veriSil"), QStringLiteral("1"));
    ini.WriteString(mysql, QStringLiteral("User"), QStringLiteral("Gülşen"));
    QByteArray written = file;
    written.replace("veriDosya2=0" + newLine, "veriDosya2=1" + newLine + "veriSil=1" + newLine);
    written.replace("User=" + user, "User=" + newUser);
    QCOMPARE(folder.ReadFile(QStringLiteral("Settings.ini")), written);
    QCOMPARE(ini.ReadString(options, QStringLiteral("veriDosya2"), {}), QStringLiteral("1"));
    QCOMPARE(ini.ReadString(mysql, QStringLiteral("User"), {}), QStringLiteral("Gülşen"));
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

  // A file that is there but cannot be read is an error with the system's
  // reason, for reading and writing alike: its keys are not missing, and a
  // write would replace it by a file holding only the new key. A missing
  // folder stops only the write. The file stays as it was.
  void unreadableFileIsAnError_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("setup");
    // %1: the file's path as the system writes it, %2: as the program names it
    QTest::addColumn<QString>("readError");
    QTest::addColumn<QString>("writeError");
    QTest::newRow("folder missing") << "nofolder/Settings.ini"
                                    << "" << QString() << "Unable to write to %2";
    QTest::newRow("folder in its place") << "Settings.ini"
                                         << "folder"
                                         << "Cannot read file \"%1\". Is a directory"
                                         << "Cannot read file \"%1\". Is a directory";
    QTest::newRow("file it may not read") << "Settings.ini"
                                          << "write-only"
                                          << "Cannot read file \"%1\". Permission denied"
                                          << "Cannot read file \"%1\". Permission denied";
  }
  void unreadableFileIsAnError() {
    QFETCH(QString, name);
    QFETCH(QString, setup);
    QFETCH(QString, readError);
    QFETCH(QString, writeError);
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
    QString read, written;
    const bool asUser = WithoutFileRights([&] {
      QFile probe(path);
      readable = probe.open(QIODevice::ReadOnly);
      read = ErrorOf([&] {
        TIniFile(path).ReadString(QStringLiteral("Options"), QStringLiteral("veriSil"), {});
      });
      written = ErrorOf([&] {
        TIniFile(path).WriteString(QStringLiteral("Options"), QStringLiteral("veriSil"),
                                   QStringLiteral("0"));
      });
    });
    if (!asUser) QSKIP("the test thread cannot give up its file rights here");
    QVERIFY2(!readable, "the file can be read");
    const auto filled = [&](QString Text) {
      return Text.replace(QLatin1String("%1"), QDir::toNativeSeparators(path))
          .replace(QLatin1String("%2"), path);
    };
    QCOMPARE(read, filled(readError));
    QCOMPARE(written, filled(writeError));
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
    QTest::newRow("BOM before the first section")
        << QByteArray("\xEF\xBB\xBF[Options]\r\nveriDosya2=1\r\nveriSil=0\r\n") << true << false;
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

  // A Settings.ini the program cannot read is told at start, where the
  // options stay unticked, and again by "kaydet", which leaves it alone.
  // Tests run as root in CI, where file permissions do not stop a read: a
  // folder in the file's place does. A FIFO is not waited on.
  void unreadableFileShowsErrorBox_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder in its place") << "folder"
                                         << "Is a directory";
    QTest::newRow("FIFO in its place") << "fifo"
                                       << "Not a regular file";
  }
  void unreadableFileShowsErrorBox() {
    QFETCH(QString, setup);
    QFETCH(QString, reason);
    TestProgram t;
    const QString path = t.Folder.File(QStringLiteral("Settings.ini"));
    if (setup == QLatin1String("folder")) QVERIFY(QDir().mkdir(path));
    if (setup == QLatin1String("fifo")) {
#ifdef Q_OS_WIN
      QSKIP("no FIFO in the file system on Windows");
#else
      QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
#endif
    }
    t.Start();
    const QString error =
        QStringLiteral("Cannot read file \"%1\". %2.").arg(QDir::toNativeSeparators(path), reason);
    QCOMPARE(t.Dialogs->Shown.size(), 1);
    QCOMPARE(t.Dialogs->Shown[0].Text, error);
    QCOMPARE(t.Dialogs->Shown[0].Flags, MB_OK | MB_ICONERROR);
    QVERIFY(!t.Main().CheckBox1->isChecked());
    QVERIFY(!t.Main().CheckBox2->isChecked());

    t.Main().Button2->click();
    QCOMPARE(t.Dialogs->Shown.size(), 2);
    QCOMPARE(t.Dialogs->Shown[1].Text, error);
    QVERIFY(QFileInfo(path).exists() && !QFileInfo(path).isFile());
  }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
