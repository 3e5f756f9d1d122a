// The three output files of the attendance download: the main data file
// "veri.txt", the month's backup file in "yedek_K20" and, when asked for,
// the second data file "veri2.txt". All three get the same lines in the same
// order and are only ever appended to, in whole lines.
#pragma once
#include <QDate>
#include <QString>
#include <memory>

#include "attendance/AppendFile.h"

class TAttendanceFiles {
 public:
  // Opens the main data file, the second one when SecondDataFile is set, then
  // the backup file of Today's month (creating "yedek_K20" when missing).
  // Each must be a regular file or absent. Throws EInOutError; files opened
  // before the failure are closed again.
  TAttendanceFiles(const QString& AppPath, bool SecondDataFile, const QDate& Today);

  // Throws the constructor's EInOutError when one of the files it would
  // open is there and no regular file (a FIFO, a folder, a device); looks
  // without opening, so it never waits. A download calls it before it waits
  // for the download lock, so a file that can never take the lines is told
  // at once.
  static void RefuseIfNotRegular(const QString& AppPath, bool SecondDataFile, const QDate& Today);

  // "yedek_K20/MMYYYY.txt" under AppPath, named after the month of Today.
  static QString BackupFileName(const QString& AppPath, const QDate& Today);

  // Writes one line (line break included) to the main data file, the backup
  // file, then the second data file, handing it to the system in each before
  // returning: the next terminal call may count its record as delivered, so
  // a killed program must not hold it in a buffer of its own. A file that
  // cannot take the line is cut back to its last whole line and the system's
  // reason is thrown (EInOutError); the line may then be in the files before
  // it and not in the others.
  void Write(const QByteArray& Line);
  // Puts every file's contents on disk; after it a power cut loses nothing.
  // The download calls it before telling the operator the lines are saved.
  void Sync();
  // Lines that reached every file in use.
  int Lines() const { return lines_; }

 private:
  int lines_ = 0;
  std::unique_ptr<TAppendFile> main_;
  std::unique_ptr<TAppendFile> second_;
  std::unique_ptr<TAppendFile> backup_;
};
