#include "attendance/AppendFile.h"

#include <QDir>
#include <cerrno>

#include "common/Errors.h"

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

[[noreturn]] void ThrowFileError(const char* What, const QString& FileName, const QString& Reason) {
  throw EInOutError(QStringLiteral("%1 \"%2\". %3")
                        .arg(QLatin1String(What), QDir::toNativeSeparators(FileName), Reason));
}

}  // namespace

TAppendFile::TAppendFile(const QString& FileName) : file_(FileName) {
  if (!file_.open(QIODevice::WriteOnly | QIODevice::Append))
    ThrowFileError("Cannot open file", FileName, file_.errorString());
}

TAppendFile::~TAppendFile() {
  file_.close();
}

void TAppendFile::Write(const char* Bytes, qsizetype Size) {
  if (file_.write(Bytes, Size) != Size)
    ThrowFileError("Cannot write to file", file_.fileName(), file_.errorString());
}

void TAppendFile::Sync() {
  if (!file_.flush()) ThrowFileError("Cannot write to file", file_.fileName(), file_.errorString());
#ifdef Q_OS_WIN
  const int synced = _commit(file_.handle());
#else
  const int synced = fsync(file_.handle());
#endif
  if (synced != 0) ThrowFileError("Cannot write to file", file_.fileName(), qt_error_string(errno));
}

void ThrowReadError(const QFile& File) {
  ThrowFileError("Cannot read file", File.fileName(), File.errorString());
}
