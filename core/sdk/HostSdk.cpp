#include "sdk/HostSdk.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "sdk/HostBridge.h"
#include "sdk/SdkChoice.h"
#include "sdk/SdkPlatform.h"

namespace {

constexpr int kMachineI386 = 0x14c;
constexpr int kMachineAmd64 = 0x8664;

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

// ---------------------------------------------------------------------------
// The loader: finds what the host needs, starts it through the bridge, and
// tells the operator why it cannot be used.

class THostLoader final : public SdkLoader {
 public:
  explicit THostLoader(const THostSdkOptions& Options) : options_(Options) {}
  ~THostLoader() override {
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

  THostSdkOptions options_;
  int machine_ = 0;
  QString wine_, host_;
  THostBridge bridge_;
  QString problem_;  // what stood in the way before the host was started
};

bool THostLoader::Open() {
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
  const bool throughWine = SdkPlatform::HostThroughWine();
  if (throughWine)
    wine_ = options_.Wine.isEmpty() ? SdkPlatform::FindWine(machine_) : options_.Wine;
  if (throughWine && (wine_.isEmpty() || !QFileInfo(wine_).isExecutable())) {
    problem_ =
        QStringLiteral(
            "%1 bir Windows kitaplığı (%2); Linux'ta Wine ile çalışır, ama Wine "
            "bulunamadı. Kurmak için root olarak: %3")
            .arg(file,
                 machine_ == kMachineI386 ? QStringLiteral("32 bit") : QStringLiteral("64 bit"),
                 SdkPlatform::WineInstallCommand(machine_));
    return false;
  }
  const QString hostFolder =
      options_.HostFolder.isEmpty() ? QCoreApplication::applicationDirPath() : options_.HostFolder;
  host_ = QDir(hostFolder).filePath(HostProgram(machine_));
  if (!QFileInfo::exists(host_)) {
    problem_ = QStringLiteral("%1 için gereken %2 bulunamadı (%3).")
                   .arg(file, HostProgram(machine_), QDir::toNativeSeparators(hostFolder));
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
THostLaunch THostLoader::Launch() const {
  THostLaunch launch;
  const auto path = [](const QString& File) {
    return QDir::toNativeSeparators(QFileInfo(File).absoluteFilePath());
  };
  const bool throughWine = SdkPlatform::HostThroughWine();
  launch.Command.Program = throughWine ? wine_ : host_;
  if (throughWine) launch.Command.Arguments << host_;
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
    return SdkPlatform::WinePrefixMissing() ? std::max(usual, 180000) : usual;
  };
  return launch;
}

QString THostLoader::TroubleText(const THostTrouble& Trouble) const {
  const QString file = options_.FirstLibrary;
  const QString hostName = HostProgram(machine_);
  const bool throughWine = SdkPlatform::HostThroughWine();
  const QString withWine = SdkPlatform::WithWine();
  QString text;
  switch (Trouble.Fault) {
    case THostFault::None:
      return {};
    case THostFault::NotStarted:
      return QStringLiteral("%1 açılamadı: %2 başlatılamadı (%3).")
          .arg(file, QDir::toNativeSeparators(throughWine ? wine_ : host_), Trouble.StartError);
    case THostFault::OtherRevision:
      return QStringLiteral("%1 %2açılamadı: %3 bu programın sürümüne ait değil.")
          .arg(file, withWine, hostName);
    case THostFault::LibraryChanged:
      return QStringLiteral("%1 program açıkken değişti; programı yeniden başlatın.").arg(file);
    case THostFault::Silent:
      text = QStringLiteral("%1 %2açılamadı: %3 %4 saniye içinde yanıt vermedi.")
                 .arg(file, withWine, hostName)
                 .arg(Trouble.LimitMs / 1000.0);
      break;
    case THostFault::NotProtocol:
      text = QStringLiteral("%1 %2açılamadı: %3 bu programın protokolüne uymayan bir yanıt verdi.")
                 .arg(file, withWine, hostName);
      break;
    case THostFault::Ended:
      text = QStringLiteral("%1 %2açılamadı: %3 başlar başlamaz kapandı.")
                 .arg(file, withWine, hostName);
      if (machine_ == kMachineI386 && throughWine)
        text += QStringLiteral(
                    " 32 bit kitaplıklar için wine32 gerekli (ve 32 bit programları "
                    "çalıştırabilen bir sistem). Kurmak için root olarak: %1")
                    .arg(SdkPlatform::WineInstallCommand(machine_));
      break;
  }
  if (!Trouble.LastErrorLine.isEmpty())
    text += QStringLiteral(" (%1: %2)")
                .arg(throughWine ? QStringLiteral("Wine") : hostName, Trouble.LastErrorLine);
  return text;
}

}  // namespace

QString HostProgram(int Machine) {
  return Machine == kMachineI386 ? QStringLiteral("sdkhost-i686.exe")
                                 : QStringLiteral("sdkhost-x86_64.exe");
}

std::unique_ptr<SdkLoader> MakeHostLoader(const THostSdkOptions& Options) {
  return std::make_unique<THostLoader>(Options);
}

qint64 HostPid() {
  const THostBridge* bridge = THostBridge::InUse();
  return bridge ? bridge->Pid() : 0;
}
