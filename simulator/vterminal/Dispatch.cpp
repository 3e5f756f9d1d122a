// Decoding and answering of the requests: what each entry point does to the
// terminal, and the journal line of each call.
#include "vterminal/Dispatch.h"

#include "vterminal/Cp1254.h"
#include "vterminal/Server.h"

#include <algorithm>
#include <charconv>
#include <chrono>
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

std::string str(int32_t v) {
  return std::to_string(v);
}

}  // namespace

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
        set("FK_ConnectComm",
            list(str(machine), str(a), str(b), quote(text), str(option), str(timeout)));
      else
        set("FK_ConnectNet",
            list(str(machine), quote(text), str(a), str(timeout), str(option), str(password)));
      break;
    }
    case Op::Disconnect:
      set("FK_DisConnect");
      break;
    case Op::EnableDevice:
      set("FK_EnableDevice", str(r.i32()));
      break;
    case Op::GetDeviceTime:
      set("FK_GetDeviceTime");
      break;
    case Op::SetDeviceTime:
      set("FK_SetDeviceTime", number(r.f64()));
      break;
    case Op::LoadGeneralLog:
      set("FK_LoadGeneralLogData", str(r.i32()));
      break;
    case Op::FetchGeneralLog:
      set("FK_GetGeneralLogData_1");
      break;
    case Op::GetBellTime:
      set("FK_GetBellTime");
      break;
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
    case Op::SaveEnrollData:
      set("FK_SaveEnrollData");
      break;
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
    case Op::BenumbAllManager:
      set("FK_BenumbAllManager");
      break;
    case Op::ReadAllUserId:
      set("FK_ReadAllUserID");
      break;
    case Op::FetchUserIds:
      set("FK_GetAllUserID");
      break;
    case Op::GetUserName:
      set("FK_GetUserName", str(r.i32()));
      break;
    case Op::SetUserName: {
      int32_t n = r.i32();
      set("FK_SetUserName", list(str(n), quote(r.bytes())));
      break;
    }
    case Op::EmptyEnrollData:
      set("FK_EmptyEnrollData");
      break;
    case Op::ClearKeeperData:
      set("FK_ClearKeeperData");
      break;
    case Op::IsSupportedEnrollData:
      set("FK_IsSupportedEnrollData", str(r.i32()));
      break;
    case Op::EmptyGeneralLogData:
      set("FK_EmptyGeneralLogData");
      break;
  }
  return c;
}

void Server::persist() {
  if (!file_ || !t_.changes.any()) return;
  std::string error;
  if (!file_->save(t_.s, t_.changes, error)) {
    std::fprintf(stderr, "vterminal: %s\n", error.c_str());
    journal_.line("# state not saved: " + error);
  }
}

// The injected latency. Nobody is served meanwhile (new connections wait in
// the backlog); a stop signal ends the wait at once.
void Server::pause() const {
  using namespace std::chrono;
  const auto until = steady_clock::now() + milliseconds(faults_.latencyMs);
  std::vector<net::Watch> nothing;
  while (!net::stopRequested()) {
    auto rest = ceil<milliseconds>(until - steady_clock::now()).count();
    if (rest <= 0) break;
    net::wait(nothing, rest);
  }
}

// The journal line goes out (and the state is saved) before the answer does.
bool Server::answer(const std::string& call, int32_t code, Writer& reply, const std::string& outs) {
  persist();
  journal_.line(call + " = " + std::to_string(code) + (outs.empty() ? "" : " " + outs));
  queue(reply);
  return true;
}

// --drop-walk-after: a walk that already handed out K items is hung up on;
// otherwise the fetch is cut so the walk stops at exactly K.
bool Server::limitWalk(size_t sent, size_t& max) const {
  if (faults_.dropWalkAfter < 0) return true;
  const auto limit = static_cast<size_t>(faults_.dropWalkAfter);
  if (sent >= limit) return false;
  max = std::min(max, limit - sent);
  return true;
}

bool Server::handle(std::string_view payload) {
  Reader r(payload.data(), payload.size());
  Op op = static_cast<Op>(r.u8());
  if (op < Op::Hello || op > Op::EmptyGeneralLogData) {
    journal_.line("# unknown request");
    return false;
  }
  if (!client_.greeted && op != Op::Hello) {
    journal_.line("# request before the connect");
    return false;
  }
  Reader args = r;
  Call call = describe(op, args);
  if (!args.ok()) {
    journal_.line("# malformed " + call.name + " request");
    return false;
  }
  Writer reply;
  if (op == Op::Hello && !isKnownKind(call.kind)) {
    journal_.line("# hello of unknown connection kind " + str(static_cast<uint8_t>(call.kind)));
    reply.i32(rc::Unknown);
    queue(reply);
    return false;
  }
  if (faults_.latencyMs > 0) pause();

  if (auto f = faults_.take(call.name)) {
    if (f->drop) {
      journal_.line(call.text + " = dropped");
      return false;
    }
    reply.i32(f->code);
    if (op == Op::Hello) client_.greeted = f->code == rc::Ok;
    return answer(call.text, f->code, reply) && client_.greeted && op != Op::Disconnect;
  }

  int32_t code = rc::Ok;
  std::string outs;
  switch (op) {
    case Op::Hello: {
      int32_t magic = r.i32();
      auto kind = static_cast<Kind>(r.u8());
      int32_t machine = r.i32(), password = r.i32();
      code = magic != kMagic ? rc::Unknown : t_.hello(kind, machine, password);
      client_.greeted = code == rc::Ok;
      reply.i32(code);
      return answer(call.text, code, reply) && client_.greeted;
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
      t_.acknowledgeLog();
      size_t max = static_cast<size_t>(std::clamp(r.i32(), 1, kMaxFetch));
      if (!limitWalk(t_.logWalkSent(), max)) {
        journal_.line(call.text + " = dropped");
        return false;
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
      size_t max = static_cast<size_t>(std::clamp(r.i32(), 1, kMaxFetch));
      if (!limitWalk(t_.userWalkSent(), max)) {
        journal_.line(call.text + " = dropped");
        return false;
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
    case Op::EmptyGeneralLogData:
      code = t_.emptyGeneralLog();
      reply.i32(code);
      break;
  }
  return answer(call.text, code, reply, outs);
}

}  // namespace vt
