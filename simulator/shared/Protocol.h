// Wire protocol between the stand-in terminal libraries and vterminal.
// Plain C++ (no Qt): the libraries include it too. PROTOCOL.md describes it.
//
// Its frames are its own on purpose, not those of sdk/FKWire.h: vterminal
// is a separate program that plays the terminal, reached over TCP as a
// terminal is, while FKWire carries the binding's calls to the host
// process; the two change for different reasons. What they share, the
// sizes of the SDK's buffers, comes from the one table, sdk/FKEntryPoints.h.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "sdk/FKEntryPoints.h"

static_assert(std::endian::native == std::endian::little,
              "the wire format is the host's little-endian layout");

namespace vt {

// First word of every hello; a peer speaking another revision is refused.
constexpr int32_t kMagic = 0x56540001;
constexpr int kRecordInts = 9;  // enroll, verify, in/out, year, month, day, hour, minute, second
constexpr int kUserInts = 4;    // enroll, backup, privilege, enabled
constexpr int kBellBlockSize = FK_BELL_BLOCK_SIZE;
constexpr int kUserNameMax = 255;  // bytes, without the closing NUL
constexpr int kTextMax = 255;      // bytes of the hello's address or serial text
constexpr int kMaxFetch = 16384;   // entries one bulk fetch hands over at most

// Result codes, as the terminal reports them: the SDK's own, defined once
// in FKResult (sdk/FKEntryPoints.h), under the short names used here.
namespace rc {
constexpr int32_t Ok = FKResult::Success;
constexpr int32_t NoSupport = FKResult::NoSupport;
constexpr int32_t Unknown = FKResult::UnknownError;  // also: wrong machine number
constexpr int32_t NoOpenComm = FKResult::NoOpenComm;
constexpr int32_t ReadError = FKResult::ReadError;  // connection lost or timed out during a call
constexpr int32_t Parameter = FKResult::ParameterError;
constexpr int32_t EndOfData = FKResult::EndOfData;
constexpr int32_t NoData = FKResult::NoData;
constexpr int32_t WrongPassword = FKResult::WrongPassword;
constexpr int32_t Full = FKResult::EnrollDataFull;
}  // namespace rc

enum class Kind : uint8_t { Lan = 0, Usb = 1, Comm = 2 };
constexpr bool isKnownKind(Kind k) {
  return k == Kind::Lan || k == Kind::Usb || k == Kind::Comm;
}

enum class Op : uint8_t {
  Hello = 1,
  Disconnect,
  EnableDevice,
  GetDeviceTime,
  SetDeviceTime,
  LoadGeneralLog,
  FetchGeneralLog,
  GetBellTime,
  SetBellTime,
  GetEnrollData,
  PutEnrollData,
  SaveEnrollData,
  DeleteEnrollData,
  EnableUser,
  ModifyPrivilege,
  BenumbAllManager,
  ReadAllUserId,
  FetchUserIds,
  GetUserName,
  SetUserName,
  EmptyEnrollData,
  ClearKeeperData,
  IsSupportedEnrollData,
  EmptyGeneralLogData,  // added last: the earlier codes keep their values
};

// Template bytes the terminal keeps for one enroll item, by backup number.
constexpr int templateSize(int backupNumber) {
  return FK_TemplateSize(backupNumber);
}

// Backup numbers the terminal accepts: fingerprints 0-9, password 10, card 11,
// face 12, vein 13, second password 15, palm 20.
constexpr bool isSupportedBackup(int backupNumber) {
  return (backupNumber >= 0 && backupNumber <= 13) || backupNumber == 15 || backupNumber == 20;
}

// The largest payloads. A peer's length word above them means a broken or
// hostile peer, so nothing larger is ever buffered: the largest request is
// FK_PutEnrollData with a face template, the largest answer a full walk fetch.
constexpr uint32_t kMaxRequest = 1 + 4 * 4 + 4 + templateSize(12);
constexpr uint32_t kMaxAnswer = 4 + 4 + kMaxFetch * kRecordInts * 4;
static_assert(kMaxRequest >= 1 + 4 + 1 + 6 * 4 + 4 + kTextMax, "a hello fits");
static_assert(kMaxRequest >= 1 + 4 + 4 + kUserNameMax, "a name fits");
static_assert(kMaxRequest >= 1 + 4 + 4 + kBellBlockSize, "a bell block fits");

// Builds one frame: a 4-byte payload length, then the payload.
class Writer {
 public:
  Writer() { buf_.resize(4); }
  explicit Writer(Op op) : Writer() { u8(static_cast<uint8_t>(op)); }
  void u8(uint8_t v) { buf_.push_back(static_cast<char>(v)); }
  void i32(int32_t v) { raw(&v, 4); }
  void u32(uint32_t v) { raw(&v, 4); }
  void f64(double v) { raw(&v, 8); }
  void raw(const void* p, size_t n) { buf_.append(static_cast<const char*>(p), n); }
  void bytes(const void* p, size_t n) {  // length-prefixed
    u32(static_cast<uint32_t>(n));
    raw(p, n);
  }
  void bytes(std::string_view s) { bytes(s.data(), s.size()); }
  // Reserves room for n bytes at the end and returns where they start.
  char* grow(size_t n) {
    size_t at = buf_.size();
    buf_.resize(at + n);
    return buf_.data() + at;
  }
  // The finished frame with its length word filled in.
  const std::string& frame() {
    uint32_t n = static_cast<uint32_t>(buf_.size() - 4);
    std::memcpy(buf_.data(), &n, 4);
    return buf_;
  }
  // The finished frame, moved out (a walk answer is large; no copy).
  std::string release() {
    frame();
    return std::move(buf_);
  }

 private:
  std::string buf_;
};

// Reads a payload; a read past the end clears ok() and yields zeros.
class Reader {
 public:
  Reader() = default;
  Reader(const char* p, size_t n) : p_(p), end_(p + n) {}
  bool ok() const { return ok_; }
  size_t left() const { return static_cast<size_t>(end_ - p_); }
  uint8_t u8() { return take<uint8_t>(); }
  int32_t i32() { return take<int32_t>(); }
  uint32_t u32() { return take<uint32_t>(); }
  double f64() { return take<double>(); }
  // A length-prefixed byte string, viewed in place.
  std::string_view bytes() {
    uint32_t n = u32();
    return raw(n);
  }
  std::string_view raw(size_t n) {
    if (!ok_ || left() < n) {
      ok_ = false;
      return {};
    }
    std::string_view v(p_, n);
    p_ += n;
    return v;
  }

 private:
  // One little-endian scalar; zero once the payload is exhausted.
  template <class T>
  T take() {
    T v{};
    if (!ok_ || left() < sizeof v) {
      ok_ = false;
      return v;
    }
    std::memcpy(&v, p_, sizeof v);
    p_ += sizeof v;
    return v;
  }
  const char* p_ = nullptr;
  const char* end_ = nullptr;
  bool ok_ = true;
};

}  // namespace vt
