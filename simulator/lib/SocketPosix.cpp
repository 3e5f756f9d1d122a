#include "lib/Socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace fk::net {
namespace {

// Waits for the socket to become ready; false on time-out or error.
bool waitFor(int fd, short events, int64_t deadline) {
  for (;;) {
    int64_t left = deadline - nowMs();
    if (left <= 0) return false;
    pollfd p{fd, events, 0};
    int r = ::poll(&p, 1, static_cast<int>(left));
    if (r > 0) return true;
    if (r == 0) return false;
    if (errno != EINTR) return false;
  }
}

}  // namespace

int64_t nowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

Socket connectWithin(const std::string& host, int port, int64_t deadline) {
  if (host.empty() || port <= 0 || port > 65535) return kNoSocket;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  std::string service = std::to_string(port);
  if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0) return kNoSocket;
  int fd = -1;
  for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
    fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) continue;
    int r = ::connect(fd, a->ai_addr, a->ai_addrlen);
    if (r != 0 && errno == EINPROGRESS && waitFor(fd, POLLOUT, deadline)) {
      int err = 0;
      socklen_t len = sizeof err;
      ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
      r = err == 0 ? 0 : -1;
    }
    if (r != 0) {
      ::close(fd);
      fd = -1;
    }
  }
  ::freeaddrinfo(found);
  if (fd < 0) return kNoSocket;
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return fd;
}

bool sendAll(Socket s, const char* data, size_t size, int64_t deadline) {
  const int fd = static_cast<int>(s);
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::send(fd, data + done, size - done, MSG_NOSIGNAL);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!waitFor(fd, POLLOUT, deadline)) return false;
    } else {
      return false;
    }
  }
  return true;
}

bool recvAll(Socket s, char* p, size_t n, int64_t deadline) {
  const int fd = static_cast<int>(s);
  size_t done = 0;
  while (done < n) {
    ssize_t r = ::recv(fd, p + done, n - done, 0);
    if (r > 0) {
      done += static_cast<size_t>(r);
    } else if (r == 0) {
      return false;  // peer closed
    } else if (errno == EINTR) {
      continue;
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      if (!waitFor(fd, POLLIN, deadline)) return false;
    } else {
      return false;
    }
  }
  return true;
}

void closeSocket(Socket s) {
  if (s != kNoSocket) ::close(static_cast<int>(s));
}

}  // namespace fk::net
