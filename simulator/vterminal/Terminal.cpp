#include "vterminal/Terminal.h"

#include "vterminal/LocalTime.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <ctime>

namespace vt {
namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

bool isPasswordItem(int32_t backup) {
  return backup == 10 || backup == 11;
}

// Password and card items carry their value in the first four template bytes
// as well, so a template restored without the value keeps it.
int32_t valueInTemplate(const std::vector<uint8_t>& tpl) {
  int32_t v = 0;
  std::memcpy(&v, tpl.data(), 4);
  return v;
}

}  // namespace

double hostOleNow(int64_t offsetMs) {
  using namespace std::chrono;
  int64_t ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  time_t secs = static_cast<time_t>(ms / 1000);
  tm local = localTime(secs);
  int64_t days = daysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) -
                 daysFromCivil(1899, 12, 30);
  double dayMs = (local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec) * 1000.0 +
                 static_cast<double>(ms % 1000) + static_cast<double>(offsetMs);
  return static_cast<double>(days) + dayMs / 86400000.0;
}

int32_t Terminal::hello(Kind kind, int32_t machine, int32_t password) const {
  // Every kind arrives over the same socket, so every kind is held to the
  // password: otherwise a client could skip it by naming another kind.
  if (!isKnownKind(kind) || machine != s.machine) return rc::Unknown;
  if (password != s.password) return rc::WrongPassword;
  return rc::Ok;
}

void Terminal::endSession() {
  logOpen_ = false;
  userOpen_ = false;
  userSnapshot_.clear();
}

int32_t Terminal::enableDevice(int32_t flag) {
  if (s.enabled != (flag != 0)) changes.state = true;
  s.enabled = flag != 0;
  return rc::Ok;
}

double Terminal::deviceTime() const {
  return hostOleNow(s.clockOffsetMs);
}

int32_t Terminal::setDeviceTime(double oleDate) {
  if (!std::isfinite(oleDate)) return rc::Parameter;
  s.clockOffsetMs = std::llround((oleDate - hostOleNow()) * 86400000.0);
  changes.state = true;
  return rc::Ok;
}

int32_t Terminal::loadLog(int32_t mark, size_t& available) {
  logBegin_ = mark == 1 ? static_cast<size_t>(s.delivered) : 0;
  logBegin_ = std::min(logBegin_, s.records.size());
  logPos_ = logBegin_;
  logEnd_ = s.records.size();
  logOpen_ = true;
  available = logEnd_ - logBegin_;
  return rc::Ok;
}

// The client asks for more only after it has read the previous answer, so
// every record handed out before this request has reached it.
void Terminal::acknowledgeLog() {
  if (logOpen_ && static_cast<int64_t>(logPos_) > s.delivered) {
    s.delivered = static_cast<int64_t>(logPos_);
    changes.state = true;
  }
}

int32_t Terminal::fetchLog(size_t max, const LogRecord*& first, size_t& n) {
  n = 0;
  if (!logOpen_) return rc::NoData;
  if (logPos_ >= logEnd_) {
    // The client asked past the last record: the walk is complete.
    logOpen_ = false;
    if (static_cast<int64_t>(logEnd_) > s.delivered) {
      s.delivered = static_cast<int64_t>(logEnd_);
      changes.state = true;
    }
    return rc::EndOfData;
  }
  n = std::min(max, logEnd_ - logPos_);
  first = s.records.data() + logPos_;
  logPos_ += n;
  return n ? rc::Ok : rc::Parameter;
}

// The count is reported as three per bell entry and a count sent is stored
// as the number of entries, so a program that sends the read count over
// three keeps the schedule stable however often it reads and sends.
int32_t Terminal::bells(int32_t& count, std::array<uint8_t, kBellBlockSize>& block) const {
  const int64_t reported = int64_t{s.bellCount} * 3;
  count = static_cast<int32_t>(std::clamp<int64_t>(reported, INT32_MIN, INT32_MAX));
  block = s.bellBlock;
  return rc::Ok;
}

int32_t Terminal::setBells(int32_t count, const uint8_t* block) {
  s.bellCount = count;
  std::copy(block, block + kBellBlockSize, s.bellBlock.begin());
  changes.state = true;
  return rc::Ok;
}

int32_t Terminal::getEnroll(int32_t enroll, int32_t backup, int32_t& privilege, int32_t& password,
                            const std::vector<uint8_t>*& tpl) const {
  auto it = s.items.find({enroll, backup});
  if (it == s.items.end()) return rc::NoData;
  privilege = it->second.privilege;
  password = it->second.password;
  tpl = &it->second.tpl;
  return rc::Ok;
}

