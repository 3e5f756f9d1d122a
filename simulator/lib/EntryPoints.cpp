// The entry points the program calls, implemented over the vterminal
// protocol. Every other name of the library is a stub (Stubs.cpp).
#include "lib/Connection.h"
#include "lib/Export.h"
#include "sdk/FKEntryPoints.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

using vt::Op;
using vt::Reader;
using vt::Writer;
namespace rc = vt::rc;

namespace {

// The mark by which the program tells this library from a vendor's, to say
// that it talks to demo terminals only; kept in the file although nothing
// here reads it.
[[gnu::used]] const char kStandInMark[] = FK_STAND_IN_MARK;

// Runs f(connection) for an open handle; unknown or closed handles get -2.
template <class F>
int32_t withConnection(int handle, F&& f) {
  auto c = fk::findConnection(handle);
  if (!c) return rc::NoOpenComm;
  std::lock_guard lock(c->mutex);
  if (!c->isOpen()) return rc::NoOpenComm;
  return f(*c);
}

// The code of an answer whose values have been read: a successful answer must
// hold exactly those values. A short or overlong one comes from a broken peer:
// the connection is closed and the caller gets -4 and nothing else.
int32_t checked(fk::Connection& c, const Reader& r, int32_t code) {
  if (code != rc::Ok || (r.ok() && r.left() == 0)) return code;
  c.close();
  return rc::ReadError;
}

// Sends a request and reads an answer that holds the result code only.
int32_t codeOnly(fk::Connection& c, Writer& w) {
  Reader r;
  int32_t code = c.call(w, r);
  return checked(c, r, code);
}

// A request without out values: the result code is all.
template <class... Args>
int32_t simpleCall(int handle, Op op, Args... args) {
  return withConnection(handle, [&](fk::Connection& c) {
    Writer w(op);
    (w.i32(args), ...);
    return codeOnly(c, w);
  });
}

// At most n bytes of text: the terminal keeps no more, and a request must
// stay within the largest one the terminal accepts.
std::string_view upTo(const char* text, size_t n) {
  std::string_view v = text ? std::string_view(text) : std::string_view();
  return v.substr(0, n);
}

int32_t connectTo(const fk::Endpoint& ep, int timeoutMs, vt::Kind kind, int machine, int password,
                  int a, int b, int option, const char* text) {
  Writer w(Op::Hello);
  w.i32(vt::kMagic);
  w.u8(static_cast<uint8_t>(kind));
  w.i32(machine);
  w.i32(password);
  w.i32(a);
  w.i32(b);
  w.i32(timeoutMs);
  w.i32(option);
  w.bytes(upTo(text, vt::kTextMax));
  std::shared_ptr<fk::Connection> c;
  int32_t code = fk::Connection::open(ep, timeoutMs, w, c);
  return code == rc::Ok ? fk::registerConnection(std::move(c)) : code;
}

// Fills the caller's buffer from the next chunk of a bulk walk, fetching a
// new chunk when the held one is used up.
int32_t nextFromWalk(fk::Connection& c, Op fetchOp, std::vector<int32_t>& buf, size_t& pos,
                     size_t width, int32_t* const* outs) {
  if (pos >= buf.size()) {
    Writer w(fetchOp);
    w.i32(vt::kMaxFetch);
    Reader r;
    int32_t code = c.call(w, r);
    if (code != rc::Ok) return code;
    uint32_t n = r.u32();
    std::string_view data = r.raw(size_t(n) * width * 4);
    if (checked(c, r, code) != rc::Ok) return rc::ReadError;
    if (n == 0 || n > uint32_t(vt::kMaxFetch)) {
      c.close();
      return rc::ReadError;
    }
    buf.resize(size_t(n) * width);
    std::memcpy(buf.data(), data.data(), data.size());
    pos = 0;
  }
  for (size_t i = 0; i < width; ++i)
    if (outs[i]) *outs[i] = buf[pos + i];
  pos += width;
  return rc::Ok;
}

}  // namespace

FK_EXPORT int FK_API FK_ConnectNet(int MachineNumber, const char* IpAddress, int TcpPort,
                                   int Timeout, int NetOption, int NetPassword) {
  fk::Endpoint ep{IpAddress ? IpAddress : "", TcpPort};
  return connectTo(ep, Timeout, vt::Kind::Lan, MachineNumber, NetPassword, TcpPort, 0, NetOption,
                   IpAddress);
}

FK_EXPORT int FK_API FK_ConnectUSB(int MachineNumber) {
  return connectTo(fk::usbEndpoint(), fk::kDefaultTimeoutMs, vt::Kind::Usb, MachineNumber, 0, 0, 0,
                   0, nullptr);
}

FK_EXPORT int FK_API FK_ConnectComm(int MachineNumber, int Port, int BaudRate, const char* CommText,
                                    int CommOption, int Timeout) {
  return connectTo(fk::commEndpoint(Port), Timeout, vt::Kind::Comm, MachineNumber, 0, Port,
                   BaudRate, CommOption, CommText);
}

