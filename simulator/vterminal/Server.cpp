#include "vterminal/Server.h"

#include "vterminal/Cp1254.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <ctime>

namespace vt {
namespace {

uint32_t fnv1a(std::string_view data) {
  uint32_t h = 2166136261u;
  for (char c : data) {
    h ^= static_cast<uint8_t>(c);
    h *= 16777619u;
  }
  return h;
}

// Byte blocks appear in the journal as <size:fnv1a-32 in hex>.
std::string blob(std::string_view data) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "<%zu:%08x>", data.size(), fnv1a(data));
  return buf;
}

// Windows-1254 text as a quoted UTF-8 string; '"', '\' and controls escaped.
std::string quote(std::string_view cp1254) {
  std::string out = "\"";
  for (char ch : cp1254ToUtf8(cp1254)) {
    auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20 || c == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", c);
      out += buf;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

std::string number(double v) {
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, res.ptr);
}

template <class... Args>
std::string list(Args... args) {
  std::string out;
  ((out += (out.empty() ? "" : ", ") + std::string(args)), ...);
  return out;
}

std::string str(int32_t v) { return std::to_string(v); }

struct Call {
  std::string name;
  std::string text;  // name(arguments)
  Kind kind = Kind::Lan;
};

// Names the entry point behind a request and formats its arguments.
Call describe(Op op, Reader& r) {
  Call c;
  auto set = [&](const char* name, const std::string& args = {}) {
    c.name = name;
    c.text = c.name + "(" + args + ")";
  };
  switch (op) {
    case Op::Hello: {
      r.i32();  // magic
      c.kind = static_cast<Kind>(r.u8());
      int32_t machine = r.i32(), password = r.i32(), a = r.i32(), b = r.i32();
      int32_t timeout = r.i32(), option = r.i32();
      std::string_view text = r.bytes();
      if (c.kind == Kind::Usb)
        set("FK_ConnectUSB", str(machine));
      else if (c.kind == Kind::Comm)
        set("FK_ConnectComm", list(str(machine), str(a), str(b), quote(text), str(option),
                                   str(timeout)));
      else
        set("FK_ConnectNet", list(str(machine), quote(text), str(a), str(timeout), str(option),
                                  str(password)));
      break;
    }
    case Op::Disconnect: set("FK_DisConnect"); break;
    case Op::EnableDevice: set("FK_EnableDevice", str(r.i32())); break;
    case Op::GetDeviceTime: set("FK_GetDeviceTime"); break;
    case Op::SetDeviceTime: set("FK_SetDeviceTime", number(r.f64())); break;
    case Op::LoadGeneralLog: set("FK_LoadGeneralLogData", str(r.i32())); break;
    case Op::FetchGeneralLog: set("FK_GetGeneralLogData_1"); break;
    case Op::GetBellTime: set("FK_GetBellTime"); break;
    case Op::SetBellTime: {
      int32_t count = r.i32();
      set("FK_SetBellTime", list(str(count), blob(r.bytes())));
      break;
    }
    case Op::GetEnrollData: {
      int32_t n = r.i32(), b = r.i32();
      set("FK_GetEnrollData", list(str(n), str(b)));
      break;
    }
    case Op::PutEnrollData: {
      int32_t n = r.i32(), b = r.i32(), p = r.i32(), pw = r.i32();
      set("FK_PutEnrollData", list(str(n), str(b), str(p), blob(r.bytes()), str(pw)));
      break;
    }
    case Op::SaveEnrollData: set("FK_SaveEnrollData"); break;
    case Op::DeleteEnrollData: {
      int32_t n = r.i32(), b = r.i32();
      set("FK_DeleteEnrollData", list(str(n), str(b)));
      break;
    }
    case Op::EnableUser: {
      int32_t n = r.i32(), b = r.i32(), f = r.i32();
      set("FK_EnableUser", list(str(n), str(b), str(f)));
      break;
    }
    case Op::ModifyPrivilege: {
      int32_t n = r.i32(), b = r.i32(), p = r.i32();
      set("FK_ModifyPrivilege", list(str(n), str(b), str(p)));
      break;
    }
    case Op::BenumbAllManager: set("FK_BenumbAllManager"); break;
    case Op::ReadAllUserId: set("FK_ReadAllUserID"); break;
    case Op::FetchUserIds: set("FK_GetAllUserID"); break;
    case Op::GetUserName: set("FK_GetUserName", str(r.i32())); break;
    case Op::SetUserName: {
      int32_t n = r.i32();
      set("FK_SetUserName", list(str(n), quote(r.bytes())));
      break;
    }
    case Op::EmptyEnrollData: set("FK_EmptyEnrollData"); break;
    case Op::ClearKeeperData: set("FK_ClearKeeperData"); break;
    case Op::IsSupportedEnrollData: set("FK_IsSupportedEnrollData", str(r.i32())); break;
  }
  return c;
}

bool sendAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// The payload of the first complete frame in buf, or nullopt.
std::optional<std::string_view> frameIn(const std::string& buf, size_t& used) {
  if (buf.size() < 4) return std::nullopt;
  uint32_t len = 0;
  std::memcpy(&len, buf.data(), 4);
  if (buf.size() < 4 + size_t(len)) return std::nullopt;
  used = 4 + len;
  return std::string_view(buf.data() + 4, len);
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
  if (clientFd_ >= 0) ::close(clientFd_);
  for (auto& w : waiting_) ::close(w.fd);
  if (listenFd_ >= 0) ::close(listenFd_);
}

bool Server::listen(const std::string& address, int port, std::string& error) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<uint16_t>(port));
  if (::inet_pton(AF_INET, address.c_str(), &sa.sin_addr) != 1) {
    error = "not an IPv4 address: " + address;
    return false;
  }
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int one = 1;
  ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 ||
      ::listen(listenFd_, 8) != 0) {
    error = "cannot listen on " + address + ":" + std::to_string(port) + ": " +
            std::strerror(errno);
    return false;
  }
  socklen_t len = sizeof sa;
  ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&sa), &len);
  port_ = ntohs(sa.sin_port);
  return true;
}

