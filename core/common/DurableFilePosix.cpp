#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/DurableFile.h"

QString ErrnoText(int Errno) {
  return qt_error_string(Errno);
}

QString WriteFailureText(const QFileDevice&) {
  return ErrnoText(errno);
}

qint64 WriteSome(int Handle, const char* Bytes, qsizetype Size) {
  return ::write(Handle, Bytes, static_cast<size_t>(Size));
}

qint64 FilePosition(int Handle) {
  return ::lseek(Handle, 0, SEEK_CUR);
}

bool CutFile(int Handle, qint64 Size) {
  return ::ftruncate(Handle, static_cast<off_t>(Size)) == 0;
}

bool SyncFile(int Handle) {
  return fsync(Handle) == 0;
}

void SyncFolder(const QString& Folder) {
  const int fd = ::open(QFile::encodeName(Folder).constData(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  // Some file systems cannot sync a folder, and need not.
  const bool synced = SyncFile(fd) || errno == EINVAL;
  const QString reason = ErrnoText(errno);
  ::close(fd);
  if (!synced) ThrowFileStepError(QStringLiteral("Klasör diske yazılamadı"), Folder, reason);
}

bool PlaceNewFile(std::unique_ptr<QTemporaryFile> Temporary, const QString& Folder,
                  const QString& Target, const QString& What) {
  // The temporary file is private; the new one gets the modes of any file
  // the user makes.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(Temporary->handle(), 0666 & ~mask);
  if (!Temporary->rename(Target)) {
    if (QFileInfo::exists(Target)) return false;
    ThrowFileStepError(What, Target, Temporary->errorString());
  }
  Temporary->setAutoRemove(false);
  SyncFolder(Folder);
  return true;
}

void SetModifiedNow(const QString& File) {
  // By name: opening and closing the file here would drop the record lock
  // that this process holds on it.
  ::utimensat(AT_FDCWD, QFile::encodeName(File).constData(), nullptr, 0);
}
