// Shared by the Linux suites and benchmarks that run the cross-built Windows
// program under Wine: where its files are (MERIDOX_WINDOWS_BIN, the Windows
// build's bin/), the Wine prefix they run in, a program folder holding a
// copy of that layout, and a run of the console program under Wine.
#pragma once

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>

#include "ProgramCopy.h"

inline const QString kWine64 = QStringLiteral("/usr/lib/wine/wine64");

// The Windows build's bin/ (with a trailing slash), or empty.
inline QString WindowsBin() {
  const QString bin = qEnvironmentVariable("MERIDOX_WINDOWS_BIN");
  return bin.isEmpty() ? QString() : QDir(bin).absolutePath() + QLatin1Char('/');
}

// Why the Windows program cannot be run here; empty when it can.
inline QString WindowsUnavailable() {
  const QString bin = WindowsBin();
  if (bin.isEmpty())
    return QStringLiteral(
        "MERIDOX_WINDOWS_BIN is not set (the Windows build's bin/; scripts/test-windows.sh sets "
        "it)");
  if (!QFileInfo(kWine64).isExecutable())
    return kWine64 + QStringLiteral(" is missing (wine64 is not installed)");
  for (const char* file : {"meridox.com", "meridox.exe", "sdkhost-x86_64.exe", "Qt6Core.dll",
                           "stand-in/FK623Attend.dll", "stand-in/FKAttend.dll"})
    if (!QFileInfo::exists(bin + QLatin1String(file)))
      return bin + QLatin1String(file) + QStringLiteral(" is missing (build the Windows tree)");
  return {};
}

// The Wine prefix of this run: WINEPREFIX when it names a made prefix (the
// ctest fixture's), else one made here once, in a temporary folder that lives
// as long as the process. Exported, so every Wine process of the run (and the
// Linux program's own Wine hosts) shares it and its running server. Empty,
// with Error set, when Wine cannot make one.
inline QString WinePrefix(QString* Error = nullptr) {
  static QString prefix;
  static QString error;
  static std::unique_ptr<QTemporaryDir> made;
  if (prefix.isEmpty() && error.isEmpty()) {
    const QString given = qEnvironmentVariable("WINEPREFIX");
    if (!given.isEmpty() && QFileInfo::exists(given + QStringLiteral("/system.reg"))) {
      prefix = given;
    } else {
      made = std::make_unique<QTemporaryDir>();
      QProcess boot;
      QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
      env.insert(QStringLiteral("WINEPREFIX"), made->path());
      env.insert(QStringLiteral("WINEARCH"), QStringLiteral("win64"));
      env.insert(QStringLiteral("WINELOADER"), kWine64);
      env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
      env.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
      boot.setProcessEnvironment(env);
      boot.setProcessChannelMode(QProcess::MergedChannels);
      boot.start(kWine64, {QStringLiteral("wineboot"), QStringLiteral("--init")});
      if (boot.waitForFinished(300000) && boot.exitCode() == 0)
        prefix = made->path();
      else
        error = QStringLiteral("wineboot --init failed: ") + QString::fromLocal8Bit(boot.readAll());
    }
    if (!prefix.isEmpty()) {
      qputenv("WINEPREFIX", QFile::encodeName(prefix));
      // Keeps Wine's server up between the runs (each would otherwise start
      // it and Wine's services again, which takes seconds); it ends by
      // itself 60 s after the last Wine process.
      // Detached and away from our output: a server holding the pipe a
      // caller reads us through would keep the caller waiting for a minute.
      QProcess server;
      server.setProgram(QStringLiteral("/usr/lib/wine/wineserver64"));
      server.setArguments({QStringLiteral("-p60")});
      server.setStandardOutputFile(QProcess::nullDevice());
      server.setStandardErrorFile(QProcess::nullDevice());
      server.startDetached();
    }
  }
  if (Error) *Error = error;
  return prefix;
}

