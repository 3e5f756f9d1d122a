#include "sdk/WineSdk.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtEndian>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

#include "sdk/FKWire.h"

extern char** environ;

namespace {

constexpr int kMachineI386 = 0x14c;
constexpr int kMachineAmd64 = 0x8664;
// A call may take as long as the library's own time-outs let it; this bound
// only keeps a host that hangs from holding the program for ever.
constexpr int kCallLimitMs = 10 * 60 * 1000;
constexpr int kStopWaitMs = 3000;

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

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
// The bridge: one host process and the calls to it, one at a time.

class TWineBridge {
 public:
  explicit TWineBridge(const TWineSdkOptions& Options) : options_(Options) {}
  ~TWineBridge() { Stop(); }

  // Finds wine and the host, starts it and reads which names it found.
  // False with Problem() set.
  bool Open();
  bool Running() const { return pid_ > 0; }
  bool FirstLoaded() const { return firstStatus_ == 0; }
  bool SecondLoaded() const { return secondStatus_ == 0; }
  bool Found(int Slot) const { return found_[Slot]; }
  QString Problem() const { return Running() ? QString() : problem_; }
  qint64 Pid() const { return pid_; }
  void Stop();

  template <class... K>
  int32_t Call(int Slot, typename K::type... args);
  // A walk step: answered from the window of calls made ahead, or a new
  // window is asked for.
  template <class... K>
  int32_t Walk(int Slot, typename K::type... args);

 private:
  bool Start();
  bool ReadHello();
  void Lost();
  // Sends one frame and reads the answer's payload; false when the host
  // is gone, silent past the deadline, or sends a malformed frame.
  bool Exchange(const std::string& Frame, int64_t Deadline);
  bool WriteAll(const char* p, size_t n);
  bool ReadFrame(int64_t Deadline);
  void DrainErrors();
  QString LastErrorLine() const;

  TWineSdkOptions options_;
  int machine_ = 0;
  QString wine_, host_;
  pid_t pid_ = 0;
  int toHost_ = -1, fromHost_ = -1, hostErrors_ = -1;
  int32_t firstStatus_ = -1, secondStatus_ = -1;
  bool found_[fkwire::SlotCount] = {};
  bool everStarted_ = false;
  bool hostEnded_ = false;  // the last read met the end of the host's output
  QString problem_;

  std::mutex mutex_;
  fkwire::Writer request_;
  std::string answer_;
  size_t answerStart_ = 0, answerEnd_ = 0;
  fkwire::Reader reader_;
  fkwire::CallerKeep keep_;
  std::string errors_;  // the end of what the host wrote on standard error

  // The bridge's own handles, never reused, for the host's: a handle of a
  // host that ended is refused, not confused with one of the next host.
  struct THostHandle {
    int Generation;
    int Handle;
  };
  std::map<int, THostHandle> handles_;
  int nextHandle_ = 1;
  int generation_ = 0;

  template <class K>
  bool Translate(typename K::type& v);
  template <class... K>
  int32_t TakeFromWindow(typename K::type... args);

