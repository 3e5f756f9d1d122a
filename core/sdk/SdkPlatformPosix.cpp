#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "sdk/SdkPlatform.h"

namespace SdkPlatform {

namespace {
constexpr int kMachineAmd64 = 0x8664;
constexpr int kMachineI386 = 0x14c;
}  // namespace

QString NativeLibraryFile(const QString& Name) {
  return QStringLiteral("lib%1.so").arg(Name);
}

// No Windows library loads into a Linux program.
bool LoadsInProgram(int) {
  return false;
}

bool HostThroughWine() {
  return true;
}

QString FindWine(int Machine) {
  if (Machine == kMachineAmd64) {
    // wine64 runs a 64-bit host without wine's 32-bit loader, which a
    // computer may have installed but be unable to run.
    QString wine64 = QStandardPaths::findExecutable(QStringLiteral("wine64"));
    if (wine64.isEmpty() && QFileInfo(QStringLiteral("/usr/lib/wine/wine64")).isExecutable())
      wine64 = QStringLiteral("/usr/lib/wine/wine64");
    if (!wine64.isEmpty()) return wine64;
  }
  return QStandardPaths::findExecutable(QStringLiteral("wine"));
}

bool WinePrefixMissing() {
  QString prefix = qEnvironmentVariable("WINEPREFIX");
  if (prefix.isEmpty()) prefix = QDir::homePath() + QStringLiteral("/.wine");
  return !QFileInfo::exists(prefix + QStringLiteral("/system.reg"));
}

QString WineInstallCommand(int Machine) {
  return Machine == kMachineI386 ? QStringLiteral(
                                       "dpkg --add-architecture i386 && apt-get update && "
                                       "apt-get install wine wine32")
                                 : QStringLiteral("apt-get install wine wine64");
}

QString WithWine() {
  return QStringLiteral("Wine ile ");
}

QString HostWay(const QString& HostName) {
  return QStringLiteral("Wine ve %1 ile").arg(HostName);
}

}  // namespace SdkPlatform
