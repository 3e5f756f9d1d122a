// A folder made read-only by mounting it read-only over itself, for tests of
// a program folder that cannot be written. A mode without write bits does
// not stop root, who runs the suites in CI; a read-only mount does. Mounting
// needs root: where it fails, Mounted() is false and Error() says why, so the
// test can skip with a message. Windows mounts nothing over a folder.
#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>

#ifdef Q_OS_WIN
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const QString&) {}
  bool Mounted() const { return false; }
  QString Error() const { return QStringLiteral("Windows mounts no folder over itself"); }
};
#else
#include <sys/mount.h>

#include <cerrno>

class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const QString& Folder) : path_(QFile::encodeName(Folder)) {
    if (mount(path_.constData(), path_.constData(), nullptr, MS_BIND, nullptr) != 0) {
      error_ = qt_error_string(errno);
      return;
    }
    mounted_ = true;
    if (mount(nullptr, path_.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) !=
        0) {
      error_ = qt_error_string(errno);
      Unmount();
    }
  }
  ~ReadOnlyFolder() { Unmount(); }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

  bool Mounted() const { return mounted_; }
  QString Error() const { return error_; }

 private:
  // Lazily, so that files still open do not keep it busy.
  void Unmount() {
    if (mounted_) umount2(path_.constData(), MNT_DETACH);
    mounted_ = false;
  }

  QByteArray path_;
  bool mounted_ = false;
  QString error_;
};
#endif
