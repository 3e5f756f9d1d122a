#include "sdk/SdkChoice.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QtEndian>

#include "sdk/SdkPlatform.h"

namespace {

QString Native(const QString& File) {
  return QDir::toNativeSeparators(File);
}

// A library of this machine type loaded into this process by its full
// path, with the second one from the same folder when it is there. Why the
// first cannot be loaded is for the operator to read: no stand-in may take
// the place of a library that is there but broken.
class TInProgramLoader final : public SdkLoader {
 public:
  TInProgramLoader(const QString& First, const QString& Second) {
    first_.setFileName(First);
    second_.setFileName(Second);
  }
  bool Load(SdkLibrary Library) override {
    if (Library == SdkLibrary::FKAttend) return !second_.fileName().isEmpty() && second_.load();
    if (first_.load()) return true;
    problem_ =
        QStringLiteral("%1 yüklenemedi: %2.").arg(Native(first_.fileName()), first_.errorString());
    return false;
  }
  void* Resolve(SdkLibrary Library, const char* Name) override {
    return reinterpret_cast<void*>(Of(Library).resolve(Name));
  }
  void Unload(SdkLibrary Library) override { Of(Library).unload(); }
  QString Problem() const override { return problem_; }

 private:
  QLibrary& Of(SdkLibrary Library) { return Library == SdkLibrary::FK623Attend ? first_ : second_; }
  QLibrary first_, second_;
  QString problem_;
};

// The pair of one folder: the first library File, the second one beside it.
TSdkChoice Pair(const QString& Folder, const QString& File, const QString& SecondName) {
  TSdkChoice choice;
  choice.File = QFileInfo(File).absoluteFilePath();
  choice.SecondFile = FindLibraryFile(Folder, SecondName);
  if (!choice.SecondFile.isEmpty())
    choice.SecondFile = QFileInfo(choice.SecondFile).absoluteFilePath();
  return choice;
}

}  // namespace

QStringList SdkFolders(const QString& ProgramFolder) {
  const QString own =
      QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
  const auto clean = [](const QString& Folder) {
    return Folder.isEmpty() ? QString() : QDir::cleanPath(Folder);
  };
  // The program folder first: the operator's own copy of the vendor's
  // libraries, where no administrator is needed to put them (and where the
  // hint of a failed connect sends them); then beside the program file
  // (the portable folder, the build's bin/).
  QStringList folders;
  for (const QString& f : {clean(ProgramFolder), clean(own)})
    if (!f.isEmpty() && !folders.contains(f)) folders << f;
  // The stand-ins last, so that they never hide the vendor's.
  if (!own.isEmpty()) folders << clean(own) + QStringLiteral("/stand-in");
  return folders;
}

TSdkChoice ChooseSdk(const QStringList& Folders) {
  // Every candidate in the order of preference: the Windows libraries of
  // all folders, then the platform's own; a stand-in only when nothing else
  // is there.
  QList<TSdkChoice> found;
  for (const QString& folder : Folders) {
    const QString dll = FindLibraryFile(folder, QStringLiteral("FK623Attend.dll"));
    if (dll.isEmpty()) continue;
    TSdkChoice choice = Pair(folder, dll, QStringLiteral("FKAttend.dll"));
    const int machine = PeMachine(dll);
    if (SdkPlatform::LoadsInProgram(machine)) {
      choice.Kind = IsStandInLibrary(dll) ? TSdkKind::StandIn : TSdkKind::InProgram;
    } else {
      choice.Kind = TSdkKind::Host;
      choice.Host = HostProgram(machine);
    }
    found << choice;
  }
  const QString first = SdkPlatform::NativeLibraryFile(QStringLiteral("FK623Attend"));
  const QString second = SdkPlatform::NativeLibraryFile(QStringLiteral("FKAttend"));
  if (first.compare(QStringLiteral("FK623Attend.dll"), Qt::CaseInsensitive) != 0) {
    for (const QString& folder : Folders) {
      const QString file = QDir(folder).filePath(first);
      if (folder.isEmpty() || !QFileInfo(file).isFile()) continue;
      TSdkChoice choice;
      choice.File = QFileInfo(file).absoluteFilePath();
      const QString beside = QDir(folder).filePath(second);
      if (QFileInfo(beside).isFile()) choice.SecondFile = QFileInfo(beside).absoluteFilePath();
      choice.Kind = IsStandInLibrary(file) ? TSdkKind::StandIn : TSdkKind::InProgram;
      found << choice;
    }
  }
  TSdkChoice chosen;
  for (const TSdkChoice& c : found) {
    if (c.Kind == TSdkKind::StandIn) continue;
    chosen = c;
    break;
  }
  if (chosen.Kind == TSdkKind::None && !found.isEmpty()) chosen = found.first();
  chosen.Folders = Folders;
  return chosen;
}

