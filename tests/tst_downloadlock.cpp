// The download lock: the command line gives up a wait after its bound, the
// window's operator can give it up, a lock left behind here or on another
// computer is taken over (whichever user left it, whatever its file says)
// while a live one never is, the memory-card conversion waits like the
// downloads, and a download leaves every control of the window as it found
// it.
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

#include "AttendanceFixture.h"
#include "ProgramCopy.h"
#include "attendance/DownloadLock.h"
#include "common/Errors.h"

// Last: its message-box macros name the same values as the dialogs seam's.
#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
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

// Holds File's native lock as a live holder of the download lock does, until
// it is killed, whatever File says: on Windows it keeps it open, sharing no
// deletion.
int HoldFile(const char* File) {
#ifdef Q_OS_WIN
  const QString name = QString::fromLocal8Bit(File);
  const HANDLE h =
      CreateFileW(reinterpret_cast<const wchar_t*>(name.utf16()), GENERIC_READ, FILE_SHARE_READ,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 1;
#else
  const int fd = ::open(File, O_RDWR);
  if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) return 1;
#endif
  std::puts("held");
  std::fflush(stdout);
  for (;;) QThread::sleep(3600);
}

// Takes the lock of a folder as a download does, giving up after Ms
// milliseconds, and says how it went: "taken" or "taken after waiting",
// "gave up", or "error: " and the error's text.
int TakeLock(const char* Folder, const char* Ms) {
  QElapsedTimer timer;
  timer.start();
  const qint64 bound = QByteArray(Ms).toLongLong();
  bool waited = false;
  QString said;
  try {
    TDownloadLock lock(
        QString::fromLocal8Bit(Folder), [&waited] { waited = true; },
        [&] { return timer.elapsed() > bound; });
    said = !lock.Held() ? QStringLiteral("gave up")
           : waited     ? QStringLiteral("taken after waiting")
                        : QStringLiteral("taken");
  } catch (const EAppError& e) {
    said = QStringLiteral("error: ") + e.Text();
  }
  std::puts(said.toUtf8().constData());
  return 0;
}

// Whether other users may walk down to Path.
bool ReachableByOthers(const QString& Path) {
  for (QFileInfo f(Path);; f = QFileInfo(f.absolutePath())) {
    if (!(f.permissions() & QFileDevice::ExeOther)) return false;
    if (f.isRoot()) return true;
  }
}

// Runs the test program as another user when the system lets it: as root
// through setpriv, with no groups. Empty when it cannot.
QStringList AsUser(int Uid) {
#ifdef Q_OS_WIN
  Q_UNUSED(Uid);
  return {};
#else
  const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
  if (::geteuid() != 0 || setpriv.isEmpty() ||
      !ReachableByOthers(QCoreApplication::applicationFilePath()))
    return {};
  return {setpriv, QStringLiteral("--reuid=%1").arg(Uid), QStringLiteral("--regid=%1").arg(Uid),
          QStringLiteral("--clear-groups")};
#endif
}

// Users with no business in each other's files: nobody, and a number with
// no account at all.
constexpr int kNobody = 65534;
constexpr int kStranger = 65533;

// Gives Folder to Uid with Mode (sticky bit included); false where there are
// no such owners.
bool SetFolder(const QString& Folder, int Uid, int Mode) {
#ifdef Q_OS_WIN
  Q_UNUSED(Folder);
  Q_UNUSED(Uid);
  Q_UNUSED(Mode);
  return false;
#else
  const QByteArray name = QFile::encodeName(Folder);
  return ::chown(name.constData(), Uid, Uid) == 0 && ::chmod(name.constData(), Mode) == 0;
#endif
}

// The user that owns File, -1 when unknown.
int OwnerOf(const QString& File) {
  return static_cast<int>(QFileInfo(File).ownerId());
}

struct THolder {
  QProcess Process;
  bool Start(const QString& Folder, const QStringList& As = {}) {
    return Run(As, {QStringLiteral("--hold-lock"), Folder});
  }
  bool HoldFile(const QString& File) { return Run({}, {QStringLiteral("--hold-file"), File}); }
  // SIGKILL here, TerminateProcess on Windows: the holder gets no chance to
  // clean up.
  void Kill9() {
    Process.kill();
    Process.waitForFinished();
  }
  ~THolder() {
    if (Process.state() != QProcess::NotRunning) Kill9();
  }

