#include "lib/Connection.h"

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
#include <cstdlib>
#include <map>

namespace fk {
namespace {

int64_t nowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

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

int connectWithin(const Endpoint& ep, int64_t deadline) {
  if (ep.host.empty() || ep.port <= 0 || ep.port > 65535) return -1;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  std::string service = std::to_string(ep.port);
  if (::getaddrinfo(ep.host.c_str(), service.c_str(), &hints, &found) != 0) return -1;
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
  if (fd >= 0) {
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  }
  return fd;
}

std::mutex tableMutex;
std::map<int, std::shared_ptr<Connection>> table;
int nextHandle = 1;

}  // namespace

bool parseEndpoint(const std::string& text, Endpoint& out) {
  std::string host = "127.0.0.1";
  std::string port = text;
  size_t colon = text.rfind(':');
  if (colon != std::string::npos) {
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
  }
  char* end = nullptr;
  long p = std::strtol(port.c_str(), &end, 10);
  if (host.empty() || port.empty() || *end != '\0' || p <= 0 || p > 65535) return false;
  out = Endpoint{host, static_cast<int>(p)};
  return true;
}

Endpoint usbEndpoint() {
  Endpoint ep{"127.0.0.1", 47010};
  if (const char* v = std::getenv("MERIDOX_USB_ENDPOINT")) parseEndpoint(v, ep);
  return ep;
}

Endpoint commEndpoint(int port) {
  Endpoint ep{"127.0.0.1", 47100 + port};
  std::string name = "MERIDOX_COM" + std::to_string(port) + "_ENDPOINT";
  if (const char* v = std::getenv(name.c_str())) parseEndpoint(v, ep);
  return ep;
}

Connection::~Connection() { close(); }

void Connection::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  logs.clear();
  users.clear();
  logPos = userPos = 0;
}

int32_t Connection::open(const Endpoint& ep, int timeoutMs, vt::Writer& hello,
                         std::shared_ptr<Connection>& out) {
  if (timeoutMs <= 0) timeoutMs = kDefaultTimeoutMs;
  int fd = connectWithin(ep, nowMs() + timeoutMs);
  if (fd < 0) return vt::rc::NoOpenComm;
  std::shared_ptr<Connection> c(new Connection(fd, timeoutMs));
  vt::Reader reply;
  int32_t code = c->call(hello, reply);
  if (code == vt::rc::Ok && reply.left() == 0) {
    out = std::move(c);
    return vt::rc::Ok;
  }
  // Anything but a bare 1 refuses the connection. A terminal that hangs up
  // before answering, or answers with another positive number (which the
  // caller would take for a handle), has opened nothing: -2.
  return code == vt::rc::ReadError || code > 0 ? vt::rc::NoOpenComm : code;
}

bool Connection::sendAll(const std::string& data, int64_t deadline) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::send(fd_, data.data() + done, data.size() - done, MSG_NOSIGNAL);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!waitFor(fd_, POLLOUT, deadline)) return false;
    } else {
      return false;
    }
  }
  return true;
}

bool Connection::recvAll(char* p, size_t n, int64_t deadline) {
  size_t done = 0;
  while (done < n) {
    ssize_t r = ::recv(fd_, p + done, n - done, 0);
    if (r > 0) {
      done += static_cast<size_t>(r);
    } else if (r == 0) {
      return false;  // peer closed
    } else if (errno == EINTR) {
      continue;
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      if (!waitFor(fd_, POLLIN, deadline)) return false;
    } else {
      return false;
    }
  }
  return true;
}

int32_t Connection::call(vt::Writer& request, vt::Reader& reply) {
  if (fd_ < 0) return vt::rc::NoOpenComm;
  int64_t deadline = nowMs() + timeoutMs_;
  uint32_t len = 0;
  if (!sendAll(request.frame(), deadline) || !recvAll(reinterpret_cast<char*>(&len), 4, deadline) ||
      len < 4 || len > vt::kMaxAnswer) {
    close();
    return vt::rc::ReadError;
  }
  reply_.resize(len);
  if (!recvAll(reply_.data(), len, deadline)) {
    close();
    return vt::rc::ReadError;
  }
  reply = vt::Reader(reply_.data(), reply_.size());
  return reply.i32();
}

int registerConnection(std::shared_ptr<Connection> c) {
  std::lock_guard lock(tableMutex);
  int h = nextHandle++;
  table[h] = std::move(c);
  return h;
}

std::shared_ptr<Connection> findConnection(int handle) {
  std::lock_guard lock(tableMutex);
  auto it = table.find(handle);
  return it == table.end() ? nullptr : it->second;
}

std::shared_ptr<Connection> takeConnection(int handle) {
  std::lock_guard lock(tableMutex);
  auto it = table.find(handle);
  if (it == table.end()) return nullptr;
  auto c = std::move(it->second);
  table.erase(it);
  return c;
}

}  // namespace fk
