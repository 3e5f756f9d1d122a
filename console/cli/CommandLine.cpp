#include "cli/CommandLine.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>
#include <functional>
#include <utility>

#include "attendance/Batch.h"
#include "attendance/DownloadLock.h"
#include "cli/Console.h"
#include "common/Cleanup.h"
#include "common/Errors.h"
#include "data/DM.h"
#include "session/ProgramFolder.h"
#include "session/TerminalSession.h"

namespace {

const char kUsage[] =
    "Kullanım: meridox [--folder KLASÖR]                 pencereyi açar\n"
    "          meridox KOMUT [SEÇENEK] [--folder KLASÖR]\n"
    "Komutlar pencere açmadan, program klasöründeki Data.mdb'deki tüm terminallerle çalışır.\n"
    "\n"
    "  --download-all [--retries N]  her terminalden yeni kayıtları alır ve veri.txt,\n"
    "                                yedek_K20 (ve seçildiyse veri2.txt) dosyalarına ekler;\n"
    "                                ulaşılamayan ya da yarıda kalan terminal N kez daha denenir\n"
    "      [--lock-wait SANİYE]      başka bir veri aktarımı sürüyorsa en çok bu kadar\n"
    "                                bekler (varsayılan 600), sonra vazgeçip 1 ile çıkar\n"
    "  --check                       her terminale bağlanıp bağlantıyı keser, sonucu yazar\n"
    "  --set-time-all                her terminalin saatini bilgisayarın saatine ayarlar\n"
    "  --version                     sürümü yazar\n"
    "  --help                        bu açıklamayı yazar\n"
    "  --folder KLASÖR               program klasörü: Data.mdb, Log.mdb, Settings.ini ve\n"
    "                                veri dosyaları burada; verilmezse MERIDOX_HOME, o da\n"
    "                                yoksa programın kendi klasörü, oraya yazılamıyorsa\n"
    "                                %1\n"
    "                                (--folder ya da MERIDOX_HOME ile verilen klasör\n"
    "                                önceden var olmalı; kullanıcının klasörü ilk\n"
    "                                kullanımda oluşturulur)\n"
    "\n"
    "Çıkış durumu: 0 tüm terminaller başarılı, 1 en az bir terminalde hata,\n"
    "2 hatalı komut satırı, program klasörü ya da veritabanı bulunamadı.\n";

constexpr int kMaxRetries = 100;
// How long --download-all waits for another download by default: longer
// than a large terminal's walk, and than a lock left behind on another
// computer takes to count as stale; shorter than the usual collection period.
constexpr int kDefaultLockWaitSeconds = 600;
constexpr int kMaxLockWaitSeconds = 86400;

void Out(const QString& Text) {
  WriteStream(stdout, Text);
}
void Err(const QString& Text) {
  WriteStream(stderr, "meridox: " + Text + "\n");
}

int Usage(const QString& Problem) {
  Err(Problem);
  Err(QStringLiteral("yardım için: meridox --help"));
  return kExitUsage;
}

// The progress of one terminal's walk on a terminal screen: a bar that runs
// and wraps like the window's, with the count. Nothing on a pipe or a file.
class TConsoleWalk final : public TDownloadReport {
 public:
  explicit TConsoleWalk(bool Bar) : bar_(Bar) {}
  void Begin(const QString& Name) {
    name_ = Name;
    count_ = 0;
    walked_ = false;
  }
  void Started(int Maximum) override {
    maximum_ = Maximum;
    walked_ = true;
  }
  // A walk began on this terminal, so records may have reached the files.
  bool Walked() const { return walked_; }
  void Line(const QByteArray&) override {}
  void Counted(int Count) override { count_ = Count; }
  void Progress(int Position) override {
    if (!bar_ || (count_ % 256 != 0 && Position != maximum_)) return;
    const int filled = maximum_ > 0 ? Position * kWidth / maximum_ : 0;
    Out(QStringLiteral("\r%1 [%2%3] %4 kayıt")
            .arg(name_, QString(filled, QLatin1Char('#')),
                 QString(kWidth - filled, QLatin1Char('.')))
            .arg(count_));
    shown_ = true;
  }
  void Ended(int) override {}
  // Clears the bar's line before the terminal's result line.
  void Clear() {
    if (shown_) Out(QStringLiteral("\r\033[K"));
    shown_ = false;
  }

