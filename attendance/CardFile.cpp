#include "attendance/CardFile.h"

#include <QFile>
#include <cstring>

#include "attendance/AppendFile.h"
#include "common/Dialogs.h"

namespace {

constexpr int kFieldWidth = 5;

// Reads a file line by line in large blocks. A line is handed out without its
// line break (LF, or CR LF); a last line break adds no empty line.
class TLineReader {
 public:
  explicit TLineReader(const QString& FileName) : file_(FileName) {
    if (!file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) ThrowReadError(file_);
  }

  // The next line, valid until the next call; false at the end.
  bool Next(QByteArrayView& Line) {
    for (;;) {
      const char* data = buffer_.constData();
      const qsizetype rest = buffer_.size() - start_;
      if (const void* found = rest > 0 ? std::memchr(data + start_, '\n', rest) : nullptr) {
        const qsizetype end = static_cast<const char*>(found) - data;
        qsizetype length = end - start_;
        if (length > 0 && data[end - 1] == '\r') --length;
        Line = QByteArrayView(data + start_, length);
        start_ = end + 1;
        return true;
      }
      if (atEnd_) {
        if (rest == 0) return false;
        Line = QByteArrayView(data + start_, rest);
        start_ = buffer_.size();
        return true;
      }
      Fill();
    }
  }

 private:
  static constexpr qsizetype kBlock = 1 << 16;

  void Fill() {
    buffer_.remove(0, start_);
    start_ = 0;
    const qsizetype kept = buffer_.size();
    buffer_.resize(kept + kBlock);
    const qint64 got = file_.read(buffer_.data() + kept, kBlock);
    if (got < 0) ThrowReadError(file_);
    buffer_.resize(kept + got);
    atEnd_ = got == 0;
  }

  QFile file_;
  QByteArray buffer_;
  qsizetype start_ = 0;
  bool atEnd_ = false;
};

// Bytes From..From+Count-1 (counted from 1) of Text, as far as they exist.
QByteArrayView Part(QByteArrayView Text, qsizetype From, qsizetype Count) {
  const qsizetype first = From - 1;
  if (first >= Text.size()) return {};
  return Text.sliced(first, std::min(Count, Text.size() - first));
}

}  // namespace

void NormaliseCardLine(QByteArray& Out, QByteArrayView Line) {
  Out.resize(0);
  char field[kFieldWidth];  // the last five bytes of the field being read
  qsizetype fieldLength = 0;
  qsizetype fieldStart = 0;  // where the field being read starts in Line
  for (qsizetype i = 0; i < Line.size(); ++i) {
    const char c = Line[i];
    if (c == '\t') {
      const qsizetype kept = std::min<qsizetype>(fieldLength, kFieldWidth);
      Out.append(kFieldWidth - kept, '0');
      for (qsizetype k = fieldLength - kept; k < fieldLength; ++k) Out.append(field[k % kFieldWidth]);
      Out.append(',');
      fieldLength = 0;
      fieldStart = i + 1;
    } else if (c != ' ') {
      field[fieldLength % kFieldWidth] = c;
      ++fieldLength;
    }
  }
  // The last field goes in whole, without its blanks.
  for (qsizetype i = fieldStart; i < Line.size(); ++i)
    if (Line[i] != ' ') Out.append(Line[i]);
}

void BuildCardOutputLine(QByteArray& Out, QByteArrayView N) {
  Out.resize(0);
  Out.append(Part(N, 13, 5)).append(' ');
  Out.append(Part(N, 45, 2)).append('/').append(Part(N, 42, 2)).append('/').append(Part(N, 37, 4));
  Out.append(' ');
  Out.append(Part(N, 47, 2)).append(':').append(Part(N, 50, 2)).append(':').append(Part(N, 53, 2));
  Out.append(' ').append(Part(N, 10, 2));
}

QByteArray CardOutputLine(QByteArrayView SourceLine) {
  QByteArray normalised;
  QByteArray out;
  NormaliseCardLine(normalised, SourceLine);
  BuildCardOutputLine(out, normalised);
  return out;
}

int ConvertCardFile(const QString& SourceFile, const QString& AppPath, TCardReport& Report) {
  QByteArrayView line;
  int lines = 0;
  {
    TLineReader counting(SourceFile);
    while (counting.Next(line)) ++lines;
  }
  Report.Counted(lines);

  TLineReader source(SourceFile);
  TAppendFile target(AppPath + QStringLiteral("veri.txt"), TAppendFile::TWrites::Buffered);
  QByteArray normalised;
  QByteArray out;
  int index = 0;
  if (source.Next(line)) {  // the heading
    while (source.Next(line)) {
      NormaliseCardLine(normalised, line);
      BuildCardOutputLine(out, normalised);
      out.append("\r\n");
      target.Write(out);
      Report.Converted(++index);
    }
  }
  target.Sync();
  Dlg().ShowMessage(QStringLiteral("Aktarım işlemi tamamlandı.."));
  return index;
}
