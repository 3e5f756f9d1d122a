// Faults on the way to the vendor's libraries through Wine: each gives a
// clear message naming the file and leaves the program usable; a host that
// dies in the middle of a download loses no record.
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <csignal>

#include "E2EFixture.h"
#include "SimFixture.h"
#include "WineFixture.h"
#include "attendance/Download.h"

namespace {

// Kills the host after a number of lines, in the middle of the walk.
class KillingReport final : public TDownloadReport {
 public:
  explicit KillingReport(int At) : at_(At) {}
  void Started(int) override {}
  void Line(const QByteArray&) override {
    if (++lines == at_) {
      KilledHost = HostPid();
      ::kill(static_cast<pid_t>(KilledHost), SIGKILL);
    }
  }
  void Counted(int) override {}
  void Progress(int) override {}
  void Ended(int) override {}
  int lines = 0;
  qint64 KilledHost = 0;

 private:
  int at_;
};

// The program over Folder's libraries; the connect button pressed once.
QStringList ConnectShows(TestProgram& T) {
  T.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("1"), QStringLiteral("ethernet"),
                       {}, {}, QStringLiteral("127.0.0.1"), QStringLiteral("5005"));
  T.Start();
  T.Main().BitBtn4->click();
  return T.Shown();
}

// The lines of an attendance file, without their CR LF.
QList<QByteArray> FileLines(const QString& File) {
  QFile f(File);
  if (!f.open(QIODevice::ReadOnly)) return {};
  QList<QByteArray> lines = f.readAll().split('\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  for (QByteArray& l : lines) l.chop(l.endsWith('\r') ? 1 : 0);
  return lines;
}

bool Exists(const QString& Arch) {
  return QFileInfo::exists(StandInFolder(Arch) + QStringLiteral("/FK623Attend.dll"));
}

}  // namespace