FK_EXPORT int FK_API FK_DisConnect(int Handle) {
  auto c = fk::takeConnection(Handle);
  if (!c) return rc::NoOpenComm;
  std::lock_guard lock(c->mutex);
  if (c->isOpen()) {
    Writer w(Op::Disconnect);
    codeOnly(*c, w);
    c->close();
  }
  return rc::Ok;
}

FK_EXPORT int FK_API FK_EnableDevice(int Handle, int EnableFlag) {
  return simpleCall(Handle, Op::EnableDevice, EnableFlag);
}

FK_EXPORT int FK_API FK_GetDeviceTime(int Handle, double* DateTime) {
  if (!DateTime) return rc::Parameter;
  return withConnection(Handle, [&](fk::Connection& c) {
    Writer w(Op::GetDeviceTime);
    Reader r;
    int32_t code = c.call(w, r);
    double time = r.f64();
    code = checked(c, r, code);
    if (code == rc::Ok) *DateTime = time;
    return code;
  });
}

FK_EXPORT int FK_API FK_SetDeviceTime(int Handle, double DateTime) {
  return withConnection(Handle, [&](fk::Connection& c) {
    Writer w(Op::SetDeviceTime);
    w.f64(DateTime);
    return codeOnly(c, w);
  });
}

FK_EXPORT int FK_API FK_LoadGeneralLogData(int Handle, int ReadMark) {
  return withConnection(Handle, [&](fk::Connection& c) {
    c.logs.clear();
    c.logPos = 0;
    Writer w(Op::LoadGeneralLog);
    w.i32(ReadMark);
    return codeOnly(c, w);
  });
}

FK_EXPORT int FK_API FK_GetGeneralLogData_1(int Handle, int* EnrollNumber, int* VerifyMode,
                                            int* InOutMode, int* Year, int* Month, int* Day,
                                            int* Hour, int* Minute, int* Second) {
  int32_t* outs[vt::kRecordInts] = {EnrollNumber, VerifyMode, InOutMode, Year,  Month,
                                    Day,          Hour,       Minute,    Second};
  return withConnection(Handle, [&](fk::Connection& c) {
    return nextFromWalk(c, Op::FetchGeneralLog, c.logs, c.logPos, vt::kRecordInts, outs);
  });
}

FK_EXPORT int FK_API FK_GetBellTime(int Handle, int* BellCount, unsigned char* BellBlock) {
  if (!BellCount || !BellBlock) return rc::Parameter;
  return withConnection(Handle, [&](fk::Connection& c) {
    Writer w(Op::GetBellTime);
    Reader r;
    int32_t code = c.call(w, r);
    if (code != rc::Ok) return code;
    int32_t count = r.i32();
    std::string_view block = r.bytes();
    if (checked(c, r, code) != rc::Ok) return rc::ReadError;
    if (block.size() != size_t(vt::kBellBlockSize)) {
      c.close();
      return rc::ReadError;
    }
    *BellCount = count;
    std::memcpy(BellBlock, block.data(), block.size());
    return code;
  });
}

FK_EXPORT int FK_API FK_SetBellTime(int Handle, int BellCount, unsigned char* BellBlock) {
  if (!BellBlock) return rc::Parameter;
  return withConnection(Handle, [&](fk::Connection& c) {
    Writer w(Op::SetBellTime);
    w.i32(BellCount);
    w.bytes(BellBlock, vt::kBellBlockSize);
    return codeOnly(c, w);
  });
}

FK_EXPORT int FK_API FK_GetEnrollData(int Handle, int EnrollNumber, int BackupNumber,
                                      int* Privilege, unsigned char* EnrollData,
                                      int* PasswordValue) {
  if (!EnrollData) return rc::Parameter;
  return withConnection(Handle, [&](fk::Connection& c) {
    Writer w(Op::GetEnrollData);
    w.i32(EnrollNumber);
    w.i32(BackupNumber);
    Reader r;
    int32_t code = c.call(w, r);
    if (code != rc::Ok) return code;
    int32_t privilege = r.i32();
    int32_t password = r.i32();
    std::string_view data = r.bytes();
    if (checked(c, r, code) != rc::Ok) return rc::ReadError;
    // The caller's buffer holds templateSize(backup) bytes: a template of
    // another size would overrun it or leave part of it stale.
    if (data.size() != size_t(vt::templateSize(BackupNumber))) {
      c.close();
      return rc::ReadError;
    }
    std::memcpy(EnrollData, data.data(), data.size());
    if (Privilege) *Privilege = privilege;
    if (PasswordValue) *PasswordValue = password;
    return code;
  });
}

