#include "sdk/HostBridge.h"

#include <cstring>
#include <utility>

namespace {

// A call may take as long as the library's own time-outs let it; this bound
// only keeps a host that hangs from holding the program for ever.
constexpr int kCallLimitMs = 10 * 60 * 1000;

THostBridge* inUse = nullptr;  // the one the forwarding functions reach

// The calls after which the entries of a walk made ahead are stale: a walk
// loaded again, the records or items emptied, the connection closed or
// replaced. Any other call (reading a user's items and name in the middle
// of the user walk) leaves the walk where it is, so its entries stay.
bool EndsWalks(FKSlot Slot) {
  switch (Slot) {
    case FKSlot::FK_LoadGeneralLogData:
    case FKSlot::FK_ReadAllUserID:
    case FKSlot::FK_EmptyGeneralLogData:
    case FKSlot::FK_EmptyEnrollData:
    case FKSlot::FK_ClearKeeperData:
    case FKSlot::FK_DisConnect:
    case FKSlot::FK_ConnectUSB:
    case FKSlot::FK_ConnectComm:
    case FKSlot::FK_ConnectNet:
      return true;
    default:
      return false;
  }
}

}  // namespace

THostBridge* THostBridge::InUse() {
  return inUse;
}
void THostBridge::Use(THostBridge* Bridge) {
  inUse = Bridge;
}

THostBridge::~THostBridge() {
  Stop();
}

bool THostBridge::Open(THostLaunch Launch) {
  launch_ = std::move(Launch);
  return Start();
}

bool THostBridge::Start() {
  if (!host_.Start(launch_.Command)) {
    trouble_ = {THostFault::NotStarted, host_.StartError(), {}, 0};
    return false;
  }
  ++generation_;
  if (!ReadHello()) {
    Lost();
    trouble_.LastErrorLine = host_.LastErrorLine();
    return false;
  }
  everStarted_ = true;
  trouble_ = {};
  return true;
}

bool THostBridge::ReadHello() {
  const int limit = launch_.HelloLimitMs ? launch_.HelloLimitMs() : 20000;
  const int64_t deadline = HostClockMs() + limit;
  // Every hello begins with its length and the magic: a host that writes
  // anything else is told at once, not after the time-out.
  auto notProtocol = [&] {
    uint32_t length = 0;
    const size_t size = host_.BufferedSize();
    if (size >= 4) std::memcpy(&length, host_.Buffered(), 4);
    return (size >= 4 && length > fkwire::kMaxFrame) ||
           (size > 4 && !fkwire::Hello::CanBegin(host_.Buffered() + 4, size - 4));
  };
  using TRead = THostProcess::TRead;
  TRead read = host_.Fill(4, deadline);
  if (read == TRead::Done && !notProtocol()) read = host_.Fill(8, deadline);
  // Bytes that are no hello, or the start of one that never ends.
  bool garbage = host_.BufferedSize() > 0 && (read != TRead::Done || notProtocol());
  if (read == TRead::Done && !garbage) {
    read = host_.ReadFrame(deadline, answer_);
    garbage = read != TRead::Done;
  }
  if (garbage) {
    trouble_ = {THostFault::NotProtocol, {}, {}, limit};
    return false;
  }
  if (read != TRead::Done) {
    // Either not a word within the time (the host hangs, in the library's
    // start or in Wine), or the host ended before it said anything.
    trouble_ = {read == TRead::TimedOut ? THostFault::Silent : THostFault::Ended, {}, {}, limit};
    return false;
  }
  fkwire::Hello hello;
  const fkwire::Hello::Check check = hello.Read(answer_);
  if (check == fkwire::Hello::Check::NotProtocol) {
    trouble_ = {THostFault::NotProtocol, {}, {}, limit};
    return false;
  }
  if (check != fkwire::Hello::Check::Ok || hello.Bits != launch_.Bits) {
    trouble_ = {THostFault::OtherRevision, {}, {}, limit};
    return false;
  }
  // A host started again must find what the first one found: the slots were
  // filled from that.
  if (everStarted_ && std::memcmp(hello.Found, hello_.Found, sizeof hello.Found) != 0) {
    trouble_ = {THostFault::LibraryChanged, {}, {}, limit};
    return false;
  }
  hello_ = hello;
  return true;
}

