#include "data/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

#include "common/Encoding.h"
#include "common/Errors.h"

namespace {

constexpr int kMaxValue = 2047;

// The file's lines; none for a missing file. Readable is set to false when
// the file is there but cannot be read (a folder, no permission, an error
// while reading): a writer must not then replace it by a file holding only
// its own key.
QStringList ReadLines(const QString& FileName, bool* Readable = nullptr) {
  if (Readable) *Readable = true;
  // Only a regular file is read: opening a FIFO would wait for a writer for
  // ever, and a device could be read without end.
  const QFileInfo info(FileName);
  if (info.exists() && !info.isFile()) {
    if (Readable) *Readable = false;
    return {};
  }
  QFile f(FileName);
  if (!f.open(QIODevice::ReadOnly)) {
    if (Readable) *Readable = !QFileInfo::exists(FileName);
    return {};
  }
  const QByteArray bytes = f.readAll();
  if (f.error() != QFileDevice::NoError) {
    if (Readable) *Readable = false;
    return {};
  }
  QStringList lines = FromWin1254(bytes).split(QLatin1Char('\n'));
  for (QString& line : lines)
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  return lines;
}

// Section name of a "[name]" line, or a null string for any other line.
QString SectionOf(const QString& Line) {
  const QString t = Line.trimmed();
  if (!t.startsWith(QLatin1Char('['))) return {};
  const int end = t.indexOf(QLatin1Char(']'));
  return (end < 0 ? t.mid(1) : t.mid(1, end - 1)).trimmed();
}

bool IsKeyLine(const QString& Line, const QString& Key) {
  const int eq = Line.indexOf(QLatin1Char('='));
  return eq >= 0 && Line.left(eq).trimmed().compare(Key, Qt::CaseInsensitive) == 0;
}

// Index of the section's header line, or -1.
int FindSection(const QStringList& Lines, const QString& Section) {
  for (int i = 0; i < Lines.size(); ++i) {
    const QString name = SectionOf(Lines[i]);
    if (!name.isNull() && name.compare(Section, Qt::CaseInsensitive) == 0) return i;
  }
  return -1;
}

// Asks the system to put the file's written bytes on the disk.
bool SyncToDisk(QFileDevice& File) {
#ifdef Q_OS_WIN
  return _commit(File.handle()) == 0;
#else
  return fsync(File.handle()) == 0;
#endif
}

}  // namespace

QString TIniFile::ReadString(const QString& Section, const QString& Key,
                             const QString& Default) const {
  const QStringList lines = ReadLines(fileName_);
  const int header = FindSection(lines, Section);
  if (header < 0) return Default;
  for (int i = header + 1; i < lines.size() && SectionOf(lines[i]).isNull(); ++i) {
    if (!IsKeyLine(lines[i], Key)) continue;
    QString value = lines[i].mid(lines[i].indexOf(QLatin1Char('=')) + 1).trimmed();
    // A value in matching quotes is read without them.
    if (value.size() >= 2 &&
        (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
        value.back() == value.front())
      value = value.mid(1, value.size() - 2);
    return value.left(kMaxValue);
  }
  return Default;
}

void TIniFile::WriteString(const QString& Section, const QString& Key, const QString& Value) {
  bool readable = true;
  QStringList lines = ReadLines(fileName_, &readable);
  if (!readable) throw EIniFileError(QStringLiteral("Unable to write to %1").arg(fileName_));
  const QString entry = Key + QLatin1Char('=') + Value;
  const int header = FindSection(lines, Section);
  if (header < 0) {
    lines << QLatin1Char('[') + Section + QLatin1Char(']') << entry;
  } else {
    int end = header + 1;
    int lastEntry = header;
    bool replaced = false;
    for (; end < lines.size() && SectionOf(lines[end]).isNull(); ++end) {
      if (IsKeyLine(lines[end], Key)) {
        const QString existingKey = lines[end].left(lines[end].indexOf(QLatin1Char('='))).trimmed();
        lines[end] = existingKey + QLatin1Char('=') + Value;
        replaced = true;
        break;
      }
      if (!lines[end].trimmed().isEmpty()) lastEntry = end;
    }
    if (!replaced) lines.insert(lastEntry + 1, entry);
  }
  // Written whole to a temporary file and renamed over the old one, so a
  // failed write leaves the file as it was.
  // A read-only file stays read-only.
  const QFileInfo info(fileName_);
  if (info.exists() && !info.isWritable())
    throw EIniFileError(QStringLiteral("Unable to write to %1").arg(fileName_));
  QSaveFile out(fileName_);
  const QByteArray bytes = ToWin1254(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
  // commit() alone is no proof: it can rename a temporary file whose
  // buffered bytes never reached the disk (a full disk then leaves an empty
  // or cut file). The bytes are flushed and synced first; on any failure the
  // temporary file is dropped and the old file stays as it was.
  if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush() ||
      !SyncToDisk(out) || !out.commit())
    throw EIniFileError(QStringLiteral("Unable to write to %1").arg(fileName_));
}