 private:
  bool Run(const QStringList& As, const QStringList& Arguments) {
    const QString program = QCoreApplication::applicationFilePath();
    if (As.isEmpty())
      Process.start(program, Arguments);
    else
      Process.start(As.first(), As.mid(1) + QStringList{program} + Arguments);
    return Process.waitForReadyRead(30000) && Process.readAll().trimmed() == "held";
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
  // out: exit 1, the reason and the holder on standard error (or that the
  // holder cannot be read), nothing written and the holder's lock left alone.
  void commandLineGivesUpAfterItsBound_data() {
    QTest::addColumn<QString>("holder");
    QTest::newRow("live program on this computer") << "live";
    QTest::newRow("program on another computer, refreshed") << "foreign";
    QTest::newRow("live holder of a lock file naming nobody") << "nameless";
  }
  void commandLineGivesUpAfterItsBound() {
    QFETCH(QString, holder);
    TestProgram t;
    InstallProgram(t.Folder);
    THolder live;
    const QString name = TDownloadLock::FileName(t.Folder.Path());
    if (holder == QLatin1String("foreign")) {
      WriteForeignLock(t.Folder, 5);
    } else if (holder == QLatin1String("nameless")) {
      t.Folder.WriteFile(QStringLiteral("download.lock"), QByteArray());
      QVERIFY(live.HoldFile(name));
    } else {
      QVERIFY(live.Start(t.Folder.Path()));
    }
    const QByteArray lock = t.Folder.ReadFile(QStringLiteral("download.lock"));

    const TRun run = RunCommandLine(t.Folder, {"--download-all", "--lock-wait", "1"});
    QCOMPARE(run.Exit, 1);
    QVERIFY2(run.Ms >= 1000, qPrintable(QString::number(run.Ms)));
    QVERIFY2(run.Err.startsWith(QStringLiteral("meridox: ") + kWaiting + QLatin1Char('\n')),
             qPrintable(run.Err));
    QVERIFY2(run.Err.contains(QStringLiteral("1 saniye beklendi")), qPrintable(run.Err));
    const QString named =
        holder == QLatin1String("foreign")
            ? QStringLiteral("(program meridox, süreç 4242, bilgisayar baska-bilgisayar)")
        : holder == QLatin1String("nameless")
            ? QStringLiteral("(tutan program kilit dosyasından okunamadı)")
            : QStringLiteral("süreç %1").arg(live.Process.processId());
    QVERIFY2(run.Err.contains(named), qPrintable(run.Err));
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

  // A lock file that names no holder (a write lost in a crash, garbage, a
  // header cut short, even one naming a live process): held by nobody, it is
  // taken over without a wait; held by a live process, it is waited for,
  // left as it is, and its holder is said to be unreadable.
  void lockNamingNobody_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("held");
    const QByteArray cut = QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
                           QCoreApplication::applicationName().toUtf8() + '\n';
    const QList<std::pair<const char*, QByteArray>> contents = {
        {"empty", QByteArray()},
        {"zeros of a write lost in a crash", QByteArray(83, '\0')},
        {"binary garbage", QByteArray("\x7f"
                                      "ELF\x02\x01\x01\x00\xff\xfe\x9c\x10\n\x01\n",
                                      15)},
        {"header cut after a live program's name", cut},
    };
    for (const auto& [name, content] : contents) {
      QTest::addRow("%s, held by nobody", name) << content << false;
      QTest::addRow("%s, held by a live process", name) << content << true;
    }
  }
  void lockNamingNobody() {
    QFETCH(QByteArray, content);
    QFETCH(bool, held);
    TestFolder folder;
    const QString name = TDownloadLock::FileName(folder.Path());
    folder.WriteFile(QStringLiteral("download.lock"), content);
    THolder holder;
    if (held) QVERIFY(holder.HoldFile(name));
    QElapsedTimer timer;
    timer.start();
    bool waited = false;
    {
      TDownloadLock lock(
          folder.Path(), [&] { waited = true; },
          // Long enough for a lock taken without a wait, far short of the
          // five minutes of a lock left without refresh.
          [&] { return timer.elapsed() > (held ? 1000 : 20000); });
      QCOMPARE(lock.Held(), !held);
      QCOMPARE(waited, held);
      if (held) {
        QCOMPARE(folder.ReadFile(QStringLiteral("download.lock")), content);
        QCOMPARE(TDownloadLock::HolderText(folder.Path()),
                 QStringLiteral("tutan program kilit dosyasından okunamadı"));
      } else {
        QVERIFY(TDownloadLock::HolderText(folder.Path())
                    .contains(QStringLiteral("süreç %1").arg(QCoreApplication::applicationPid())));
      }
    }
    QCOMPARE(QFile::exists(name), held);
  }

  // A lock whose named process has ended while another live process still
  // holds the file (a holder in another process namespace, whose number
  // means nothing here) is waited for and left alone.
  void lockOfAnEndedProcessStillHeldIsWaitedFor() {
    TestFolder folder;
    const QString name = TDownloadLock::FileName(folder.Path());
    THolder ended;
    QVERIFY(ended.Start(folder.Path()));
    const QString named = QStringLiteral("süreç %1").arg(ended.Process.processId());
    ended.Kill9();
    THolder live;
    QVERIFY(live.HoldFile(name));
    const QByteArray lock = folder.ReadFile(QStringLiteral("download.lock"));
    QElapsedTimer timer;
    timer.start();
    bool waited = false;
    TDownloadLock taker(
        folder.Path(), [&] { waited = true; }, [&] { return timer.elapsed() > 1000; });
    QVERIFY(!taker.Held());
    QVERIFY(waited);
    QCOMPARE(folder.ReadFile(QStringLiteral("download.lock")), lock);
    QVERIFY(TDownloadLock::HolderText(folder.Path()).contains(named));
  }

  // Another account's lock in a folder that several accounts share, taken by
  // a third account: one whose program was killed with kill -9 is taken over
  // at once, one that lives is waited for. Where the folder forbids removing
  // another's file (the sticky bit, or no right to write in it) the
  // takeover gives up at once with the file and the reason, rather than wait.
  void anotherAccountsLock_data() {
    QTest::addColumn<int>("owner");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("killed");
    QTest::addColumn<QString>("said");
    QTest::newRow("killed, shared folder") << 0 << 0777 << true << "taken";
    QTest::newRow("live, shared folder") << 0 << 0777 << false << "gave up";
    QTest::newRow("killed, shared folder with the sticky bit")
        << 0 << 01777 << true << "error: Operation not permitted";
    QTest::newRow("killed, folder only its owner may write to")
        << kNobody << 0755 << true << "error: Permission denied";
  }
  void anotherAccountsLock() {
    QFETCH(int, owner);
    QFETCH(int, mode);
    QFETCH(bool, killed);
    QFETCH(QString, said);
    if (AsUser(kNobody).isEmpty()) QSKIP("needs root and setpriv to act as other accounts");
    TestFolder folder;
    if (!ReachableByOthers(QFileInfo(QDir(folder.Path()).absolutePath()).absolutePath()))
      QSKIP("the temporary folder lies where other accounts cannot reach");
    QVERIFY(SetFolder(folder.Path(), owner, mode));
    const QString name = TDownloadLock::FileName(folder.Path());
    THolder holder;
    QVERIFY(holder.Start(folder.Path(), AsUser(kNobody)));
    QCOMPARE(OwnerOf(name), kNobody);
    if (killed) holder.Kill9();
    const QByteArray lock = folder.ReadFile(QStringLiteral("download.lock"));

    QProcess taker;
    const QStringList as = AsUser(kStranger);
    taker.start(as.first(), as.mid(1) + QStringList{QCoreApplication::applicationFilePath(),
                                                    QStringLiteral("--take-lock"), folder.Path(),
                                                    QStringLiteral("3000")});
    QVERIFY(taker.waitForFinished(60000));
    const QString out = QString::fromUtf8(taker.readAllStandardOutput()).trimmed();
    if (said.startsWith(QLatin1String("error: "))) {
      // The reason, and the file it is about.
      QVERIFY2(out.startsWith(QLatin1String("error: ")) && out.contains(said.mid(7)) &&
                   out.contains(QDir::toNativeSeparators(name)),
               qPrintable(out));
    } else {
      QCOMPARE(out, said);
    }
    if (said == QLatin1String("taken")) {
      QVERIFY(!QFile::exists(name));
    } else {
      QCOMPARE(folder.ReadFile(QStringLiteral("download.lock")), lock);
      QCOMPARE(OwnerOf(name), kNobody);
    }
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

  // A download from the window that waited for the lock shows its own lines
  // alone: neither what the memo held before nor the waiting line.
  void windowDownloadAfterTheWaitShowsItsLinesAlone() {
    Connected t;
    FakeSdk.LogRecords = Records(2);
    t.Main().Memo4->setPlainText(QStringLiteral("an earlier download's line"));
    QLockFile other(TDownloadLock::FileName(t.Folder.Path()));
    QVERIFY(other.tryLock(0));
    int pumps = 0;
    bool waitingShown = true;
    t.Dialogs->OnProcessMessages = [&] {
      if (CancelButton(t.Main()))
        waitingShown = waitingShown && t.Main().Memo4->toPlainText() == kWaiting;
      if (++pumps == 3) other.unlock();
    };
    t.Main().BitBtn5->click();
    QVERIFY(pumps >= 3);
    QVERIFY(waitingShown);
    const QByteArray file = t.Folder.ReadFile(QStringLiteral("veri.txt"));
    QCOMPARE(file.count('\n'), 2);
    QCOMPARE(t.Main().Memo4->toPlainText() + QLatin1Char('\n'),
             QString::fromLatin1(file).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
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
  if (argc == 3 && qstrcmp(argv[1], "--hold-file") == 0) {
    QCoreApplication app(argc, argv);
    return HoldFile(argv[2]);
  }
  if (argc == 4 && qstrcmp(argv[1], "--take-lock") == 0) {
    QCoreApplication app(argc, argv);
    return TakeLock(argv[2], argv[3]);
  }
  QApplication app(argc, argv);
  TestDownloadLock test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_downloadlock.moc"
