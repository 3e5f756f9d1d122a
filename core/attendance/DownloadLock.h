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
  // given) are called, and Cancelled ends the wait with Held() false.
  //
  // A lock left behind is taken over, without Waiting, once its holder is
  // known to be gone, whichever user ran it: the holder it names ran on this
  // computer and its process has ended (and the file's native lock, which a
  // live holder keeps, is free); or the file names no holder (empty, cut
  // short, garbage), lies on a disk of this computer, has not changed for two
  // seconds and nobody holds it. A lock that a live process holds is never
  // taken over. One whose holder cannot be looked at from here (another
  // computer, on a shared folder) is taken over after StaleAfter without a
  // refresh. Throws EInOutError when the lock file cannot be made at all, or
  // when a lock left behind cannot be removed (a folder with the sticky bit,
  // or one this user may not write to): the text names the file and the
  // reason.
  TDownloadLock(const QString& AppPath, const std::function<void()>& Waiting,
                const std::function<bool()>& Cancelled = {},
                const std::function<void()>& Idle = {});
  ~TDownloadLock();
  TDownloadLock(const TDownloadLock&) = delete;
  TDownloadLock& operator=(const TDownloadLock&) = delete;

  bool Held() const { return file_.isLocked(); }
  static QString FileName(const QString& AppPath);
  // Who holds the lock in AppPath, for a message: program, process and
  // computer; a note that they cannot be read when the lock file names
  // nobody; empty when there is no lock file.
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
