// A FIFO standing where a test expects a file, and a guard so that a program
// that opens it for writing cannot hang the suite: after a while the guard
// opens its reading end, which lets a blocked open return, so the test fails
// instead of waiting for ever. Windows has no FIFO in a folder: there
// MakeFifo is false and Error says why.
#pragma once
#include <QFile>
#include <QString>
#include <atomic>
#include <chrono>
#include <thread>

#ifdef Q_OS_WIN
inline bool MakeFifo(const QString&) {
  return false;
}
class TFifoGuard {
 public:
  explicit TFifoGuard(const QString&, int = 0) {}
  bool Fired() const { return false; }
};
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

inline bool MakeFifo(const QString& Path) {
  return ::mkfifo(QFile::encodeName(Path).constData(), 0600) == 0;
}

class TFifoGuard {
 public:
  explicit TFifoGuard(const QString& Path, int AfterMs = 10000)
      : path_(QFile::encodeName(Path)), thread_([this, AfterMs] {
          for (int waited = 0; waited < AfterMs && !done_; waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
          if (done_) return;
          fd_ = ::open(path_.constData(), O_RDONLY | O_NONBLOCK);
          fired_ = true;
        }) {}
  ~TFifoGuard() {
    done_ = true;
    thread_.join();
    if (fd_ >= 0) ::close(fd_);
  }
  TFifoGuard(const TFifoGuard&) = delete;
  TFifoGuard& operator=(const TFifoGuard&) = delete;
  // The reading end had to be opened: something waited on the FIFO.
  bool Fired() const { return fired_; }

 private:
  QByteArray path_;
  std::atomic<bool> done_{false};
  std::atomic<bool> fired_{false};
  int fd_ = -1;
  std::thread thread_;
};
#endif
