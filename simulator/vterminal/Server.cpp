#include "vterminal/Server.h"

#include "vterminal/Dispatch.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>

namespace vt {
namespace {

constexpr int64_t kNever = INT64_MAX;
// How long accepting rests when even the spare descriptor cannot be had back.
constexpr int64_t kAcceptRestMs = 100;

int64_t nowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int64_t after(int ms) {
  return ms > 0 ? nowMs() + ms : kNever;
}

std::string ms(int v) {
  return std::to_string(v) + " ms";
}

// The length word of the frame starting at buf[at], when it is all there.
bool lengthAt(const std::string& buf, size_t at, uint32_t& len) {
  if (buf.size() < at + 4) return false;
  std::memcpy(&len, buf.data() + at, 4);
  return true;
}

}  // namespace

Journal::~Journal() {
  if (f_) std::fclose(f_);
}

bool Journal::open(const std::string& path, std::string& error) {
  f_ = std::fopen(path.c_str(), "a");
  if (!f_) error = "cannot open journal " + path + ": " + std::strerror(errno);
  return f_ != nullptr;
}

void Journal::line(const std::string& text) {
  if (!f_) return;
  std::fwrite(text.data(), 1, text.size(), f_);
  std::fputc('\n', f_);
  std::fflush(f_);
}

Server::~Server() {
  if (client_.fd >= 0) ::close(client_.fd);
  for (auto& w : waiting_) ::close(w.fd);
  if (listenFd_ >= 0) ::close(listenFd_);
  if (spareFd_ >= 0) ::close(spareFd_);
}

bool Server::listen(const std::string& address, int port, std::string& error) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<uint16_t>(port));
  if (::inet_pton(AF_INET, address.c_str(), &sa.sin_addr) != 1) {
    error = "not an IPv4 address: " + address;
    return false;
  }
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  int one = 1;
  ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 ||
      ::listen(listenFd_, 8) != 0) {
    error =
        "cannot listen on " + address + ":" + std::to_string(port) + ": " + std::strerror(errno);
    return false;
  }
  socklen_t len = sizeof sa;
  ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&sa), &len);
  port_ = ntohs(sa.sin_port);
  spareFd_ = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  return true;
}

void Server::run(volatile std::sig_atomic_t& stop, const sigset_t& waitMask) {
  stop_ = &stop;
  waitMask_ = &waitMask;
  std::vector<pollfd> fds;
  while (!stop) {
    expire();
    fds.clear();
    // A negative descriptor is skipped by ppoll: no client, or accepting rests.
    fds.push_back({nowMs() >= acceptPausedUntil_ ? listenFd_ : -1, POLLIN, 0});
    fds.push_back({client_.fd, static_cast<short>(client_.sending() ? POLLOUT : POLLIN), 0});
    for (auto& w : waiting_) fds.push_back({w.fd, POLLIN, 0});
    int64_t wake = nextDeadline();
    timespec wait{};
    if (wake != kNever) {
      int64_t left = std::max<int64_t>(0, wake - nowMs());
      wait = {static_cast<time_t>(left / 1000), static_cast<long>(left % 1000) * 1000000L};
    }
    if (::ppoll(fds.data(), fds.size(), wake == kNever ? nullptr : &wait, &waitMask) <= 0)
      continue;  // a signal (look at stop) or a deadline (expire)
    if (fds[1].revents && !client_.sending()) {
      readClient();
    } else if (fds[1].revents) {
      sendAnswer();
      if (client_.fd >= 0 && !client_.sending()) handleInput();  // requests already received
    }
    for (size_t k = 2; k < fds.size(); ++k)
      if (fds[k].revents) readWaiting(waiting_[k - 2]);
    std::erase_if(waiting_, [](const Peer& w) { return w.fd < 0; });
    if (fds[0].revents) accept();
  }
  if (client_.fd >= 0) closeClient("# terminal stopped");
}

int64_t Server::nextDeadline() const {
  int64_t next = acceptPausedUntil_ > nowMs() ? acceptPausedUntil_ : kNever;
  if (client_.fd >= 0) next = std::min(next, client_.deadline);
  for (const auto& w : waiting_) next = std::min(next, w.deadline);
  return next;
}

// Drops whoever let its deadline pass: the client without a hello, without
// taking its answer or without a next request; a waiting connection without
// its hello.
void Server::expire() {
  const int64_t now = nowMs();
  if (client_.fd >= 0 && now >= client_.deadline) {
    if (client_.sending())
      closeClient("# answer not taken within " + ms(limits_.sendTimeoutMs));
    else if (!client_.greeted)
      closeClient("# no hello within " + ms(limits_.helloTimeoutMs));
    else
      closeClient("# idle for " + ms(limits_.idleTimeoutMs));
  }
  for (auto& w : waiting_) {
    if (now < w.deadline) continue;
    ::close(w.fd);
    w.fd = -1;
  }
  std::erase_if(waiting_, [](const Peer& w) { return w.fd < 0; });
}

