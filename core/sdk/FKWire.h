// The framed protocol between the binding's host bridge (this side) and
// sdkhost, the Windows host that runs the vendor's libraries (through Wine
// on Linux): the frames, the host's hello, and the wire form of every argument kind of
// sdk/FKEntryPoints.h, with both ends of each (the caller's, which sends the
// arguments and takes the out values back, and the host's, which rebuilds
// the arguments, calls the entry point and sends the out values). Plain C++
// with no Qt and no platform header, so both sides compile it.
// sdkhost/PROTOCOL.md describes the bytes.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "sdk/FKEntryPoints.h"

static_assert(std::endian::native == std::endian::little,
              "the bridge sends integers and doubles in the machine's little-endian layout");

namespace fkwire {

constexpr uint32_t kMagic = 0x31484B46;   // "FKH1"
constexpr uint32_t kMaxFrame = 1u << 22;  // far above the largest call (a face template)
constexpr uint32_t kMaxText = 1u << 16;   // a text the host reads at a pointer of the library's
constexpr uint8_t kCall = 1;              // one call
constexpr uint8_t kWalk = 2;              // a walk step called up to N times
// The bridge makes the calls of a walk step ahead in windows of this many
// (only the calls that load, empty or end a walk drop what is left of one).
// Each window starts only when the program has taken every answer of the
// one before, so a library that counts the entries it handed out as
// delivered in batches of a multiple of it (the stand-ins: 16,384) never
// counts one the program has not yet had.
constexpr uint32_t kWalkWindow = 1024;
constexpr uint32_t kMaxWalkWindow = 16384;

// A fingerprint of the whole table (names, libraries, parameters, kinds):
// a host built from another revision of the list is refused.
constexpr uint32_t ListHash() {
  constexpr const char* rows[] = {
#define FKW_ROW(name, library, use, params, kinds) \
#name " " #library " " #use " " #params " " #kinds,
      FK_ENTRY_POINTS_FULL(FKW_ROW)
#undef FKW_ROW
  };
  uint32_t h = 2166136261u;
  for (const char* row : rows) {
    for (const char* p = row; *p; ++p) {
      h ^= static_cast<uint8_t>(*p);
      h *= 16777619u;
    }
    h ^= '\n';
    h *= 16777619u;
  }
  return h;
}

// Builds one frame: a 32-bit length word, then the payload.
class Writer {
 public:
  void Begin() { buf_.assign(4, '\0'); }
  void U8(uint8_t v) { buf_.push_back(static_cast<char>(v)); }
  void I32(int32_t v) { Raw(&v, 4); }
  void U32(uint32_t v) { Raw(&v, 4); }
  void F64(double v) { Raw(&v, 8); }
  void Raw(const void* p, size_t n) { buf_.append(static_cast<const char*>(p), n); }
  void Bytes(const void* p, size_t n) {  // length word, then the bytes
    U32(static_cast<uint32_t>(n));
    Raw(p, n);
  }
  size_t Size() const { return buf_.size(); }
  void Patch32(size_t At, uint32_t v) { std::memcpy(buf_.data() + At, &v, 4); }
  // The finished frame, its length word filled in.
  const std::string& Finish() {
    const uint32_t n = static_cast<uint32_t>(buf_.size() - 4);
    std::memcpy(buf_.data(), &n, 4);
    return buf_;
  }

 private:
  std::string buf_;
};

// Reads a payload. Reading past its end marks it bad and gives zeros.
class Reader {
 public:
  Reader() = default;
  Reader(const char* p, size_t n) : p_(p), left_(n) {}
  bool Ok() const { return ok_; }
  size_t Left() const { return left_; }
  uint8_t U8() {
    uint8_t v = 0;
    Copy(&v, 1);
    return v;
  }
  int32_t I32() {
    int32_t v = 0;
    Copy(&v, 4);
    return v;
  }
  uint32_t U32() {
    uint32_t v = 0;
    Copy(&v, 4);
    return v;
  }
  double F64() {
    double v = 0;
    Copy(&v, 8);
    return v;
  }
  // n bytes in place; nullptr when fewer are left.
  const char* Raw(size_t n) {
    if (!ok_ || n > left_) {
      ok_ = false;
      return nullptr;
    }
    const char* at = p_;
    p_ += n;
    left_ -= n;
    return at;
  }

