// The file calls of the state file, the journal and the port file: POSIX on
// Linux (FilesPosix.cpp), the Windows file API on Windows (FilesWin.cpp).
// Paths are UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vt::files {

// Replaces the file with the bytes in one step (a temporary file renamed
// over it): a reader, or a crash, finds the old contents or the new.
bool replace(const std::string& path, const void* data, size_t size, std::string& error);

// A file that is only appended to, each append one write.
class Appender {
 public:
  Appender() = default;
  Appender(const Appender&) = delete;
  Appender& operator=(const Appender&) = delete;
  ~Appender() { close(); }

  // Opens it, created when missing; size() is then its length.
  bool open(const std::string& path, std::string& error);
  bool isOpen() const { return handle_ != kClosed; }
  uint64_t size() const { return size_; }
  bool append(const void* data, size_t size, std::string& error);
  void close();

 private:
  static constexpr intptr_t kClosed = -1;
  intptr_t handle_ = kClosed;
  uint64_t size_ = 0;
  std::string path_;
};

bool exists(const std::string& path);
void makeFolder(const std::string& path);
void remove(const std::string& path);

}  // namespace vt::files
