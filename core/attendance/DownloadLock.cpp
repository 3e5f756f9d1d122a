#include "attendance/DownloadLock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "attendance/LockFileSystem.h"
#include "common/DurableFile.h"
#include "common/Errors.h"

namespace {

// How long one try waits before pending messages run again.
constexpr int kTryMs = 50;
// Qt's lock creates its file, takes the file's native lock and writes its
// holder into it, one call after the other. A file that names nobody and is
// held by nobody is taken for one left behind only when it has not changed
// for this long, so a holder caught between those calls keeps its lock.
constexpr qint64 kSettledMs = 2000;

// A holder as Qt's lock writes it into the file: process, program, computer,
// the computer's id and its boot's id, one a line.
struct THolder {
  qint64 Pid = 0;
  QString Program;
  QString Host;
  QByteArray HostId;
  QByteArray BootId;
};

// The holder that File names; none when it is missing, empty, cut short
// before the end of the computer's line, or not such a text at all.
std::optional<THolder> ReadHolder(const QString& File) {
  QFile file(File);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  QList<QByteArray> lines = file.read(4096).split('\n');
  // The part after the last line break is not a whole line.
  lines.removeLast();
  if (lines.size() < 3) return std::nullopt;
  for (QByteArray& line : lines)
    if (line.endsWith('\r')) line.chop(1);
  THolder holder;
  bool number = false;
  holder.Pid = lines[0].toLongLong(&number);
  if (!number || holder.Pid <= 0 || lines[1].isEmpty()) return std::nullopt;
  holder.Program = QString::fromUtf8(lines[1]);
  holder.Host = QString::fromUtf8(lines[2]);
  if (lines.size() > 3) holder.HostId = lines[3];
  if (lines.size() > 4) holder.BootId = lines[4];
  return holder;
}

// As Qt's lock tells it: by the computer's id when both sides know one, by
// its name otherwise.
bool OnThisComputer(const THolder& Holder) {
  const QByteArray ours = QSysInfo::machineUniqueId();
  if (!Holder.HostId.isEmpty() && !ours.isEmpty()) return Holder.HostId == ours;
  return Holder.Host.isEmpty() || Holder.Host == QSysInfo::machineHostName();
}

// A holder of this computer that ended before it let go: its process is gone,
// or the computer has been started again since.
bool HasEnded(const THolder& Holder) {
  const QByteArray boot = QSysInfo::bootUniqueId();
  if (!Holder.BootId.isEmpty() && !boot.isEmpty() && Holder.BootId != boot) return true;
  return !lockfs::ProcessRunning(Holder.Pid);
}

enum class TFound {
  Removed,   // a lock left behind was removed, or the lock is gone: try again
  Settling,  // a lock naming nobody that may be just being made: look again
  Held,      // someone holds it, or it cannot be told yet
};

// Looks at a lock that Qt's lock did not take, and removes it when its
// holder is known to be gone. Qt's lock does that too, but it cannot remove
// a file of another user that it may not write to, and it leaves a file that
// names nobody to its stale time.
TFound RemoveLeftBehind(const QString& Name, std::chrono::milliseconds StaleAfter) {
  const QDateTime modified = QFileInfo(Name).lastModified();
  if (!modified.isValid()) return TFound::Held;
  const qint64 age = qAbs(modified.msecsTo(QDateTime::currentDateTime()));
  const bool stale = StaleAfter.count() > 0 && age > StaleAfter.count();
  bool mustKnow = false;
  if (const std::optional<THolder> holder = ReadHolder(Name)) {
    if (!stale && !(OnThisComputer(*holder) && HasEnded(*holder))) return TFound::Held;
  } else if (!stale) {
    // Only a program of this computer can hold a file on its own disk, and
    // every one of them is asked through the file's native lock. A
    // network folder may not carry those, and a holder on another computer
    // may not have its text there yet: its refreshes tell.
    if (!lockfs::OnLocalDisk(Name)) return TFound::Held;
    if (age < kSettledMs) return TFound::Settling;
    mustKnow = true;
  }
  QString reason;
  switch (lockfs::RemoveUnheld(Name, mustKnow, reason)) {
    case lockfs::TRemoval::Removed:
    case lockfs::TRemoval::Missing:
      return TFound::Removed;
    case lockfs::TRemoval::Held:
    case lockfs::TRemoval::Unknown:
      return TFound::Held;
    case lockfs::TRemoval::Failed:
      break;
  }
  throw EInOutError(QStringLiteral("Bırakılmış veri aktarımı kilidi silinemedi: %1 (%2). Onu "
                                   "tutan program artık çalışmıyor; dosyayı, silme izni olan bir "
                                   "kullanıcı silmeli.")
                        .arg(QDir::toNativeSeparators(Name), reason));
}

}  // namespace

