// Where the command line's words come from and its lines go. On Linux these
// are main's arguments and the standard streams as they are. On Windows the
// arguments are read as the system's UTF-16 command line (so a folder named
// with Turkish letters arrives whole), the window program (meridox.exe)
// without standard handles writes to the console it was started from, and
// bytes reach files and pipes unchanged (UTF-8, "\n" as written), while a
// console gets the text as the console's own characters. ConsolePosix.cpp
// and ConsoleWin.cpp hold the two sides.
#pragma once
#include <QString>
#include <QStringList>
#include <cstdio>

// The program's arguments, the program name first.
QStringList ProgramArguments(int argc, char* argv[]);

// Makes the standard output and error usable for the command line: on
// Windows attaches to the parent's console when the program has no usable
// handles and puts both streams in binary mode. Call once, before writing.
void PrepareConsole();

// Writes Text to Stream (stdout or stderr) and flushes it: UTF-8 to a file
// or pipe, characters to a console.
void WriteStream(std::FILE* Stream, const QString& Text);

// How the help names the user's data folder, the program folder of last
// resort.
extern const char kUserDataFolderHelp[];

// Whether Stream is a terminal or console (a progress bar is drawn there).
bool IsConsole(std::FILE* Stream);
