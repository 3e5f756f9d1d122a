#include "LockHolder.h"

#include <QCoreApplication>
#include <cstdio>

#include "attendance/DownloadLock.h"

int HoldDownloadLock(const QString& AppPath) {
  TDownloadLock lock(AppPath, [] {});
  if (!lock.Held()) return 1;
  if (std::puts("held") < 0 || std::fflush(stdout) != 0) return 1;
  while (std::fgetc(stdin) != EOF) {
  }
  return 0;
}

bool TLockHolder::Start(const QString& AppPath) {
  process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process_.start(QCoreApplication::applicationFilePath(), {kHoldLockOption, AppPath});
  QByteArray said;
  while (process_.waitForReadyRead(10000)) {
    said += process_.readAllStandardOutput();
    if (said.contains('\n')) break;
  }
  if (said.trimmed() == "held") return true;
  Stop();
  return false;
}

void TLockHolder::Stop() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.closeWriteChannel();
  if (process_.waitForFinished(5000)) return;
  process_.kill();
  process_.waitForFinished();
}
