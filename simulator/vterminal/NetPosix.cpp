#include "vterminal/Net.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace vt::net {
namespace {

volatile std::sig_atomic_t stopFlag = 0;
// The signal mask while waiting: the stop signals unblocked.
sigset_t waitMask;

void onStopSignal(int) {
  stopFlag = 1;
}

}  // namespace

// The stop signals stay blocked except while waiting (ppoll installs waitMask
// for exactly that time), so one that arrives just before a wait still ends
// that wait at once instead of at the next event.
void catchStopRequests() {
  struct sigaction sa {};
  sa.sa_handler = onStopSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGTERM);
  sigaddset(&stops, SIGINT);
  sigprocmask(SIG_BLOCK, &stops, &waitMask);
  sigdelset(&waitMask, SIGTERM);
  sigdelset(&waitMask, SIGINT);
}

bool stopRequested() {
  return stopFlag != 0;
}

bool wait(std::vector<Watch>& watches, int64_t timeoutMs) {
  std::vector<pollfd> fds;
  fds.reserve(watches.size());
  // A negative descriptor is skipped by ppoll.
  for (const Watch& w : watches)
    fds.push_back({static_cast<int>(w.s), static_cast<short>(w.write ? POLLOUT : POLLIN), 0});
  timespec left{};
  if (timeoutMs >= 0)
    left = {static_cast<time_t>(timeoutMs / 1000), static_cast<long>(timeoutMs % 1000) * 1000000L};
  if (stopFlag) return false;
  int n = ::ppoll(fds.data(), fds.size(), timeoutMs < 0 ? nullptr : &left, &waitMask);
  for (size_t k = 0; k < watches.size(); ++k) watches[k].ready = n > 0 && fds[k].revents != 0;
  return n > 0;  // otherwise a signal (see stopRequested) or the time-out
}

bool listen(const std::string& address, int port, Socket& s, int& boundPort, std::string& error) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<uint16_t>(port));
  if (::inet_pton(AF_INET, address.c_str(), &sa.sin_addr) != 1) {
    error = "not an IPv4 address: " + address;
    return false;
  }
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  s = fd;
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(fd, 8) != 0) {
    error =
        "cannot listen on " + address + ":" + std::to_string(port) + ": " + std::strerror(errno);
    return false;
  }
  socklen_t len = sizeof sa;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
  boundPort = ntohs(sa.sin_port);
  return true;
}

Accepted accept(Socket listening, Socket& s) {
  int fd = ::accept4(static_cast<int>(listening), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (fd < 0) {
    if (errno == EMFILE || errno == ENFILE) return Accepted::NoDescriptor;
    if (errno == ENOBUFS || errno == ENOMEM) return Accepted::NoMemory;
    return Accepted::Again;  // anything else (the peer gave up, a signal): the next wake-up tries
                             // again
  }
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  s = fd;
  return Accepted::Socket;
}

Socket holdSpare() {
  return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

void acceptAndClose(Socket listening) {
  int fd = ::accept4(static_cast<int>(listening), nullptr, nullptr, SOCK_CLOEXEC);
  if (fd >= 0) ::close(fd);
}

long receive(Socket s, char* buf, size_t size) {
  ssize_t n = ::recv(static_cast<int>(s), buf, size, 0);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return kAgain;
  return n < 0 ? 0 : static_cast<long>(n);
}

long send(Socket s, const char* data, size_t size) {
  for (;;) {
    ssize_t n = ::send(static_cast<int>(s), data, size, MSG_NOSIGNAL);
    if (n > 0) return static_cast<long>(n);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return kAgain;
    return 0;
  }
}

void close(Socket s) {
  if (s >= 0) ::close(static_cast<int>(s));
}

}  // namespace vt::net
