#include "attendance/LockFileSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <windows.h>

namespace lockfs {

namespace {
const wchar_t* Native(const QString& Path) {
  return reinterpret_cast<const wchar_t*>(Path.utf16());
}
}  // namespace

bool ProcessRunning(qint64 Pid) {
  if (Pid <= 0 || Pid > 0xffffffffLL) return false;
  const HANDLE process =
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(Pid));
  // Refused: it runs, under another user. An unknown process is an invalid
  // parameter.
  if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;
  DWORD code = 0;
  const bool running = !GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
  CloseHandle(process);
  return running;
}

bool OnLocalDisk(const QString& File) {
  const QString folder = QFileInfo(File).absolutePath();
  if (folder.startsWith(QLatin1String("//"))) return false;  // \\server\share
  const QString root = QDir::toNativeSeparators(QStorageInfo(folder).rootPath());
  if (root.isEmpty()) return false;
  const QString withSeparator = root.endsWith(QLatin1Char('\\')) ? root : root + QLatin1Char('\\');
  const UINT type = GetDriveTypeW(Native(withSeparator));
  return type == DRIVE_FIXED || type == DRIVE_REMOVABLE || type == DRIVE_RAMDISK;
}

TRemoval RemoveUnheld(const QString& File, bool, QString& Reason) {
  // Qt's lock keeps its file open, sharing no deletion, from its creation
  // until it lets go; the system closes it with a holder that dies. So the
  // removal is the test, whoever the holder was.
  const QString name = QDir::toNativeSeparators(File);
  if (DeleteFileW(Native(name))) return TRemoval::Removed;
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return TRemoval::Missing;
  if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return TRemoval::Held;
  // Refused also while another taker's removal is still under way.
  if (GetFileAttributesW(Native(name)) == INVALID_FILE_ATTRIBUTES &&
      GetLastError() == ERROR_FILE_NOT_FOUND)
    return TRemoval::Missing;
  Reason = qt_error_string(static_cast<int>(error));
  return TRemoval::Failed;
}

}  // namespace lockfs
