#include "common/DurableFile.h"

#include <QDir>
#include <cerrno>

#include "common/Errors.h"

void ThrowFileStepError(const QString& What, const QString& Name, const QString& Reason) {
  throw EInOutError(
      QStringLiteral("%1: %2 (%3)").arg(What, QDir::toNativeSeparators(Name), Reason));
}

bool WriteNewFileSynced(const QString& Folder, const QString& File, const QByteArray& Bytes,
                        const QString& What) {
  QString target = Folder;
  if (!target.endsWith(QLatin1Char('/'))) target += QLatin1Char('/');
  target += File;
  auto out = std::make_unique<QTemporaryFile>(target + QStringLiteral(".XXXXXX"));
  if (!out->open()) ThrowFileStepError(What, target, out->errorString());
  if (out->write(Bytes) != Bytes.size() || !out->flush())
    ThrowFileStepError(What, target, WriteFailureText(*out));
  if (!SyncFile(out->handle())) ThrowFileStepError(What, target, ErrnoText(errno));
  // The rename never replaces an existing file: one made meanwhile (by a
  // second program at the same moment) is kept and ours is dropped.
  return PlaceNewFile(std::move(out), Folder, target, What);
}
