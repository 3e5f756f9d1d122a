#include "vterminal/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vt::files {
namespace {

bool writeAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  for (size_t done = 0; done < size;) {
    ssize_t n = ::write(fd, p + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool replace(const std::string& path, const void* data, size_t size, std::string& error) {
  std::string tmp = path + ".tmp";
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  bool ok = fd >= 0;
  // Reserving the blocks first spares the flush that ext4 starts when a file
  // with unallocated data replaces another by rename; it costs more than the
  // write. Not every file system can; then the write allocates as usual.
  if (ok && size > 0) ::fallocate(fd, 0, 0, static_cast<off_t>(size));
  ok = ok && writeAll(fd, data, size);
  if (fd >= 0 && ::close(fd) != 0) ok = false;
  if (ok && ::rename(tmp.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    ::unlink(tmp.c_str());
  }
  return ok;
}

bool Appender::open(const std::string& path, std::string& error) {
  close();
  path_ = path;
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  handle_ = fd;
  size_ = static_cast<uint64_t>(::lseek(fd, 0, SEEK_END));
  return true;
}

bool Appender::append(const void* data, size_t size, std::string& error) {
  if (!writeAll(static_cast<int>(handle_), data, size)) {
    error = "cannot write " + path_ + ": " + std::strerror(errno);
    return false;
  }
  size_ += size;
  return true;
}

void Appender::close() {
  if (handle_ != kClosed) ::close(static_cast<int>(handle_));
  handle_ = kClosed;
}

bool exists(const std::string& path) {
  return ::access(path.c_str(), F_OK) == 0;
}

void makeFolder(const std::string& path) {
  ::mkdir(path.c_str(), 0755);
}

void remove(const std::string& path) {
  ::unlink(path.c_str());
}

}  // namespace vt::files