 private:
  void Copy(void* to, size_t n) {
    if (const char* at = Raw(n)) std::memcpy(to, at, n);
  }
  const char* p_ = nullptr;
  size_t left_ = 0;
  bool ok_ = true;
};

// The host's first frame: the machine type it runs as, how each library
// loaded, and which slots it found. The magic, the slot count and the list
// hash go with it, so a host of another revision of the list is told apart
// from a program that does not speak the protocol at all.
struct Hello {
  uint32_t Bits = 0;         // 32 or 64
  int32_t FirstStatus = -1;  // 0, or the Windows error code of loading the library
  int32_t SecondStatus = -1;
  bool Found[FK_SLOT_COUNT] = {};

  // The payload's bytes: magic, bits, slot count, list hash, the statuses,
  // a byte per slot.
  static constexpr uint32_t kSize = 6 * 4 + FK_SLOT_COUNT;

  void Write(Writer& w) const {
    w.Begin();
    w.U32(kMagic);
    w.U32(Bits);
    w.U32(FK_SLOT_COUNT);
    w.U32(ListHash());
    w.I32(FirstStatus);
    w.I32(SecondStatus);
    for (bool found : Found) w.U8(found);
  }

  enum class Check { Ok, NotProtocol, OtherRevision };
  // Whether a payload's first bytes can begin a hello: the magic, before
  // the rest has come.
  static bool CanBegin(const char* p, size_t n) {
    uint32_t magic = 0;
    if (n >= 4) std::memcpy(&magic, p, 4);
    return n < 4 || magic == kMagic;
  }
  Check Read(Reader r) {
    if (r.U32() != kMagic || !r.Ok()) return Check::NotProtocol;
    Bits = r.U32();
    const uint32_t count = r.U32(), hash = r.U32();
    FirstStatus = r.I32();
    SecondStatus = r.I32();
    if (count != uint32_t(FK_SLOT_COUNT) || hash != ListHash() || r.Left() != count)
      return Check::OtherRevision;
    for (bool& found : Found) found = r.U8() != 0;
    return Check::Ok;
  }
};

// The caller's copy of a text the library handed back at a pointer of its
// own (NameOut): the caller's pointer points into it until the next such
// call.
struct LibraryNameCopy {
  std::string Text;
};

// The argument kinds. Each has the C++ type of its parameter, the caller's
// side (Send the argument; Receive the out value into the caller's memory,
// false when the answer is malformed) and the host's side (Held storage;
// Take from the request; Arg for the call; Give the out value back).
namespace kinds {

struct Handle {
  using type = int;
  static constexpr bool IsHandle = true;
  template <class All>
  static void Send(Writer& w, type v, const All&) {
    w.I32(v);
  }
  template <class All>
  static bool Receive(Reader&, type, const All&, LibraryNameCopy&) {
    return true;
  }
  struct Held {
    int32_t v = 0;
  };
  static bool Take(Reader& r, Held& h) {
    h.v = r.I32();
    return r.Ok();
  }
  static type Arg(Held& h) { return h.v; }
  static void Give(Writer&, const Held&) {}
};

struct In : Handle {
  static constexpr bool IsHandle = false;
};

struct Date {
  using type = double;
  static constexpr bool IsHandle = false;
  template <class All>
  static void Send(Writer& w, type v, const All&) {
    w.F64(v);
  }
  template <class All>
  static bool Receive(Reader&, type, const All&, LibraryNameCopy&) {
    return true;
  }
  struct Held {
    double v = 0;
  };
  static bool Take(Reader& r, Held& h) {
    h.v = r.F64();
    return r.Ok();
  }
  static type Arg(Held& h) { return h.v; }
  static void Give(Writer&, const Held&) {}
};

// A NUL-terminated text: present flag, then length and bytes (without NUL).
struct Text {
  using type = const char*;
  static constexpr bool IsHandle = false;
  template <class All>
  static void Send(Writer& w, type v, const All&) {
    w.U8(v != nullptr);
    if (v) w.Bytes(v, std::strlen(v));
  }
  template <class All>
  static bool Receive(Reader&, type, const All&, LibraryNameCopy&) {
    return true;
  }
  struct Held {
    bool present = false;
    std::string text;
  };
  static bool Take(Reader& r, Held& h) {
    h.present = r.U8() != 0;
    if (h.present) {
      const uint32_t n = r.U32();
      const char* at = r.Raw(n);
      if (!at || std::memchr(at, '\0', n)) return false;
      h.text.assign(at, n);
    }
    return r.Ok();
  }
  static type Arg(Held& h) { return h.present ? h.text.c_str() : nullptr; }
  static void Give(Writer&, const Held&) {}
};

// The address of a value the entry point fills; the value goes out as it
// stands and comes back as the entry point left it. A null address is sent
// as such.
template <class T>
struct ValueOut {
  using type = T*;
  static constexpr bool IsHandle = false;
  template <class All>
  static void Send(Writer& w, type v, const All&) {
    w.U8(v != nullptr);
    if (v) w.Raw(v, sizeof(T));
  }
  template <class All>
  static bool Receive(Reader& r, type v, const All&, LibraryNameCopy&) {
    if (!v) return true;
    const char* at = r.Raw(sizeof(T));
    if (!at) return false;
    std::memcpy(v, at, sizeof(T));
    return true;
  }
  struct Held {
    bool present = false;
    T v{};
  };
  static bool Take(Reader& r, Held& h) {
    h.present = r.U8() != 0;
    if (h.present) {
      const char* at = r.Raw(sizeof(T));
      if (!at) return false;
      std::memcpy(&h.v, at, sizeof(T));
    }
    return r.Ok();
  }
  static type Arg(Held& h) { return h.present ? &h.v : nullptr; }
  static void Give(Writer& w, const Held& h) {
    if (h.present) w.Raw(&h.v, sizeof(T));
  }
};
using Out = ValueOut<int>;
using DateOut = ValueOut<double>;

// A byte buffer of the size Size gives for the call's arguments. It goes
// out whole; with Back it comes back whole as the entry point left it.
template <class Size, bool Back>
struct Buffer {
  using type = unsigned char*;
  static constexpr bool IsHandle = false;
  template <class All>
  static void Send(Writer& w, type v, const All& all) {
    w.U8(v != nullptr);
    if (v) w.Bytes(v, static_cast<size_t>(Size::Of(all)));
  }
  template <class All>
  static bool Receive(Reader& r, type v, const All& all, LibraryNameCopy&) {
    if (!Back || !v) return true;
    // The caller's buffer has the size that went out; the same must come back.
    const uint32_t n = r.U32();
    const char* at = r.Raw(n);
    if (!at || n != static_cast<uint32_t>(Size::Of(all))) return false;
    std::memcpy(v, at, n);
    return true;
  }
  struct Held {
    bool present = false;
    std::string bytes;
  };
  static bool Take(Reader& r, Held& h) {
    h.present = r.U8() != 0;
    if (h.present) {
      const uint32_t n = r.U32();
      const char* at = r.Raw(n);
      if (!at) return false;
      h.bytes.assign(at, n);
    }
    return r.Ok();
  }
  static type Arg(Held& h) {
    return h.present ? reinterpret_cast<unsigned char*>(h.bytes.data()) : nullptr;
  }
  static void Give(Writer& w, const Held& h) {
    if (Back && h.present) w.Bytes(h.bytes.data(), h.bytes.size());
  }
};

template <int N>
struct FixedSize {
  template <class All>
  static int Of(const All&) {
    return N;
  }
};
// FK_TemplateSize of the backup number in argument I.
template <int I>
struct TemplateSizeOf {
  template <class All>
  static int Of(const All& all) {
    return FK_TemplateSize(std::get<I>(all));
  }
};

template <int N>
using BlockIn = Buffer<FixedSize<N>, false>;
template <int N>
using BlockOut = Buffer<FixedSize<N>, true>;
template <int I>
using TemplateIn = Buffer<TemplateSizeOf<I>, false>;
template <int I>
using TemplateOut = Buffer<TemplateSizeOf<I>, true>;

// The address of a text pointer that points at the caller's buffer of
// FK_USER_NAME_BUFFER bytes. The buffer goes out whole. Back comes what the
// pointer shows after the call: null (0), still the buffer (1, the whole
// buffer), or a text of the library's own (2, its bytes up to the NUL).
struct NameOut {
  using type = char**;
  static constexpr bool IsHandle = false;
  template <class All>
  static void Send(Writer& w, type v, const All&) {
    w.U8(v != nullptr);
    if (!v) return;
    w.U8(*v != nullptr);
    if (*v) w.Raw(*v, FK_USER_NAME_BUFFER);
  }
  template <class All>
  static bool Receive(Reader& r, type v, const All&, LibraryNameCopy& copy) {
    if (!v) return true;
    switch (r.U8()) {
      case 0:
        *v = nullptr;
        return r.Ok();
      case 1: {
        const char* at = r.Raw(FK_USER_NAME_BUFFER);
        if (!at || !*v) return false;
        std::memcpy(*v, at, FK_USER_NAME_BUFFER);
        return true;
      }
      case 2: {
        const uint32_t n = r.U32();
        const char* at = r.Raw(n);
        if (!at) return false;
        copy.Text.assign(at, n);
        *v = copy.Text.data();
        return true;
      }
      default:
        return false;
    }
  }
  struct Held {
    bool outer = false, inner = false;
    char buffer[FK_USER_NAME_BUFFER + 1] = {};  // a NUL of our own behind the caller's bytes
    char* pointer = nullptr;
    Held() = default;
    Held(const Held&) = delete;  // pointer points into buffer
    Held& operator=(const Held&) = delete;
  };
  static bool Take(Reader& r, Held& h) {
    h.outer = r.U8() != 0;
    if (h.outer) {
      h.inner = r.U8() != 0;
      if (h.inner) {
        const char* at = r.Raw(FK_USER_NAME_BUFFER);
        if (!at) return false;
        std::memcpy(h.buffer, at, FK_USER_NAME_BUFFER);
      }
    }
    return r.Ok();
  }
  static type Arg(Held& h) {
    h.pointer = h.inner ? h.buffer : nullptr;
    return h.outer ? &h.pointer : nullptr;
  }
  static void Give(Writer& w, const Held& h) {
    if (!h.outer) return;
    if (!h.pointer) {
      w.U8(0);
    } else if (h.pointer == h.buffer) {
      w.U8(1);
      w.Raw(h.buffer, FK_USER_NAME_BUFFER);
    } else {
      w.U8(2);
      size_t n = 0;
      while (n < kMaxText && h.pointer[n]) ++n;
      w.Bytes(h.pointer, n);
    }
  }
};

}  // namespace kinds

// The kinds of one entry point's parameters.
template <class... K>
struct Kinds {
  using Function = int(FK_API*)(typename K::type...);
  static constexpr bool TakesHandle = (K::IsHandle || ... || false);