 private:
  static constexpr int kWidth = 30;
  bool bar_;
  bool shown_ = false;
  bool walked_ = false;
  QString name_;
  int count_ = 0;
  int maximum_ = 1;
};

// The batch on the console. Nobody is there to cancel: a wait for the
// download lock gives up by itself after LockWaitSeconds.
class TConsoleBatch final : public TBatchReport {
 public:
  TConsoleBatch(bool Bar, const QString& AppPath, int LockWaitSeconds)
      : walk_(Bar), appPath_(AppPath), lockWaitMs_(LockWaitSeconds * 1000LL) {}
  void Waiting() override {
    Err(DownloadWaitingText());
    waiting_.start();
  }
  bool Cancelled() override {
    // Asked while waiting for the lock and before each terminal; only the
    // wait has a bound.
    if (begun_ || !waiting_.isValid() || waiting_.elapsed() < lockWaitMs_) return false;
    // The lock may have come just as the bound ran out: then the batch runs.
    if (LockIsOurs()) return false;
    gaveUp_ = true;
    return true;
  }
  // The wait for the lock ran out: nothing was downloaded.
  bool GaveUp() const { return gaveUp_; }
  TDownloadReport& Begin(const TBatchTerminal& Terminal) override {
    begun_ = true;
    walk_.Begin(Terminal.Name);
    return walk_;
  }
  void Done(const TBatchTerminal& Terminal, const TBatchItem& Item) override {
    walk_.Clear();
    Out(BatchItemLine(Terminal, Item) + QLatin1Char('\n'));
    // After a failed walk the operator must know what was kept.
    if (!Item.Ok && walk_.Walked())
      Out(Terminal.Name + QStringLiteral(": ") + WrittenRecordsText(Item.Records) +
          QLatin1Char('\n'));
  }
  void Finished(const TBatchTotals& Totals) override {
    Out(BatchTotalsLine(Totals) + QLatin1Char('\n'));
  }

 private:
  bool LockIsOurs() const {
    QLockFile file(TDownloadLock::FileName(appPath_));
    qint64 pid = 0;
    QString host, program;
    return file.getLockInfo(&pid, &host, &program) && pid == QCoreApplication::applicationPid() &&
           host == QSysInfo::machineHostName();
  }

  TConsoleWalk walk_;
  QString appPath_;
  qint64 lockWaitMs_;
  QElapsedTimer waiting_;
  bool begun_ = false;
  bool gaveUp_ = false;
};

// Runs Action on every terminal in turn, connected; one line each, and
// after the first failed connect the line ConnectHint when there is one.
// Returns the exit status.
int ForEveryTerminal(TFKAttendObject& Sdk, const QList<TBatchTerminal>& Terminals,
                     const std::function<QString(TFKAttendObject&, bool& Ok)>& Action,
                     QString ConnectHint) {
  int failed = 0;
  for (const TBatchTerminal& t : Terminals) {
    bool ok = false;
    QString text;
    if (!t.RowError.isEmpty()) {
      text = QStringLiteral("HATA - ") + t.RowError;
    } else if (!Sdk.Connect(t.Info)) {
      text = QStringLiteral("HATA - ") + Sdk.LastErrorText();
      if (!ConnectHint.isEmpty()) text += QLatin1Char('\n') + std::exchange(ConnectHint, {});
    } else {
      TScopeExit disconnect([&Sdk] { Sdk.Disconnect(); });
      // Enabled at the connect when an earlier run left it disabled: said
      // on its line; one that stays disabled fails without its action.
      const QString leftDisabled = LeftDisabledText(Sdk);
      if (Sdk.LeftDisabledAtConnect() == TFKAttendObject::TLeftDisabled::NotEnabled) {
        text = QStringLiteral("HATA - ") + leftDisabled;
      } else {
        try {
          text = Action(Sdk, ok);
        } catch (const EAppError& e) {
          ok = false;
          text = QStringLiteral("HATA - ") + e.Text();
        }
        if (!leftDisabled.isEmpty()) text += QStringLiteral(" - ") + leftDisabled;
      }
    }
    if (!ok) ++failed;
    Out(t.Name + QStringLiteral(": ") + text + QLatin1Char('\n'));
  }
  Out(QStringLiteral("İşlem tamamlandı. Terminal: %1, Hatalı: %2\n")
          .arg(Terminals.size())
          .arg(failed));
  return failed > 0 ? kExitTerminalFailed : kExitOk;
}

QString CheckOne(TFKAttendObject&, bool& Ok) {
  Ok = true;
  return QStringLiteral("bağlantı başarılı");
}

// As "Tarih-Saat Ayarla": the clock is set between disabling and enabling;
// a terminal that cannot be enabled again (not even over a new connection)
// fails and says so.
QString SetTimeOne(TFKAttendObject& Sdk, bool& Ok) {
  TTerminalBracket terminal(Sdk, TTerminalBracket::TEnableWhen::Disabled);
  if (!terminal.Disable()) return QStringLiteral("HATA - ") + Sdk.LastErrorText();
  Ok = SetClockToComputerTime(Sdk);
  QString text =
      Ok ? QStringLiteral("cihaz tarih saati ayarlandı..")
         : QStringLiteral("HATA...tarih saat ayarlanamadı.. (%1)").arg(Sdk.LastErrorText());
  const QString notEnabled = terminal.Enable();
  if (!notEnabled.isEmpty()) {
    Ok = false;
    text += QStringLiteral(" - HATA - ") + notEnabled;
  }
  return text;
}

using TCommand = TProgramOptions::TCommand;

TCommand CommandNamed(const QString& Argument) {
  static const QList<QPair<QLatin1String, TCommand>> commands = {
      {QLatin1String("--download-all"), TCommand::DownloadAll},
      {QLatin1String("--check"), TCommand::Check},
      {QLatin1String("--set-time-all"), TCommand::SetTimeAll},
      {QLatin1String("--help"), TCommand::Help},
      {QLatin1String("--version"), TCommand::Version}};
  for (const auto& [name, command] : commands)
    if (Argument == name) return command;
  return TCommand::None;
}

}  // namespace

