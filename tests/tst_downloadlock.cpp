// The download lock: the command line gives up a wait after its bound, the
// window's operator can give it up, a lock left behind here or on another
// computer is taken over while a live one never is, the memory-card
// conversion waits like the downloads, and a download leaves every control
// of the window as it found it.
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <QTest>
#include <QThread>

#include "AttendanceFixture.h"
#include "ProgramCopy.h"
#include "attendance/DownloadLock.h"

// Last: its message-box macros name the same values as the dialogs seam's.
#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QString kWaiting = QStringLiteral("Başka bir veri aktarımı sürüyor, bitmesi bekleniyor....");
const QString kGaveUp = QStringLiteral("Beklemekten vazgeçildi, hiçbir şey yazılmadı....");

// This test program started again holds the lock of a folder until it is
// killed: a live download of another process.
int HoldLock(const char* Folder) {
  TDownloadLock lock(QString::fromLocal8Bit(Folder), [] {});
  std::puts("held");
  std::fflush(stdout);
  for (;;) QThread::sleep(3600);
}

struct THolder {
  QProcess Process;
  bool Start(const QString& Folder) {
    Process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold-lock"), Folder});
    return Process.waitForReadyRead(30000) && Process.readAll().trimmed() == "held";
  }
  // SIGKILL here, TerminateProcess on Windows: the holder gets no chance to
  // clean up.
  void Kill9() {
    Process.kill();
    Process.waitForFinished();
  }
  ~THolder() {
    if (Process.state() != QProcess::NotRunning) Kill9();
  }
};

// Sets File's modification time to SecondsAgo, also while a lock holds it
// open (on Windows without sharing its writes).
bool SetModifiedAgo(const QString& File, int SecondsAgo) {
#ifdef Q_OS_WIN
  const HANDLE h =
      CreateFileW(reinterpret_cast<const wchar_t*>(File.utf16()), FILE_WRITE_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  // 100 ns steps since 1601.
  const qint64 since1601 =
      (QDateTime::currentSecsSinceEpoch() - SecondsAgo + 11644473600LL) * 10000000LL;
  FILETIME when{DWORD(since1601 & 0xffffffff), DWORD(since1601 >> 32)};
  const bool set = SetFileTime(h, nullptr, nullptr, &when);
  CloseHandle(h);
  return set;
#else
  const timespec when{::time(nullptr) - SecondsAgo, 0};
  const timespec times[2] = {when, when};
  return ::utimensat(AT_FDCWD, QFile::encodeName(File).constData(), times, 0) == 0;
#endif
}

// A lock file as a program on another computer writes it, last refreshed
// SecondsAgo.
void WriteForeignLock(const TestFolder& Folder, int SecondsAgo) {
  const QString name = TDownloadLock::FileName(Folder.Path());
  Folder.WriteFile(QStringLiteral("download.lock"),
                   "4242\nmeridox\nbaska-bilgisayar\n0f3c9a7e51b24d6f8e2a11c0ffee0001\n"
                   "7d1c2b3a-0000-4000-8000-000000000001\n");
  QVERIFY(SetModifiedAgo(name, SecondsAgo));
}

qint64 SecondsSinceModified(const QString& File) {
  const QDateTime modified = QFileInfo(File).lastModified();
  if (!modified.isValid()) return -1;
  return modified.secsTo(QDateTime::currentDateTime());
}

// The program file: on Windows the window program, which must write to the
// pipes it is given as a console program would.
#ifdef Q_OS_WIN
const QString kProgram = QStringLiteral("meridox.exe");
#else
const QString kProgram = QStringLiteral("meridox");
#endif

// The program file in a program folder of its own, as an installation has
// it: the command line works in the folder it was started from.
void InstallProgram(const TestFolder& Folder) {
  QVERIFY(CopyProgram(kProgram, Folder.Path()));
}

struct TRun {
  int Exit = -1;
  QString Out, Err;
  qint64 Ms = 0;
};

TRun RunCommandLine(const TestFolder& Folder, const QStringList& Arguments) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("QT_QPA_PLATFORM"));
  p.setProcessEnvironment(env);
  QElapsedTimer timer;
  timer.start();
  p.start(Folder.File(kProgram), Arguments);
  TRun run;
  if (!p.waitForFinished(120000)) return run;
  run.Ms = timer.elapsed();
  run.Exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  run.Out = QString::fromUtf8(p.readAllStandardOutput());
  run.Err = QString::fromUtf8(p.readAllStandardError());
  // The folders of these runs have no terminal, which the command line says
  // first; what follows is about the lock.
  const QString empty = QStringLiteral("meridox: terminal listesi boş, ");
  if (run.Err.startsWith(empty)) run.Err.remove(0, run.Err.indexOf(QLatin1Char('\n')) + 1);
  return run;
}

