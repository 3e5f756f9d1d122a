// The bridge to sdkhost, the program that runs the vendor's 32- or 64-bit
// Windows libraries in a process of its own (sdkhost/PROTOCOL.md): it
// starts the host, reads its hello, and carries the calls of the binding's
// slots to it one at a time, through forwarding functions of exactly each
// slot's type. Whoever sets it up (sdk/HostSdk.cpp) says how to start the
// host and words for the operator what went wrong (Trouble()).
#pragma once
#include <QString>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "sdk/FKWire.h"
#include "sdk/HostProcess.h"

struct THostLaunch {
  THostCommand Command;
  uint32_t Bits = 0;  // the machine type the host must run as: 32 or 64
  // How long the host may take to say hello, asked at each start.
  std::function<int()> HelloLimitMs;
};

// Why the host cannot be used.
enum class THostFault {
  None,
  NotStarted,      // the system could not start it (StartError)
  Silent,          // no hello within LimitMs
  Ended,           // it ended before its hello
  NotProtocol,     // it wrote something that is not a hello at all
  OtherRevision,   // a hello of another revision of the list or machine type
  LibraryChanged,  // started again, it found other names than the first time
};
struct THostTrouble {
  THostFault Fault = THostFault::None;
  QString StartError;
  QString LastErrorLine;  // what the host said last on standard error
  int LimitMs = 0;
};

// The entries of a walk the host made ahead, not yet handed out, and the
// calls they answer: the same slot, connection, null pointers and host.
class TWalkAhead {
 public:
  bool Answers(FKSlot Slot, int Handle, uint32_t NullMask, int Generation) const {
    return left_ > 0 && slot_ == Slot && handle_ == Handle && nullMask_ == NullMask &&
           generation_ == Generation;
  }
  void Hold(FKSlot Slot, int Handle, uint32_t NullMask, int Generation, uint32_t Calls,
            const char* Answers, size_t Size);
  // The next entry's result and out values; false when the host's answers
  // were malformed.
  template <class... K>
  bool Take(int32_t& Result, fkwire::LibraryNameCopy& Copy, typename K::type... args);
  void Drop() { *this = TWalkAhead(); }

 private:
  FKSlot slot_ = FKSlot::Count;
  int handle_ = 0, generation_ = 0;
  uint32_t nullMask_ = 0, left_ = 0;
  std::string answers_;
  fkwire::Reader reader_;
};

class THostBridge {
 public:
  THostBridge() = default;
  ~THostBridge();
  THostBridge(const THostBridge&) = delete;
  THostBridge& operator=(const THostBridge&) = delete;

  // Starts the host and reads its hello; false with Trouble() set.
  bool Open(THostLaunch Launch);
  bool Running() const { return host_.Running(); }
  const fkwire::Hello& Hello() const { return hello_; }
  const THostTrouble& Trouble() const { return trouble_; }
  qint64 Pid() const { return host_.Pid(); }
  void Stop();
  // The forwarding function of Slot; nullptr when the host did not find
  // its name.
  void* Forwarder(FKSlot Slot) const;

  // The bridge the forwarding functions reach; nullptr when none.
  static THostBridge* InUse();
  static void Use(THostBridge* Bridge);

  // Reached by the forwarding functions only.
  template <FKSlot S, class... K>
  int32_t Call(typename K::type... args);
  template <FKSlot S, class... K>
  int32_t Walk(typename K::type... args);

 private:
  bool Start();
  bool ReadHello();
  void Lost();
  bool Exchange(int64_t Deadline);
  template <class K>
  bool Translate(typename K::type& v);

  THostLaunch launch_;
  THostProcess host_;
  THostTrouble trouble_;
  fkwire::Hello hello_;
  bool everStarted_ = false;

  std::mutex mutex_;
  fkwire::Writer request_;
  fkwire::Reader answer_;
  fkwire::LibraryNameCopy nameCopy_;
  TWalkAhead walkAhead_;

  // The bridge's own handles, never reused, for the host's: a handle of a
  // host that ended is refused, not confused with one of the next host.
  struct THostHandle {
    int Generation;
    int Handle;
  };
  std::map<int, THostHandle> handles_;
  int nextHandle_ = 1;
  int generation_ = 0;
};
