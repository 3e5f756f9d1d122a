#include <QDir>
#include <QFileInfo>

#include "session/ProgramFolder.h"

// From the folder an installed program file lies in to the folder of the
// package's empty databases: InstallLayout::SeedFromProgram.
#include "InstallLayout.h"

// $XDG_DATA_HOME/meridox; the XDG rules ignore a relative XDG_DATA_HOME.
QString UserDataFolder() {
  QString base = qEnvironmentVariable("XDG_DATA_HOME");
  if (base.isEmpty() || QDir::isRelativePath(base)) base = QDir::homePath() + "/.local/share";
  return QDir::cleanPath(base + QStringLiteral("/meridox"));
}

QString InstalledSeedFolder() {
  const QString seed =
      QDir::cleanPath(ProgramFileFolder() + QLatin1String(InstallLayout::SeedFromProgram));
  return QFileInfo(seed + QStringLiteral("/Data.mdb")).isFile() ? seed + QLatin1Char('/')
                                                                : QString();
}

// The package's empty databases where the package puts them.
bool InstalledProgram() {
  return !InstalledSeedFolder().isEmpty();
}
