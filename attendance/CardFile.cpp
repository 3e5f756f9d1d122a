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

// Normalised lines are read up to this byte; what comes after never counts.
constexpr qsizetype kUsedBytes = 54;

// The normalised form of Line into Out, up to Limit bytes (a few more may be
// written; Out holds Limit + 6). Returns its length.
qsizetype Normalise(char* Out, qsizetype Limit, QByteArrayView Line) {
  const char* p = Line.data();
  const char* const end = p + Line.size();
  qsizetype length = 0;
  while (length < Limit) {
    const char* tab = static_cast<const char*>(std::memchr(p, '\t', end - p));
    if (!tab) {
      // The last field goes in whole, without its blanks.
      for (; p < end && length < Limit; ++p)
        if (*p != ' ') Out[length++] = *p;
      break;
    }
    // The field's last five bytes that are not blanks, "0" in front.
    char kept[kFieldWidth];
    qsizetype count = 0;
    for (const char* q = tab; q > p && count < kFieldWidth;)
      if (*--q != ' ') kept[kFieldWidth - ++count] = *q;
    for (qsizetype k = count; k < kFieldWidth; ++k) Out[length++] = '0';
    for (qsizetype k = kFieldWidth - count; k < kFieldWidth; ++k) Out[length++] = kept[k];
    Out[length++] = ',';
    p = tab + 1;
  }
  return length;
}

// Appends bytes From..From+Count-1 (counted from 1) of N, as far as they exist.
char* Put(char* To, const char* N, qsizetype Length, qsizetype From, qsizetype Count) {
  for (qsizetype i = From - 1; i < From - 1 + Count && i < Length; ++i) *To++ = N[i];
  return To;
}

// The output line of a normalised line into Out (30 bytes suffice), with its
// line break when Break is set. Returns its length.
qsizetype OutputLine(char* Out, const char* N, qsizetype Length, bool Break) {
  char* p = Out;
  p = Put(p, N, Length, 13, 5);
  *p++ = ' ';
  p = Put(p, N, Length, 45, 2);
  *p++ = '/';
  p = Put(p, N, Length, 42, 2);
  *p++ = '/';
  p = Put(p, N, Length, 37, 4);
  *p++ = ' ';
  p = Put(p, N, Length, 47, 2);
  *p++ = ':';
  p = Put(p, N, Length, 50, 2);
  *p++ = ':';
  p = Put(p, N, Length, 53, 2);
  *p++ = ' ';
  p = Put(p, N, Length, 10, 2);
  if (Break) {
    *p++ = '\r';
    *p++ = '\n';
  }
  return p - Out;
}

}  // namespace

QByteArray CardOutputLine(QByteArrayView SourceLine) {
  char normalised[kUsedBytes + 6];
  char out[32];
  const qsizetype length = Normalise(normalised, kUsedBytes, SourceLine);
  return QByteArray(out, OutputLine(out, normalised, length, false));
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
  TAppendFile target(AppPath + QStringLiteral("veri.txt"));
  char normalised[kUsedBytes + 6];
  char out[32];
  int index = 0;
  if (source.Next(line)) {  // the heading
    while (source.Next(line)) {
      const qsizetype length = Normalise(normalised, kUsedBytes, line);
      target.Write(out, OutputLine(out, normalised, length, true));
      Report.Converted(++index);
    }
  }
  target.Sync();
  Dlg().ShowMessage(QStringLiteral("Aktarım işlemi tamamlandı.."));
  return index;
}
