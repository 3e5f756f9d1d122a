#include "vterminal/Server.h"

#include "vterminal/Dispatch.h"

#include <algorithm>
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

bool Journal::open(const std::string& path, std::string& error) {
  if (f_.open(path, error)) return true;
  const std::string_view opening = "cannot open ";  // the error names the file after it
  error = "cannot open journal " + error.substr(opening.size());
  return false;
}

// Each line is one write of the whole line, so a reader never sees half of
// one; a line the disk does not take is left out.
void Journal::line(const std::string& text) {
  if (!f_.isOpen()) return;
  std::string whole = text + '\n';
  std::string error;
  f_.append(whole.data(), whole.size(), error);
}

Server::~Server() {
  net::close(client_.fd);
  for (auto& w : waiting_) net::close(w.fd);
  net::close(listenFd_);
  net::close(spareFd_);
}

bool Server::listen(const std::string& address, int port, std::string& error) {
  if (!net::listen(address, port, listenFd_, port_, error)) return false;
  spareFd_ = net::holdSpare();
  return true;
}

void Server::run() {
  std::vector<net::Watch> fds;
  while (!net::stopRequested()) {
    expire();
    fds.clear();
    // No client, or accepting rests: that entry is left out of the wait.
    fds.push_back({nowMs() >= acceptPausedUntil_ ? listenFd_ : net::kNone, false});
    fds.push_back({client_.fd, client_.sending()});
    for (auto& w : waiting_) fds.push_back({w.fd, false});
    int64_t wake = nextDeadline();
    if (!net::wait(fds, wake == kNever ? -1 : std::max<int64_t>(0, wake - nowMs())))
      continue;  // a stop request or a deadline (expire)
    if (fds[1].ready && !client_.sending()) {
      readClient();
    } else if (fds[1].ready) {
      sendAnswer();
      if (client_.fd != net::kNone && !client_.sending())
        handleInput();  // requests already received
    }
    for (size_t k = 2; k < fds.size(); ++k)
      if (fds[k].ready) readWaiting(waiting_[k - 2]);
    std::erase_if(waiting_, [](const Peer& w) { return w.fd == net::kNone; });
    if (fds[0].ready) accept();
  }
  if (client_.fd != net::kNone) closeClient("# terminal stopped");
}

int64_t Server::nextDeadline() const {
  int64_t next = acceptPausedUntil_ > nowMs() ? acceptPausedUntil_ : kNever;
  if (client_.fd != net::kNone) next = std::min(next, client_.deadline);
  for (const auto& w : waiting_) next = std::min(next, w.deadline);
  return next;
}

// Drops whoever let its deadline pass: the client without a hello, without
// taking its answer or without a next request; a waiting connection without
// its hello.
void Server::expire() {
  const int64_t now = nowMs();
  if (client_.fd != net::kNone && now >= client_.deadline) {
    if (client_.sending())
      closeClient("# answer not taken within " + ms(limits_.sendTimeoutMs));
    else if (!client_.greeted)
      closeClient("# no hello within " + ms(limits_.helloTimeoutMs));
    else
      closeClient("# idle for " + ms(limits_.idleTimeoutMs));
  }
  for (auto& w : waiting_) {
    if (now < w.deadline) continue;
    net::close(w.fd);
    w.fd = net::kNone;
  }
  std::erase_if(waiting_, [](const Peer& w) { return w.fd == net::kNone; });
}

void Server::accept() {
  net::Socket fd = net::kNone;
  switch (net::accept(listenFd_, fd)) {
    case net::Accepted::Socket:
      break;
    case net::Accepted::NoDescriptor:
      refuseWithoutDescriptor();
      return;
    case net::Accepted::NoMemory:
      acceptPausedUntil_ = nowMs() + kAcceptRestMs;
      return;
    case net::Accepted::Again:
      return;  // the peer gave up, a signal: the next wake-up tries again
  }
  Peer peer;
  peer.fd = fd;
  peer.deadline = after(limits_.helloTimeoutMs);
  if (client_.fd == net::kNone) {
    client_ = std::move(peer);
  } else if (waiting_.size() < limits_.maxWaiting) {
    waiting_.push_back(std::move(peer));
  } else {
    journal_.line("# connection refused: " + std::to_string(waiting_.size()) +
                  " connections already waiting");
    net::close(fd);
  }
}

// Out of descriptors the pending connection cannot be accepted, and left in
// the backlog it would wake every wait at once. The spare descriptor is given
// up to accept it and hang up; without one, accepting rests a while.
void Server::refuseWithoutDescriptor() {
  journal_.line("# connection refused: out of file descriptors");
  if (spareFd_ != net::kNone) {
    net::close(spareFd_);
    net::acceptAndClose(listenFd_);
    spareFd_ = net::holdSpare();
  }
  if (spareFd_ == net::kNone) acceptPausedUntil_ = nowMs() + kAcceptRestMs;
}

// A connection behind the client: its hello is answered -2 (busy), then it
// is closed; anything else closes it without an answer.
void Server::readWaiting(Peer& w) {
  char buf[4096];
  long n = net::receive(w.fd, buf, sizeof buf);
  if (n == net::kAgain) return;
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
      net::send(w.fd, frame.data(), frame.size());  // 8 bytes: never waits
    }
  }
  if (n <= 0 || whole || len > kMaxRequest) {
    net::close(w.fd);
    w.fd = net::kNone;
  }
}

void Server::readClient() {
  char buf[65536];
  long n = net::receive(client_.fd, buf, sizeof buf);
  if (n == net::kAgain) return;
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
  while (c.fd != net::kNone && !c.sending() && !c.closing && lengthAt(c.in, start, len)) {
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
  if (c.fd != net::kNone) c.in.erase(0, start);
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
    long n = net::send(c.fd, c.out.data() + c.sent, c.out.size() - c.sent);
    if (n > 0) {
      c.sent += static_cast<size_t>(n);
    } else if (n == net::kAgain) {
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
  net::close(client_.fd);
  client_ = Peer{};
  t_.endSession();
  persist();
}

}  // namespace vt
