#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>

#include <io.h>
#include <windows.h>

#include "common/DurableFile.h"

QString ErrnoText(int Errno) {
  return QString::fromLocal8Bit(std::strerror(Errno));
}

QString WriteFailureText(const QFileDevice& File) {
  return File.errorString();
}

qint64 WriteSome(int Handle, const char* Bytes, qsizetype Size) {
  // WriteFile on the file's own handle: the run-time's _write of a file
  // opened for appending asks for the file's end before every write, which
  // costs more than the write itself, per line of a download. Nothing else
  // moves this handle's position, so it stays at the end.
  DWORD written = 0;
  if (WriteFile(reinterpret_cast<HANDLE>(_get_osfhandle(Handle)), Bytes,
                static_cast<DWORD>(qMin<qsizetype>(Size, 1 << 30)), &written, nullptr))
    return written;
  const DWORD error = GetLastError();
  errno = error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? ENOSPC
          : error == ERROR_ACCESS_DENIED                              ? EACCES
                                                                      : EIO;
  return -1;
}

qint64 FilePosition(int Handle) {
  return _lseeki64(Handle, 0, SEEK_CUR);
}

bool CutFile(int Handle, qint64 Size) {
  return _chsize_s(Handle, Size) == 0;
}

bool SyncFile(int Handle) {
  return _commit(Handle) == 0;
}

void SyncFolder(const QString& Folder) {
  // Windows has no folder to sync: a rename or a new folder is written
  // through by the system itself.
  Q_UNUSED(Folder);
}

bool PlaceNewFile(std::unique_ptr<QTemporaryFile> Temporary, const QString&, const QString& Target,
                  const QString& What) {
  // Windows has no folder to sync: the rename itself is written through.
  // It needs the file closed, which a QTemporaryFile only is when it goes.
  Temporary->setAutoRemove(false);
  const QString temporary = QDir::toNativeSeparators(Temporary->fileName());
  Temporary.reset();
  if (!MoveFileExW(reinterpret_cast<const wchar_t*>(temporary.utf16()),
                   reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(Target).utf16()),
                   MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    QFile::remove(temporary);
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return false;
    ThrowFileStepError(What, Target, qt_error_string(int(error)));
  }
  return true;
}

void SetModifiedNow(const QString& File) {
  // Through a handle of its own that shares everything and asks only to set
  // times: the holder's handle, which keeps the file from being deleted, is
  // not disturbed. (A waiter on this computer meets that handle; one on
  // another computer, perhaps not Windows, sees the time.)
  const HANDLE h =
      CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(File).utf16()),
                  FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  SetFileTime(h, nullptr, nullptr, &now);
  CloseHandle(h);
}
