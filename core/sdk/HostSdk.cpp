#include "sdk/WineSdk.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QStandardPaths>
#include <QtEndian>

#include "sdk/HostBridge.h"

namespace {

// On Windows the host runs directly; elsewhere through Wine. The operator's
// texts name Wine only where it is involved.
#ifdef Q_OS_WIN
constexpr bool kWineUsed = false;
const QString kWithWine;
#else
constexpr bool kWineUsed = true;
const QString kWithWine = QStringLiteral("Wine ile ");
#endif

constexpr int kMachineI386 = 0x14c;
constexpr int kMachineAmd64 = 0x8664;
QString HostName(int Machine) {
  return Machine == kMachineI386 ? QStringLiteral("sdkhost-i686.exe")
                                 : QStringLiteral("sdkhost-x86_64.exe");
}

QString InstallCommand(int Machine) {
  return Machine == kMachineI386 ? QStringLiteral(
                                       "dpkg --add-architecture i386 && apt-get update && "
                                       "apt-get install wine wine32")
                                 : QStringLiteral("apt-get install wine wine64");
}

// What a Windows error code of LoadLibrary means for the operator.
QString LoadErrorText(int Code) {
  switch (Code) {
    case 2:
    case 3:
      return QStringLiteral("dosya bulunamadı");
    case 5:
      return QStringLiteral("dosyaya erişim izni yok");
    case 126:
      return QStringLiteral("gerektirdiği başka bir kitaplık bulunamadı");
    case 193:
      return QStringLiteral("bozuk ya da başka bir makine türü için");
    case 1114:
      return QStringLiteral("kitaplığın kendi başlangıcı başarısız oldu");
    default:
      return QStringLiteral("Windows hata kodu %1").arg(Code);
  }
}

// How long a host may take to say hello: 20 s, which a host on a real
// machine never needs; MERIDOX_HOST_START_SECONDS sets another limit for a
// slow machine (one that emulates the processor, say).
int HostStartLimitMs() {
  bool ok = false;
  const int seconds = qEnvironmentVariableIntValue("MERIDOX_HOST_START_SECONDS", &ok);
  return ok && seconds > 0 && seconds <= 3600 ? seconds * 1000 : 20000;
}

// The wine program for a library of this machine type; empty when none.
QString FindWine(int Machine) {
  if (Machine == kMachineAmd64) {
    // wine64 runs a 64-bit host without wine's 32-bit loader, which a
    // computer may have installed but be unable to run.
    QString wine64 = QStandardPaths::findExecutable(QStringLiteral("wine64"));
    if (wine64.isEmpty() && QFileInfo(QStringLiteral("/usr/lib/wine/wine64")).isExecutable())
      wine64 = QStringLiteral("/usr/lib/wine/wine64");
    if (!wine64.isEmpty()) return wine64;
  }
  return QStandardPaths::findExecutable(QStringLiteral("wine"));
}

// True when Wine's prefix is already there (creating one takes a while).
bool PrefixExists() {
  QString prefix = qEnvironmentVariable("WINEPREFIX");
  if (prefix.isEmpty()) prefix = QDir::homePath() + QStringLiteral("/.wine");
  return QFileInfo::exists(prefix + QStringLiteral("/system.reg"));
}

// ---------------------------------------------------------------------------
// The loader: finds what the host needs, starts it through the bridge, and
// tells the operator why it cannot be used.

class TWineLoader final : public SdkLoader {
 public:
  explicit TWineLoader(const TWineSdkOptions& Options) : options_(Options) {}
  ~TWineLoader() override {
    if (THostBridge::InUse() == &bridge_) THostBridge::Use(nullptr);
  }

  bool Load(SdkLibrary Library) override {
    if (Library == SdkLibrary::FK623Attend) {
      if (THostBridge::InUse() && THostBridge::InUse() != &bridge_) {
        problem_ = QStringLiteral(
            "Windows kitaplıkları zaten başka bir bağlantı tarafından kullanılıyor.");
        return false;
      }
      THostBridge::Use(&bridge_);
      return Open();
    }
    return bridge_.Running() && bridge_.Hello().SecondStatus == 0;
  }
  void* Resolve(SdkLibrary Library, const char* Name) override {
    return bridge_.Forwarder(SlotNamed(Library, Name));
  }
  void Unload(SdkLibrary Library) override {
    if (Library == SdkLibrary::FK623Attend) bridge_.Stop();
  }
  QString Problem() const override {
    if (bridge_.Running()) return {};
    const QString trouble = TroubleText(bridge_.Trouble());
    return trouble.isEmpty() ? problem_ : trouble;
  }

 private:
  bool Open();
  THostLaunch Launch() const;
  QString TroubleText(const THostTrouble& Trouble) const;

