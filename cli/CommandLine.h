// The command-line mode of meridox: unattended runs over every terminal of
// the list (download, connection check, clock setting) with no window and no
// display. It uses the core only and reads the same Data.mdb and
// Settings.ini in the program folder.
#pragma once
#include <QStringList>

// Exit statuses of a command-line run.
enum : int { kExitOk = 0, kExitTerminalFailed = 1, kExitUsage = 2 };

// True when the arguments ask for the command-line mode (the first one
// starts with "--"); the program then needs no window system.
bool IsCommandLine(int argc, char* argv[]);

// Runs the command of Arguments (the program name first). AppFolder: where
// Data.mdb and Settings.ini are; empty for the program file's folder. Needs
// a QCoreApplication.
int RunCommandLine(const QStringList& Arguments, const QString& AppFolder = {});
