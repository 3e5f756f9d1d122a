#include "data/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <cerrno>

#include "common/DurableFile.h"
#include "common/Encoding.h"
#include "common/Errors.h"

namespace {

constexpr int kMaxValue = 2047;

// The file as lines of bytes, each with the end it had, so that writing one
// key changes the bytes of that line alone: the BOM, the other lines and
// their ends stay exactly as the operator's editor saved them.
struct TIniLines {
  QByteArray Bom;                                   // as the file began, or empty
  TTextEncoding Encoding = TTextEncoding::Win1254;  // of the text, and of a new value
  QByteArray NewLine = QByteArrayLiteral("\r\n");   // the file's own, for a line added
  QList<QByteArray> Bytes;                          // each line without its end
  QList<QByteArray> Ends;  // "\r\n", "\n", or empty for a last line without one
  QStringList Text;        // each line as text, without its end

  void Append(const QByteArray& Line, const QByteArray& End) {
    Bytes << Line;
    Ends << End;
    Text << Decode(Line, Encoding);
  }
  void Set(int Index, const QString& Line) {
    Text[Index] = Line;
    Bytes[Index] = Encode(Line, Encoding);
  }
  void Insert(int Index, const QString& Line) {
    // A last line without an end gets one before a line is put after it.
    if (Index > 0 && Ends[Index - 1].isEmpty()) Ends[Index - 1] = NewLine;
    Text.insert(Index, Line);
    Bytes.insert(Index, Encode(Line, Encoding));
    Ends.insert(Index, NewLine);
  }
  QByteArray Join() const {
    QByteArray out = Bom;
    for (int i = 0; i < Bytes.size(); ++i) out += Bytes[i] + Ends[i];
    return out;
  }
};

[[noreturn]] void CannotRead(const QString& FileName, const QString& Reason) {
  throw EInOutError(QStringLiteral("Cannot read file \"%1\". %2")
                        .arg(QDir::toNativeSeparators(FileName), Reason));
}

// The file's lines; none for a missing file. A file that is there but
// cannot be read (a folder in its place, no permission, an error while
// reading) is an error: read as empty, its options would silently be off,
// and a writer would replace it by a file holding only its own key.
TIniLines ReadLines(const QString& FileName) {
  // Only a regular file is read: opening a FIFO would wait for a writer for
  // ever, and a device could be read without end.
  const QFileInfo info(FileName);
  if (info.exists() && !info.isFile())
    CannotRead(FileName, info.isDir() ? ErrnoText(EISDIR) : QStringLiteral("Not a regular file"));
  QFile f(FileName);
  if (!f.open(QIODevice::ReadOnly)) {
    if (!QFileInfo::exists(FileName)) return {};
    CannotRead(FileName, f.errorString());
  }
  QByteArray bytes = f.readAll();
  if (f.error() != QFileDevice::NoError) CannotRead(FileName, f.errorString());

  TIniLines lines;
  if (bytes.startsWith(kUtf8Bom)) {
    lines.Bom = kUtf8Bom;
    bytes.remove(0, kUtf8Bom.size());
  }
  lines.Encoding = TextEncodingOf(bytes, !lines.Bom.isEmpty());
  bool endSeen = false;
  for (qsizetype start = 0; start < bytes.size();) {
    const qsizetype newLine = bytes.indexOf('\n', start);
    if (newLine < 0) {
      lines.Append(bytes.mid(start), {});
      break;
    }
    const qsizetype end = newLine > start && bytes[newLine - 1] == '\r' ? newLine - 1 : newLine;
    const QByteArray lineEnd = bytes.mid(end, newLine + 1 - end);
    lines.Append(bytes.mid(start, end - start), lineEnd);
    if (!endSeen) lines.NewLine = lineEnd;
    endSeen = true;
    start = newLine + 1;
  }
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

}  // namespace

QString TIniFile::ReadString(const QString& Section, const QString& Key,
                             const QString& Default) const {
  const QStringList lines = ReadLines(fileName_).Text;
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
  TIniLines lines = ReadLines(fileName_);
  const QString entry = Key + QLatin1Char('=') + Value;
  const int header = FindSection(lines.Text, Section);
  if (header < 0) {
    lines.Insert(lines.Text.size(), QLatin1Char('[') + Section + QLatin1Char(']'));
    lines.Insert(lines.Text.size(), entry);
  } else {
    int end = header + 1;
    int lastEntry = header;
    bool replaced = false;
    for (; end < lines.Text.size() && SectionOf(lines.Text[end]).isNull(); ++end) {
      const QString& line = lines.Text[end];
      if (IsKeyLine(line, Key)) {
        const QString existingKey = line.left(line.indexOf(QLatin1Char('='))).trimmed();
        lines.Set(end, existingKey + QLatin1Char('=') + Value);
        replaced = true;
        break;
      }
      if (!line.trimmed().isEmpty()) lastEntry = end;
    }
    if (!replaced) lines.Insert(lastEntry + 1, entry);
  }
  // Written whole to a temporary file and renamed over the old one, so a
  // failed write leaves the file as it was.
  // A read-only file stays read-only.
  const QFileInfo info(fileName_);
  if (info.exists() && !info.isWritable())
    throw EIniFileError(QStringLiteral("Unable to write to %1").arg(fileName_));
  QSaveFile out(fileName_);
  const QByteArray bytes = lines.Join();
  // commit() alone is no proof: it can rename a temporary file whose
  // buffered bytes never reached the disk (a full disk then leaves an empty
  // or cut file). The bytes are flushed and synced first; on any failure the
  // temporary file is dropped and the old file stays as it was.
  if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush() ||
      !SyncFile(out.handle()) || !out.commit())
    throw EIniFileError(QStringLiteral("Unable to write to %1").arg(fileName_));
}
