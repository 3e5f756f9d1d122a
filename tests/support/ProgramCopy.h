// The program file placed in a folder of its own, as an installation has
// it, for tests that run the real program from there: on Linux a hard link
// (a copy where none can be made); on Windows a copy, with the DLLs and the
// SQL driver plugin it needs beside it.
#pragma once
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace programcopy {

#ifdef Q_OS_WIN
// Copies: Wine refuses to delete a link to a DLL that this test has loaded
// itself, and the test's folder could not be removed.
inline bool Link(const QString& From, const QString& To) {
  return QFile::copy(From, To);
}
inline const QStringList kCompanions = {
    QStringLiteral("Qt6Core.dll"),           QStringLiteral("Qt6Gui.dll"),
    QStringLiteral("Qt6Widgets.dll"),        QStringLiteral("Qt6Sql.dll"),
    QStringLiteral("libgcc_s_seh-1.dll"),    QStringLiteral("libstdc++-6.dll"),
    QStringLiteral("libwinpthread-1.dll"),   QStringLiteral("sqlite3.dll"),
    QStringLiteral("sqldrivers/qsqlite.dll")};
#else
inline bool Link(const QString& From, const QString& To) {
  return ::link(QFile::encodeName(From).constData(), QFile::encodeName(To).constData()) == 0 ||
         QFile::copy(From, To);
}
inline const QStringList kCompanions;
#endif

}  // namespace programcopy

// Puts Program (a file name in the test program's own folder) into Folder,
// which must exist; false when a file could not be placed.
inline bool CopyProgram(const QString& Program, const QString& Folder) {
  const QDir bin(QCoreApplication::applicationDirPath());
  const QDir target(Folder);
  if (!programcopy::Link(bin.filePath(Program), target.filePath(Program))) return false;
  for (const QString& file : programcopy::kCompanions)
    if (!target.mkpath(QFileInfo(file).path()) ||
        !programcopy::Link(bin.filePath(file), target.filePath(file)))
      return false;
  return true;
}
