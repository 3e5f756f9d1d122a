// The attendance files are regular files or absent, nothing else: opening a
// FIFO for writing waits for a reader for ever (a scheduled download would
// hang holding the download lock), and a folder or a device takes no lines.
// The checks differ between the systems: POSIX in RegularFilePosix.cpp,
// Windows in RegularFileWin.cpp.
#pragma once
#include <QFile>
#include <QString>

// Why FileName cannot be an attendance file, in the system's manner ("Is a
// directory"); empty when it is a regular file or there is nothing there.
// Looks without opening, so it never waits.
QString NotRegularReason(const QString& FileName);

// Opens File (its name set) for appending without Qt's buffer, creating it
// when missing, as a regular file only: anything else is refused without
// waiting, also when it took the file's place after a check. False with
// Reason set when refused or when the system refuses.
bool OpenRegularForAppend(QFile& File, QString& Reason);
