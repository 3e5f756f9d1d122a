// The download lock: a lock file beside Data.mdb that every download holds
// while it writes the attendance files, so two downloads (two windows, a
// window and a scheduled run, two scheduled runs) never write the same
// files at once. The second one waits for the first.
#pragma once
#include <QLockFile>
#include <QString>
#include <functional>

class TDownloadLock {
 public:
  // Takes the lock in AppPath. When another download holds it, Waiting is
  // called once and the lock is waited for, letting pending messages run;
  // Cancelled (when given) is asked while waiting and ends the wait with
  // Held() false. A lock whose holder died is taken over.
  TDownloadLock(const QString& AppPath, const std::function<void()>& Waiting,
                const std::function<bool()>& Cancelled = {});
  ~TDownloadLock();
  TDownloadLock(const TDownloadLock&) = delete;
  TDownloadLock& operator=(const TDownloadLock&) = delete;

  bool Held() const { return file_.isLocked(); }
  static QString FileName(const QString& AppPath);

 private:
  QLockFile file_;
};
