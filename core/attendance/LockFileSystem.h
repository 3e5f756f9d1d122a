// What the download lock asks of the system about its lock file and the
// processes of this computer: POSIX calls on Linux (LockFileSystemPosix.cpp),
// the Windows API on Windows (LockFileSystemWin.cpp).
#pragma once
#include <QString>

namespace lockfs {

// Whether process Pid of this computer is running, whichever user runs it.
bool ProcessRunning(qint64 Pid);

// Whether File lies on a disk of this computer, so that only programs of this
// computer can hold it. False for a network folder, or when unsure.
bool OnLocalDisk(const QString& File);

enum class TRemoval {
  Removed,  // nobody held it, and it is gone now
  Missing,  // it was gone already, or another file took its place
  Held,     // a live process holds it
  Unknown,  // nobody could be asked whether it is held (nothing removed)
  Failed,   // nobody holds it but it could not be removed; Reason says why
};

// Removes the lock file File, unless a live process holds it. The test is
// made on the file itself and in the same step as the removal: on Linux the
// file's native lock (flock), which a live holder keeps and a dead one has
// lost, whoever's it is; on Windows the removal itself, which fails while the
// holder keeps the file open. When no such test can be made (no native locks
// on this file system, a file this user may not open), MustKnow decides:
// Unknown when set, removed anyway when not.
TRemoval RemoveUnheld(const QString& File, bool MustKnow, QString& Reason);

}  // namespace lockfs
