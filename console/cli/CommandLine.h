// The command-line mode of meridox: unattended runs over every terminal of
// the list (download, connection check, clock setting) with no window and no
// display. It uses the core only and reads the same Data.mdb and
// Settings.ini in the program folder.
#pragma once
#include <QStringList>

// Exit statuses of a command-line run.
enum : int { kExitOk = 0, kExitTerminalFailed = 1, kExitUsage = 2 };

// The window's own options: the program folder (--folder DIR) and, for a
// test of an installed program, closing as soon as the window is shown
// (--quit-after-start, not listed in the help).
struct TWindowOptions {
  QString Folder;
  bool QuitAfterStart = false;
};

// True when the arguments ask for the command-line mode: any argument but
// the window's own options. The program then needs no window system, and a
// wrong argument is reported there instead of starting the window.
bool IsCommandLine(int argc, char* argv[]);
// The window's options of Arguments (the program name first).
TWindowOptions WindowOptions(const QStringList& Arguments);

// Runs the command of Arguments (the program name first). AppFolder: where
// Data.mdb and Settings.ini are; empty to choose the program folder as the
// window does (--folder, MERIDOX_HOME, the program file's folder or the
// user's data folder). Needs a QCoreApplication.
int RunCommandLine(const QStringList& Arguments, const QString& AppFolder = {});

// The program's name and version, as --version prints it.
QString VersionText();
