#include "attendance/AppendFile.h"

#include <QDir>
#include <cerrno>
#include <utility>

#include "attendance/RegularFile.h"
#include "common/DurableFile.h"
#include "common/Errors.h"

namespace {

// Lines are handed to the system once this much was gathered.
constexpr qsizetype kBlock = 1 << 16;

[[noreturn]] void ThrowFileError(const char* What, const QString& FileName, const QString& Reason) {
  throw EInOutError(QStringLiteral("%1 \"%2\". %3")
                        .arg(QLatin1String(What), QDir::toNativeSeparators(FileName), Reason));
}

}  // namespace

TAppendFile::TAppendFile(const QString& FileName) : name_(FileName), file_(FileName) {
  // Unbuffered: the bytes go from our own buffer straight to write(2), so we
  // always know which of them reached the file. Only a regular file is
  // opened: a FIFO would hold the open until a reader comes.
  QString reason;
  if (!OpenRegularForAppend(file_, reason)) ThrowFileError("Cannot open file", FileName, reason);
  start_ = file_.size();
}

void TAppendFile::RefuseIfNotRegular(const QString& FileName) {
  const QString reason = NotRegularReason(FileName);
  if (!reason.isEmpty()) ThrowFileError("Cannot open file", FileName, reason);
}

TAppendFile::~TAppendFile() {
  try {
    Flush();
  } catch (const EInOutError&) {
    // Reported by whoever wrote last; the file was cut back to whole lines.
  }
  file_.close();
}

void TAppendFile::Write(const char* Bytes, qsizetype Size) {
  gathered_.append(Bytes, Size);
  if (gathered_.size() < kBlock) return;
  // Whole lines go now; an unfinished one waits for its end (unless a single
  // line fills the whole block).
  qsizetype whole = gathered_.lastIndexOf('\n') + 1;
  if (whole == 0) whole = gathered_.size();
  try {
    HandOver(gathered_.constData(), whole);
  } catch (const EInOutError&) {
    gathered_.clear();  // what was not written stays out, also when closing
    throw;
  }
  gathered_.remove(0, whole);
}

void TAppendFile::WriteThrough(const QByteArray& Bytes) {
  Flush();
  HandOver(Bytes.constData(), Bytes.size());
}

void TAppendFile::Flush() {
  if (gathered_.isEmpty()) return;
  const QByteArray bytes = std::exchange(gathered_, QByteArray());
  HandOver(bytes.constData(), bytes.size());
}

void TAppendFile::Sync() {
  Flush();
  if (!SyncFile(file_.handle())) ThrowFileError("Cannot write to file", name_, ErrnoText(errno));
}

void TAppendFile::CutBackToStart() {
  gathered_.clear();
  if (!CutFile(file_.handle(), start_))
    ThrowFileError("Cannot write to file", name_, ErrnoText(errno));
  openLine_ = 0;
}

void TAppendFile::HandOver(const char* Bytes, qsizetype Size) {
  const int fd = file_.handle();
  while (Size > 0) {
    const qint64 written = WriteSome(fd, Bytes, Size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      // A write that takes nothing without an error is a full device too.
      const int error = written < 0 ? errno : ENOSPC;
      // Whatever part of a line reached the file goes again, so the next
      // line never starts in the middle of this one.
      if (openLine_ > 0) {
        const qint64 end = FilePosition(fd);
        if (end >= openLine_ && CutFile(fd, end - openLine_)) openLine_ = 0;
      }
      ThrowFileError("Cannot write to file", name_, ErrnoText(error));
    }
    const char* const last = Bytes + written;
    const char* lineEnd = last;
    while (lineEnd > Bytes && lineEnd[-1] != '\n') --lineEnd;
    openLine_ = lineEnd > Bytes ? last - lineEnd : openLine_ + written;
    Bytes += written;
    Size -= written;
  }
}

void ThrowReadError(const QFile& File) {
  ThrowFileError("Cannot read file", File.fileName(), File.errorString());
}