QString SdkDescription(const TSdkChoice& Choice) {
  const QString lead = QStringLiteral("Terminal kitaplığı: ");
  switch (Choice.Kind) {
    case TSdkKind::InProgram:
      return lead + QStringLiteral("%1 (programın içinde)").arg(Native(Choice.File));
    case TSdkKind::Host:
      return lead +
             QStringLiteral("%1 (%2)").arg(Native(Choice.File), SdkPlatform::HostWay(Choice.Host));
    case TSdkKind::StandIn:
      return lead + QStringLiteral("deneme kitaplığı (yalnızca deneme terminalleriyle konuşur)");
    case TSdkKind::None:
      break;
  }
  return lead + QStringLiteral("bulunamadı");
}

QString VendorLibraryHint(const TSdkChoice& Choice) {
  if (Choice.Kind != TSdkKind::StandIn && Choice.Kind != TSdkKind::None) return {};
  const QString folder = Choice.Folders.isEmpty() ? QString() : Choice.Folders.first();
  return QStringLiteral(
             "Üreticinin kitaplığı bulunamadı: FK623Attend.dll ve FKAttend.dll dosyalarını %1 "
             "klasörüne koyun.")
      .arg(Native(folder));
}

std::unique_ptr<SdkLoader> MakeChosenLoader(const TSdkChoice& Choice, const THostSdkOptions& Base) {
  switch (Choice.Kind) {
    case TSdkKind::Host: {
      THostSdkOptions options = Base;
      options.FirstLibrary = Choice.File;
      options.SecondLibrary = Choice.SecondFile;
      return MakeHostLoader(options);
    }
    case TSdkKind::InProgram:
    case TSdkKind::StandIn:
      return std::make_unique<TInProgramLoader>(Choice.File, Choice.SecondFile);
    case TSdkKind::None:
      break;
  }
  return MakeLibraryLoader();
}

QString FindLibraryFile(const QString& Folder, const QString& Name) {
  if (Folder.isEmpty()) return {};
  const QDir dir(Folder);
  for (const QString& entry : dir.entryList(QDir::Files | QDir::Readable | QDir::Hidden))
    if (entry.compare(Name, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
  return {};
}

int PeMachine(const QString& File) {
  QFile f(File);
  if (!f.open(QIODevice::ReadOnly)) return 0;
  const QByteArray dos = f.read(64);
  if (dos.size() < 64 || !dos.startsWith("MZ")) return 0;
  const quint32 at = qFromLittleEndian<quint32>(dos.constData() + 60);
  if (!f.seek(at)) return 0;
  const QByteArray pe = f.read(6);
  if (pe.size() < 6 || !pe.startsWith(QByteArray("PE\0\0", 4))) return 0;
  return qFromLittleEndian<quint16>(pe.constData() + 4);
}

bool IsStandInLibrary(const QString& File) {
  QFile f(File);
  if (!f.open(QIODevice::ReadOnly) || f.size() <= 0) return false;
  const uchar* data = f.map(0, f.size());
  if (!data) return false;
  const QByteArrayView bytes(reinterpret_cast<const char*>(data), f.size());
  const bool marked = bytes.indexOf(QByteArrayView(FK_STAND_IN_MARK)) >= 0;
  f.unmap(const_cast<uchar*>(data));
  return marked;
}
