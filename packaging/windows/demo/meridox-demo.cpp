// meridox-demo.exe: the Start menu's "Meridox (deneme terminalleri)". Starts
// the demo terminals (vterminal.exe beside this program, the same ones
// simulator/start-demo.sh starts on Linux: simulator/demo-terminals.txt),
// gives the program a folder of its own for the demo under
// %LOCALAPPDATA%\Meridox\demo with their terminal rows,
// runs meridox.exe --folder on it and stops the terminals when it closes.
// Arguments are handed to the program, so "meridox-demo --check" tries the
// command line against the demo terminals.
//
// The terminals run in a job object that kills them when its last handle
// closes: they go with the program even when this launcher is killed, and a
// later start never finds the ports taken by terminals left behind.
#include <shlobj.h>
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

const wchar_t kTitle[] = L"Meridox (deneme terminalleri)";

struct TDemoTerminal {
  const wchar_t* Name;
  const wchar_t* PortVariable;  // the stand-in library's endpoint variable, if any
  int Port;
  const wchar_t* Seed;
};

// kTerminals, made by the build from simulator/demo-terminals.txt. As on
// Linux, except that the network terminal keeps its port: it answers the row
// of the Data.mdb the build prepared. The USB and serial ones sit where the
// stand-in library looks for them.
#include "DemoTerminals.h"

// Said on standard error when there is one (started from a console or a
// script), else in a message box (started from the Start menu).
int Fail(const std::wstring& Text) {
  const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err && err != INVALID_HANDLE_VALUE) {
    const std::wstring line = L"meridox-demo: " + Text + L"\n";
    const int n = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string bytes(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), bytes.data(), n,
                        nullptr, nullptr);
    DWORD written = 0;
    if (WriteFile(err, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) return 1;
  }
  MessageBoxW(nullptr, Text.c_str(), kTitle, MB_OK | MB_ICONERROR);
  return 1;
}

std::wstring SystemText(DWORD Code) {
  wchar_t* text = nullptr;
  FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, Code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring result = text ? text : L"";
  LocalFree(text);
  while (!result.empty() && (result.back() == L'\n' || result.back() == L'\r')) result.pop_back();
  return result;
}

