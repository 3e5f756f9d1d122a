#include "vterminal/Net.h"

#include <winsock2.h>
#include <ws2tcpip.h>
// After winsock2.h, which must come before windows.h.
#include <windows.h>

#include <algorithm>
#include <atomic>

namespace vt::net {
namespace {

std::atomic<bool> stopFlag{false};
// A loopback datagram socket that a stop request sends one byte to: it sits
// in every wait, so the request ends a wait that is already under way (the
// console's control events arrive on a thread of their own).
SOCKET wakeSocket = INVALID_SOCKET;
sockaddr_in wakeAddress{};

std::string lastSocketError() {
  const int code = ::WSAGetLastError();
  char* text = nullptr;
  DWORD n = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string out = n > 0 ? std::string(text, n) : "Winsock error " + std::to_string(code);
  if (text) ::LocalFree(text);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' '))
    out.pop_back();
  return out;
}

void requestStop() {
  stopFlag = true;
  if (wakeSocket != INVALID_SOCKET)
    ::sendto(wakeSocket, "", 1, 0, reinterpret_cast<const sockaddr*>(&wakeAddress),
             sizeof wakeAddress);
}

BOOL WINAPI onConsoleEvent(DWORD event) {
  requestStop();
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return TRUE;
  // Closing the console, logging off, shutting down: the process ends as
  // soon as this returns, so it waits here while the main thread ends the
  // session, saves the state and exits (Windows allows a few seconds).
  ::Sleep(INFINITE);
  return TRUE;
}

// A console program has no window, so the polite stops of Windows (taskkill
// without /F, QProcess::terminate, the end of a session) would find nothing
// to close: a hidden window, on a thread of its own, takes their WM_CLOSE.
LRESULT CALLBACK onWindowMessage(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_CLOSE || (message == WM_ENDSESSION && w)) {
    requestStop();
    if (message == WM_ENDSESSION) ::Sleep(INFINITE);  // as for the console's events
    return 0;
  }
  return ::DefWindowProcW(window, message, w, l);
}

DWORD WINAPI closeWindowThread(void*) {
  WNDCLASSW c{};
  c.lpfnWndProc = onWindowMessage;
  c.hInstance = ::GetModuleHandleW(nullptr);
  c.lpszClassName = L"vterminal";
  if (!::RegisterClassW(&c) ||
      !::CreateWindowExW(0, c.lpszClassName, L"vterminal", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                         nullptr, c.hInstance, nullptr))
    return 1;
  MSG m;
  while (::GetMessageW(&m, nullptr, 0, 0) > 0) ::DispatchMessageW(&m);
  return 0;
}

void setNonBlocking(SOCKET s) {
  u_long on = 1;
  ::ioctlsocket(s, FIONBIO, &on);
}

}  // namespace

void catchStopRequests() {
  WSADATA data;
  if (::WSAStartup(MAKEWORD(2, 2), &data) == 0) {
    wakeSocket = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    wakeAddress.sin_family = AF_INET;
    wakeAddress.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof wakeAddress;
    if (wakeSocket != INVALID_SOCKET &&
        (::bind(wakeSocket, reinterpret_cast<sockaddr*>(&wakeAddress), len) != 0 ||
         ::getsockname(wakeSocket, reinterpret_cast<sockaddr*>(&wakeAddress), &len) != 0)) {
      ::closesocket(wakeSocket);
      wakeSocket = INVALID_SOCKET;
    }
    if (wakeSocket != INVALID_SOCKET) setNonBlocking(wakeSocket);
  }
  ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
  if (HANDLE t = ::CreateThread(nullptr, 0, closeWindowThread, nullptr, 0, nullptr))
    ::CloseHandle(t);
}

bool stopRequested() {
  return stopFlag;
}