void THostBridge::Stop() {
  host_.Stop();
}

// The host ended or broke the protocol in the middle of a call: it is let
// go, and its connections count as closed.
void THostBridge::Lost() {
  walkAhead_.Drop();
  host_.Kill();
}

// Sends the request and reads the answer's payload; false when the host is
// gone, silent past the deadline, or sends a malformed frame.
bool THostBridge::Exchange(int64_t Deadline) {
  return host_.Write(request_.Finish(), Deadline) &&
         host_.ReadFrame(Deadline, answer_) == THostProcess::TRead::Done;
}

// A handle argument becomes the host's; false when it names a connection
// of a host that ended, or none the bridge gave out.
template <class K>
bool THostBridge::Translate(typename K::type& v) {
  if constexpr (K::IsHandle) {
    // No connection: the library's own result decides, when one runs.
    if (v == 0) return Running();
    const auto it = handles_.find(v);
    if (it == handles_.end() || it->second.Generation != generation_ || !Running()) return false;
    v = it->second.Handle;
  }
  return true;
}

template <FKSlot S, class... K>
int32_t THostBridge::Call(typename K::type... args) {
  using Kinds = fkwire::Kinds<K...>;
  std::lock_guard lock(mutex_);
  if (EndsWalks(S)) walkAhead_.Drop();
  const int bridgeHandle = Kinds::HandleOf(args...);
  if constexpr (Kinds::TakesHandle) {
    if (!(Translate<K>(args) && ...)) {
      if (S == FKSlot::FK_DisConnect) handles_.erase(bridgeHandle);
      return FKResult::NoOpenComm;
    }
  } else {
    // A connect: the host that ended is replaced by a new one.
    if (!Running() && !Start()) return FKResult::NoOpenComm;
  }
  Kinds::Request(request_, S, args...);
  if (!Exchange(HostClockMs() + kCallLimitMs)) {
    Lost();
    return Kinds::TakesHandle ? FKResult::ReadError : FKResult::NoOpenComm;
  }
  const int32_t code = answer_.I32();
  if (!Kinds::Answer(answer_, nameCopy_, args...)) {
    Lost();
    return Kinds::TakesHandle ? FKResult::ReadError : FKResult::NoOpenComm;
  }
  if constexpr (!Kinds::TakesHandle) {
    if (code > 0) {
      const int handle = nextHandle_++;
      handles_[handle] = {generation_, code};
      return handle;
    }
  } else {
    if (S == FKSlot::FK_DisConnect) handles_.erase(bridgeHandle);
  }
  return code;
}

// A walk step: answered from the entries made ahead, or the host is asked
// for the next ones.
template <FKSlot S, class... K>
int32_t THostBridge::Walk(typename K::type... args) {
  using Kinds = fkwire::Kinds<K...>;
  std::lock_guard lock(mutex_);
  const int bridgeHandle = Kinds::HandleOf(args...);
  const uint32_t nullMask = Kinds::NullMask(args...);
  int32_t code = 0;
  if (!walkAhead_.Answers(S, bridgeHandle, nullMask, generation_)) {
    walkAhead_.Drop();
    if (!(Translate<K>(args) && ...)) return FKResult::NoOpenComm;
    // One round trip per window instead of per entry: a round trip into Wine
    // costs many times what a walk step costs the library itself.
    Kinds::WalkRequest(request_, S, fkwire::kWalkWindow, args...);
    if (!Exchange(HostClockMs() + kCallLimitMs)) {
      Lost();
      return FKResult::ReadError;
    }
    const uint32_t calls = answer_.U32();
    const size_t size = answer_.Left();
    const char* answers = answer_.Raw(size);
    if (!answer_.Ok() || !answers || calls == 0 || calls > fkwire::kWalkWindow) {
      Lost();
      return FKResult::ReadError;
    }
    walkAhead_.Hold(S, bridgeHandle, nullMask, generation_, calls, answers, size);
  }
  if (!walkAhead_.Take<K...>(code, nameCopy_, args...)) {
    Lost();
    return FKResult::ReadError;
  }
  return code;
}

