#include "attendance/CardFile.h"

#include <QFile>
#include <algorithm>
#include <cstring>
#include <limits>

#include "attendance/AppendFile.h"
#include "attendance/DownloadLock.h"

namespace {

constexpr int kFieldWidth = 5;

// Reads a card file line by line in large blocks, looking at each byte once.
// A line is handed out without its line break (LF, or CR LF); a last line
// break adds no empty line. A line longer than kMaxCardLineBytes throws
// ECardFormatError with its number, so the buffer never holds more than
// such a line and a block.
class TLineReader {
 public:
  explicit TLineReader(const QString& FileName) : file_(FileName) {
    if (!file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) ThrowReadError(file_);
  }

  // The next line, valid until the next call; false at the end.
  bool Next(QByteArrayView& Line) {
    for (;;) {
      const char* data = buffer_.constData();
      const qsizetype end = buffer_.size();
      if (const void* found =
              scanned_ < end ? std::memchr(data + scanned_, '\n', end - scanned_) : nullptr) {
        const qsizetype at = static_cast<const char*>(found) - data;
        qsizetype length = at - start_;
        if (length > 0 && data[at - 1] == '\r') --length;
        return Hand(Line, length, at + 1);
      }
      scanned_ = end;
      // A CR at the end of what is held may yet turn out to be part of the
      // line break.
      if (end - start_ - 1 > kMaxCardLineBytes) ThrowTooLong();
      if (atEnd_) return end > start_ && Hand(Line, end - start_, end);
      Fill();
    }
  }

  // The number of lines handed out so far.
  qint64 Lines() const { return lines_; }

 private:
  static constexpr qsizetype kBlock = 1 << 16;

  bool Hand(QByteArrayView& Line, qsizetype Length, qsizetype Next) {
    if (Length > kMaxCardLineBytes) ThrowTooLong();
    Line = QByteArrayView(buffer_.constData() + start_, Length);
    start_ = scanned_ = Next;
    ++lines_;
    return true;
  }

  [[noreturn]] void ThrowTooLong() const {
    throw ECardFormatError(QStringLiteral("\"%1\" dosyasının %2. satırı %3 bayttan uzun: bu bir "
                                          "hafıza kartı kayıt dosyası değil, hiçbir satır "
                                          "aktarılmadı")
                               .arg(file_.fileName())
                               .arg(lines_ + 1)
                               .arg(kMaxCardLineBytes));
  }

  // Drops the lines handed out and reads the next block behind the rest.
  void Fill() {
    buffer_.remove(0, start_);
    scanned_ -= start_;
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
  qsizetype start_ = 0;    // where the next line begins
  qsizetype scanned_ = 0;  // bytes before this hold no LF after start_
  qint64 lines_ = 0;
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

qint64 ConvertCardFile(const QString& SourceFile, const QString& AppPath, TCardReport& Report) {
  QByteArrayView line;
  qint64 lines = 0;
  {
    TLineReader counting(SourceFile);
    while (counting.Next(line)) {
    }
    lines = counting.Lines();
  }
  // A veri.txt that can never take the lines is told before any wait.
  TAppendFile::RefuseIfNotRegular(AppPath + QStringLiteral("veri.txt"));
  // The downloads append to veri.txt too: their lines and these must not
  // interleave.
  TDownloadLock lock(
      AppPath, [&Report] { Report.Waiting(); }, [&Report] { return Report.Cancelled(); },
      [&Report] { Report.Idle(); });
  if (!lock.Held()) throw EAbort();
  Report.Counted(lines);

  TLineReader source(SourceFile);
  TAppendFile target(AppPath + QStringLiteral("veri.txt"));
  // A source that cannot be read to its end writes nothing: the lines
  // converted so far go again. A write error keeps what was written before.
  const auto next = [&source, &target, &line] {
    try {
      return source.Next(line);
    } catch (const EInOutError& e) {
      try {
        target.CutBackToStart();
      } catch (const EInOutError& cut) {
        throw EInOutError(e.Text() + QLatin1Char('\n') + cut.Text());
      }
      throw;
    }
  };
  char normalised[kUsedBytes + 6];
  char out[32];
  qint64 index = 0;
  if (next()) {  // the heading
    while (next()) {
      const qsizetype length = Normalise(normalised, kUsedBytes, line);
      target.Write(out, OutputLine(out, normalised, length, true));
      Report.Converted(++index);
    }
  }
  target.Sync();
  return index;
}

TCardProgress::TCardProgress(qint64 Lines) {
  constexpr qint64 kMost = std::numeric_limits<int>::max();
  if (Lines > kMost) linesPerStep_ = (Lines - 1) / kMost + 1;
  maximum_ = static_cast<int>(std::max<qint64>(1, Lines / linesPerStep_));
}
