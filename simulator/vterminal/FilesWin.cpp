#include "vterminal/Files.h"

#include <windows.h>

#include <algorithm>

namespace vt::files {
namespace {

std::wstring wide(const std::string& utf8) {
  std::wstring out;
  int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  out.resize(static_cast<size_t>(n));
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string lastError() {
  const DWORD code = ::GetLastError();
  char* text = nullptr;
  DWORD n = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string out = n > 0 ? std::string(text, n) : "error " + std::to_string(code);
  if (text) ::LocalFree(text);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' '))
    out.pop_back();
  return out;
}

bool writeAll(HANDLE h, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  for (size_t done = 0; done < size;) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 30)), n = 0;
    if (!::WriteFile(h, p + done, chunk, &n, nullptr) || n == 0) return false;
    done += n;
  }
  return true;
}

}  // namespace

// The temporary file reaches the disk before it replaces the old one, and
// the rename itself is written through: Windows has no ordering of data and
// rename that would keep a crash from leaving an empty file otherwise.
// Another program may hold the old file open for a moment (a reader, a virus
// scanner): the rename is retried a little before it counts as failed.
bool replace(const std::string& path, const void* data, size_t size, std::string& error) {
  const std::wstring target = wide(path), tmp = wide(path + ".tmp");
  HANDLE h = ::CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  bool ok = h != INVALID_HANDLE_VALUE && writeAll(h, data, size) && ::FlushFileBuffers(h);
  DWORD failure = ok ? 0 : ::GetLastError();
  if (h != INVALID_HANDLE_VALUE && !::CloseHandle(h) && ok) {
    ok = false;
    failure = ::GetLastError();
  }
  for (int attempt = 0; ok; ++attempt) {
    if (::MoveFileExW(tmp.c_str(), target.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      break;
    failure = ::GetLastError();
    if (attempt == 20 || (failure != ERROR_ACCESS_DENIED && failure != ERROR_SHARING_VIOLATION))
      ok = false;
    else
      ::Sleep(10);
  }
  if (!ok) {
    ::SetLastError(failure);
    error = "cannot write " + path + ": " + lastError();
    ::DeleteFileW(tmp.c_str());
  }
  return ok;
}

bool Appender::open(const std::string& path, std::string& error) {
  close();
  path_ = path;
  // Others may read it meanwhile (the journal is followed while it grows).
  HANDLE h = ::CreateFileW(wide(path).c_str(), FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error = "cannot open " + path + ": " + lastError();
    return false;
  }
  LARGE_INTEGER length{};
  ::GetFileSizeEx(h, &length);
  handle_ = reinterpret_cast<intptr_t>(h);
  size_ = static_cast<uint64_t>(length.QuadPart);
  return true;
}

bool Appender::append(const void* data, size_t size, std::string& error) {
  if (!writeAll(reinterpret_cast<HANDLE>(handle_), data, size)) {
    error = "cannot write " + path_ + ": " + lastError();
    return false;
  }
  size_ += size;
  return true;
}

void Appender::close() {
  if (handle_ != kClosed) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = kClosed;
}

// Only a file that is surely not there counts as missing: a state file that
// cannot be looked at must not be taken for a new terminal and overwritten.
bool exists(const std::string& path) {
  if (::GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  const DWORD e = ::GetLastError();
  return e != ERROR_FILE_NOT_FOUND && e != ERROR_PATH_NOT_FOUND;
}

void makeFolder(const std::string& path) {
  ::CreateDirectoryW(wide(path).c_str(), nullptr);
}

void remove(const std::string& path) {
  ::DeleteFileW(wide(path).c_str());
}

}  // namespace vt::files
