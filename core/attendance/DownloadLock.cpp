#include "attendance/DownloadLock.h"

#include <QFile>
#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <thread>

#include "common/Errors.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace {
// How long one try waits before pending messages run again.
constexpr int kTryMs = 50;
}  // namespace

std::chrono::milliseconds TDownloadLock::RefreshEvery = std::chrono::seconds(30);
std::chrono::milliseconds TDownloadLock::StaleAfter = std::chrono::minutes(5);

// Keeps the lock file's modification time fresh while the lock is held, from
// a thread of its own: the walk that holds the lock may block in one SDK
// call for a long time, and a waiter on another computer judges the lock by
// that time alone.
class TDownloadLock::TRefresher {
 public:
  TRefresher(const QString& FileName, std::chrono::milliseconds Every)
      : path_(FileName), thread_([this, Every](std::stop_token Stop) {
          std::unique_lock<std::mutex> lock(mutex_);
          for (;;) {
            wake_.wait_for(lock, Stop, Every, [] { return false; });
            if (Stop.stop_requested()) return;
            Touch();
          }
        }) {}

 private:
  // A file already gone needs no refresh.
  void Touch() const {
#ifdef Q_OS_WIN
    // Through a handle of its own that shares everything and asks only to
    // set times: the holder's handle, which keeps the file from being
    // deleted, is not disturbed. (A waiter on this computer meets that
    // handle; one on another computer, perhaps not Windows, sees the time.)
    const HANDLE h = CreateFileW(reinterpret_cast<const wchar_t*>(path_.utf16()),
                                 FILE_WRITE_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    SetFileTime(h, nullptr, nullptr, &now);
    CloseHandle(h);
#else
    // By name: opening and closing the file here would drop the holder's
    // record lock on it.
    ::utimensat(AT_FDCWD, QFile::encodeName(path_).constData(), nullptr, 0);
#endif
  }

  const QString path_;
  std::mutex mutex_;
  std::condition_variable_any wake_;
  std::jthread thread_;  // last: stopped and joined before the rest goes
};

QString TDownloadLock::FileName(const QString& AppPath) {
  return AppPath + QStringLiteral("download.lock");
}

QString TDownloadLock::HolderText(const QString& AppPath) {
  QLockFile file(FileName(AppPath));
  qint64 pid = 0;
  QString host, program;
  if (!file.getLockInfo(&pid, &host, &program)) return {};
  return QStringLiteral("program %1, süreç %2, bilgisayar %3").arg(program).arg(pid).arg(host);
}

TDownloadLock::TDownloadLock(const QString& AppPath, const std::function<void()>& Waiting,
                             const std::function<bool()>& Cancelled,
                             const std::function<void()>& Idle)
    : file_(FileName(AppPath)) {
  // A holder on this computer is known dead or alive by its process; one on
  // another computer only by its refreshes.
  file_.setStaleLockTime(static_cast<int>(StaleAfter.count()));
  bool held = file_.tryLock(0);
  if (!held) {
    if (file_.error() != QLockFile::LockFailedError)
      throw EInOutError(QStringLiteral("Cannot create file \"%1\".").arg(FileName(AppPath)));
    Waiting();
    while (!(held = file_.tryLock(kTryMs))) {
      if (file_.error() != QLockFile::LockFailedError)
        throw EInOutError(QStringLiteral("Cannot create file \"%1\".").arg(FileName(AppPath)));
      if (Idle) Idle();
      if (Cancelled && Cancelled()) return;
    }
  }
  refresher_ = std::make_unique<TRefresher>(FileName(AppPath), RefreshEvery);
}

TDownloadLock::~TDownloadLock() {
  refresher_.reset();
  if (file_.isLocked()) file_.unlock();
}