std::chrono::milliseconds TDownloadLock::RefreshEvery = std::chrono::seconds(30);
std::chrono::milliseconds TDownloadLock::StaleAfter = std::chrono::minutes(5);

// Keeps the lock file's modification time fresh while the lock is held, from
// a thread of its own: the walk that holds the lock may block in one SDK
// call for a long time, and a waiter on another computer judges the lock by
// that time alone.
class TDownloadLock::TRefresher {
 public:
  // Stopped by a plain flag under the mutex: with a stop token and
  // condition_variable_any, programs built with MinGW now and then hung for
  // good in this destructor (under Wine, at the end of a download).
  TRefresher(const QString& FileName, std::chrono::milliseconds Every)
      : path_(FileName), thread_([this, Every] {
          std::unique_lock<std::mutex> lock(mutex_);
          while (!wake_.wait_for(lock, Every, [this] { return stop_; })) SetModifiedNow(path_);
        }) {}
  ~TRefresher() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

 private:
  const QString path_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;  // last: started when the rest is there
};

QString TDownloadLock::FileName(const QString& AppPath) {
  return AppPath + QStringLiteral("download.lock");
}

QString TDownloadLock::HolderText(const QString& AppPath) {
  const QString name = FileName(AppPath);
  if (const std::optional<THolder> holder = ReadHolder(name))
    return QStringLiteral("program %1, süreç %2, bilgisayar %3")
        .arg(holder->Program)
        .arg(holder->Pid)
        .arg(holder->Host);
  if (!QFileInfo::exists(name)) return {};
  return QStringLiteral("tutan program kilit dosyasından okunamadı");
}

TDownloadLock::TDownloadLock(const QString& AppPath, const std::function<void()>& Waiting,
                             const std::function<bool()>& Cancelled,
                             const std::function<void()>& Idle)
    : file_(FileName(AppPath)) {
  const QString name = FileName(AppPath);
  // Qt's lock takes over a lock whose file has not been refreshed for this
  // long, and one of this computer whose process it finds gone.
  file_.setStaleLockTime(static_cast<int>(StaleAfter.count()));
  bool waiting = false;
  while (!file_.tryLock(waiting ? kTryMs : 0)) {
    if (file_.error() != QLockFile::LockFailedError)
      throw EInOutError(QStringLiteral("Cannot create file \"%1\".").arg(name));
    const TFound found = RemoveLeftBehind(name, StaleAfter);
    if (found == TFound::Removed) continue;
    if (found == TFound::Held && !waiting) {
      Waiting();
      waiting = true;
    }
    if (waiting) {
      if (Idle) Idle();
      if (Cancelled && Cancelled()) return;
    } else {
      // A lock left behind is taken without a word once it has settled.
      std::this_thread::sleep_for(std::chrono::milliseconds(kTryMs));
    }
  }
  refresher_ = std::make_unique<TRefresher>(name, RefreshEvery);
}

TDownloadLock::~TDownloadLock() {
  refresher_.reset();
  if (file_.isLocked()) file_.unlock();
}
