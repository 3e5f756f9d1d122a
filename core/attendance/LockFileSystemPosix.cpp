#include "attendance/LockFileSystem.h"

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <cerrno>
#include <climits>

#include "common/DurableFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lockfs {

bool ProcessRunning(qint64 Pid) {
  if (Pid <= 0 || Pid > INT_MAX) return false;
  // EPERM: it runs, under another user.
  return ::kill(static_cast<pid_t>(Pid), 0) == 0 || errno != ESRCH;
}

bool OnLocalDisk(const QString& File) {
  // Disk file systems, and those kept in memory: their locks are seen by
  // every process that can reach the file. Anything else (nfs, cifs, smb3,
  // sshfs and other fuse ones) may be shared with other computers.
  static const QByteArray kLocal[] = {
      "ext2",     "ext3",  "ext4",    "xfs",   "btrfs",   "f2fs",    "jfs",     "reiserfs",
      "bcachefs", "zfs",   "tmpfs",   "ramfs", "overlay", "vfat",    "msdos",   "exfat",
      "ntfs",     "ntfs3", "hfsplus", "udf",   "nilfs2",  "fuseblk", "ecryptfs"};
  const QByteArray type = QStorageInfo(QFileInfo(File).absolutePath()).fileSystemType();
  for (const QByteArray& local : kLocal)
    if (type == local) return true;
  return false;
}

TRemoval RemoveUnheld(const QString& File, bool MustKnow, QString& Reason) {
  const QByteArray name = QFile::encodeName(File);
  // Read-only is enough for flock, so a file of another user can be tested.
  const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0 && errno == ENOENT) return TRemoval::Missing;
  bool known = false;
  if (fd >= 0) {
    // Qt's lock holds this flock from the moment after it created the file
    // until it lets go; the system drops it with a holder that dies.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      known = true;
    } else if (errno == EWOULDBLOCK) {
      ::close(fd);
      return TRemoval::Held;
    }
  }
  if (!known && MustKnow) {
    if (fd >= 0) ::close(fd);
    return TRemoval::Unknown;
  }
  // Only the file that was tested goes: another taker may have put a new
  // lock in its place meanwhile.
  struct stat tested {};
  struct stat named {};
  if (::lstat(name.constData(), &named) != 0) {
    const int error = errno;
    if (fd >= 0) ::close(fd);
    if (error == ENOENT) return TRemoval::Missing;
    Reason = ErrnoText(error);
    return TRemoval::Failed;
  }
  if (fd >= 0 && (::fstat(fd, &tested) != 0 || tested.st_dev != named.st_dev ||
                  tested.st_ino != named.st_ino)) {
    ::close(fd);
    return TRemoval::Missing;
  }
  const int removed = ::unlink(name.constData());
  const int error = errno;
  if (fd >= 0) ::close(fd);
  if (removed == 0) return TRemoval::Removed;
  if (error == ENOENT) return TRemoval::Missing;
  Reason = ErrnoText(error);
  return TRemoval::Failed;
}

}  // namespace lockfs
