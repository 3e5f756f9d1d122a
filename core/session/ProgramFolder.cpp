#include "session/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <cerrno>
#include <memory>

#include "common/Errors.h"

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

// From the folder an installed program file lies in to the folder of the
// package's empty databases: InstallLayout::SeedFromProgram.
#include "InstallLayout.h"

namespace {

const char* const kDatabases[] = {"Data.mdb", "Log.mdb"};

QString WithSeparator(QString Folder) {
  if (!Folder.endsWith(QLatin1Char('/'))) Folder += QLatin1Char('/');
  return Folder;
}

[[noreturn]] void Fail(const QString& What, const QString& Name, const QString& Reason) {
  throw EInOutError(
      QStringLiteral("%1: %2 (%3)").arg(What, QDir::toNativeSeparators(Name), Reason));
}

bool SyncHandle(int Handle) {
#ifdef Q_OS_WIN
  return _commit(Handle) == 0;
#else
  return fsync(Handle) == 0;
#endif
}

#ifdef Q_OS_WIN
// %LOCALAPPDATA%\Meridox: the user's own data, not roamed to other computers.
QString UserDataFolder() {
  QString base = QDir::fromNativeSeparators(qEnvironmentVariable("LOCALAPPDATA"));
  if (base.isEmpty() || QDir::isRelativePath(base))
    base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  return QDir::cleanPath(base + QStringLiteral("/Meridox"));
}

// Whether the program file lies under Program Files: installed there, its
// folder belongs to the administrator even where the file system would let
// this user write (Windows then redirects or refuses the writes).
bool UnderProgramFiles(const QString& Folder) {
  for (const char* name : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"}) {
    const QString root = QDir::fromNativeSeparators(qEnvironmentVariable(name));
    if (root.isEmpty()) continue;
    const QString prefix = WithSeparator(QDir::cleanPath(root));
    if (Folder.startsWith(prefix, Qt::CaseInsensitive)) return true;
  }
  return false;
}
#else
// $XDG_DATA_HOME/meridox; the XDG rules ignore a relative XDG_DATA_HOME.
QString UserDataFolder() {
  QString base = qEnvironmentVariable("XDG_DATA_HOME");
  if (base.isEmpty() || QDir::isRelativePath(base)) base = QDir::homePath() + "/.local/share";
  return QDir::cleanPath(base + QStringLiteral("/meridox"));
}
#endif

}  // namespace

void SyncFolder(const QString& Folder) {
#ifndef Q_OS_WIN
  const int fd = ::open(QFile::encodeName(Folder).constData(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  const bool synced = fsync(fd) == 0 || errno == EINVAL;
  const QString reason = ErrnoText(errno);
  ::close(fd);
  if (!synced) Fail(QStringLiteral("Klasör diske yazılamadı"), Folder, reason);
#else
  Q_UNUSED(Folder);
#endif
}

QString ProgramFileFolder() {
  return WithSeparator(QCoreApplication::applicationDirPath());
}

QString InstalledSeedFolder() {
#ifdef Q_OS_WIN
  // The installer puts the empty databases beside the program.
  const QString own = ProgramFileFolder();
  return UnderProgramFiles(own) && QFileInfo(own + QStringLiteral("Data.mdb")).isFile() ? own
                                                                                        : QString();
#else
  const QString seed =
      QDir::cleanPath(ProgramFileFolder() + QLatin1String(InstallLayout::SeedFromProgram));
  return QFileInfo(seed + QStringLiteral("/Data.mdb")).isFile() ? WithSeparator(seed) : QString();
#endif
}

QStringList CopyMissingDatabases(const QString& SeedFolder, const QString& Folder) {
  QStringList copied;
  for (const char* name : kDatabases) {
    const QString source = WithSeparator(SeedFolder) + QLatin1String(name);
    const QString target = WithSeparator(Folder) + QLatin1String(name);
    // A dangling symbolic link counts as there: it is the operator's.
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) continue;
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) Fail(QStringLiteral("Okunamadı"), source, in.errorString());
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
      Fail(QStringLiteral("Okunamadı"), source, in.errorString());

    if (WriteNewFileSynced(Folder, QLatin1String(name), bytes,
                           QStringLiteral("Boş veritabanı kopyalanamadı")))
      copied << QLatin1String(name);
  }
  return copied;
}