QString VersionText() {
  return QStringLiteral("meridox " MERIDOX_VERSION);
}

TProgramOptions ReadProgramOptions(const QStringList& Arguments) {
  TProgramOptions o;
  o.LockWaitSeconds = kDefaultLockWaitSeconds;
  bool retries = false;
  bool lockWait = false;
  // The first problem in the order of the arguments is the one told.
  auto problem = [&o](const QString& Text) {
    if (o.Problem.isEmpty()) o.Problem = Text;
  };
  // The number after an option, within 0..Most; false when it is missing
  // or no such number.
  auto number = [&Arguments](int& i, int Most, int& Value) {
    bool ok = false;
    Value = i + 1 < Arguments.size() ? Arguments[++i].toInt(&ok) : 0;
    return ok && Value >= 0 && Value <= Most;
  };
  for (int i = 1; i < Arguments.size(); ++i) {
    const QString& a = Arguments[i];
    const TCommand command = CommandNamed(a);
    if (a == QLatin1String("--folder")) {
      o.Folder = i + 1 < Arguments.size() ? Arguments[++i] : QString();
      if (!o.Folder.isEmpty()) continue;  // the window's own
      problem(QStringLiteral("--folder için bir klasör gerekli"));
    } else if (a == QLatin1String("--quit-after-start")) {
      o.QuitAfterStart = true;
      // The window's own, and no option of a command.
      problem(QStringLiteral("bilinmeyen seçenek: %1").arg(a));
      continue;
    } else if (a == QLatin1String("--lock-wait")) {
      lockWait = true;
      if (!number(i, kMaxLockWaitSeconds, o.LockWaitSeconds))
        problem(QStringLiteral("--lock-wait için 0 ile %1 arasında bir saniye sayısı gerekli")
                    .arg(kMaxLockWaitSeconds));
    } else if (a == QLatin1String("--retries")) {
      retries = true;
      if (!number(i, kMaxRetries, o.Retries))
        problem(
            QStringLiteral("--retries için 0 ile %1 arasında bir sayı gerekli").arg(kMaxRetries));
    } else if (command != TCommand::None) {
      if (o.Command != TCommand::None) problem(QStringLiteral("tek bir komut verilebilir"));
      o.Command = command;
    } else {
      problem(QStringLiteral("bilinmeyen seçenek: %1").arg(a));
    }
    o.CommandLine = true;
  }
  if (retries && o.Command != TCommand::DownloadAll)
    problem(QStringLiteral("--retries yalnızca --download-all ile kullanılır"));
  if (lockWait && o.Command != TCommand::DownloadAll)
    problem(QStringLiteral("--lock-wait yalnızca --download-all ile kullanılır"));
  if (o.Command == TCommand::None) problem(QStringLiteral("komut verilmedi"));
  return o;
}

