// Winsock under the Windows build of the stand-ins; the same contract as
// SocketPosix.cpp.
#include "lib/Socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <chrono>

namespace fk::net {
namespace {

// Winsock is started once, on the first connect, and left running: the
// library cannot know when its host is done with it.
bool started() {
  static const bool ok = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return ok;
}

// Waits for the socket to become ready (for writing: connected, or failed);
// false on time-out or error.
bool waitFor(SOCKET s, bool writing, int64_t deadline) {
  int64_t left = deadline - nowMs();
  if (left <= 0) return false;
  fd_set ready, failed;
  FD_ZERO(&ready);
  FD_ZERO(&failed);
  FD_SET(s, &ready);
  FD_SET(s, &failed);
  timeval tv{static_cast<long>(left / 1000), static_cast<long>((left % 1000) * 1000)};
  int r = ::select(0, writing ? nullptr : &ready, writing ? &ready : nullptr, &failed, &tv);
  return r > 0 && FD_ISSET(s, &ready);
}

}  // namespace

int64_t nowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

Socket connectWithin(const std::string& host, int port, int64_t deadline) {
  if (host.empty() || port <= 0 || port > 65535 || !started()) return kNoSocket;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  std::string service = std::to_string(port);
  if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0) return kNoSocket;
  SOCKET s = INVALID_SOCKET;
  for (addrinfo* a = found; a && s == INVALID_SOCKET; a = a->ai_next) {
    s = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
    if (s == INVALID_SOCKET) continue;
    u_long nonBlocking = 1;
    int r = ::ioctlsocket(s, FIONBIO, &nonBlocking);
    if (r == 0) r = ::connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen));
    if (r != 0 && ::WSAGetLastError() == WSAEWOULDBLOCK && waitFor(s, true, deadline)) {
      int err = 0;
      int len = sizeof err;
      ::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len);
      r = err == 0 ? 0 : -1;
    }
    if (r != 0) {
      ::closesocket(s);
      s = INVALID_SOCKET;
    }
  }
  ::freeaddrinfo(found);
  if (s == INVALID_SOCKET) return kNoSocket;
  BOOL one = TRUE;
  ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
  return static_cast<Socket>(s);
}

bool sendAll(Socket sock, const char* data, size_t size, int64_t deadline) {
  const SOCKET s = static_cast<SOCKET>(sock);
  size_t done = 0;
  while (done < size) {
    int n = ::send(s, data + done, static_cast<int>(size - done), 0);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n == SOCKET_ERROR && ::WSAGetLastError() == WSAEWOULDBLOCK) {
      if (!waitFor(s, true, deadline)) return false;
    } else if (n == SOCKET_ERROR && ::WSAGetLastError() == WSAEINTR) {
      continue;
    } else {
      return false;
    }
  }
  return true;
}

bool recvAll(Socket sock, char* p, size_t n, int64_t deadline) {
  const SOCKET s = static_cast<SOCKET>(sock);
  size_t done = 0;
  while (done < n) {
    int r = ::recv(s, p + done, static_cast<int>(n - done), 0);
    if (r > 0) {
      done += static_cast<size_t>(r);
    } else if (r == 0) {
      return false;  // peer closed
    } else if (::WSAGetLastError() == WSAEWOULDBLOCK) {
      if (!waitFor(s, false, deadline)) return false;
    } else if (::WSAGetLastError() == WSAEINTR) {
      continue;
    } else {
      return false;
    }
  }
  return true;
}

void closeSocket(Socket s) {
  if (s != kNoSocket) ::closesocket(static_cast<SOCKET>(s));
}

}  // namespace fk::net
