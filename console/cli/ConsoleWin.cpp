#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "cli/Console.h"

const char kUserDataFolderHelp[] = "%LOCALAPPDATA%\\Meridox";

namespace {

HANDLE HandleOf(std::FILE* Stream) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(Stream)));
}

// A handle the program can write to: a GUI-subsystem program started from a
// console gets none (or one that leads nowhere).
bool Usable(DWORD Which) {
  const HANDLE h = GetStdHandle(Which);
  return h != nullptr && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN;
}

}  // namespace

QStringList ProgramArguments(int, char*[]) {
  QStringList arguments;
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv) return arguments;
  for (int i = 0; i < count; ++i) arguments << QString::fromWCharArray(argv[i]);
  LocalFree(argv);
  return arguments;
}

void PrepareConsole() {
  const bool out = Usable(STD_OUTPUT_HANDLE);
  const bool err = Usable(STD_ERROR_HANDLE);
  // Redirected streams stay where the caller sent them; only the missing
  // ones go to the parent's console, when there is one.
  if ((!out || !err) && AttachConsole(ATTACH_PARENT_PROCESS)) {
    if (!out) (void)std::freopen("CONOUT$", "w", stdout);
    if (!err) (void)std::freopen("CONOUT$", "w", stderr);
  }
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  // The progress bar clears its line with an escape sequence.
  DWORD mode = 0;
  const HANDLE h = HandleOf(stdout);
  if (GetConsoleMode(h, &mode)) SetConsoleMode(h, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

void WriteStream(std::FILE* Stream, const QString& Text) {
  DWORD mode = 0;
  const HANDLE h = HandleOf(Stream);
  if (GetConsoleMode(h, &mode)) {
    // The console shows characters, whatever its code page.
    std::fflush(Stream);
    DWORD written = 0;
    WriteConsoleW(h, reinterpret_cast<const wchar_t*>(Text.utf16()), DWORD(Text.size()), &written,
                  nullptr);
    return;
  }
  const QByteArray bytes = Text.toUtf8();
  std::fwrite(bytes.constData(), 1, size_t(bytes.size()), Stream);
  std::fflush(Stream);
}

bool IsConsole(std::FILE* Stream) {
  DWORD mode = 0;
  return GetConsoleMode(HandleOf(Stream), &mode) != 0;
}