// The controls a download or a conversion must leave as it found them.
QList<bool> ControlStates(Tfrmgiris& w) {
  QList<bool> states;
  for (QWidget* c : QList<QWidget*>{w.DBGrid1, w.BitBtn1, w.BitBtn2, w.BitBtn3, w.BitBtn4,
                                    w.BitBtn5, w.BitBtn6, w.BitBtn7, w.BitBtn8, w.BitBtn9,
                                    w.BitBtn10, w.BitBtn11, w.BitBtn13, w.Button1, w.Button2})
    states << c->isEnabled();
  for (QAction* a : w.PopupMenu1->actions()) states << a->isEnabled();
  return states;
}

QPushButton* CancelButton(Tfrmgiris& w) {
  return w.findChild<QPushButton*>(QStringLiteral("btnBeklemeIptal"));
}

// Whether this process holds File open. Windows: whether anyone does (a
// file open anywhere cannot be opened unshared).
bool HoldsOpen(const QString& File) {
#ifdef Q_OS_WIN
  const HANDLE h = CreateFileW(reinterpret_cast<const wchar_t*>(File.utf16()), GENERIC_READ, 0,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
  CloseHandle(h);
  return false;
#else
  const QString target = QFileInfo(File).canonicalFilePath();
  const QDir fds(QStringLiteral("/proc/self/fd"));
  for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot))
    if (!target.isEmpty() && fd.symLinkTarget() == target) return true;
  return false;
#endif
}

const QByteArray kCardFile =
    "No\tMchn\tEnNo\tName\tMode\tIOMd\tDateTime\r\n"
    "1\t1\t42\tAli\t1\t0\t2024/03/05 08:07:09\r\n";

}  // namespace

class TestDownloadLock : public QObject {
  Q_OBJECT
 private slots:
  // A lock that a live program holds, on this computer or on another one
  // (known only by its refreshed file), is waited for until --lock-wait runs
  // out: exit 1, the reason and the holder on standard error, nothing
  // written and the holder's lock left alone.
  void commandLineGivesUpAfterItsBound_data() {
    QTest::addColumn<bool>("foreign");
    QTest::newRow("live program on this computer") << false;
    QTest::newRow("program on another computer, refreshed") << true;
  }
  void commandLineGivesUpAfterItsBound() {
    QFETCH(bool, foreign);
    TestProgram t;
    InstallProgram(t.Folder);
    THolder holder;
    if (foreign)
      WriteForeignLock(t.Folder, 5);
    else
      QVERIFY(holder.Start(t.Folder.Path()));
    const QByteArray lock = t.Folder.ReadFile(QStringLiteral("download.lock"));

    const TRun run = RunCommandLine(t.Folder, {"--download-all", "--lock-wait", "1"});
    QCOMPARE(run.Exit, 1);
    QVERIFY2(run.Ms >= 1000, qPrintable(QString::number(run.Ms)));
    QVERIFY2(run.Err.startsWith(QStringLiteral("meridox: ") + kWaiting + QLatin1Char('\n')),
             qPrintable(run.Err));
    QVERIFY2(run.Err.contains(QStringLiteral("1 saniye beklendi")), qPrintable(run.Err));
    const QString host = foreign ? QStringLiteral("bilgisayar baska-bilgisayar")
                                 : QStringLiteral("süreç %1").arg(holder.Process.processId());
    QVERIFY2(run.Err.contains(host), qPrintable(run.Err));
    QVERIFY2(run.Err.contains(QStringLiteral("hiçbir terminalden veri alınmadı")),
             qPrintable(run.Err));
    QVERIFY(!QFile::exists(t.Folder.File(QStringLiteral("veri.txt"))));
    QCOMPARE(t.Folder.ReadFile(QStringLiteral("download.lock")), lock);
  }

