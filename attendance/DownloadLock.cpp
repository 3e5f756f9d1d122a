#include "attendance/DownloadLock.h"

#include "common/Dialogs.h"
#include "common/Errors.h"

namespace {
// How long one try waits before pending messages run again.
constexpr int kTryMs = 50;
}  // namespace

QString TDownloadLock::FileName(const QString& AppPath) {
  return AppPath + QStringLiteral("download.lock");
}

TDownloadLock::TDownloadLock(const QString& AppPath, const std::function<void()>& Waiting,
                             const std::function<bool()>& Cancelled)
    : file_(FileName(AppPath)) {
  // A download may run for many minutes: the lock is never taken over for
  // its age, only when its holder is gone.
  file_.setStaleLockTime(0);
  if (file_.tryLock(0)) return;
  if (file_.error() == QLockFile::LockFailedError) Waiting();
  while (!file_.tryLock(kTryMs)) {
    if (file_.error() != QLockFile::LockFailedError)
      throw EInOutError(QStringLiteral("Cannot create file \"%1\".").arg(FileName(AppPath)));
    Dlg().ProcessMessages();
    if (Cancelled && Cancelled()) return;
  }
}

TDownloadLock::~TDownloadLock() {
  if (file_.isLocked()) file_.unlock();
}
