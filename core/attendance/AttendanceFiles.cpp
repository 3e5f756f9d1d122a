#include "attendance/AttendanceFiles.h"

#include <QDir>

namespace {
const QString kBackupFolder = QStringLiteral("yedek_K20");
}

QString TAttendanceFiles::BackupFileName(const QString& AppPath, const QDate& Today) {
  return AppPath + kBackupFolder + QLatin1Char('/') + Today.toString(QStringLiteral("MMyyyy")) +
         QStringLiteral(".txt");
}

void TAttendanceFiles::RefuseIfNotRegular(const QString& AppPath, bool SecondDataFile,
                                          const QDate& Today) {
  TAppendFile::RefuseIfNotRegular(AppPath + QStringLiteral("veri.txt"));
  if (SecondDataFile) TAppendFile::RefuseIfNotRegular(AppPath + QStringLiteral("veri2.txt"));
  TAppendFile::RefuseIfNotRegular(BackupFileName(AppPath, Today));
}

TAttendanceFiles::TAttendanceFiles(const QString& AppPath, bool SecondDataFile,
                                   const QDate& Today) {
  // None is made or opened when one of them cannot be used.
  RefuseIfNotRegular(AppPath, SecondDataFile, Today);
  main_ = std::make_unique<TAppendFile>(AppPath + QStringLiteral("veri.txt"));
  if (SecondDataFile)
    second_ = std::make_unique<TAppendFile>(AppPath + QStringLiteral("veri2.txt"));
  // A folder that cannot be made shows up as the backup file's open error.
  QDir(AppPath).mkdir(kBackupFolder);
  // The backup file is appended to like the others: a month's backup is never
  // emptied by a later download of the same month.
  backup_ = std::make_unique<TAppendFile>(BackupFileName(AppPath, Today));
}

void TAttendanceFiles::Write(const QByteArray& Line) {
  main_->WriteThrough(Line);
  backup_->WriteThrough(Line);
  if (second_) second_->WriteThrough(Line);
  ++lines_;
}

void TAttendanceFiles::Sync() {
  main_->Sync();
  backup_->Sync();
  if (second_) second_->Sync();
}
