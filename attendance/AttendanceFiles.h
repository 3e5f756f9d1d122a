// The three output files of the attendance download: the main data file
// "veri.txt", the month's backup file in "yedek_K20" and, when asked for,
// the second data file "veri2.txt". All three get the same lines in the same
// order and are only ever appended to.
#pragma once
#include <QDate>
#include <QString>
#include <memory>

#include "attendance/AppendFile.h"

class TAttendanceFiles {
 public:
  // Opens the main data file, the second one when SecondDataFile is set, then
  // the backup file of Today's month (creating "yedek_K20" when missing).
  // Throws EInOutError; files opened before the failure are closed again.
  TAttendanceFiles(const QString& AppPath, bool SecondDataFile, const QDate& Today);

  // "yedek_K20/MMYYYY.txt" under AppPath, named after the month of Today.
  static QString BackupFileName(const QString& AppPath, const QDate& Today);

  // Writes one line (line break included) to the main data file, the backup
  // file, then the second data file. Each write reaches the system before the
  // next record is asked for: the terminal may count a record as delivered as
  // soon as the walk moves past it.
  void Write(const QByteArray& Line);
  // Puts every file's contents on disk; after it a power cut loses nothing.
  void Sync();

 private:
  std::unique_ptr<TAppendFile> main_;
  std::unique_ptr<TAppendFile> second_;
  std::unique_ptr<TAppendFile> backup_;
};