void TWalkAhead::Hold(FKSlot Slot, int Handle, uint32_t NullMask, int Generation, uint32_t Calls,
                      const char* Answers, size_t Size) {
  answers_.assign(Answers, Size);
  reader_ = fkwire::Reader(answers_.data(), answers_.size());
  slot_ = Slot;
  handle_ = Handle;
  nullMask_ = NullMask;
  generation_ = Generation;
  left_ = Calls;
}

template <class... K>
bool TWalkAhead::Take(int32_t& Result, fkwire::LibraryNameCopy& Copy, typename K::type... args) {
  Result = reader_.I32();
  if (!fkwire::Kinds<K...>::AnswerPart(reader_, Copy, args...) ||
      (--left_ == 0 && reader_.Left() != 0))
    return false;
  if (left_ == 0) Drop();
  return true;
}

// ---------------------------------------------------------------------------
// The forwarding functions: one per slot, of exactly the slot's type.

namespace {

template <FKSlot S, bool IsWalk, class KindList>
struct Forward;
template <FKSlot S, bool IsWalk, class... K>
struct Forward<S, IsWalk, fkwire::Kinds<K...>> {
  static int FK_API Call(typename K::type... args) {
    THostBridge* bridge = THostBridge::InUse();
    if (!bridge) return FKResult::NoOpenComm;
    if constexpr (IsWalk)
      return bridge->Walk<S, K...>(args...);
    else
      return bridge->Call<S, K...>(args...);
  }
};

// A name the program only looks up: its arguments are not known, so it is
// not carried across; it answers "No support".
int FK_API NotCarried() {
  return 0;
}

using namespace fkwire::kinds;
#define FORWARD_CALLED(name, kinds) \
  reinterpret_cast<void*>(&Forward<FKSlot::name, false, FKW_KINDS(kinds)>::Call)
#define FORWARD_WALK(name, kinds) \
  reinterpret_cast<void*>(&Forward<FKSlot::name, true, FKW_KINDS(kinds)>::Call)
#define FORWARD_LISTED(name, kinds) reinterpret_cast<void*>(&NotCarried)
#define FORWARD_ROW(name, library, use, params, kinds) FORWARD_##use(name, kinds),
void* const kForwarders[] = {FK_ENTRY_POINTS_FULL(FORWARD_ROW)};
#undef FORWARD_ROW
static_assert(std::size(kForwarders) == FK_SLOT_COUNT);

#define CHECK_CALLED(name, kinds)                                                               \
  static_assert(std::is_same_v<decltype(&Forward<FKSlot::name, false, FKW_KINDS(kinds)>::Call), \
                               FKSlotFunction<FKSlot::name>>,                                   \
                #name " forwards with another type than its slot's");
#define CHECK_WALK(name, kinds) CHECK_CALLED(name, kinds)
#define CHECK_LISTED(name, kinds)
#define CHECK_ROW(name, library, use, params, kinds) CHECK_##use(name, kinds)
FK_ENTRY_POINTS_FULL(CHECK_ROW)
#undef CHECK_ROW

}  // namespace

void* THostBridge::Forwarder(FKSlot Slot) const {
  const int i = static_cast<int>(Slot);
  return i >= 0 && i < FK_SLOT_COUNT && hello_.Found[i] ? kForwarders[i] : nullptr;
}
