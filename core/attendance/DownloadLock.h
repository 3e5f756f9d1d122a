// The download lock: a lock file beside Data.mdb that every download and the
// memory-card conversion hold while they write the attendance files, so two
// of them (two windows, a window and a scheduled run, two scheduled runs,
// programs on two computers that share the folder) never write the same
// files at once. The second one waits for the first, and may give up.
#pragma once
#include <QLockFile>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>

class TDownloadLock {
 public:
  // Takes the lock in AppPath. When another program holds it, Waiting is
  // called once and the lock is waited for; between tries Idle (when given:
  // a window lets pending messages run there) and then Cancelled (when
  // given) are called, and Cancelled ends the wait with Held() false. A lock left behind is taken
  // over: at once when its holder ran on this computer and is gone, after StaleAfter without a
  // refresh when it ran on another one. Throws EInOutError when the lock file cannot be made at
  // all.
  TDownloadLock(const QString& AppPath, const std::function<void()>& Waiting,
                const std::function<bool()>& Cancelled = {},
                const std::function<void()>& Idle = {});
  ~TDownloadLock();
  TDownloadLock(const TDownloadLock&) = delete;
  TDownloadLock& operator=(const TDownloadLock&) = delete;

  bool Held() const { return file_.isLocked(); }
  static QString FileName(const QString& AppPath);
  // Who holds the lock in AppPath, for a message: program, process and
  // computer; empty when nobody does.
  static QString HolderText(const QString& AppPath);

  // A holder refreshes its lock file's time this often, however long its
  // download runs. A lock from another computer whose file has not been
  // refreshed for StaleAfter belongs to a program that died there (its
  // process cannot be looked at from here). Tests shorten both.
  static std::chrono::milliseconds RefreshEvery;
  static std::chrono::milliseconds StaleAfter;

 private:
  class TRefresher;
  QLockFile file_;
  std::unique_ptr<TRefresher> refresher_;
};