  // A lock whose program was killed here, or whose program on another
  // computer has not refreshed it for longer than the stale time, is taken
  // over at once: the run goes on (no terminal in the list here) and
  // leaves no lock behind.
  void commandLineTakesOverALockLeftBehind_data() {
    QTest::addColumn<bool>("foreign");
    QTest::newRow("program killed with kill -9 on this computer") << false;
    QTest::newRow("program on another computer, silent for 6 minutes") << true;
  }
  void commandLineTakesOverALockLeftBehind() {
    QFETCH(bool, foreign);
    TestProgram t;
    InstallProgram(t.Folder);
    THolder holder;
    if (foreign) {
      WriteForeignLock(t.Folder, 6 * 60);
    } else {
      QVERIFY(holder.Start(t.Folder.Path()));
      holder.Kill9();
    }
    QVERIFY(QFile::exists(TDownloadLock::FileName(t.Folder.Path())));
    const TRun run = RunCommandLine(t.Folder, {"--download-all", "--lock-wait", "60"});
    QCOMPARE(run.Exit, 0);
    QVERIFY2(run.Ms < 30000, qPrintable(QString::number(run.Ms)));
    QCOMPARE(run.Out,
             QStringLiteral("İşlem tamamlandı. Terminal: 0, Hatalı: 0, Toplam Kayıt: 0\n"));
    QCOMPARE(run.Err, QString());
    QVERIFY(!QFile::exists(TDownloadLock::FileName(t.Folder.Path())));
  }

