#include <QFileInfo>
#include <cerrno>

#include "attendance/RegularFile.h"
#include "common/DurableFile.h"

// Windows keeps its pipes and devices out of the folders' names (\\.\pipe,
// \\.\COM1), so what can stand at an attendance file's name is a file or a
// folder; opening never waits.
QString NotRegularReason(const QString& FileName) {
  const QFileInfo info(FileName);
  if (!info.exists() || info.isFile()) return {};
  return info.isDir() ? ErrnoText(EISDIR) : QStringLiteral("Not a regular file");
}

bool OpenRegularForAppend(QFile& File, QString& Reason) {
  Reason = NotRegularReason(File.fileName());
  if (!Reason.isEmpty()) return false;
  if (File.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) return true;
  Reason = File.errorString();
  return false;
}