  TWineSdkOptions options_;
  int machine_ = 0;
  QString wine_, host_;
  THostBridge bridge_;
  QString problem_;  // what stood in the way before the host was started
};

bool TWineLoader::Open() {
  const QString file = options_.FirstLibrary;
  machine_ = PeMachine(file);
  if (machine_ != kMachineI386 && machine_ != kMachineAmd64) {
    problem_ = machine_ == 0
                   ? QStringLiteral("%1 kullanılamıyor: bir Windows kitaplığı değil.").arg(file)
                   : QStringLiteral(
                         "%1 kullanılamıyor: makine türü 0x%2; 32 bit (i386) ya da "
                         "64 bit (x86-64) bir Windows kitaplığı gerekli.")
                         .arg(file)
                         .arg(machine_, 4, 16, QLatin1Char('0'));
    return false;
  }
  if (kWineUsed) wine_ = options_.Wine.isEmpty() ? FindWine(machine_) : options_.Wine;
  if (kWineUsed && (wine_.isEmpty() || !QFileInfo(wine_).isExecutable())) {
    problem_ =
        QStringLiteral(
            "%1 bir Windows kitaplığı (%2); Linux'ta Wine ile çalışır, ama Wine "
            "bulunamadı. Kurmak için root olarak: %3")
            .arg(file,
                 machine_ == kMachineI386 ? QStringLiteral("32 bit") : QStringLiteral("64 bit"),
                 InstallCommand(machine_));
    return false;
  }
  const QString hostFolder =
      options_.HostFolder.isEmpty() ? QCoreApplication::applicationDirPath() : options_.HostFolder;
  host_ = QDir(hostFolder).filePath(HostName(machine_));
  if (!QFileInfo::exists(host_)) {
    problem_ = QStringLiteral("%1 için gereken %2 bulunamadı (%3).")
                   .arg(file, HostName(machine_), QDir::toNativeSeparators(hostFolder));
    return false;
  }
  if (!options_.SecondLibrary.isEmpty() && PeMachine(options_.SecondLibrary) != machine_) {
    // A second library of another machine type cannot load beside the first;
    // the program works without it, as without any.
    qWarning("%s: another machine type than %s; not used", qPrintable(options_.SecondLibrary),
             qPrintable(file));
    options_.SecondLibrary.clear();
  }
  if (!bridge_.Open(Launch())) return false;
  if (bridge_.Hello().FirstStatus != 0) {
    problem_ =
        QStringLiteral("%1 yüklenemedi: %2.").arg(file, LoadErrorText(bridge_.Hello().FirstStatus));
    bridge_.Stop();
    return false;
  }
  return true;
}

// wine with the host and the libraries' absolute paths; the host turns them
// into the drive paths Wine gives them.
THostLaunch TWineLoader::Launch() const {
  THostLaunch launch;
  const auto path = [](const QString& File) {
    return QDir::toNativeSeparators(QFileInfo(File).absoluteFilePath());
  };
  launch.Command.Program = kWineUsed ? wine_ : host_;
  if (kWineUsed) launch.Command.Arguments << host_;
  launch.Command.Arguments << path(options_.FirstLibrary);
  if (!options_.SecondLibrary.isEmpty()) launch.Command.Arguments << path(options_.SecondLibrary);
  // Wine's own chatter off, and no offer to install its .NET or HTML
  // engines when it creates a prefix, unless the operator asked otherwise.
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  if (!env.contains(QStringLiteral("WINEDEBUG")))
    env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
  if (!env.contains(QStringLiteral("WINEDLLOVERRIDES")))
    env.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
  launch.Command.Environment = env;
  launch.Bits = machine_ == kMachineI386 ? 32 : 64;
  const int given = options_.HelloTimeoutMs;
  launch.HelloLimitMs = [given] {
    if (given > 0) return given;
    const int usual = HostStartLimitMs();
    return !kWineUsed || PrefixExists() ? usual : std::max(usual, 180000);
  };
  return launch;
}

QString TWineLoader::TroubleText(const THostTrouble& Trouble) const {
  const QString file = options_.FirstLibrary;
  const QString hostName = HostName(machine_);
  QString text;
  switch (Trouble.Fault) {
    case THostFault::None:
      return {};
    case THostFault::NotStarted:
      return QStringLiteral("%1 açılamadı: %2 başlatılamadı (%3).")
          .arg(file, QDir::toNativeSeparators(kWineUsed ? wine_ : host_), Trouble.StartError);
    case THostFault::OtherRevision:
      return QStringLiteral("%1 %2açılamadı: %3 bu programın sürümüne ait değil.")
          .arg(file, kWithWine, hostName);
    case THostFault::LibraryChanged:
      return QStringLiteral("%1 program açıkken değişti; programı yeniden başlatın.").arg(file);
    case THostFault::Silent:
      text = QStringLiteral("%1 %2açılamadı: %3 %4 saniye içinde yanıt vermedi.")
                 .arg(file, kWithWine, hostName)
                 .arg(Trouble.LimitMs / 1000.0);
      break;
    case THostFault::NotProtocol:
      text = QStringLiteral("%1 %2açılamadı: %3 bu programın protokolüne uymayan bir yanıt verdi.")
                 .arg(file, kWithWine, hostName);
      break;
    case THostFault::Ended:
      text = QStringLiteral("%1 %2açılamadı: %3 başlar başlamaz kapandı.")
                 .arg(file, kWithWine, hostName);
      if (machine_ == kMachineI386 && kWineUsed)
        text += QStringLiteral(
                    " 32 bit kitaplıklar için wine32 gerekli (ve 32 bit programları "
                    "çalıştırabilen bir sistem). Kurmak için root olarak: %1")
                    .arg(InstallCommand(machine_));
      break;
  }
  if (!Trouble.LastErrorLine.isEmpty())
    text += QStringLiteral(" (%1: %2)")
                .arg(kWineUsed ? QStringLiteral("Wine") : hostName, Trouble.LastErrorLine);
  return text;
}

// A library of our own machine type loaded into this process by its full
// path, with the second one from the same folder when it is there. Why the
// first cannot be loaded is for the operator to read: no stand-in may take
// the place of a vendor library that is there but broken.
class TInProcessLoader final : public SdkLoader {
 public:
  TInProcessLoader(const QString& First, const QString& Second) {
    first_.setFileName(First);
    second_.setFileName(Second);
  }
  bool Load(SdkLibrary Library) override {
    if (Library == SdkLibrary::FKAttend) return !second_.fileName().isEmpty() && second_.load();
    if (first_.load()) return true;
    problem_ = QStringLiteral("%1 yüklenemedi: %2.")
                   .arg(QDir::toNativeSeparators(first_.fileName()), first_.errorString());
    return false;
  }
  void* Resolve(SdkLibrary Library, const char* Name) override {
    return reinterpret_cast<void*>(Of(Library).resolve(Name));
  }
  void Unload(SdkLibrary Library) override { Of(Library).unload(); }
  QString Problem() const override { return problem_; }