void Server::run(volatile std::sig_atomic_t& stop) {
  stop_ = &stop;
  std::vector<pollfd> fds;
  while (!stop) {
    fds.clear();
    fds.push_back({listenFd_, POLLIN, 0});
    const bool hadClient = clientFd_ >= 0;
    if (hadClient) fds.push_back({clientFd_, POLLIN, 0});
    for (auto& w : waiting_) fds.push_back({w.fd, POLLIN, 0});
    if (::poll(fds.data(), fds.size(), -1) < 0) continue;  // EINTR: look at stop
    size_t i = hadClient ? 2 : 1;
    if (hadClient && fds[1].revents) readClient();
    // Refused clients are only marked here and dropped after the walk.
    for (size_t k = i; k < fds.size(); ++k)
      if (fds[k].revents) readWaiting(waiting_[k - i]);
    std::erase_if(waiting_, [](const Waiting& w) { return w.fd < 0; });
    if (fds[0].revents) accept();
  }
  if (clientFd_ >= 0) closeClient("terminal stopped");
}

void Server::accept() {
  int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) return;
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (clientFd_ < 0) {
    clientFd_ = fd;
    greeted_ = false;
    in_.clear();
  } else {
    waiting_.push_back({fd, {}});
  }
}

void Server::readWaiting(Waiting& w) {
  char buf[4096];
  ssize_t n = ::recv(w.fd, buf, sizeof buf, MSG_DONTWAIT);
  if (n > 0) w.in.append(buf, static_cast<size_t>(n));
  size_t used = 0;
  auto payload = frameIn(w.in, used);
  if (payload) {
    Reader r(payload->data(), payload->size());
    if (static_cast<Op>(r.u8()) == Op::Hello) {
      journal_.line(describe(Op::Hello, r).text + " = -2 busy");
      Writer reply;
      reply.i32(rc::NoOpenComm);
      sendAll(w.fd, reply.frame());
    }
  }
  if (payload || n == 0 || w.in.size() > 65536 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
    ::close(w.fd);
    w.fd = -1;
  }
}

void Server::readClient() {
  char buf[65536];
  ssize_t n = ::recv(clientFd_, buf, sizeof buf, MSG_DONTWAIT);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
  if (n <= 0) {
    closeClient("connection closed by the client");
    return;
  }
  in_.append(buf, static_cast<size_t>(n));
  size_t start = 0;
  while (in_.size() - start >= 4) {
    uint32_t len = 0;
    std::memcpy(&len, in_.data() + start, 4);
    if (len > kMaxFrame) {
      closeClient("oversized request");
      return;
    }
    if (in_.size() - start < 4 + size_t(len)) break;
    bool keep = handle(std::string_view(in_.data() + start + 4, len));
    start += 4 + size_t(len);
    if (!keep) {
      closeClient(nullptr);
      return;
    }
  }
  in_.erase(0, start);
}

