#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "session/ProgramFolder.h"

// %LOCALAPPDATA%\Meridox: the user's own data, not roamed to other computers.
QString UserDataFolder() {
  QString base = QDir::fromNativeSeparators(qEnvironmentVariable("LOCALAPPDATA"));
  if (base.isEmpty() || QDir::isRelativePath(base))
    base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  return QDir::cleanPath(base + QStringLiteral("/Meridox"));
}

// Whether the program file lies under Program Files: installed there, its
// folder belongs to the administrator even where the file system would let
// this user write (Windows then redirects or refuses the writes).
bool InstalledProgram() {
  const QString own = ProgramFileFolder();
  for (const char* name : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"}) {
    const QString root = QDir::fromNativeSeparators(qEnvironmentVariable(name));
    if (root.isEmpty()) continue;
    QString prefix = QDir::cleanPath(root);
    if (!prefix.endsWith(QLatin1Char('/'))) prefix += QLatin1Char('/');
    if (own.startsWith(prefix, Qt::CaseInsensitive)) return true;
  }
  return false;
}

QString InstalledSeedFolder() {
  // The installer puts the empty databases beside the program.
  const QString own = ProgramFileFolder();
  return InstalledProgram() && QFileInfo(own + QStringLiteral("Data.mdb")).isFile() ? own
                                                                                    : QString();
}