int32_t Terminal::putEnroll(int32_t enroll, int32_t backup, int32_t privilege, int32_t password,
                            std::string_view tpl) {
  if (enroll <= 0 || !isSupportedBackup(backup) ||
      tpl.size() != static_cast<size_t>(templateSize(backup)))
    return rc::Parameter;
  ItemKey key{enroll, backup};
  auto it = s.items.find(key);
  if (it == s.items.end()) {
    if (s.items.size() >= capacity) return rc::Full;
    it = s.items.emplace(key, EnrollItem{}).first;
  }
  EnrollItem& item = it->second;
  item.privilege = privilege;
  item.tpl.assign(tpl.begin(), tpl.end());
  item.password = 0;
  if (isPasswordItem(backup)) {
    if (password != 0) std::memcpy(item.tpl.data(), &password, 4);
    item.password = valueInTemplate(item.tpl);
  }
  changes.items = true;
  touchItem(key);
  return rc::Ok;
}

bool Terminal::hasUser(int32_t enroll) const {
  auto it = s.items.lower_bound({enroll, INT32_MIN});
  return it != s.items.end() && it->first.first == enroll;
}

int32_t Terminal::deleteEnroll(int32_t enroll, int32_t backup) {
  auto it = s.items.find({enroll, backup});
  if (it == s.items.end()) return rc::NoData;
  s.items.erase(it);
  if (!hasUser(enroll) && s.names.erase(enroll)) changes.names = true;
  changes.items = true;
  touchItem({enroll, backup});
  return rc::Ok;
}

int32_t Terminal::enableUser(int32_t enroll, int32_t backup, int32_t flag) {
  auto it = s.items.find({enroll, backup});
  if (it == s.items.end()) return rc::NoData;
  it->second.enabled = flag != 0;
  changes.items = true;
  return rc::Ok;
}

int32_t Terminal::modifyPrivilege(int32_t enroll, int32_t backup, int32_t privilege) {
  auto it = s.items.find({enroll, backup});
  if (it == s.items.end()) return rc::NoData;
  it->second.privilege = privilege;
  changes.items = true;
  return rc::Ok;
}

int32_t Terminal::benumbAllManager() {
  for (auto& [key, item] : s.items) item.privilege = 0;
  changes.items = true;
  return rc::Ok;
}

int32_t Terminal::readAllUserIds(size_t& count) {
  userSnapshot_.clear();
  userSnapshot_.reserve(s.items.size() * kUserInts);
  for (const auto& [key, item] : s.items) {
    userSnapshot_.insert(userSnapshot_.end(),
                         {key.first, key.second, item.privilege, item.enabled ? 1 : 0});
  }
  userPos_ = 0;
  userOpen_ = true;
  count = s.items.size();
  return rc::Ok;
}

int32_t Terminal::fetchUserIds(size_t max, const int32_t*& first, size_t& n) {
  n = 0;
  if (!userOpen_) return rc::NoData;
  size_t left = (userSnapshot_.size() - userPos_) / kUserInts;
  if (left == 0) {
    userOpen_ = false;
    return rc::EndOfData;
  }
  n = std::min(max, left);
  first = userSnapshot_.data() + userPos_;
  userPos_ += n * kUserInts;
  return n ? rc::Ok : rc::Parameter;
}

int32_t Terminal::userName(int32_t enroll, std::string& name) const {
  if (!hasUser(enroll)) return rc::NoData;
  auto it = s.names.find(enroll);
  name = it == s.names.end() ? std::string() : it->second;
  return rc::Ok;
}

int32_t Terminal::setUserName(int32_t enroll, std::string_view name) {
  if (!hasUser(enroll)) return rc::NoData;
  s.names[enroll] = std::string(name.substr(0, kUserNameMax));
  changes.names = true;
  return rc::Ok;
}

int32_t Terminal::emptyEnrollData() {
  for (const auto& [key, item] : s.items) touchItem(key);
  s.items.clear();
  s.names.clear();
  changes.items = changes.names = true;
  return rc::Ok;
}

int32_t Terminal::emptyGeneralLog() {
  s.records.clear();
  s.delivered = 0;
  logOpen_ = false;
  logBegin_ = logPos_ = logEnd_ = 0;
  changes.records = changes.state = true;
  return rc::Ok;
}

int32_t Terminal::isSupported(int32_t backup, int32_t& supported) const {
  supported = isSupportedBackup(backup) ? 1 : 0;
  return rc::Ok;
}

void Terminal::addRecords(const std::vector<LogRecord>& more) {
  s.records.insert(s.records.end(), more.begin(), more.end());
  changes.records = true;
  changes.state = true;
}

}  // namespace vt