void Server::closeClient(const char* why) {
  if (why) journal_.line(std::string("# ") + why);
  ::close(clientFd_);
  clientFd_ = -1;
  greeted_ = false;
  in_.clear();
  t_.endSession();
  persist();
}

void Server::persist() {
  if (!file_ || !t_.changes.any()) return;
  std::string error;
  if (!file_->save(t_.s, t_.changes, error)) {
    std::fprintf(stderr, "vterminal: %s\n", error.c_str());
    journal_.line("# state not saved: " + error);
  }
}

void Server::pause(volatile std::sig_atomic_t& stop) const {
  timespec left{faults_.latencyMs / 1000, (faults_.latencyMs % 1000) * 1000000L};
  while (!stop && (left.tv_sec > 0 || left.tv_nsec > 0) && nanosleep(&left, &left) != 0) {
  }
}

bool Server::answer(const std::string& call, int32_t code, Writer& reply, const std::string& outs) {
  persist();
  journal_.line(call + " = " + std::to_string(code) + (outs.empty() ? "" : " " + outs));
  return sendAll(clientFd_, reply.frame());
}

bool Server::handle(std::string_view payload) {
  Reader r(payload.data(), payload.size());
  Op op = static_cast<Op>(r.u8());
  if (op < Op::Hello || op > Op::IsSupportedEnrollData) {
    journal_.line("# unknown request");
    return false;
  }
  if (!greeted_ && op != Op::Hello) {
    journal_.line("# request before the connect");
    return false;
  }
  Reader args = r;
  Call call = describe(op, args);
  if (!args.ok()) {
    journal_.line("# malformed " + call.name + " request");
    return false;
  }
  if (faults_.latencyMs > 0) pause(*stop_);

  Writer reply;
  if (auto f = faults_.take(call.name)) {
    if (f->drop) {
      journal_.line(call.text + " = dropped");
      return false;
    }
    reply.i32(f->code);
    greeted_ = op == Op::Hello ? f->code == rc::Ok : greeted_;
    return answer(call.text, f->code, reply) && greeted_ && op != Op::Disconnect;
  }

  int32_t code = rc::Ok;
  std::string outs;
  switch (op) {
    case Op::Hello: {
      int32_t magic = r.i32();
      auto kind = static_cast<Kind>(r.u8());
      int32_t machine = r.i32(), password = r.i32();
      code = magic != kMagic ? rc::Unknown : t_.hello(kind, machine, password);
      greeted_ = code == rc::Ok;
      reply.i32(code);
      return answer(call.text, code, reply) && greeted_;
    }
    case Op::Disconnect:
      reply.i32(code);
      answer(call.text, code, reply);
      return false;
    case Op::EnableDevice:
      code = t_.enableDevice(r.i32());
      reply.i32(code);
      break;
    case Op::GetDeviceTime: {
      double now = t_.deviceTime();
      reply.i32(code);
      reply.f64(now);
      outs = "time=" + number(now);
      break;
    }
    case Op::SetDeviceTime:
      code = t_.setDeviceTime(r.f64());
      reply.i32(code);
      break;
    case Op::LoadGeneralLog: {
      size_t available = 0;
      code = t_.loadLog(r.i32(), available);
      reply.i32(code);
      outs = "records=" + std::to_string(available);
      break;
    }
    case Op::FetchGeneralLog: {
      size_t max = static_cast<size_t>(std::max(1, r.i32()));
      if (faults_.dropWalkAfter >= 0) {
        size_t sent = t_.logWalkSent();
        if (sent >= static_cast<size_t>(faults_.dropWalkAfter)) {
          journal_.line(call.text + " = dropped");
          return false;
        }
        max = std::min(max, static_cast<size_t>(faults_.dropWalkAfter) - sent);
      }
      const LogRecord* first = nullptr;
      size_t n = 0;
      code = t_.fetchLog(max, first, n);
      reply.i32(code);
      if (code == rc::Ok) {
        reply.u32(static_cast<uint32_t>(n));
        reply.raw(first, n * sizeof(LogRecord));
        outs = "records=" + std::to_string(n);
      }
      break;
    }
    case Op::GetBellTime: {
      int32_t count = 0;
      std::array<uint8_t, kBellBlockSize> block{};
      code = t_.bells(count, block);
      reply.i32(code);
      reply.i32(count);
      reply.bytes(block.data(), block.size());
      outs = "count=" + str(count) + " block=" +
             blob(std::string_view(reinterpret_cast<const char*>(block.data()), block.size()));
      break;
    }
    case Op::SetBellTime: {
      int32_t count = r.i32();
      std::string_view block = r.bytes();
      code = block.size() == size_t(kBellBlockSize)
                 ? t_.setBells(count, reinterpret_cast<const uint8_t*>(block.data()))
                 : rc::Parameter;
      reply.i32(code);
      break;
    }
    case Op::GetEnrollData: {
      int32_t n = r.i32(), b = r.i32(), privilege = 0, password = 0;
      const std::vector<uint8_t>* tpl = nullptr;
      code = t_.getEnroll(n, b, privilege, password, tpl);
      reply.i32(code);
      if (code == rc::Ok) {
        std::string_view data(reinterpret_cast<const char*>(tpl->data()), tpl->size());
        reply.i32(privilege);
        reply.i32(password);
        reply.bytes(data);
        outs = "privilege=" + str(privilege) + " password=" + str(password) + " data=" + blob(data);
      }
      break;
    }
    case Op::PutEnrollData: {
      int32_t n = r.i32(), b = r.i32(), p = r.i32(), pw = r.i32();
      code = t_.putEnroll(n, b, p, pw, r.bytes());
      reply.i32(code);
      break;
    }
    case Op::SaveEnrollData:  // every change is kept at once
      reply.i32(code);
      break;
    case Op::DeleteEnrollData: {
      int32_t n = r.i32(), b = r.i32();
      code = t_.deleteEnroll(n, b);
      reply.i32(code);
      break;
    }
    case Op::EnableUser: {
      int32_t n = r.i32(), b = r.i32(), f = r.i32();
      code = t_.enableUser(n, b, f);
      reply.i32(code);
      break;
    }
    case Op::ModifyPrivilege: {
      int32_t n = r.i32(), b = r.i32(), p = r.i32();
      code = t_.modifyPrivilege(n, b, p);
      reply.i32(code);
      break;
    }
    case Op::BenumbAllManager:
      code = t_.benumbAllManager();
      reply.i32(code);
      break;
    case Op::ReadAllUserId: {
      size_t count = 0;
      code = t_.readAllUserIds(count);
      reply.i32(code);
      outs = "entries=" + std::to_string(count);
      break;
    }
    case Op::FetchUserIds: {
      size_t max = static_cast<size_t>(std::max(1, r.i32()));
      if (faults_.dropWalkAfter >= 0) {
        size_t sent = t_.userWalkSent();
        if (sent >= static_cast<size_t>(faults_.dropWalkAfter)) {
          journal_.line(call.text + " = dropped");
          return false;
        }
        max = std::min(max, static_cast<size_t>(faults_.dropWalkAfter) - sent);
      }
      const int32_t* first = nullptr;
      size_t n = 0;
      code = t_.fetchUserIds(max, first, n);
      reply.i32(code);
      if (code == rc::Ok) {
        reply.u32(static_cast<uint32_t>(n));
        reply.raw(first, n * kUserInts * 4);
        outs = "entries=" + std::to_string(n);
      }
      break;
    }
    case Op::GetUserName: {
      std::string name;
      code = t_.userName(r.i32(), name);
      reply.i32(code);
      if (code == rc::Ok) {
        reply.bytes(name);
        outs = "name=" + quote(name);
      }
      break;
    }
    case Op::SetUserName: {
      int32_t n = r.i32();
      code = t_.setUserName(n, r.bytes());
      reply.i32(code);
      break;
    }
    case Op::EmptyEnrollData:
    case Op::ClearKeeperData:  // both clear users, templates and names; records stay
      code = t_.emptyEnrollData();
      reply.i32(code);
      break;
    case Op::IsSupportedEnrollData: {
      int32_t supported = 0;
      code = t_.isSupported(r.i32(), supported);
      reply.i32(code);
      reply.i32(supported);
      outs = "supported=" + str(supported);
      break;
    }
  }
  return answer(call.text, code, reply, outs);
}

}  // namespace vt