bool wait(std::vector<Watch>& watches, int64_t timeoutMs) {
  std::vector<WSAPOLLFD> fds;
  std::vector<size_t> watchOf;  // the watch of each entry; the wake socket has none
  fds.reserve(watches.size() + 1);
  for (size_t k = 0; k < watches.size(); ++k) {
    watches[k].ready = false;
    if (watches[k].s == kNone) continue;
    fds.push_back({static_cast<SOCKET>(watches[k].s),
                   static_cast<SHORT>(watches[k].write ? POLLWRNORM : POLLRDNORM), 0});
    watchOf.push_back(k);
  }
  if (wakeSocket != INVALID_SOCKET) fds.push_back({wakeSocket, POLLRDNORM, 0});
  if (stopFlag) return false;
  // WSAPoll takes an int of milliseconds; a longer wait just wakes early.
  const INT timeout =
      timeoutMs < 0 ? -1 : static_cast<INT>(std::min<int64_t>(timeoutMs, INT32_MAX));
  int n = fds.empty() ? (::Sleep(static_cast<DWORD>(timeout)), 0)
                      : ::WSAPoll(fds.data(), static_cast<ULONG>(fds.size()), timeout);
  bool any = false;
  for (size_t i = 0; n > 0 && i < watchOf.size(); ++i) {
    watches[watchOf[i]].ready = fds[i].revents != 0;
    any = any || fds[i].revents != 0;
  }
  return any && !stopFlag;
}

bool listen(const std::string& address, int port, Socket& s, int& boundPort, std::string& error) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<uint16_t>(port));
  if (::inet_pton(AF_INET, address.c_str(), &sa.sin_addr) != 1) {
    error = "not an IPv4 address: " + address;
    return false;
  }
  SOCKET fd = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  s = fd == INVALID_SOCKET ? kNone : static_cast<Socket>(fd);
  // SO_REUSEADDR would let another program take the port from under us on
  // Windows; a port in TIME_WAIT can be bound again there without it.
  BOOL one = TRUE;
  ::setsockopt(fd, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&one),
               sizeof one);
  if (fd == INVALID_SOCKET || ::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 ||
      ::listen(fd, 8) != 0) {
    error = "cannot listen on " + address + ":" + std::to_string(port) + ": " + lastSocketError();
    return false;
  }
  setNonBlocking(fd);
  int len = sizeof sa;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
  boundPort = ntohs(sa.sin_port);
  return true;
}

Accepted accept(Socket listening, Socket& s) {
  SOCKET fd = ::accept(static_cast<SOCKET>(listening), nullptr, nullptr);
  if (fd == INVALID_SOCKET) {
    const int err = ::WSAGetLastError();
    if (err == WSAEMFILE) return Accepted::NoDescriptor;
    if (err == WSAENOBUFS) return Accepted::NoMemory;
    return Accepted::Again;
  }
  setNonBlocking(fd);
  BOOL one = TRUE;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
  s = static_cast<Socket>(fd);
  return Accepted::Socket;
}

Socket holdSpare() {
  SOCKET fd = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  return fd == INVALID_SOCKET ? kNone : static_cast<Socket>(fd);
}

void acceptAndClose(Socket listening) {
  SOCKET fd = ::accept(static_cast<SOCKET>(listening), nullptr, nullptr);
  if (fd != INVALID_SOCKET) ::closesocket(fd);
}

long receive(Socket s, char* buf, size_t size) {
  int n =
      ::recv(static_cast<SOCKET>(s), buf, static_cast<int>(std::min<size_t>(size, INT32_MAX)), 0);
  if (n == SOCKET_ERROR) {
    const int err = ::WSAGetLastError();
    return err == WSAEWOULDBLOCK || err == WSAEINTR ? kAgain : 0;
  }
  return n;
}

long send(Socket s, const char* data, size_t size) {
  int n =
      ::send(static_cast<SOCKET>(s), data, static_cast<int>(std::min<size_t>(size, INT32_MAX)), 0);
  if (n > 0) return n;
  if (n == SOCKET_ERROR) {
    const int err = ::WSAGetLastError();
    if (err == WSAEWOULDBLOCK || err == WSAEINTR) return kAgain;
  }
  return 0;
}

void close(Socket s) {
  if (s != kNone) ::closesocket(static_cast<SOCKET>(s));
}

}  // namespace vt::net
