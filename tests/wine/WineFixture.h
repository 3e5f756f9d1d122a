// Shared by the Wine suites: the Windows stand-ins and hosts the build put
// beside the tests, copying a pair into a program folder, and the reason a
// machine type cannot be tried here (then the test is skipped, saying why).
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "ThirtyTwoBit.h"
#include "sdk/FKDefine.h"
#include "sdk/HostSdk.h"

// The folder the build put a Windows stand-in pair of Arch in ("i686",
// "x86_64"); Partial: the pair whose first library lacks FK_GetDeviceTime.
inline QString StandInFolder(const QString& Arch, bool Partial = false) {
  return QCoreApplication::applicationDirPath() + QStringLiteral("/wine-") + Arch +
         (Partial ? QStringLiteral("-partial") : QString());
}

// Copies the pair of Arch into Folder, the first library under FirstName.
inline bool CopyStandIns(const QString& Arch, const QString& Folder, bool Partial = false,
                         const QString& FirstName = QStringLiteral("FK623Attend.dll")) {
  const QString from = StandInFolder(Arch, Partial);
  return QFile::copy(from + QStringLiteral("/FK623Attend.dll"), Folder + '/' + FirstName) &&
         QFile::copy(from + QStringLiteral("/FKAttend.dll"),
                     Folder + QStringLiteral("/FKAttend.dll"));
}

// Options of a loader over the pair of Arch where the build put it.
inline THostSdkOptions StandInOptions(const QString& Arch, bool Partial = false) {
  THostSdkOptions options;
  options.FirstLibrary = StandInFolder(Arch, Partial) + QStringLiteral("/FK623Attend.dll");
  options.SecondLibrary = StandInFolder(Arch, Partial) + QStringLiteral("/FKAttend.dll");
  return options;
}

// Keeps Wine's server running between the hosts of a suite (it otherwise
// ends when the last one does, and each new host would start it again, with
// Wine's services, which takes seconds); it ends by itself 30 s after the
// last host.
inline void KeepWineServerRunning() {
  static bool started = false;
  if (started) return;
  started = true;
  QString server = QStringLiteral("/usr/lib/wine/wineserver64");
  if (!QFileInfo(server).isExecutable())
    server = QStandardPaths::findExecutable(QStringLiteral("wineserver"));
  if (!server.isEmpty()) QProcess::execute(server, {QStringLiteral("-p30")});
}

// Why the stand-ins of Arch ("x86_64", "i686", or a variant such as
// "i686-decorated") cannot be tried through Wine here (not built, Wine
// missing, no 32-bit programs run here); empty when they can. Then the test
// runs, and a host that does not start fails it: nothing is started just to
// find out (a 32-bit host takes a minute where the processor is emulated).
inline QString WineSkipReason(const QString& Arch) {
  KeepWineServerRunning();
  const QString machine = Arch.section('-', 0, 0);
  const QString bin = QCoreApplication::applicationDirPath();
  if (!QFileInfo::exists(bin + QStringLiteral("/sdkhost-") + machine + QStringLiteral(".exe")) ||
      !QFileInfo::exists(StandInFolder(Arch) + QStringLiteral("/FK623Attend.dll"))) {
    return QStringLiteral("the %1 Windows host and stand-ins were not built (mingw-w64 missing)")
        .arg(Arch);
  }
  if (QStandardPaths::findExecutable(QStringLiteral("wine")).isEmpty())
    return QStringLiteral("wine is not installed (scripts/install-deps.sh installs it)");
  return machine == QLatin1String("i686") ? No32BitReason() : QString();
}

#define SKIP_UNLESS_WINE(Arch)                        \
  do {                                                \
    const QString reason = WineSkipReason(Arch);      \
    if (!reason.isEmpty()) QSKIP(qPrintable(reason)); \
  } while (false)

// The machine types as rows of a test's data table.
inline void AddArchRows() {
  QTest::addColumn<QString>("arch");
  QTest::newRow("x86_64") << QStringLiteral("x86_64");
  QTest::newRow("i686") << QStringLiteral("i686");
}