bool Exists(const std::wstring& Path) {
  return GetFileAttributesW(Path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

std::wstring Variable(const wchar_t* Name) {
  const DWORD n = GetEnvironmentVariableW(Name, nullptr, 0);
  if (n == 0) return {};
  std::wstring value(n, L'\0');
  value.resize(GetEnvironmentVariableW(Name, value.data(), n));
  return value;
}

// The port of an endpoint variable ("host:port" or a bare port), as the
// stand-in library reads it.
int PortOf(const TDemoTerminal& Terminal) {
  if (!Terminal.PortVariable) return Terminal.Port;
  const std::wstring endpoint = Variable(Terminal.PortVariable);
  if (endpoint.empty()) return Terminal.Port;
  const int port = _wtoi(endpoint.substr(endpoint.find_last_of(L':') + 1).c_str());
  return port > 0 ? port : Terminal.Port;
}

// One argument quoted so that CommandLineToArgvW gives it back unchanged.
std::wstring Quoted(const std::wstring& Argument) {
  if (!Argument.empty() && Argument.find_first_of(L" \t\"") == std::wstring::npos) return Argument;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : Argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

// Copies From to To when To is missing, through a temporary file that is
// renamed at the end: a database is whole or absent.
bool CopyWhole(const std::wstring& From, const std::wstring& To, std::wstring& Error) {
  if (Exists(To)) return true;
  const std::wstring part = To + L".part";
  if (!CopyFileW(From.c_str(), part.c_str(), FALSE) ||
      !MoveFileExW(part.c_str(), To.c_str(), MOVEFILE_WRITE_THROUGH)) {
    Error = From + L" -> " + To + L": " + SystemText(GetLastError());
    DeleteFileW(part.c_str());
    return false;
  }
  return true;
}

// Starts one terminal inside Job with its output in a log file, and waits
// until it listens (it writes its port file then).
bool StartTerminal(HANDLE Job, const std::wstring& Program, const std::wstring& State,
                   const TDemoTerminal& Terminal, std::wstring& Error) {
  const std::wstring base = State + L"demo-" + Terminal.Name;
  const std::wstring portFile = base + L".port", log = base + L".log";
  std::wstring command = Quoted(Program + L"vterminal.exe") + L" --port " +
                         std::to_wstring(PortOf(Terminal)) + L" --machine 1 --state " +
                         Quoted(base + L".json") + L" --journal " + Quoted(base + L".journal") +
                         L" --port-file " + Quoted(portFile);
  // Generated data only for a new terminal: what the operator changed stays.
  if (!Exists(base + L".json")) command += std::wstring(L" ") + Terminal.Seed;
  DeleteFileW(portFile.c_str());

  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE output = CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (output == INVALID_HANDLE_VALUE) {
    Error = log + L": " + SystemText(GetLastError());
    return false;
  }
  STARTUPINFOW start{};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdInput = nullptr;
  start.hStdOutput = output;
  start.hStdError = output;
  PROCESS_INFORMATION process{};
  const BOOL started =
      CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE,
                     CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &start, &process);
  const DWORD startError = GetLastError();
  CloseHandle(output);
  if (!started) {
    Error = command + L": " + SystemText(startError);
    return false;
  }
  // In the job before it runs a single instruction.
  if (!AssignProcessToJobObject(Job, process.hProcess)) {
    Error = L"vterminal.exe: " + SystemText(GetLastError());
    TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return false;
  }
  ResumeThread(process.hThread);
  CloseHandle(process.hThread);
  bool listening = false;
  for (int i = 0; i < 150 && !listening; ++i) {
    listening = Exists(portFile);
    if (!listening && WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) break;
  }
  CloseHandle(process.hProcess);
  if (!listening)
    Error = L"\"" + std::wstring(Terminal.Name) + L"\" deneme terminali başlamadı; ayrıntı: " + log;
  return listening;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Typed in a console ("meridox-demo --check"), a window program gets no
  // standard handles: take the console's, so that our messages and the
  // program's lines appear there.
  const HANDLE given = GetStdHandle(STD_OUTPUT_HANDLE);
  if (!given || given == INVALID_HANDLE_VALUE) AttachConsole(ATTACH_PARENT_PROCESS);
  const std::wstring program = ProgramFolder();
  wchar_t local[MAX_PATH];
  if (SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, local) != S_OK)
    return Fail(L"Kullanıcının veri klasörü (%LOCALAPPDATA%) bulunamadı.");
  const std::wstring meridox = std::wstring(local) + L"\\Meridox\\";
  const std::wstring demo = meridox + L"demo\\", state = demo + L"terminaller\\";
  for (const std::wstring& folder : {meridox, demo, state})
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      return Fail(folder + L": " + SystemText(GetLastError()));

  // The demo's Data.mdb is the empty one with the demo terminals' rows,
  // prepared when the program was built (Windows has no sqlite3 to add them).
  std::wstring error;
  if (!CopyWhole(program + L"demo\\Data.mdb", demo + L"Data.mdb", error) ||
      !CopyWhole(program + L"Log.mdb", demo + L"Log.mdb", error))
    return Fail(L"Deneme klasörü hazırlanamadı:\n" + error);

  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!job ||
      !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits))
    return Fail(L"Deneme terminalleri için iş nesnesi kurulamadı: " + SystemText(GetLastError()));
  for (const TDemoTerminal& terminal : kTerminals)
    if (!StartTerminal(job, program, state, terminal, error)) {
      TerminateJobObject(job, 1);
      return Fail(error);
    }

  // The program, not in the job: closing the job never takes it along.
  // Its standard handles are ours when we have any (a console or a pipe),
  // so the command line's lines reach whoever started us.
  std::wstring command = Quoted(program + L"meridox.exe") + L" --folder " + Quoted(demo);
  int argc = 0;
  if (wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
    for (int i = 1; i < argc; ++i) command += L" " + Quoted(argv[i]);
    LocalFree(argv);
  }
  STARTUPINFOW start{};
  start.cb = sizeof start;
  const HANDLE in = GetStdHandle(STD_INPUT_HANDLE), out = GetStdHandle(STD_OUTPUT_HANDLE),
               err = GetStdHandle(STD_ERROR_HANDLE);
  const bool handles = out && out != INVALID_HANDLE_VALUE;
  if (handles) {
    for (HANDLE h : {in, out, err})
      if (h && h != INVALID_HANDLE_VALUE)
        SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = in;
    start.hStdOutput = out;
    start.hStdError = err;
  }
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, handles, 0, nullptr, demo.c_str(),
                      &start, &process)) {
    const DWORD code = GetLastError();
    TerminateJobObject(job, 1);
    return Fail(command + L": " + SystemText(code));
  }
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hProcess);
  // Stopped at once: every change was already written to their state files.
  TerminateJobObject(job, 0);
  CloseHandle(job);
  return static_cast<int>(exitCode);
}
