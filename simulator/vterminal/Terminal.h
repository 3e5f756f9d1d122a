// The virtual terminal's memory and what each command does to it. No
// sockets here: the server decodes requests and calls these operations.
#pragma once

#include "shared/Protocol.h"

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace vt {

struct LogRecord {
  int32_t v[kRecordInts];  // enroll, verify, in/out, year, month, day, hour, minute, second
};
static_assert(sizeof(LogRecord) == kRecordInts * 4);

struct EnrollItem {
  int32_t privilege = 0;
  bool enabled = true;
  int32_t password = 0;  // password or card value of backup numbers 10 and 11
  std::vector<uint8_t> tpl;
};

using ItemKey = std::pair<int32_t, int32_t>;  // enroll number, backup number

struct TerminalState {
  int32_t machine = 1;
  int32_t password = 0;
  int64_t clockOffsetMs = 0;  // terminal clock minus host clock
  bool enabled = true;
  std::map<ItemKey, EnrollItem> items;
  std::map<int32_t, std::string> names;  // Windows-1254 bytes
  std::vector<LogRecord> records;
  int64_t delivered = 0;  // records [0, delivered) reached a client
  int32_t bellCount = 0;  // bell entries; reported as three times this
  std::array<uint8_t, kBellBlockSize> bellBlock{};
};

// What changed since the last save, so saving rewrites only that.
struct Changes {
  bool state = false;  // the single values: flags, clock, bells, read position
  bool items = false;  // enroll numbers, backup numbers, privileges, enabled flags
  bool names = false;
  bool records = false;
  std::set<ItemKey> templates;  // written or removed items
  bool any() const { return state || items || names || records || !templates.empty(); }
  void clear() { *this = Changes{}; }
};

class Terminal {
 public:
  TerminalState s;
  Changes changes;
  size_t capacity = 100000;  // enroll items

  int32_t hello(Kind kind, int32_t machine, int32_t password) const;
  void endSession();  // the client went away: open walks are dropped

  int32_t enableDevice(int32_t flag);
  double deviceTime() const;
  int32_t setDeviceTime(double oleDate);

  int32_t loadLog(int32_t mark, size_t& available);
  // Up to max records of the open walk: Ok with n > 0, EndOfData when the
  // walk is exhausted (which completes it), NoData without an open walk.
  int32_t fetchLog(size_t max, const LogRecord*& first, size_t& n);
  size_t logWalkSent() const { return logPos_ - logBegin_; }
  // Counts the records handed out so far in this walk as delivered.
  void acknowledgeLog();
  size_t userWalkSent() const { return userPos_ / kUserInts; }

  int32_t bells(int32_t& count, std::array<uint8_t, kBellBlockSize>& block) const;
  int32_t setBells(int32_t count, const uint8_t* block);

  int32_t getEnroll(int32_t enroll, int32_t backup, int32_t& privilege, int32_t& password,
                    const std::vector<uint8_t>*& tpl) const;
  int32_t putEnroll(int32_t enroll, int32_t backup, int32_t privilege, int32_t password,
                    std::string_view tpl);
  int32_t deleteEnroll(int32_t enroll, int32_t backup);
  int32_t enableUser(int32_t enroll, int32_t backup, int32_t flag);
  int32_t modifyPrivilege(int32_t enroll, int32_t backup, int32_t privilege);
  int32_t benumbAllManager();

  int32_t readAllUserIds(size_t& count);
  int32_t fetchUserIds(size_t max, const int32_t*& first, size_t& n);

  int32_t userName(int32_t enroll, std::string& name) const;
  int32_t setUserName(int32_t enroll, std::string_view name);

  int32_t emptyEnrollData();
  // Removes every attendance record; an open walk ends with it.
  int32_t emptyGeneralLog();
  int32_t isSupported(int32_t backup, int32_t& supported) const;

  bool hasUser(int32_t enroll) const;
  void addRecords(const std::vector<LogRecord>& more);

 private:
  void touchItem(const ItemKey& k) { changes.templates.insert(k); }

  bool logOpen_ = false;
  size_t logBegin_ = 0, logPos_ = 0, logEnd_ = 0;
  bool userOpen_ = false;
  std::vector<int32_t> userSnapshot_;
  size_t userPos_ = 0;
};

// Day count since 1899-12-30 of the host's local time plus offsetMs.
double hostOleNow(int64_t offsetMs = 0);

}  // namespace vt
