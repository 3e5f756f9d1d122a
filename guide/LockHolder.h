// Another Meridox process holding a program folder's download lock, for the
// picture of a download that waits for it: this program started again with
// a hidden option takes the lock as a download would and holds it until its
// standard input closes. The input is a pipe from the parent, so the holder
// ends with the parent however the parent ends.
#pragma once
#include <QProcess>
#include <QString>

// The hidden option that turns this program into the holder.
inline const QString kHoldLockOption = QStringLiteral("--hold-download-lock");

// The holder's side: takes the lock in AppPath, says "held" on standard
// output, and holds it until standard input ends.
int HoldDownloadLock(const QString& AppPath);

// The parent's side.
class TLockHolder {
 public:
  TLockHolder() = default;
  ~TLockHolder() { Stop(); }
  TLockHolder(const TLockHolder&) = delete;
  TLockHolder& operator=(const TLockHolder&) = delete;

  // Starts the holder and waits until it holds the lock; false (the holder
  // stopped again) when it does not within a few seconds.
  bool Start(const QString& AppPath);
  // Lets the holder give the lock back and end; killed when it does not end
  // by itself.
  void Stop();

 private:
  QProcess process_;
};