  // The answers of a walk window not yet handed out, and the calls they fit.
  struct TWindow {
    int Slot = -1, Handle = 0, Generation = 0;
    uint32_t NullMask = 0, Left = 0;
    std::string Answers;
    fkwire::Reader Reader;
  } window_;
};

TWineBridge* bridge = nullptr;  // the one the forwarding functions reach

// The calls after which the entries of a walk made ahead are stale: a walk
// loaded again, the records or items emptied, the connection closed or
// replaced. Any other call (reading a user's items and name in the middle
// of the user walk) leaves the walk where it is, so its entries stay.
bool EndsWalks(int Slot) {
  switch (Slot) {
    case fkwire::Slot_FK_LoadGeneralLogData:
    case fkwire::Slot_FK_ReadAllUserID:
    case fkwire::Slot_FK_EmptyGeneralLogData:
    case fkwire::Slot_FK_EmptyEnrollData:
    case fkwire::Slot_FK_ClearKeeperData:
    case fkwire::Slot_FK_DisConnect:
    case fkwire::Slot_FK_ConnectUSB:
    case fkwire::Slot_FK_ConnectComm:
    case fkwire::Slot_FK_ConnectNet:
      return true;
    default:
      return false;
  }
}

bool TWineBridge::Open() {
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
  wine_ = options_.Wine.isEmpty() ? FindWine(machine_) : options_.Wine;
  if (wine_.isEmpty() || !QFileInfo(wine_).isExecutable()) {
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
                   .arg(file, HostName(machine_), hostFolder);
    return false;
  }
  if (!options_.SecondLibrary.isEmpty() && PeMachine(options_.SecondLibrary) != machine_) {
    // A second library of another machine type cannot load beside the first;
    // the program works without it, as without any.
    qWarning("%s: another machine type than %s; not used", qPrintable(options_.SecondLibrary),
             qPrintable(file));
    options_.SecondLibrary.clear();
  }
  if (!Start()) return false;
  if (!FirstLoaded()) {
    problem_ = QStringLiteral("%1 yüklenemedi: %2.").arg(file, LoadErrorText(firstStatus_));
    Stop();
    return false;
  }
  return true;
}

bool TWineBridge::Start() {
  int in[2], out[2], err[2];
  if (::pipe2(in, O_CLOEXEC) != 0) return false;
  if (::pipe2(out, O_CLOEXEC) != 0) {
    ::close(in[0]), ::close(in[1]);
    return false;
  }
  if (::pipe2(err, O_CLOEXEC) != 0) {
    ::close(in[0]), ::close(in[1]), ::close(out[0]), ::close(out[1]);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);

  // Wine's own chatter off, and no offer to install its .NET or HTML
  // engines when it creates a prefix, unless the operator asked otherwise.
  QList<QByteArray> env;
  for (char** e = environ; *e; ++e) env << QByteArray(*e);
  if (!qEnvironmentVariableIsSet("WINEDEBUG")) env << "WINEDEBUG=-all";
  if (!qEnvironmentVariableIsSet("WINEDLLOVERRIDES")) env << "WINEDLLOVERRIDES=mscoree,mshtml=";
  std::vector<char*> envp;
  for (QByteArray& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  QByteArray wine = QFile::encodeName(wine_), host = QFile::encodeName(host_);
  QByteArray first = QFile::encodeName(QFileInfo(options_.FirstLibrary).absoluteFilePath());
  QByteArray second = options_.SecondLibrary.isEmpty()
                          ? QByteArray()
                          : QFile::encodeName(QFileInfo(options_.SecondLibrary).absoluteFilePath());
  std::vector<char*> argv{wine.data(), host.data(), first.data()};
  if (!second.isEmpty()) argv.push_back(second.data());
  argv.push_back(nullptr);

  pid_t pid = 0;
  const int spawned =
      ::posix_spawn(&pid, wine.constData(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(in[0]), ::close(out[1]), ::close(err[1]);
  if (spawned != 0) {
    ::close(in[1]), ::close(out[0]), ::close(err[0]);
    problem_ =
        QStringLiteral("%1 açılamadı: %2 başlatılamadı (%3).")
            .arg(options_.FirstLibrary, wine_, QString::fromLocal8Bit(std::strerror(spawned)));
    return false;
  }
  pid_ = pid;
  toHost_ = in[1];
  fromHost_ = out[0];
  hostErrors_ = err[0];
  answerStart_ = answerEnd_ = 0;
  errors_.clear();
  ++generation_;
  if (!ReadHello()) {
    Lost();
    return false;
  }
  everStarted_ = true;
  problem_.clear();
  return true;
}

bool TWineBridge::ReadHello() {
  const bool prefix = PrefixExists();
  const int limit = options_.HelloTimeoutMs > 0 ? options_.HelloTimeoutMs : prefix ? 20000 : 180000;
  const QString file = options_.FirstLibrary;
  const QString hostName = HostName(machine_);
  if (!ReadFrame(NowMs() + limit)) {
    // Either not a word within the time (the host hangs, in the library's
    // start or in Wine), or the host ended before it said anything.
    const bool ended = hostEnded_;
    if (ended) {
      // Reaped here, with what it said last on standard error.
      int status = 0;
      const int64_t until = NowMs() + kStopWaitMs;
      pid_t reaped = 0;
      while ((reaped = ::waitpid(pid_, &status, WNOHANG)) == 0 && NowMs() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      if (reaped == pid_) pid_ = 0;
      if (hostErrors_ >= 0) {
        ::fcntl(hostErrors_, F_SETFL, O_NONBLOCK);
        DrainErrors();
      }
    }
    if (!ended) {
      problem_ = QStringLiteral("%1 Wine ile açılamadı: %2 %3 saniye içinde yanıt vermedi.")
                     .arg(file, hostName)
                     .arg(limit / 1000.0);
    } else {
      problem_ =
          QStringLiteral("%1 Wine ile açılamadı: %2 başlar başlamaz kapandı.").arg(file, hostName);
      if (machine_ == kMachineI386)
        problem_ += QStringLiteral(
                        " 32 bit kitaplıklar için wine32 gerekli (ve 32 bit programları "
                        "çalıştırabilen bir sistem). Kurmak için root olarak: %1")
                        .arg(InstallCommand(machine_));
    }
    const QString said = LastErrorLine();
    if (!said.isEmpty()) problem_ += QStringLiteral(" (Wine: %1)").arg(said);
    return false;
  }
  fkwire::Reader& r = reader_;
  const uint32_t magic = r.U32(), bits = r.U32(), count = r.U32(), hash = r.U32();
  firstStatus_ = r.I32();
  secondStatus_ = r.I32();
  const uint32_t wantBits = machine_ == kMachineI386 ? 32 : 64;
  if (magic != fkwire::kMagic || bits != wantBits || count != uint32_t(fkwire::SlotCount) ||
      hash != fkwire::ListHash() || r.Left() != count) {
    problem_ = QStringLiteral("%1 Wine ile açılamadı: %2 bu programın sürümüne ait değil.")
                   .arg(file, hostName);
    return false;
  }
  bool found[fkwire::SlotCount];
  for (bool& f : found) f = r.U8() != 0;
  // A host started again must find what the first one found: the slots were
  // filled from that.
  if (everStarted_ && std::memcmp(found, found_, sizeof found) != 0) {
    problem_ = QStringLiteral("%1 program açıkken değişti; programı yeniden başlatın.").arg(file);
    return false;
  }
  std::memcpy(found_, found, sizeof found);
  return true;
}

void TWineBridge::Stop() {
  if (toHost_ >= 0) ::close(toHost_);  // the host ends when its input closes
  toHost_ = -1;
  if (pid_ > 0) {
    int status = 0;
    const int64_t until = NowMs() + kStopWaitMs;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
      if (NowMs() >= until) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        break;
      }
      DrainErrors();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  pid_ = 0;
  if (fromHost_ >= 0) ::close(fromHost_);
  if (hostErrors_ >= 0) ::close(hostErrors_);
  fromHost_ = hostErrors_ = -1;
}

// The host ended or broke the protocol in the middle of a call: it is let
// go, and its connections count as closed.
void TWineBridge::Lost() {
  window_ = TWindow();
  if (pid_ > 0) ::kill(pid_, SIGKILL);
  Stop();
}

bool TWineBridge::WriteAll(const char* p, size_t n) {
  // A host that died leaves a pipe without reader: the write must fail,
  // not raise SIGPIPE in the program. SIGPIPE is held back in this thread
  // and a pending one taken away.
  sigset_t pipeSignal, before;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &before);
  bool ok = true;
  while (n > 0) {
    const ssize_t put = ::write(toHost_, p, n);
    if (put > 0) {
      p += put;
      n -= static_cast<size_t>(put);
    } else if (put < 0 && errno == EINTR) {
      continue;
    } else {
      if (errno == EPIPE) {
        const timespec none{0, 0};
        while (sigtimedwait(&pipeSignal, nullptr, &none) > 0) {
        }
      }
      ok = false;
      break;
    }
  }
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  return ok;
}

void TWineBridge::DrainErrors() {
  if (hostErrors_ < 0) return;
  char buffer[4096];
  for (;;) {
    pollfd p{hostErrors_, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0) return;
    const ssize_t n = ::read(hostErrors_, buffer, sizeof buffer);
    if (n <= 0) {
      ::close(hostErrors_);
      hostErrors_ = -1;
      return;
    }
    errors_.append(buffer, static_cast<size_t>(n));
    if (errors_.size() > 8192) errors_.erase(0, errors_.size() - 4096);
  }
}

QString TWineBridge::LastErrorLine() const {
  const QStringList lines = QString::fromLocal8Bit(errors_.data(), qsizetype(errors_.size()))
                                .split('\n', Qt::SkipEmptyParts);
  return lines.isEmpty() ? QString() : lines.last().trimmed();
}

// Reads one frame from the host into reader_. Standard error is read
// meanwhile, so a host that writes much there never blocks.
bool TWineBridge::ReadFrame(int64_t Deadline) {
  auto need = [&](size_t n) -> bool {
    while (answerEnd_ - answerStart_ < n) {
      if (answerStart_ > 0 && answerStart_ == answerEnd_) answerStart_ = answerEnd_ = 0;
      if (answer_.size() < answerStart_ + n) answer_.resize(answerStart_ + n + 65536);
      pollfd p[2] = {{fromHost_, POLLIN, 0}, {hostErrors_, POLLIN, 0}};
      const int64_t left = Deadline - NowMs();
      if (left <= 0) return false;
      const int r =
          ::poll(p, hostErrors_ >= 0 ? 2 : 1, static_cast<int>(std::min<int64_t>(left, 1 << 30)));
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) return false;
      if (hostErrors_ >= 0 && p[1].revents) DrainErrors();
      if (!p[0].revents) continue;
      const ssize_t got =
          ::read(fromHost_, answer_.data() + answerEnd_, answer_.size() - answerEnd_);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        hostEnded_ = true;
        return false;
      }
      answerEnd_ += static_cast<size_t>(got);
    }
    return true;
  };
  reader_ = fkwire::Reader();
  hostEnded_ = false;
  if (!need(4)) return false;
  uint32_t length = 0;
  std::memcpy(&length, answer_.data() + answerStart_, 4);
  if (length > fkwire::kMaxFrame) return false;
  answerStart_ += 4;
  if (!need(length)) return false;
  reader_ = fkwire::Reader(answer_.data() + answerStart_, length);
  answerStart_ += length;
  return true;
}

bool TWineBridge::Exchange(const std::string& Frame, int64_t Deadline) {
  return WriteAll(Frame.data(), Frame.size()) && ReadFrame(Deadline);
}

// A handle argument becomes the host's; false when it names a connection
// of a host that ended, or none the bridge gave out.
template <class K>
bool TWineBridge::Translate(typename K::type& v) {
  if constexpr (K::IsHandle) {
    // No connection: the library's own result decides, when one runs.
    if (v == 0) return Running();
    const auto it = handles_.find(v);
    if (it == handles_.end() || it->second.Generation != generation_ || !Running()) return false;
    v = it->second.Handle;
  }
  return true;
}

template <class... K>
int32_t TWineBridge::Call(int Slot, typename K::type... args) {
  using Kinds = fkwire::Kinds<K...>;
  std::lock_guard lock(mutex_);
  if (EndsWalks(Slot)) window_ = TWindow();
  const int bridgeHandle = Kinds::HandleOf(args...);
  if constexpr (Kinds::TakesHandle) {
    if (!(Translate<K>(args) && ...)) {
      if (Slot == fkwire::Slot_FK_DisConnect) handles_.erase(bridgeHandle);
      return FKResult::NoOpenComm;
    }
  } else {
    // A connect: the host that ended is replaced by a new one.
    if (!Running() && !Start()) return FKResult::NoOpenComm;
  }
  Kinds::Request(request_, Slot, args...);
  if (!Exchange(request_.Finish(), NowMs() + kCallLimitMs)) {
    Lost();
    return Kinds::TakesHandle ? FKResult::ReadError : FKResult::NoOpenComm;
  }
  const int32_t code = reader_.I32();
  if (!Kinds::Answer(reader_, keep_, args...)) {
    Lost();
    return Kinds::TakesHandle ? FKResult::ReadError : FKResult::NoOpenComm;
  }
  if constexpr (!Kinds::TakesHandle) {
    if (code > 0) {
      const int handle = nextHandle_++;
      handles_[handle] = {generation_, code};
      return handle;
    }
  } else {
    if (Slot == fkwire::Slot_FK_DisConnect) handles_.erase(bridgeHandle);
  }
  return code;
}

template <class... K>
int32_t TWineBridge::Walk(int Slot, typename K::type... args) {
  using Kinds = fkwire::Kinds<K...>;
  std::lock_guard lock(mutex_);
  const int bridgeHandle = Kinds::HandleOf(args...);
  const uint32_t nullMask = Kinds::NullMask(args...);
  if (window_.Left > 0 && window_.Slot == Slot && window_.Handle == bridgeHandle &&
      window_.NullMask == nullMask && window_.Generation == generation_)
    return TakeFromWindow<K...>(args...);
  window_ = TWindow();
  if (!(Translate<K>(args) && ...)) return FKResult::NoOpenComm;
  // One round trip per window instead of per entry: a round trip into Wine
  // costs many times what a walk step costs the library itself.
  Kinds::WalkRequest(request_, Slot, fkwire::kWalkWindow, args...);
  if (!Exchange(request_.Finish(), NowMs() + kCallLimitMs)) {
    Lost();
    return FKResult::ReadError;
  }
  const uint32_t calls = reader_.U32();
  const size_t size = reader_.Left();
  const char* answers = reader_.Raw(size);
  if (!reader_.Ok() || !answers || calls == 0 || calls > fkwire::kWalkWindow) {
    Lost();
    return FKResult::ReadError;
  }
  window_.Answers.assign(answers, size);
  window_.Reader = fkwire::Reader(window_.Answers.data(), window_.Answers.size());
  window_.Slot = Slot;
  window_.Handle = bridgeHandle;
  window_.Generation = generation_;
  window_.NullMask = nullMask;
  window_.Left = calls;
  return TakeFromWindow<K...>(args...);
}

template <class... K>
int32_t TWineBridge::TakeFromWindow(typename K::type... args) {
  using Kinds = fkwire::Kinds<K...>;
  const int32_t code = window_.Reader.I32();
  if (!Kinds::AnswerPart(window_.Reader, keep_, args...) ||
      (--window_.Left == 0 && window_.Reader.Left() != 0)) {
    Lost();
    return FKResult::ReadError;
  }
  if (window_.Left == 0) window_ = TWindow();
  return code;
}

// ---------------------------------------------------------------------------
// The forwarding functions: one per slot, of exactly the slot's type.

template <int Slot, bool IsWalk, class KindList>
struct Forward;
template <int Slot, bool IsWalk, class... K>
struct Forward<Slot, IsWalk, fkwire::Kinds<K...>> {
  static int FK_API Call(typename K::type... args) {
    if (!bridge) return FKResult::NoOpenComm;
    if constexpr (IsWalk)
      return bridge->Walk<K...>(Slot, args...);
    else
      return bridge->Call<K...>(Slot, args...);
  }
};

// A name the program only looks up: its arguments are not known, so it is
// not carried across; it answers "No support".
int FK_API NotCarried() {
  return 0;
}

using namespace fkwire::kinds;
#define FORWARD_CALLED(name, kinds) \
  reinterpret_cast<void*>(&Forward<fkwire::Slot_##name, false, FKW_KINDS(kinds)>::Call)
#define FORWARD_WALK(name, kinds) \
  reinterpret_cast<void*>(&Forward<fkwire::Slot_##name, true, FKW_KINDS(kinds)>::Call)
#define FORWARD_LISTED(name, kinds) reinterpret_cast<void*>(&NotCarried)
#define FORWARD_ROW(name, library, use, params, kinds) FORWARD_##use(name, kinds),
void* const kForwarders[] = {FK_ENTRY_POINTS_FULL(FORWARD_ROW)};
#undef FORWARD_ROW
static_assert(std::size(kForwarders) == fkwire::SlotCount);

#define CHECK_CALLED(name, kinds)                                                            \
  static_assert(                                                                             \
      std::is_same_v<decltype(&Forward<fkwire::Slot_##name, false, FKW_KINDS(kinds)>::Call), \
                     name##_t>,                                                              \
      #name " forwards with another type than its slot's");
#define CHECK_WALK(name, kinds) CHECK_CALLED(name, kinds)
#define CHECK_LISTED(name, kinds)
#define CHECK_ROW(name, library, use, params, kinds) CHECK_##use(name, kinds)
FK_ENTRY_POINTS_FULL(CHECK_ROW)
#undef CHECK_ROW

// ---------------------------------------------------------------------------

class TWineLoader final : public SdkLoader {
 public:
  explicit TWineLoader(const TWineSdkOptions& Options) : bridge_(Options) {}
  ~TWineLoader() override {
    if (bridge == &bridge_) bridge = nullptr;
  }

  bool Load(SdkLibrary Library) override {
    if (Library == SdkLibrary::FK623Attend) {
      if (bridge && bridge != &bridge_) {
        problem_ = QStringLiteral(
            "Windows kitaplıkları zaten başka bir bağlantı tarafından kullanılıyor.");
        return false;
      }
      bridge = &bridge_;
      return bridge_.Open();
    }
    return bridge_.Running() && bridge_.SecondLoaded();
  }
  void* Resolve(SdkLibrary Library, const char* Name) override {
    for (int i = 0; i < FK_SLOT_COUNT; ++i) {
      const FKSlot slot = static_cast<FKSlot>(i);
      if (SlotLibrary(slot) == Library && std::strcmp(SlotName(slot), Name) == 0)
        return bridge_.Found(i) ? kForwarders[i] : nullptr;
    }
    return nullptr;
  }
  void Unload(SdkLibrary Library) override {
    if (Library == SdkLibrary::FK623Attend) bridge_.Stop();
  }
  QString Problem() const override { return problem_.isEmpty() ? bridge_.Problem() : problem_; }
  qint64 Pid() const { return bridge_.Pid(); }

 private:
  TWineBridge bridge_;
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
    return MakeWineLoader(options);
  }
  return MakeLibraryLoader();
}

qint64 WineHostPid() {
  return bridge ? bridge->Pid() : 0;
}