TProgramOptions ReadProgramOptions(int argc, char* argv[]) {
  return ReadProgramOptions(ProgramArguments(argc, argv));
}

int RunCommandLine(const TProgramOptions& Options, const QString& AppFolder) {
  if (!Options.Problem.isEmpty()) return Usage(Options.Problem);
  if (Options.Command == TCommand::Version) {
    Out(VersionText() + QLatin1Char('\n'));
    return kExitOk;
  }
  if (Options.Command == TCommand::Help) {
    const QString where = AppFolder.isEmpty() ? ChooseProgramFolder(Options.Folder) : AppFolder;
    Out(QString::fromUtf8(kUsage).arg(QString::fromUtf8(kUserDataFolderHelp)) +
        QStringLiteral("\n%1. Program klasörü: %2\n")
            .arg(VersionText(), QDir::toNativeSeparators(where)));
    return kExitOk;
  }

  QString appFolder = AppFolder;
  if (appFolder.isEmpty()) {
    const TProgramFolder prepared = PrepareProgramFolder(Options.Folder);
    if (!prepared.Error.isEmpty()) Err(prepared.Error);
    if (!prepared.Copied.isEmpty())
      Err(QStringLiteral("boş %1 şuraya kopyalandı: %2")
              .arg(prepared.Copied.join(QStringLiteral(", ")),
                   QDir::toNativeSeparators(prepared.Path)));
    if (!prepared.Notice.isEmpty()) Err(prepared.Notice);
    if (prepared.Path.isEmpty()) return kExitUsage;
    appFolder = prepared.Path;
  }
  TTerminalSession session(appFolder);
  session.Start();
  if (Options.Command == TCommand::Check) Out(session.SdkDescription() + QLatin1Char('\n'));
  const QString data = session.AppPath() + QStringLiteral("Data.mdb");
  if (!QFileInfo::exists(data)) {
    Err(QStringLiteral("Data dosyası bulunamadı: %1").arg(data));
    return kExitUsage;
  }
  TTerminalFile file;
  QList<TBatchTerminal> terminals;
  try {
    file.Open(data);
    if (!file.Notice().isEmpty()) Err(file.Notice());
    terminals = ReadTerminalList(file.Terminals());
  } catch (const EAppError& e) {
    Err(QStringLiteral("Data dosyası okunamadı: %1").arg(e.Text()));
    return kExitUsage;
  }
  // A run over no terminal succeeds, but a timer must not pass for a
  // collection: whoever reads the log learns that nothing was tried.
  if (terminals.isEmpty())
    Err(QStringLiteral("terminal listesi boş, hiçbir terminalle işlem yapılmadı: %1")
            .arg(QDir::toNativeSeparators(data)));

  TFKAttendObject& sdk = session.TerminalSdk();
  const QString hint = VendorLibraryHint(session.SdkChoice());
  if (Options.Command == TCommand::Check) return ForEveryTerminal(sdk, terminals, &CheckOne, hint);
  if (Options.Command == TCommand::SetTimeAll)
    return ForEveryTerminal(sdk, terminals, &SetTimeOne, hint);

  // Downloading without the operator's options would leave the records
  // meant for veri2.txt out of it for good: the terminal counts them as
  // delivered.
  TDownloadOptions options;
  try {
    options = session.ReadDownloadOptions();
  } catch (const EAppError& e) {
    Err(QStringLiteral("Ayarlar okunamadı, hiçbir terminalden veri alınmadı: %1").arg(e.Text()));
    return kExitUsage;
  }

  TConsoleBatch report(IsConsole(stdout), session.AppPath(), Options.LockWaitSeconds);
  try {
    const TBatchTotals totals = DownloadAll(
        sdk, terminals,
        {session.AppPath(), options.SecondDataFile, QDate::currentDate(), Options.Retries}, report);
    if (report.GaveUp()) {
      const QString holder = TDownloadLock::HolderText(session.AppPath());
      Err(QStringLiteral("%1 saniye beklendi, %2 kilidini tutan veri aktarımı bitmedi%3; hiçbir "
                         "terminalden veri alınmadı")
              .arg(Options.LockWaitSeconds)
              .arg(TDownloadLock::FileName(session.AppPath()),
                   holder.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(holder)));
      return kExitTerminalFailed;
    }
    return totals.Failed > 0 ? kExitTerminalFailed : kExitOk;
  } catch (const EAppError& e) {
    Err(e.Text());
    return kExitTerminalFailed;
  }
}