// The environment of a Windows program under Wine: the 64-bit loader, no
// debug channels, the run's prefix, none of the Linux program's choices of
// folder, SDK path or display. ForceHost sets MERIDOX_SDK_HOST=1.
inline QProcessEnvironment WineEnvironment(bool ForceHost = false) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("WINEPREFIX"), WinePrefix());
  env.insert(QStringLiteral("WINEARCH"), QStringLiteral("win64"));
  env.insert(QStringLiteral("WINELOADER"), kWine64);
  env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
  // The DLLs must be found beside the program, as on a Windows computer.
  for (const char* name : {"WINEPATH", "MERIDOX_HOME", "MERIDOX_SDK_HOST", "DISPLAY",
                           "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    env.remove(QLatin1String(name));
  if (ForceHost) env.insert(QStringLiteral("MERIDOX_SDK_HOST"), QStringLiteral("1"));
  return env;
}

// Puts the Windows build's bin/ layout into Folder (programs, Qt and MinGW
// DLLs, plugin folders, stand-in\), leaving files Folder already has (its
// databases) alone. Hard links where the file system allows, else copies.
// Skips the cross-built test suites and their doubles, and the files Leave
// names.
inline bool InstallWindowsProgram(const QString& Folder, const QStringList& Leave = {}) {
  const QString bin = WindowsBin();
  QDirIterator it(bin, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString from = it.next();
    const QString relative = from.mid(bin.size());
    if (relative.startsWith(QLatin1String("tst_")) || relative.startsWith(QLatin1String("wine-")) ||
        Leave.contains(relative))
      continue;
    const QString to = Folder + QLatin1Char('/') + relative;
    if (QFileInfo::exists(to)) continue;
    if (!QDir().mkpath(QFileInfo(to).path())) return false;
    if (!programcopy::Link(from, to)) return false;
  }
  return true;
}

// A run of a Windows program under Wine.
struct TWineRun {
  int Exit = -1;
  QByteArray Out, Err;
  qint64 Ms = 0;
  // Whether a process with the words of Watch was seen while it ran.
  bool Seen = false;
};

// Whether a process of this machine has every one of Words in its command
// line.
inline bool ProcessRunning(const QList<QByteArray>& Words) {
  const QDir proc(QStringLiteral("/proc"));
  for (const QString& pid : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    if (!pid.front().isDigit()) continue;
    QFile f(proc.filePath(pid) + QStringLiteral("/cmdline"));
    if (!f.open(QIODevice::ReadOnly)) continue;
    const QByteArray line = f.readAll();
    if (std::all_of(Words.begin(), Words.end(),
                    [&](const QByteArray& w) { return line.contains(w); }))
      return true;
  }
  return false;
}

// Runs Program (a Windows .exe/.com) under Wine with Arguments and waits for
// it (bounded). Watch: words of a command line looked for among the
// processes while it runs (the SDK host it should start: its name and the
// program folder's, other processes on the machine may run hosts too).
inline TWineRun RunUnderWine(const QString& Program, const QStringList& Arguments,
                             const QProcessEnvironment& Env, const QList<QByteArray>& Watch = {}) {
  TWineRun run;
  QProcess p;
  p.setProcessEnvironment(Env);
  QElapsedTimer timer;
  timer.start();
  p.start(kWine64, QStringList{Program} + Arguments);
  if (!p.waitForStarted(30000)) return run;
  while (!p.waitForFinished(Watch.isEmpty() ? 1000 : 20)) {
    if (!Watch.isEmpty() && !run.Seen) run.Seen = ProcessRunning(Watch);
    if (timer.elapsed() > 300000) {
      p.kill();
      p.waitForFinished(10000);
      return run;
    }
  }
  run.Ms = timer.elapsed();
  run.Exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  run.Out = p.readAllStandardOutput();
  run.Err = p.readAllStandardError();
  return run;
}

// Console text as a Linux terminal shows it: Windows' line ends made plain.
inline QString ConsoleText(QByteArray Bytes) {
  return QString::fromUtf8(Bytes.replace("\r\n", "\n"));
}
