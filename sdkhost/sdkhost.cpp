// sdkhost: a Windows console program that runs the terminal vendor's SDK
// libraries for a Linux program, under Wine. It loads the two libraries
// named on its command line, looks up every name of the slot list, tells its
// caller which it found, and then makes the calls its caller sends over
// standard input, answering each on standard output, until input closes.
// PROTOCOL.md beside this file describes the frames.
//
//   sdkhost-<machine>.exe FIRST_LIBRARY [SECOND_LIBRARY]
//
// The paths may be Linux paths (/home/...): under Wine they are turned into
// the drive path Wine gives them.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

#include "sdk/FKWire.h"

using namespace fkwire::kinds;

namespace {

// The exit codes a caller can tell apart; a crash inside a library ends
// the host with kCrashed at once, without Wine's debugger.
constexpr int kUsage = 64;
constexpr int kBadRequest = 65;
constexpr int kCrashed = 66;

using ServeFn = bool (*)(void*, fkwire::Reader&, fkwire::Writer&);
using RepeatFn = bool (*)(void*, fkwire::Reader&, fkwire::Writer&, uint32_t);

struct Row {
  const char* name;
  bool second;      // from the second library (FKAttend)
  ServeFn serve;    // null: only looked up, never called
  RepeatFn repeat;  // a walk step: may be called several times in one request
  int stackBytes;   // what its arguments take on the stack; -1: not known
};

// The bytes a __stdcall function's arguments take on a 32-bit stack, each
// rounded up to four: the number a compiler puts in its decorated name.
template <typename R, typename... A>
constexpr int StackBytes(R(FK_API*)(A...)) {
  return (0 + ... + static_cast<int>((sizeof(A) + 3) / 4 * 4));
}

#define HOST_SERVE_CALLED(kinds) &FKW_KINDS(kinds)::Serve, nullptr
#define HOST_SERVE_WALK(kinds) &FKW_KINDS(kinds)::Serve, &FKW_KINDS(kinds)::Repeat
#define HOST_SERVE_LISTED(kinds) nullptr, nullptr
#define HOST_BYTES_CALLED(name) StackBytes(name##_t{})
#define HOST_BYTES_WALK(name) StackBytes(name##_t{})
#define HOST_BYTES_LISTED(name) -1
#define HOST_ROW(name, library, use, params, kinds) \
  {#name, #library[0] == 'B', HOST_SERVE_##use(kinds), HOST_BYTES_##use(name)},
const Row kRows[] = {FK_ENTRY_POINTS_FULL(HOST_ROW)};
#undef HOST_ROW
static_assert(std::size(kRows) == FK_SLOT_COUNT);

// Every called entry point is called with exactly the type the binding
// gives its slot.
#define HOST_CHECK_CALLED(name, params, kinds) \
  static_assert(std::is_same_v<FKW_KINDS(kinds)::Function, name##_t>, #name " kinds");
#define HOST_CHECK_WALK(name, params, kinds) HOST_CHECK_CALLED(name, params, kinds)
#define HOST_CHECK_LISTED(name, params, kinds)
#define HOST_CHECK(name, library, use, params, kinds) HOST_CHECK_##use(name, params, kinds)
FK_ENTRY_POINTS_FULL(HOST_CHECK)
#undef HOST_CHECK

HANDLE input = INVALID_HANDLE_VALUE;
HANDLE output = INVALID_HANDLE_VALUE;

bool ReadExactly(char* p, DWORD n) {
  while (n > 0) {
    DWORD got = 0;
    if (!ReadFile(input, p, n, &got, nullptr) || got == 0) return false;
    p += got;
    n -= got;
  }
  return true;
}

bool WriteAll(const std::string& data) {
  const char* p = data.data();
  DWORD left = static_cast<DWORD>(data.size());
  while (left > 0) {
    DWORD put = 0;
    if (!WriteFile(output, p, left, &put, nullptr) || put == 0) return false;
    p += put;
    left -= put;
  }
  return true;
}

// A Linux path becomes the path Wine maps it to; anything else is used as
// it is.
std::wstring WindowsPath(const wchar_t* given) {
  std::wstring path(given);
  if (path.empty() || path[0] != L'/') return path;
  using ToDos = WCHAR*(CDECL*)(LPCSTR);
  auto toDos = reinterpret_cast<ToDos>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
  if (!toDos) return path;
  const int n = WideCharToMultiByte(CP_UTF8, 0, given, -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, given, -1, utf8.data(), n, nullptr, nullptr);
  WCHAR* dos = toDos(utf8.c_str());
  if (!dos) return path;
  std::wstring result(dos);
  HeapFree(GetProcessHeap(), 0, dos);
  return result;
}

// Loads a library by its path, the libraries it needs looked for beside
// it first. Status 0, or the Windows error code.
HMODULE Load(const wchar_t* path, int32_t& status) {
  const std::wstring file = WindowsPath(path);
  HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  status = module ? 0 : static_cast<int32_t>(GetLastError());
  if (!module && status == 0) status = -1;
  return module;
}

// The names a library's export table lists, for a name whose argument
// bytes the table does not give.
std::vector<std::string> ExportedNames(HMODULE module) {
  std::vector<std::string> names;
  const auto* base = reinterpret_cast<const unsigned char*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return names;
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (dir.VirtualAddress == 0 || dir.Size == 0) return names;
  const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  const auto* offsets = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i)
    names.emplace_back(reinterpret_cast<const char*>(base + offsets[i]));
  return names;
}

// Finds an entry point by its plain name, as the vendor's libraries export
// it, or else by the name a 32-bit compiler gives a __stdcall function when
// no export list renames it: "_FK_ConnectNet@24" (or, from mingw,
// "FK_ConnectNet@24"), the number being the bytes of its arguments.
void* Find(HMODULE module, const Row& row, const std::vector<std::string>& exported) {
  if (void* plain = reinterpret_cast<void*>(GetProcAddress(module, row.name))) return plain;
  std::vector<std::string> tried;
  if (row.stackBytes >= 0) {
    const std::string decorated = std::string(row.name) + '@' + std::to_string(row.stackBytes);
    tried = {'_' + decorated, decorated};
  } else {
    // Only looked up: any "name@digits" of the export table.
    for (const std::string& name : exported) {
      const std::string rest = name.substr(name[0] == '_' ? 1 : 0);
      const size_t at = rest.rfind('@');
      if (at != std::string::npos && rest.compare(0, at, row.name) == 0 && at + 1 < rest.size() &&
          rest.find_first_not_of("0123456789", at + 1) == std::string::npos)
        tried.push_back(name);
    }
  }
  for (const std::string& name : tried)
    if (void* found = reinterpret_cast<void*>(GetProcAddress(module, name.c_str()))) return found;
  return nullptr;
}

LONG WINAPI Crashed(EXCEPTION_POINTERS*) {
  TerminateProcess(GetCurrentProcess(), kCrashed);
  return EXCEPTION_EXECUTE_HANDLER;
}

// The protocol owns standard input and output. What a library prints goes
// to standard error instead, and it reads nothing from our input.
void KeepStandardHandles() {
  // Copies of the handles: redirecting the C library's descriptors below
  // closes the originals.
  const HANDLE self = GetCurrentProcess();
  DuplicateHandle(self, GetStdHandle(STD_INPUT_HANDLE), self, &input, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
  DuplicateHandle(self, GetStdHandle(STD_OUTPUT_HANDLE), self, &output, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
  SetStdHandle(STD_OUTPUT_HANDLE, GetStdHandle(STD_ERROR_HANDLE));
  HANDLE nul = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
  SetStdHandle(STD_INPUT_HANDLE, nul);
  std::fflush(stdout);
  _dup2(_fileno(stderr), _fileno(stdout));
  const int nulFd = _open("NUL", _O_RDONLY);
  if (nulFd >= 0) _dup2(nulFd, _fileno(stdin));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: sdkhost FIRST_LIBRARY [SECOND_LIBRARY]\n");
    return kUsage;
  }
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(Crashed);
  KeepStandardHandles();

  // The binding's construction steps: the second library is loaded whether
  // or not the first was, and its names are looked up only when both were.
  fkwire::Hello hello;
  hello.Bits = static_cast<uint32_t>(sizeof(void*) * 8);
  hello.SecondStatus = ERROR_FILE_NOT_FOUND;
  HMODULE first = Load(argv[1], hello.FirstStatus);
  HMODULE second = argc > 2 ? Load(argv[2], hello.SecondStatus) : nullptr;
  void* slots[FK_SLOT_COUNT] = {};
  const std::vector<std::string> exportedFirst =
      first ? ExportedNames(first) : std::vector<std::string>{};
  const std::vector<std::string> exportedSecond =
      second ? ExportedNames(second) : std::vector<std::string>{};
  for (int i = 0; i < FK_SLOT_COUNT; ++i) {
    HMODULE from = kRows[i].second ? second : first;
    if (first && from)
      slots[i] = Find(from, kRows[i], kRows[i].second ? exportedSecond : exportedFirst);
    hello.Found[i] = slots[i] != nullptr;
  }

  fkwire::Writer w;
  hello.Write(w);
  int code = WriteAll(w.Finish()) ? 0 : kBadRequest;

  std::string payload;
  while (code == 0) {
    uint32_t length = 0;
    if (!ReadExactly(reinterpret_cast<char*>(&length), 4)) break;  // input closed: done
    if (length < 2 || length > fkwire::kMaxFrame) {
      code = kBadRequest;
      break;
    }
    payload.resize(length);
    if (!ReadExactly(payload.data(), length)) {
      code = kBadRequest;
      break;
    }
    fkwire::Reader r(payload.data(), payload.size());
    const uint8_t op = r.U8();
    const uint8_t slot = r.U8();
    bool served = false;
    if (slot < FK_SLOT_COUNT && slots[slot]) {
      if (op == fkwire::kCall && kRows[slot].serve) {
        served = kRows[slot].serve(slots[slot], r, w);
      } else if (op == fkwire::kWalk && kRows[slot].repeat) {
        const uint32_t times = r.U32();
        served = times >= 1 && times <= fkwire::kMaxWalkWindow &&
                 kRows[slot].repeat(slots[slot], r, w, times);
      }
    }
    if (!served || !WriteAll(w.Finish())) code = kBadRequest;
  }
  if (first) FreeLibrary(first);
  if (second) FreeLibrary(second);
  return code;
}