  void commandLineLockWaitOption_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exit");
    QTest::addColumn<QString>("text");
    QTest::newRow("not a number") << QStringList{"--download-all", "--lock-wait", "x"} << 2
                                  << "--lock-wait için 0 ile 86400 arasında";
    QTest::newRow("negative") << QStringList{"--download-all", "--lock-wait", "-1"} << 2
                              << "--lock-wait için 0 ile 86400 arasında";
    QTest::newRow("missing") << QStringList{"--download-all", "--lock-wait"} << 2
                             << "--lock-wait için 0 ile 86400 arasında";
    QTest::newRow("another command") << QStringList{"--check", "--lock-wait", "5"} << 2
                                     << "--lock-wait yalnızca --download-all ile kullanılır";
    QTest::newRow("help names it") << QStringList{"--help"} << 0 << "[--lock-wait SANİYE]";
  }
  void commandLineLockWaitOption() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exit);
    QFETCH(QString, text);
    TestProgram t;
    InstallProgram(t.Folder);
    const TRun run = RunCommandLine(t.Folder, arguments);
    QCOMPARE(run.Exit, exit);
    QVERIFY2((run.Out + run.Err).contains(text), qPrintable(run.Out + run.Err));
    QVERIFY(!QFile::exists(t.Folder.File(QStringLiteral("veri.txt"))));
  }

  // A holder keeps its lock file's time fresh however long it holds it, so
  // a waiter on another computer never takes it for one left behind.
  void heldLockIsRefreshed() {
    const auto every = TDownloadLock::RefreshEvery;
    TDownloadLock::RefreshEvery = std::chrono::milliseconds(50);
    TestFolder folder;
    {
      TDownloadLock lock(folder.Path(), [] {});
      TDownloadLock::RefreshEvery = every;
      QVERIFY(lock.Held());
      const QString name = TDownloadLock::FileName(folder.Path());
      QVERIFY(SetModifiedAgo(name, 3600));
      QVERIFY(SecondsSinceModified(name) >= 3599);
      QTRY_VERIFY(SecondsSinceModified(name) < 60);
    }
    QVERIFY(!QFile::exists(TDownloadLock::FileName(folder.Path())));
  }

  // Every way into the attendance files from the window waits for the lock
  // with its cancel button; the cancel ends the wait, nothing reaches the
  // terminal or the files, Memo4 says so and every control is as before.
  void windowCancelEndsTheWait_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("Verileri Aktar") << "BitBtn5" << QStringList{};
    QTest::newRow("Tüm Verileri Al (silmez)") << "mnuTumVerileriAl" << QStringList{};
    QTest::newRow("Tüm Verileri Al (sil)")
        << "mnuTumVerileriAlSil"
        << QStringList{QStringLiteral("\"Ana Kapı\" terminalindeki tüm kayıtlar alınıp cihazdan "
                                      "silinecek. Devam etmek istiyor musunuz...?")};
    QTest::newRow("sdkart->text") << "Button1" << QStringList{QString()};  // the file dialog
  }
  void windowCancelEndsTheWait() {
    QFETCH(QString, action);
    QFETCH(QStringList, shown);
    Connected t;
    FakeSdk.LogRecords = Records(2);
    t.Folder.WriteFile(QStringLiteral("card.txt"), kCardFile);
    t.Dialogs->FileNames << t.Folder.File(QStringLiteral("card.txt"));
    t.Dialogs->Answers = {IDYES};
    const QList<bool> before = ControlStates(t.Main());
    QLockFile other(TDownloadLock::FileName(t.Folder.Path()));
    QVERIFY(other.tryLock(0));
    int pumps = 0;
    bool waitingShown = true;
    t.Dialogs->OnProcessMessages = [&] {
      QPushButton* cancel = CancelButton(t.Main());
      waitingShown = waitingShown && t.Main().Memo4->toPlainText() == kWaiting && cancel &&
                     !cancel->isHidden() && cancel->isEnabled() && !t.Main().BitBtn4->isEnabled() &&
                     !t.Main().Button1->isEnabled() && !t.Main().BitBtn5->isEnabled();
      if (++pumps == 3 && cancel) cancel->click();
      if (pumps == 100) other.unlock();  // a failing test still ends
    };
    if (action == QLatin1String("BitBtn5")) t.Main().BitBtn5->click();
    if (action == QLatin1String("mnuTumVerileriAl")) t.Main().mnuTumVerileriAl->trigger();
    if (action == QLatin1String("mnuTumVerileriAlSil")) t.Main().mnuTumVerileriAlSil->trigger();
    if (action == QLatin1String("Button1")) t.Main().Button1->click();

    QCOMPARE(pumps, 3);
    QVERIFY(waitingShown);
    QCOMPARE(t.Main().Memo4->toPlainText(), kWaiting + QLatin1Char('\n') + kGaveUp);
    QVERIFY(!CancelButton(t.Main()));
    QCOMPARE(FakeSdk.Calls, QStringList{});
    QCOMPARE(t.Shown(), shown);
    QVERIFY(!QFile::exists(t.Folder.File(QStringLiteral("veri.txt"))));
    QVERIFY(!QDir(t.Folder.File(QStringLiteral("yedek_K20"))).exists());
    QCOMPARE(ControlStates(t.Main()), before);
    QVERIFY(other.isLocked());  // the other program's lock is untouched
  }

  // The card conversion writes veri.txt too: while a download holds the
  // lock it waits, touching nothing, then converts; Memo4 gets back what it
  // showed before.
  void conversionWaitsForTheLock() {
    TestProgram t;
    t.Start();
    t.Main().Memo4->setPlainText(QStringLiteral("00001 05/03/2024 08:07:01 07 00 Fp"));
    t.Folder.WriteFile(QStringLiteral("card.txt"), kCardFile);
    t.Dialogs->FileNames << t.Folder.File(QStringLiteral("card.txt"));
    QLockFile other(TDownloadLock::FileName(t.Folder.Path()));
    QVERIFY(other.tryLock(0));
    int pumps = 0;
    bool waitingShown = true;
    t.Dialogs->OnProcessMessages = [&] {
      waitingShown = waitingShown && t.Main().Memo4->toPlainText().endsWith(kWaiting) &&
                     CancelButton(t.Main()) &&
                     !QFile::exists(t.Folder.File(QStringLiteral("veri.txt")));
      if (++pumps == 3) other.unlock();
    };
    t.Main().Button1->click();
    QCOMPARE(pumps, 3);
    QVERIFY(waitingShown);
    QCOMPARE(t.Folder.ReadFile(QStringLiteral("veri.txt")),
             QByteArray("00042 05/03/2024 08:07:09 01\r\n"));
    QCOMPARE(t.Shown().mid(1), QStringList{QStringLiteral("Aktarım işlemi tamamlandı..")});
    QCOMPARE(t.Main().Memo4->toPlainText(), QStringLiteral("00001 05/03/2024 08:07:01 07 00 Fp"));
    QVERIFY(!CancelButton(t.Main()));
    QVERIFY(!QFile::exists(TDownloadLock::FileName(t.Folder.Path())));
  }

  // A closing message waits for the operator's OK, perhaps for hours: by
  // then the files are on disk and closed and the lock is free, so a
  // scheduled download started meanwhile (the real command line, which
  // would give up after its one second) runs at once.
  void closingMessageLeavesTheLockFree_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("load");
    QTest::addColumn<int>("records");
    QTest::addColumn<QString>("closing");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("saved") << "BitBtn5" << 1 << 3 << "Bilgiler Dosyaya Aktarıldı...."
                           << LinesOf(Records(3), 7);
    QTest::newRow("no records") << "BitBtn5" << 1 << 0 << "Cihazdan Alınacak Veri Yok..."
                                << QByteArray();
    QTest::newRow("nothing to load")
        << "BitBtn5" << -8 << 0 << "Cihazdan alınacak veri yok....." << QByteArray();
    QTest::newRow("sdkart->text") << "Button1" << 1 << 0 << "Aktarım işlemi tamamlandı.."
                                  << QByteArray("00042 05/03/2024 08:07:09 01\r\n");
  }
  void closingMessageLeavesTheLockFree() {
    QFETCH(QString, action);
    QFETCH(int, load);
    QFETCH(int, records);
    QFETCH(QString, closing);
    QFETCH(QByteArray, written);
    Connected t;
    InstallProgram(t.Folder);
    // The command line works on every listed terminal: none here, the
    // window's connection stays as it is.
    ExecOn(t.Folder.File(QStringLiteral("Data.mdb")), QStringLiteral("delete from Terminal"));
    FakeSdk.Results[QStringLiteral("FK_LoadGeneralLogData")] = load;
    FakeSdk.LogRecords = Records(records);
    t.Folder.WriteFile(QStringLiteral("card.txt"), kCardFile);
    t.Dialogs->FileNames << t.Folder.File(QStringLiteral("card.txt"));
    const QString veri = t.Folder.File(QStringLiteral("veri.txt"));
    bool seen = false;
    bool enabledAtClosing = false;
    TRun run;
    t.Dialogs->OnShown = [&](const ShownDialog& Shown) {
      if (Shown.Text != closing) return;
      seen = true;
      enabledAtClosing = FakeSdk.Calls.contains(QStringLiteral("FK_EnableDevice(17,1)"));
      QCOMPARE(t.Folder.ReadFile(QStringLiteral("veri.txt")), written);
      QVERIFY(!HoldsOpen(veri));
      QVERIFY(!HoldsOpen(t.Folder.File(BackupFile())));
      QVERIFY(!QFile::exists(TDownloadLock::FileName(t.Folder.Path())));
      run = RunCommandLine(t.Folder, {"--download-all", "--lock-wait", "1"});
    };
    if (action == QLatin1String("BitBtn5")) t.Main().BitBtn5->click();
    if (action == QLatin1String("Button1")) t.Main().Button1->click();

    QVERIFY2(seen, qPrintable(t.Shown().join(QLatin1Char('|'))));
    QCOMPARE(run.Err, QString());
    QCOMPARE(run.Out,
             QStringLiteral("İşlem tamamlandı. Terminal: 0, Hatalı: 0, Toplam Kayıt: 0\n"));
    QCOMPARE(run.Exit, 0);
    // The closing message still comes before the terminal is enabled again.
    if (action == QLatin1String("BitBtn5")) {
      QVERIFY(!enabledAtClosing);
      QCOMPARE(FakeSdk.Calls.last(), QStringLiteral("FK_EnableDevice(17,1)"));
    }
    QCOMPARE(t.Folder.ReadFile(QStringLiteral("veri.txt")), written);
  }

  // The pop-up downloads while no terminal is connected: "Verileri Aktar"
  // and every other control end as they were, BitBtn5 still disabled.
  void popupDownloadsLeaveTheControlsAsTheyWere_data() {
    QTest::addColumn<bool>("clearing");
    QTest::newRow("Tüm Verileri Al (silmez)") << false;
    QTest::newRow("Tüm Verileri Al (sil)") << true;
  }
  void popupDownloadsLeaveTheControlsAsTheyWere() {
    QFETCH(bool, clearing);
    TestProgram t;
    t.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("7"), QStringLiteral("usb"));
    t.Start();
    t.Dialogs->Answers = {IDYES};
    const QList<bool> before = ControlStates(t.Main());
    QVERIFY(!t.Main().BitBtn5->isEnabled());
    if (clearing)
      t.Main().mnuTumVerileriAlSilClick();
    else
      t.Main().mnuTumVerileriAlClick();
    QVERIFY(!t.Main().BitBtn5->isEnabled());
    QCOMPARE(ControlStates(t.Main()), before);
  }
};

int main(int argc, char** argv) {
  if (argc == 3 && qstrcmp(argv[1], "--hold-lock") == 0) {
    QCoreApplication app(argc, argv);
    return HoldLock(argv[2]);
  }
  QApplication app(argc, argv);
  TestDownloadLock test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_downloadlock.moc"