  // The caller's side: the request frame for these arguments.
  static void Request(Writer& w, FKSlot Slot, typename K::type... args) {
    const std::tuple<typename K::type...> all(args...);
    w.Begin();
    w.U8(kCall);
    w.U8(static_cast<uint8_t>(Slot));
    (K::Send(w, args, all), ...);
  }
  // The caller's side: a walk step's request, to be called up to Times times.
  static void WalkRequest(Writer& w, FKSlot Slot, uint32_t Times, typename K::type... args) {
    const std::tuple<typename K::type...> all(args...);
    w.Begin();
    w.U8(kWalk);
    w.U8(static_cast<uint8_t>(Slot));
    w.U32(Times);
    (K::Send(w, args, all), ...);
  }
  // The caller's side: the answer's out values into the caller's memory.
  // False when the answer is malformed.
  static bool Answer(Reader& r, LibraryNameCopy& copy, typename K::type... args) {
    return AnswerPart(r, copy, args...) && r.Left() == 0;
  }
  // The same for one answer among several (a walk window).
  static bool AnswerPart(Reader& r, LibraryNameCopy& copy, typename K::type... args) {
    const std::tuple<typename K::type...> all(args...);
    return (K::Receive(r, args, all, copy) && ... && true) && r.Ok();
  }
  // Which pointer arguments are null, as bits: a window's answers fit the
  // calls that have the same.
  static uint32_t NullMask(typename K::type... args) {
    uint32_t mask = 0, bit = 1;
    (
        [&](auto v) {
          if constexpr (std::is_pointer_v<decltype(v)>) mask |= v ? 0 : bit;
          bit <<= 1;
        }(args),
        ...);
    return mask;
  }
  // The handle among the arguments (the first Handle kind); 0 when none.
  static int HandleOf(typename K::type... args) {
    int handle = 0;
    bool found = false;
    (
        [&](auto kind, auto v) {
          if constexpr (decltype(kind)::type::IsHandle) {
            if (!found) handle = v;
            found = true;
          }
        }(std::type_identity<K>{}, args),
        ...);
    return handle;
  }