void Server::accept() {
  int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (fd < 0) {
    if (errno == EMFILE || errno == ENFILE) {
      refuseWithoutDescriptor();
    } else if (errno == ENOBUFS || errno == ENOMEM) {
      acceptPausedUntil_ = nowMs() + kAcceptRestMs;
    }
    return;  // anything else (the peer gave up, a signal): the next wake-up tries again
  }
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  Peer peer;
  peer.fd = fd;
  peer.deadline = after(limits_.helloTimeoutMs);
  if (client_.fd < 0) {
    client_ = std::move(peer);
  } else if (waiting_.size() < limits_.maxWaiting) {
    waiting_.push_back(std::move(peer));
  } else {
    journal_.line("# connection refused: " + std::to_string(waiting_.size()) +
                  " connections already waiting");
    ::close(fd);
  }
}

// Out of descriptors the pending connection cannot be accepted, and left in
// the backlog it would wake every wait at once. The spare descriptor is given
// up to accept it and hang up; without one, accepting rests a while.
void Server::refuseWithoutDescriptor() {
  journal_.line("# connection refused: out of file descriptors");
  if (spareFd_ >= 0) {
    ::close(spareFd_);
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) ::close(fd);
    spareFd_ = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  }
  if (spareFd_ < 0) acceptPausedUntil_ = nowMs() + kAcceptRestMs;
}

// A connection behind the client: its hello is answered -2 (busy), then it
// is closed; anything else closes it without an answer.
void Server::readWaiting(Peer& w) {
  char buf[4096];
  ssize_t n = ::recv(w.fd, buf, sizeof buf, 0);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
  if (n > 0) w.in.append(buf, static_cast<size_t>(n));
  uint32_t len = 0;
  bool whole = lengthAt(w.in, 0, len) && len <= kMaxRequest && w.in.size() - 4 >= len;
  if (whole) {
    Reader r(w.in.data() + 4, len);
    Call call;
    if (static_cast<Op>(r.u8()) == Op::Hello) call = describe(Op::Hello, r);
    if (!call.name.empty() && r.ok() && isKnownKind(call.kind)) {
      journal_.line(call.text + " = -2 busy");
      Writer reply;
      reply.i32(rc::NoOpenComm);
      const std::string& frame = reply.frame();
      ::send(w.fd, frame.data(), frame.size(), MSG_NOSIGNAL);  // 8 bytes: never waits
    }
  }
  if (n <= 0 || whole || len > kMaxRequest) {
    ::close(w.fd);
    w.fd = -1;
  }
}

void Server::readClient() {
  char buf[65536];
  ssize_t n = ::recv(client_.fd, buf, sizeof buf, 0);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
  if (n <= 0) {
    closeClient("# connection closed by the client");
    return;
  }
  client_.in.append(buf, static_cast<size_t>(n));
  handleInput();
}

// Handles the whole requests received, one at a time: the next only once the
// client has taken the answer to the one before.
void Server::handleInput() {
  Peer& c = client_;
  size_t start = 0;
  uint32_t len = 0;
  while (c.fd >= 0 && !c.sending() && !c.closing && lengthAt(c.in, start, len)) {
    if (len > kMaxRequest) {
      closeClient("# oversized request");
      return;
    }
    if (c.in.size() - start - 4 < len) break;
    bool keep = handle(std::string_view(c.in.data() + start + 4, len));
    start += 4 + size_t(len);
    if (!keep) c.closing = true;
    sendAnswer();
  }
  if (c.fd >= 0) c.in.erase(0, start);
}

void Server::queue(Writer& reply) {
  client_.out = reply.release();
  client_.sent = 0;
  client_.deadline = after(limits_.sendTimeoutMs);
}

// Sends what the socket takes now. Once the answer is all gone the idle
// deadline starts, or the connection closes when that was the last answer.
void Server::sendAnswer() {
  Peer& c = client_;
  while (c.sending()) {
    ssize_t n = ::send(c.fd, c.out.data() + c.sent, c.out.size() - c.sent, MSG_NOSIGNAL);
    if (n > 0) {
      c.sent += static_cast<size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      return;  // the rest when the socket is writable again
    } else {
      closeClient("# connection closed by the client");
      return;
    }
  }
  c.out.clear();
  c.sent = 0;
  if (c.closing) {
    closeClient({});
    return;
  }
  c.deadline = after(limits_.idleTimeoutMs);
}

void Server::closeClient(const std::string& why) {
  if (!why.empty()) journal_.line(why);
  ::close(client_.fd);
  client_ = Peer{};
  t_.endSession();
  persist();
}

}  // namespace vt
