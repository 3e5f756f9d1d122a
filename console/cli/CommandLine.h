// The command-line mode of meridox: unattended runs over every terminal of
// the list (download, connection check, clock setting) with no window and no
// display. It uses the core only and reads the same Data.mdb and
// Settings.ini in the program folder.
#pragma once
#include <QStringList>

// Exit statuses of a command-line run.
enum : int { kExitOk = 0, kExitTerminalFailed = 1, kExitUsage = 2 };

// What the arguments ask for, read in one pass. The window takes two options
// of its own: the program folder (--folder DIR) and, for a test of an
// installed program, closing as soon as the window is shown
// (--quit-after-start, not listed in the help). Any other argument asks for
// the command-line mode: the program then needs no window system, and a
// wrong argument is reported there instead of starting the window.
struct TProgramOptions {
  enum class TCommand { None, DownloadAll, Check, SetTimeAll, Help, Version };
  bool CommandLine = false;  // anything but the window's own options
  TCommand Command = TCommand::None;
  QString Folder;
  bool QuitAfterStart = false;
  int Retries = 0;          // --retries of --download-all
  int LockWaitSeconds = 0;  // --lock-wait of --download-all, or its default
  // The first thing wrong with the arguments as a command (the usage error);
  // empty when there is none. The window's own options are not wrong for
  // the window.
  QString Problem;
};

// The options of Arguments (the program name first).
TProgramOptions ReadProgramOptions(const QStringList& Arguments);
// The same from main's own arguments, before any application object exists.
TProgramOptions ReadProgramOptions(int argc, char* argv[]);

// Runs the command of Options. AppFolder: where Data.mdb and Settings.ini
// are; empty to choose the program folder as the window does (--folder,
// MERIDOX_HOME, the program file's folder or the user's data folder). Needs
// a QCoreApplication.
int RunCommandLine(const TProgramOptions& Options, const QString& AppFolder = {});

// The program's name and version, as --version prints it.
QString VersionText();
