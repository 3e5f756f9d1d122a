#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "attendance/RegularFile.h"
#include "common/DurableFile.h"

namespace {

QString KindReason(mode_t Mode) {
  if (S_ISDIR(Mode)) return ErrnoText(EISDIR);
  if (S_ISFIFO(Mode)) return QStringLiteral("Is a FIFO (named pipe), not a regular file");
  if (S_ISCHR(Mode) || S_ISBLK(Mode)) return QStringLiteral("Is a device, not a regular file");
  if (S_ISSOCK(Mode)) return QStringLiteral("Is a socket, not a regular file");
  return QStringLiteral("Not a regular file");
}

}  // namespace

QString NotRegularReason(const QString& FileName) {
  struct stat st {};
  // Nothing there (or nothing that can be looked at): the open tells.
  if (::stat(QFile::encodeName(FileName).constData(), &st) != 0) return {};
  return S_ISREG(st.st_mode) ? QString() : KindReason(st.st_mode);
}

bool OpenRegularForAppend(QFile& File, QString& Reason) {
  // Without blocking: a FIFO without a reader is refused at once (ENXIO)
  // instead of holding the open until a reader comes.
  const int fd = ::open(QFile::encodeName(File.fileName()).constData(),
                        O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) {
    const int error = errno;
    Reason = NotRegularReason(File.fileName());
    if (Reason.isEmpty()) Reason = ErrnoText(error);
    return false;
  }
  // What was opened, whatever the name pointed to at a check before.
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    Reason = ErrnoText(errno);
    ::close(fd);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    Reason = KindReason(st.st_mode);
    ::close(fd);
    return false;
  }
  // A regular file never waits; the flag goes so that no write is ever
  // taken only in part for want of it.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  if (!File.open(fd, QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered,
                 QFileDevice::AutoCloseHandle)) {
    Reason = File.errorString();
    ::close(fd);
    return false;
  }
  return true;
}
