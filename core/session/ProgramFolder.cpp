#include "session/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "common/DurableFile.h"
#include "common/Errors.h"

namespace {

const char* const kDatabases[] = {"Data.mdb", "Log.mdb"};

QString WithSeparator(QString Folder) {
  if (!Folder.endsWith(QLatin1Char('/'))) Folder += QLatin1Char('/');
  return Folder;
}

}  // namespace

QString ProgramFileFolder() {
  return WithSeparator(QCoreApplication::applicationDirPath());
}

QStringList CopyMissingDatabases(const QString& SeedFolder, const QString& Folder) {
  QStringList copied;
  for (const char* name : kDatabases) {
    const QString source = WithSeparator(SeedFolder) + QLatin1String(name);
    const QString target = WithSeparator(Folder) + QLatin1String(name);
    // A dangling symbolic link counts as there: it is the operator's.
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) continue;
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
      ThrowFileStepError(QStringLiteral("Okunamadı"), source, in.errorString());
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
      ThrowFileStepError(QStringLiteral("Okunamadı"), source, in.errorString());

    if (WriteNewFileSynced(Folder, QLatin1String(name), bytes,
                           QStringLiteral("Boş veritabanı kopyalanamadı")))
      copied << QLatin1String(name);
  }
  return copied;
}

QString ChooseProgramFolder(const QString& Requested) {
  QString folder = Requested;
  if (folder.isEmpty()) folder = qEnvironmentVariable("MERIDOX_HOME");
  if (folder.isEmpty()) {
    const QString own = ProgramFileFolder();
    if (QFileInfo(own).isWritable() && !InstalledProgram()) return own;
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
  if (!seed.isEmpty()) FillProgramFolder(seed, result);
  return result;
}

void FillProgramFolder(const QString& SeedFolder, TProgramFolder& Folder) {
  const auto there = [&](const char* Name) {
    // A dangling symbolic link counts as there: it is the operator's.
    const QString file = WithSeparator(Folder.Path) + QLatin1String(Name);
    return QFileInfo::exists(file) || QFileInfo(file).isSymLink();
  };
  // The terminal list and the fingerprint backup live in Data.mdb alone: in
  // a folder the program has already run on, an empty one put in its place
  // would pass for the operator's data without a word.
  const bool lostData = !there("Data.mdb") && (there("Log.mdb") || there("Settings.ini"));
  try {
    Folder.Copied = CopyMissingDatabases(SeedFolder, Folder.Path);
  } catch (const EAppError& e) {
    Folder.Error = e.Text();
  }
  if (lostData && there("Data.mdb"))
    Folder.Notice =
        QStringLiteral(
            "Program klasöründe Data.mdb yoktu; boş bir Data.mdb oluşturuldu. Terminal listesi "
            "ve parmak izi yedeği boş. Bir klasör yedeğiniz varsa programı kapatın ve Data.mdb "
            "dosyasını yedekten %1 klasörüne geri kopyalayın.")
            .arg(QDir::toNativeSeparators(QDir::cleanPath(Folder.Path)));
}