class TestWineFaults : public QObject {
  Q_OBJECT
 private slots:
  // No wine on PATH: the program starts, and the connect says which Debian
  // packages to install (for a 32-bit library, wine32 after adding i386).
  void wineNotFound() {
    if (!Exists(QStringLiteral("i686")))
      QSKIP("the i686 stand-ins were not built (mingw-w64 missing)");
    TestProgram t(true, TSdk::Library);
    QVERIFY(CopyStandIns(QStringLiteral("i686"), t.Folder.Path()));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(t.Folder.Path()));  // nothing to run there
    t.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("1"), QStringLiteral("usb"));
    t.Start();
    qputenv("PATH", path);
    t.Main().BitBtn4->click();
    QCOMPARE(t.Shown().size(), 1);
    const QString text = t.Shown().value(0);
    QVERIFY2(text.contains(t.Folder.File(QStringLiteral("FK623Attend.dll"))), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Wine bulunamadı")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("dpkg --add-architecture i386 && apt-get update && "
                                          "apt-get install wine wine32")),
             qPrintable(text));
    QCOMPARE(t.Dialogs->Shown[0].Flags, MB_OK | MB_ICONWARNING);
    QCOMPARE(t.Main().BitBtn4->text(), QStringLiteral("BAGLAN"));
  }

  // A library the host cannot run: the message names the file, the program
  // stays usable (the connect only fails).
  void libraryThatCannotRun_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("says");
    QTest::newRow("another machine type") << "arm64"
                                          << "makine türü 0xaa64";
    QTest::newRow("no Windows library") << "text"
                                        << "bir Windows kitaplığı değil";
    QTest::newRow("does not load") << "truncated"
                                   << "yüklenemedi: bozuk ya da başka bir makine türü için";
  }
  void libraryThatCannotRun() {
    QFETCH(QString, kind);
    QFETCH(QString, says);
    const QString arch = QStringLiteral("x86_64");
    if (!Exists(arch)) QSKIP("the x86_64 stand-ins were not built (mingw-w64 missing)");
    if (kind == QLatin1String("truncated")) SKIP_UNLESS_WINE(arch);
    TestProgram t(true, TSdk::Library);
    QFile built(StandInFolder(arch) + QStringLiteral("/FK623Attend.dll"));
    QVERIFY(built.open(QIODevice::ReadOnly));
    QByteArray bytes = built.readAll();
    if (kind == QLatin1String("arm64")) {
      const quint32 pe = qFromLittleEndian<quint32>(bytes.constData() + 60);
      bytes[pe + 4] = char(0x64);
      bytes[pe + 5] = char(0xaa);
    } else if (kind == QLatin1String("text")) {
      bytes = "not a library\n";
    } else {
      bytes.truncate(4096);
    }
    t.Folder.WriteFile(QStringLiteral("FK623Attend.dll"), bytes);
    const QStringList shown = ConnectShows(t);
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].startsWith(t.Folder.File(QStringLiteral("FK623Attend.dll"))),
             qPrintable(shown[0]));
    QVERIFY2(shown[0].contains(says), qPrintable(shown[0]));
    QCOMPARE(t.Main().BitBtn4->text(), QStringLiteral("BAGLAN"));
    QVERIFY(!t.Main().BitBtn5->isEnabled());
  }

  // A host that says nothing within the time, ends at once, or answers
  // something that is not the protocol: the wait is bounded (bytes that
  // cannot begin a hello are not waited on at all), the message names the
  // file (and what Wine said).
  void hostThatDoesNotAnswer_data() {
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("says");
    QTest::addColumn<bool>("atOnce");
    const QString notProtocol = QStringLiteral("protokolüne uymayan bir yanıt verdi.");
    QTest::newRow("silent") << QByteArray("exec sleep 60\n") << "yanıt vermedi" << false;
    QTest::newRow("ends at once") << QByteArray("echo 'wine: cannot start' >&2\nexit 1\n")
                                  << "başlar başlamaz kapandı. (Wine: wine: cannot start)" << true;
    QTest::newRow("huge length word")
        << QByteArray("printf '\\377\\377\\377\\177'\nexec sleep 60\n") << notProtocol << true;
    QTest::newRow("random bytes")
        << QByteArray("printf '\\020\\000\\000\\000\\321\\007\\242\\033 9\\344'\nexec sleep 60\n")
        << notProtocol << true;
    QTest::newRow("text, then the end")
        << QByteArray("echo 'Usage: host FILE'\nexit 2\n") << notProtocol << true;
    QTest::newRow("a hello cut short")
        << QByteArray("printf '\\100\\000\\000\\000FKH1'\nexec sleep 60\n") << notProtocol << false;
  }
  void hostThatDoesNotAnswer() {
    QFETCH(QByteArray, script);
    QFETCH(QString, says);
    QFETCH(bool, atOnce);
    if (!Exists(QStringLiteral("x86_64"))) QSKIP("the x86_64 stand-ins were not built");
    QTemporaryDir dir;
    const QString fake = dir.filePath(QStringLiteral("wine"));
    QFile f(fake);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n" + script);
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    THostSdkOptions options = StandInOptions(QStringLiteral("x86_64"));
    options.Wine = fake;
    options.HelloTimeoutMs = 1500;
    QElapsedTimer timer;
    timer.start();
    TFKAttendObject sdk(MakeHostLoader(options));
    QVERIFY(timer.elapsed() < 5000);
    if (atOnce)
      QVERIFY2(timer.elapsed() < options.HelloTimeoutMs,
               qPrintable(QString::number(timer.elapsed())));
    QVERIFY(!sdk.FirstLibraryLoaded());
    QVERIFY(!sdk.Connect(LoopbackLan(5005)));
    QVERIFY2(sdk.LastErrorText().startsWith(options.FirstLibrary), qPrintable(sdk.LastErrorText()));
    QVERIFY2(sdk.LastErrorText().contains(says), qPrintable(sdk.LastErrorText()));
    QCOMPARE(HostPid(), 0);
  }

  // The host killed in the middle of a download: the call fails like a lost
  // connection, every line read stays written, the terminal is enabled again
  // over a new host, and the next download brings the rest; only the batch
  // that was in flight arrives twice.
  void hostKilledInTheMiddleOfADownload_data() { AddArchRows(); }
  void hostKilledInTheMiddleOfADownload() {
    QFETCH(QString, arch);
    SKIP_UNLESS_WINE(arch);
    QTemporaryDir dir, out;
    VTerminal vt(dir.path());
    QVERIFY2(vt.start({"--seed-users", "20", "--seed-records", "20000"}), qPrintable(vt.error()));
    const QList<QByteArray> lines = TerminalLines(vt, 1);
    ScopedScriptedDialogs dialogs;
    TFKAttendObject sdk(MakeHostLoader(StandInOptions(arch)));
    QVERIFY(sdk.Connect(LoopbackLan(vt.port())));
    const TDownloadRequest request{out.path() + '/', 1, false, QDate::currentDate()};
    KillingReport killing(5000);
    const QString error = ErrorOf([&] { DownloadAttendance(sdk, request, killing); });
    QVERIFY(killing.KilledHost > 0);
    QVERIFY(::kill(static_cast<pid_t>(killing.KilledHost), 0) != 0);  // gone and reaped
    const int first = killing.lines;
    QVERIFY(first >= 5000);
    QCOMPARE(error, QStringLiteral("Read Error.\n") + WrittenRecordsText(first));
    // The end of the walk's bracket found the connection lost, connected once
    // more (which started a new host) and enabled the terminal there.
    QVERIFY(HostPid() > 0 && HostPid() != killing.KilledHost);
    QVERIFY(vt.state().value("enabled").toBool());

    TSilentDownloadReport silent;
    QCOMPARE(ErrorOf([&] { DownloadAttendance(sdk, request, silent); }), QString());
    const QList<QByteArray> written = FileLines(out.filePath(QStringLiteral("veri.txt")));
    // What the first walk wrote, then the second walk from the first record
    // the terminal had not counted as delivered.
    QCOMPARE(written.mid(0, first), lines.mid(0, first));
    const int again = static_cast<int>(written.size()) - lines.size();
    QVERIFY2(again >= 0 && again <= 16384, qPrintable(QString::number(again)));
    QCOMPARE(written.mid(first), lines.mid(first - again));
    QVERIFY(vt.state().value("enabled").toBool());
  }

  // A second library of another machine type than the first cannot load
  // beside it: it is left out, as a missing one is, and the first works.
  void secondLibraryOfAnotherTypeIsLeftOut() {
    SKIP_UNLESS_WINE(QStringLiteral("x86_64"));
    if (!Exists(QStringLiteral("i686"))) QSKIP("the i686 stand-ins were not built");
    THostSdkOptions options = StandInOptions(QStringLiteral("x86_64"));
    options.SecondLibrary = StandInFolder(QStringLiteral("i686")) + QStringLiteral("/FKAttend.dll");
    TFKAttendObject sdk(MakeHostLoader(options));
    QVERIFY(sdk.FirstLibraryLoaded());
    QVERIFY(!sdk.SecondLibraryLoaded());
    QVERIFY(!sdk.Slot(FKSlot::FK_ConnectGetIP));
    QVERIFY(!sdk.Slot(FKSlot::FK_SetUDiskFileFKModel));
    QVERIFY(sdk.Slot(FKSlot::FK_ConnectNet));
    QVERIFY(sdk.LastErrorText() == ResultText(sdk.SdkResult()));
  }

  // The first library without FK_GetDeviceTime: that slot stays empty and
  // its operation calls nothing; every other slot is filled.
  void slotTheLibraryLacksStaysEmpty() {
    const QString arch = QStringLiteral("x86_64");
    SKIP_UNLESS_WINE(arch);
    QTemporaryDir dir;
    VTerminal vt(dir.path());
    QVERIFY2(vt.start(), qPrintable(vt.error()));
    TFKAttendObject sdk(MakeHostLoader(StandInOptions(arch, true)));
    QVERIFY(sdk.FirstLibraryLoaded());
    QVERIFY(sdk.SecondLibraryLoaded());
    for (int i = 0; i < FK_SLOT_COUNT; ++i) {
      const FKSlot slot = static_cast<FKSlot>(i);
      QVERIFY2((sdk.Slot(slot) == nullptr) == (slot == FKSlot::FK_GetDeviceTime), SlotName(slot));
    }
    QVERIFY(sdk.Connect(LoopbackLan(vt.port())));
    double time = 0;
    QVERIFY(!sdk.FK_GetDeviceTime(time));
    QCOMPARE(sdk.SdkResult(), 1);  // nothing was called
    QVERIFY(sdk.FK_SetDeviceTime(45000.25));
    sdk.Disconnect();
    QCOMPARE(vt.journal().filter(QStringLiteral("FK_GetDeviceTime")), QStringList());
    QCOMPARE(vt.journal().filter(QStringLiteral("FK_SetDeviceTime")).size(), 1);
  }
};

QTEST_MAIN(TestWineFaults)
#include "tst_wine_faults.moc"
