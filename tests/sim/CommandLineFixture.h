// Shared by the end-to-end suites that run the program file itself: a
// program folder with the terminal libraries beside it, and runs of its
// command line without a display.
#pragma once
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <memory>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "ProgramCopy.h"
#include "TestProgram.h"

// The program file in a program folder of its own, with the terminal
// libraries beside it, as an installation has them; false when a file could
// not be put there.
inline bool InstallLinuxProgram(const QString& Folder) {
  const QString bin = QCoreApplication::applicationDirPath() + QLatin1Char('/');
  const QString to = Folder + QLatin1Char('/');
  // A hard link (or a copy on another file system), not a symbolic link: the
  // program finds its folder through the path it was started by.
  if (!programcopy::Link(bin + "meridox", to + "meridox")) return false;
  for (const char* lib : {"libFK623Attend.so", "libFKAttend.so"})
    if (!QFile::link(bin + lib, to + lib)) return false;
  return true;
}
inline void InstallProgram(const TestFolder& Folder) {
  QVERIFY(InstallLinuxProgram(Folder.Path()));
}

struct TRun {
  int Exit = -1;
  QString Out, Err;
};

// Runs the command line with no display at all.
inline QProcess* Launch(const TestFolder& Folder, const QStringList& Arguments) {
  auto* p = new QProcess;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("DISPLAY");
  env.remove("WAYLAND_DISPLAY");
  env.remove("QT_QPA_PLATFORM");
  p->setProcessEnvironment(env);
  p->start(Folder.File("meridox"), Arguments);
  return p;
}
inline TRun Finish(QProcess* P) {
  std::unique_ptr<QProcess> p(P);
  TRun run;
  if (!p->waitForFinished(120000)) return run;
  run.Exit = p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
  run.Out = QString::fromUtf8(p->readAllStandardOutput());
  run.Err = QString::fromUtf8(p->readAllStandardError());
  return run;
}
inline TRun RunCommandLine(const TestFolder& Folder, const QStringList& Arguments) {
  return Finish(Launch(Folder, Arguments));
}
