// Durable-file work, the one place where the systems differ in it: handing
// bytes to the system, cutting a file back, waiting until a file or a folder
// is on the disk, writing a new file whole, setting a file's time, and the
// words for a failed write. POSIX calls in DurableFilePosix.cpp, the Windows
// API and C run-time in DurableFileWin.cpp; CMake builds one of the two.
#pragma once
#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <QTemporaryFile>
#include <memory>

// The system's text for an errno value (a failed write, sync or cut). Qt's
// qt_error_string reads its number as a Windows error code on Windows, where
// ENOSPC would say "Out of paper".
QString ErrnoText(int Errno);

// The system's reason why a write or flush through File has just failed.
// Qt 6.4 on Linux reports a failed flush as "Unknown error" while errno has
// the reason; on Windows Qt writes through WriteFile, so its own text has
// the reason and errno has none.
QString WriteFailureText(const QFileDevice& File);

// One write of up to Size bytes to the open file Handle at its position: the
// count written, or -1 with errno set. On Windows a full disk is ENOSPC, a
// refusal EACCES and any other failure EIO.
qint64 WriteSome(int Handle, const char* Bytes, qsizetype Size);

// Where the next write to Handle goes; -1 with errno set on failure.
qint64 FilePosition(int Handle);

// Cuts the open file Handle to Size bytes; false with errno set when the
// system refuses.
bool CutFile(int Handle, qint64 Size);

// Waits until the bytes written to Handle are on the disk; false with errno
// set when the system could not put them there.
bool SyncFile(int Handle);

// Makes a new entry (a rename, a new folder) inside Folder survive a crash.
// Not possible (nor needed) everywhere: a folder that cannot be opened for it
// is left as it is. Throws EInOutError when the sync fails.
void SyncFolder(const QString& Folder);

// Makes File in Folder with Bytes: through a temporary file that is synced
// and then renamed, never over an existing file (then false, nothing
// written), and the folder synced, so the file is whole or absent, also
// after a crash. Throws EInOutError, What naming the step, on a failed step.
bool WriteNewFileSynced(const QString& Folder, const QString& File, const QByteArray& Bytes,
                        const QString& What);

// The last step of WriteNewFileSynced: gives Temporary, written and synced,
// the name Target in Folder, never over an existing file (then false and
// Temporary gone), so that the name lasts. Throws as WriteNewFileSynced.
bool PlaceNewFile(std::unique_ptr<QTemporaryFile> Temporary, const QString& Folder,
                  const QString& Target, const QString& What);

// Throws EInOutError "What: Name (Reason)", the form of a failed step of the
// work above.
[[noreturn]] void ThrowFileStepError(const QString& What, const QString& Name,
                                     const QString& Reason);

// Sets File's modification time to now without disturbing a lock that this
// process holds on it. A file already gone needs nothing.
void SetModifiedNow(const QString& File);
