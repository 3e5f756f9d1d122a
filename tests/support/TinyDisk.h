// A small tmpfs mounted over a folder, for tests of a full disk. Mounting
// needs root (the suites run as root in CI); where it fails, Mounted() is
// false and Error() says why, so the test can skip with a message. Windows
// has no small disk to mount over a folder: there it is never mounted.
#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>

#ifdef Q_OS_WIN
class TinyDisk {
 public:
  TinyDisk(const QString&, int) {}
  bool Mounted() const { return false; }
  QString Error() const { return QStringLiteral("Windows mounts no small disk over a folder"); }
  bool FillLeaving(qint64) { return false; }
  void Unmount() {}
};
#else
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>

class TinyDisk {
 public:
  TinyDisk(const QString& Folder, int KiB) : path_(QFile::encodeName(Folder)) {
    const QByteArray options = "size=" + QByteArray::number(KiB) + "k";
    mounted_ = mount("tmpfs", path_.constData(), "tmpfs", 0, options.constData()) == 0;
    if (!mounted_) error_ = qt_error_string(errno);
  }
  ~TinyDisk() { Unmount(); }
  TinyDisk(const TinyDisk&) = delete;
  TinyDisk& operator=(const TinyDisk&) = delete;

  bool Mounted() const { return mounted_; }
  QString Error() const { return error_; }

  // Writes a filler file until the disk is full, then gives back Free bytes
  // of it (whole pages), so the next writes fail once those are used.
  // False when the filler could not be written at all.
  bool FillLeaving(qint64 Free) {
    const QByteArray name = path_ + "/filler";
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    const QByteArray block(4096, 'f');
    qint64 size = 0;
    for (ssize_t n; (n = ::write(fd, block.constData(), block.size())) > 0;) size += n;
    const bool ok = size >= Free && ::ftruncate(fd, size - Free) == 0;
    ::close(fd);
    return ok;
  }

  // Lazily, so that files the program still holds open do not keep it busy.
  void Unmount() {
    if (mounted_) umount2(path_.constData(), MNT_DETACH);
    mounted_ = false;
  }

 private:
  QByteArray path_;
  bool mounted_ = false;
  QString error_;
};
#endif