 private:
  QLibrary& Of(SdkLibrary Library) { return Library == SdkLibrary::FK623Attend ? first_ : second_; }
  QLibrary first_, second_;
  QString problem_;
};

}  // namespace

QString FindLibraryFile(const QString& Folder, const QString& Name) {
  if (Folder.isEmpty()) return {};
  const QDir dir(Folder);
  for (const QString& entry : dir.entryList(QDir::Files | QDir::Readable | QDir::Hidden))
    if (entry.compare(Name, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
  return {};
}

int PeMachine(const QString& File) {
  QFile f(File);
  if (!f.open(QIODevice::ReadOnly)) return 0;
  const QByteArray dos = f.read(64);
  if (dos.size() < 64 || !dos.startsWith("MZ")) return 0;
  const quint32 at = qFromLittleEndian<quint32>(dos.constData() + 60);
  if (!f.seek(at)) return 0;
  const QByteArray pe = f.read(6);
  if (pe.size() < 6 || !pe.startsWith(QByteArray("PE\0\0", 4))) return 0;
  return qFromLittleEndian<quint16>(pe.constData() + 4);
}

std::unique_ptr<SdkLoader> MakeWineLoader(const TWineSdkOptions& Options) {
  return std::make_unique<TWineLoader>(Options);
}

std::unique_ptr<SdkLoader> MakeProgramLoader(const QStringList& Folders,
                                             const TWineSdkOptions& Base) {
  for (const QString& folder : Folders) {
    const QString first = FindLibraryFile(folder, QStringLiteral("FK623Attend.dll"));
    if (first.isEmpty()) continue;
    TWineSdkOptions options = Base;
    options.FirstLibrary = first;
    options.SecondLibrary = FindLibraryFile(folder, QStringLiteral("FKAttend.dll"));
#ifdef Q_OS_WIN
    // A library of our own machine type loads into this process by its full
    // path (the other one from the same folder), unless the host is asked
    // for; any other goes to the host, which also says what is wrong.
    if (PeMachine(first) == kMachineAmd64 && qEnvironmentVariable("MERIDOX_SDK_HOST") != "1")
      return std::make_unique<TInProcessLoader>(first, options.SecondLibrary);
#endif
    return MakeWineLoader(options);
  }
  return MakeLibraryLoader();
}

qint64 WineHostPid() {
  const THostBridge* bridge = THostBridge::InUse();
  return bridge ? bridge->Pid() : 0;
}