  // The host's side: rebuilds the arguments from the request, calls Fn and
  // writes the answer. False when the request is malformed (nothing called).
  static bool Serve(void* Fn, Reader& r, Writer& w) {
    return ServeWith(Fn, r, w, std::index_sequence_for<K...>{});
  }
  // The host's side of a walk window: the same arguments (the out values
  // carried from call to call, as the caller's own variables would be),
  // called until a result other than 1 or Times calls. The answer: the
  // number of calls, then for each its result and out values.
  static bool Repeat(void* Fn, Reader& r, Writer& w, uint32_t Times) {
    return RepeatWith(Fn, r, w, Times, std::index_sequence_for<K...>{});
  }

 private:
  template <size_t... I>
  static bool RepeatWith(void* Fn, Reader& r, Writer& w, uint32_t Times,
                         std::index_sequence<I...>) {
    std::tuple<typename K::Held...> held;
    if (!(K::Take(r, std::get<I>(held)) && ... && true) || r.Left() != 0) return false;
    w.Begin();
    const size_t countAt = w.Size();
    w.U32(0);
    uint32_t calls = 0;
    while (calls < Times) {
      const int32_t result = reinterpret_cast<Function>(Fn)(K::Arg(std::get<I>(held))...);
      ++calls;
      w.I32(result);
      (K::Give(w, std::get<I>(held)), ...);
      if (result != 1) break;
    }
    w.Patch32(countAt, calls);
    return true;
  }

  template <size_t... I>
  static bool ServeWith(void* Fn, Reader& r, Writer& w, std::index_sequence<I...>) {
    std::tuple<typename K::Held...> held;
    if (!(K::Take(r, std::get<I>(held)) && ... && true) || r.Left() != 0) return false;
    const int32_t result = reinterpret_cast<Function>(Fn)(K::Arg(std::get<I>(held))...);
    w.Begin();
    w.I32(result);
    (K::Give(w, std::get<I>(held)), ...);
    return true;
  }
};

#define FKW_UNPAREN(...) __VA_ARGS__
// Kinds<...> of a row of the table, e.g. FKW_KINDS((Handle, In)); used where
// the names of fkwire::kinds are visible (using namespace fkwire::kinds).
#define FKW_KINDS(kinds) ::fkwire::Kinds<FKW_UNPAREN kinds>

}  // namespace fkwire
