#include "lib/Connection.h"

#include <cstdlib>
#include <map>

namespace fk {
namespace {

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

Connection::~Connection() {
  close();
}

void Connection::close() {
  net::closeSocket(fd_);
  fd_ = net::kNoSocket;
  logs.clear();
  users.clear();
  logPos = userPos = 0;
}

int32_t Connection::open(const Endpoint& ep, int timeoutMs, vt::Writer& hello,
                         std::shared_ptr<Connection>& out) {
  if (timeoutMs <= 0) timeoutMs = kDefaultTimeoutMs;
  net::Socket fd = net::connectWithin(ep.host, ep.port, net::nowMs() + timeoutMs);
  if (fd == net::kNoSocket) return vt::rc::NoOpenComm;
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
  return net::sendAll(fd_, data.data(), data.size(), deadline);
}

bool Connection::recvAll(char* p, size_t n, int64_t deadline) {
  return net::recvAll(fd_, p, n, deadline);
}

int32_t Connection::call(vt::Writer& request, vt::Reader& reply) {
  if (fd_ == net::kNoSocket) return vt::rc::NoOpenComm;
  int64_t deadline = net::nowMs() + timeoutMs_;
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