FK_EXPORT int FK_API FK_PutEnrollData(int Handle, int EnrollNumber, int BackupNumber, int Privilege,
                                      unsigned char* EnrollData, int PasswordValue) {
  if (!EnrollData) return rc::Parameter;
  return withConnection(Handle, [&](fk::Connection& c) {
    Writer w(Op::PutEnrollData);
    w.i32(EnrollNumber);
    w.i32(BackupNumber);
    w.i32(Privilege);
    w.i32(PasswordValue);
    w.bytes(EnrollData, size_t(vt::templateSize(BackupNumber)));
    return codeOnly(c, w);
  });
}

FK_EXPORT int FK_API FK_SaveEnrollData(int Handle) {
  return simpleCall(Handle, Op::SaveEnrollData);
}

FK_EXPORT int FK_API FK_DeleteEnrollData(int Handle, int EnrollNumber, int BackupNumber) {
  return simpleCall(Handle, Op::DeleteEnrollData, EnrollNumber, BackupNumber);
}

FK_EXPORT int FK_API FK_EnableUser(int Handle, int EnrollNumber, int BackupNumber, int EnableFlag) {
  return simpleCall(Handle, Op::EnableUser, EnrollNumber, BackupNumber, EnableFlag);
}

FK_EXPORT int FK_API FK_ModifyPrivilege(int Handle, int EnrollNumber, int BackupNumber,
                                        int Privilege) {
  return simpleCall(Handle, Op::ModifyPrivilege, EnrollNumber, BackupNumber, Privilege);
}

FK_EXPORT int FK_API FK_BenumbAllManager(int Handle) {
  return simpleCall(Handle, Op::BenumbAllManager);
}

FK_EXPORT int FK_API FK_ReadAllUserID(int Handle) {
  return withConnection(Handle, [&](fk::Connection& c) {
    c.users.clear();
    c.userPos = 0;
    Writer w(Op::ReadAllUserId);
    return codeOnly(c, w);
  });
}

FK_EXPORT int FK_API FK_GetAllUserID(int Handle, int* EnrollNumber, int* BackupNumber,
                                     int* Privilege, int* EnableFlag) {
  int32_t* outs[vt::kUserInts] = {EnrollNumber, BackupNumber, Privilege, EnableFlag};
  return withConnection(Handle, [&](fk::Connection& c) {
    return nextFromWalk(c, Op::FetchUserIds, c.users, c.userPos, vt::kUserInts, outs);
  });
}

FK_EXPORT int FK_API FK_GetUserName(int Handle, int EnrollNumber, char** UserName) {
  if (!UserName || !*UserName) return rc::Parameter;
  return withConnection(Handle, [&](fk::Connection& c) {
    Writer w(Op::GetUserName);
    w.i32(EnrollNumber);
    Reader r;
    int32_t code = c.call(w, r);
    if (code != rc::Ok) return code;
    std::string_view name = r.bytes();
    if (checked(c, r, code) != rc::Ok) return rc::ReadError;
    // The caller's buffer is FK_USER_NAME_BUFFER bytes; keep room for the NUL.
    size_t n = std::min(name.size(), size_t(FK_USER_NAME_BUFFER - 1));
    std::memcpy(*UserName, name.data(), n);
    (*UserName)[n] = '\0';
    return code;
  });
}

FK_EXPORT int FK_API FK_SetUserName(int Handle, int EnrollNumber, const char* UserName) {
  if (!UserName) return rc::Parameter;
  return withConnection(Handle, [&](fk::Connection& c) {
    Writer w(Op::SetUserName);
    w.i32(EnrollNumber);
    w.bytes(upTo(UserName, vt::kUserNameMax));
    return codeOnly(c, w);
  });
}

FK_EXPORT int FK_API FK_EmptyEnrollData(int Handle) {
  return simpleCall(Handle, Op::EmptyEnrollData);
}

FK_EXPORT int FK_API FK_ClearKeeperData(int Handle) {
  return simpleCall(Handle, Op::ClearKeeperData);
}

FK_EXPORT int FK_API FK_EmptyGeneralLogData(int Handle) {
  return simpleCall(Handle, Op::EmptyGeneralLogData);
}

FK_EXPORT int FK_API FK_IsSupportedEnrollData(int Handle, int BackupNumber, int* Supported) {
  if (!Supported) return rc::Parameter;
  return withConnection(Handle, [&](fk::Connection& c) {
    Writer w(Op::IsSupportedEnrollData);
    w.i32(BackupNumber);
    Reader r;
    int32_t code = c.call(w, r);
    int32_t supported = r.i32();
    code = checked(c, r, code);
    if (code == rc::Ok) *Supported = supported;
    return code;
  });
}

// Each definition above has exactly the signature the binding resolves.
#define FK_CHECK_SIGNATURE(name, params) \
  static_assert(std::is_same_v<decltype(&name), name##_t>, #name " differs from its contract");
FK_CALLED_ENTRY_POINTS(FK_CHECK_SIGNATURE)
#undef FK_CHECK_SIGNATURE