bool WriteNewFileSynced(const QString& Folder, const QString& File, const QByteArray& Bytes,
                        const QString& What) {
  const QString target = WithSeparator(Folder) + File;
  auto out = std::make_unique<QTemporaryFile>(target + QStringLiteral(".XXXXXX"));
  if (!out->open()) Fail(What, target, out->errorString());
  // The system's own reason. Qt 6.4 on Linux reports a failed flush as
  // "Unknown error"; on Windows Qt writes through WriteFile, so its own text
  // has the reason and errno has none.
  if (out->write(Bytes) != Bytes.size() || !out->flush()) {
#ifdef Q_OS_WIN
    Fail(What, target, out->errorString());
#else
    Fail(What, target, ErrnoText(errno));
#endif
  }
  if (!SyncHandle(out->handle())) Fail(What, target, ErrnoText(errno));
    // The rename never replaces an existing file: one made meanwhile (by a
    // second program at the same moment) is kept and ours is dropped.
#ifdef Q_OS_WIN
  // Windows has no folder to sync: the rename itself is written through.
  // It needs the file closed, which a QTemporaryFile only is when it goes.
  out->setAutoRemove(false);
  const QString temporary = QDir::toNativeSeparators(out->fileName());
  out.reset();
  if (!MoveFileExW(reinterpret_cast<const wchar_t*>(temporary.utf16()),
                   reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(target).utf16()),
                   MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    QFile::remove(temporary);
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return false;
    Fail(What, target, qt_error_string(int(error)));
  }
#else
  // The temporary file is private; the new one gets the modes of any file
  // the user makes.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(out->handle(), 0666 & ~mask);
  if (!out->rename(target)) {
    if (QFileInfo::exists(target)) return false;
    Fail(What, target, out->errorString());
  }
  out->setAutoRemove(false);
  SyncFolder(Folder);
#endif
  return true;
}

QString ChooseProgramFolder(const QString& Requested) {
  QString folder = Requested;
  if (folder.isEmpty()) folder = qEnvironmentVariable("MERIDOX_HOME");
  if (folder.isEmpty()) {
    const QString own = ProgramFileFolder();
#ifdef Q_OS_WIN
    if (QFileInfo(own).isWritable() && !UnderProgramFiles(own)) return own;
#else
    if (QFileInfo(own).isWritable() && InstalledSeedFolder().isEmpty()) return own;
#endif
    folder = UserDataFolder();
  }
  return WithSeparator(QDir(folder).absolutePath());
}

TProgramFolder PrepareProgramFolder(const QString& Requested) {
  TProgramFolder result;
  const QString folder = ChooseProgramFolder(Requested);
  // A folder the operator names is used only when it is there: a mistyped
  // name made anew would get empty databases, and every scheduled run would
  // then succeed on an empty terminal list while nothing is collected.
  const QString named = !Requested.isEmpty() ? QStringLiteral("--folder")
                        : qEnvironmentVariableIsEmpty("MERIDOX_HOME")
                            ? QString()
                            : QStringLiteral("MERIDOX_HOME");
  const QString place = QDir::cleanPath(folder);
  if (!named.isEmpty() && !QFileInfo(place).isDir()) {
    const QString shown = QDir::toNativeSeparators(place);
    result.Error = QFileInfo::exists(place)
                       ? QStringLiteral("%1 ile verilen program klasörü bir klasör değil: %2")
                             .arg(named, shown)
                       : QStringLiteral(
                             "%1 ile verilen program klasörü yok: %2 (yeni bir program "
                             "klasörü önce oluşturulmalı)")
                             .arg(named, shown);
    return result;
  }
  if (folder == ProgramFileFolder()) {
    // Beside the program, exactly as a folder of its own has always been.
    result.Path = folder;
    result.BesideProgram = true;
    return result;
  }
  if (!QDir().mkpath(folder)) {
    result.Error =
        QStringLiteral("Program klasörü oluşturulamadı: %1").arg(QDir::toNativeSeparators(folder));
    return result;
  }
  result.Path = folder;
  const QString seed = InstalledSeedFolder();
  if (seed.isEmpty()) return result;
  try {
    result.Copied = CopyMissingDatabases(seed, folder);
  } catch (const EAppError& e) {
    result.Error = e.Text();
  }
  return result;
}
