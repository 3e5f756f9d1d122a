#include "vterminal/Seeder.h"

#include "vterminal/Cp1254.h"
#include "vterminal/LocalTime.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <random>
#include <string>

namespace vt {
namespace {

const char* const kFirstNames[] = {
    "Ayşe",   "Fatma",  "Emine",   "Hatice", "Zeynep",  "Elif",   "Merve", "Özlem",  "Gülşen",
    "Şükran", "Çiğdem", "Müge",    "Ebru",   "İpek",    "Büşra",  "Dilek", "Mehmet", "Mustafa",
    "Ahmet",  "Ali",    "Hüseyin", "Hasan",  "İbrahim", "İsmail", "Osman", "Yusuf",  "Ömer",
    "Murat",  "Gökhan", "Çağrı",   "Doğan",  "Uğur",    "Tuğrul", "Barış", "Şenol",  "Ilgaz"};
const char* const kLastNames[] = {
    "Yılmaz", "Kaya",    "Demir",  "Şahin",  "Çelik", "Yıldız", "Yıldırım", "Öztürk",
    "Aydın",  "Özdemir", "Arslan", "Doğan",  "Kılıç", "Aslan",  "Çetin",    "Kara",
    "Koç",    "Kurt",    "Özkan",  "Şimşek", "Polat", "Güneş",  "Erdoğan",  "Ünal",
    "Bulut",  "Keskin",  "Aksoy",  "Işık",   "Çakır", "Gündüz", "İnce",     "Karagöz"};
// The first users carry every Turkish letter between them.
const char* const kFixedNames[] = {"Ayşe Gökçe Çağlar", "İsmail Yıldız Öztürk"};

template <class T, size_t N>
constexpr size_t countOf(T (&)[N]) {
  return N;
}

std::vector<uint8_t> makeTemplate(std::mt19937& rng, int32_t enroll, int32_t backup) {
  std::vector<uint8_t> tpl(static_cast<size_t>(templateSize(backup)));
  for (auto& b : tpl) b = static_cast<uint8_t>(rng());
  tpl[0] = 'M';
  tpl[1] = backup == 12 ? 'F' : 'P';
  tpl[2] = static_cast<uint8_t>(backup);
  tpl[3] = 1;  // template version
  std::memcpy(tpl.data() + 4, &enroll, 4);
  return tpl;
}

std::vector<uint8_t> makeSecret(int32_t value) {
  std::vector<uint8_t> tpl(static_cast<size_t>(templateSize(10)), 0);
  std::memcpy(tpl.data(), &value, 4);
  return tpl;
}

void civilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  return era * 146097 + static_cast<int64_t>(yoe * 365 + yoe / 4 - yoe / 100 + doy) - 719468;
}

int verifyModeFor(const Terminal& t, int32_t enroll, std::mt19937& rng) {
  int modes[4];
  int n = 0;
  for (auto it = t.s.items.lower_bound({enroll, INT32_MIN});
       it != t.s.items.end() && it->first.first == enroll; ++it) {
    int b = it->first.second;
    int mode = b <= 9 ? 1 : b == 10 ? 2 : b == 11 ? 3 : b == 12 ? 20 : 1;
    if (n < 4 && std::find(modes, modes + n, mode) == modes + n) modes[n++] = mode;
  }
  return n ? modes[rng() % static_cast<unsigned>(n)] : 1;
}

}  // namespace

void seedUsers(Terminal& t, int users, uint32_t seed) {
  std::mt19937 rng(seed);
  TerminalState& s = t.s;
  for (const auto& [key, item] : s.items) t.changes.templates.insert(key);
  s.items.clear();
  s.names.clear();
  for (int32_t n = 1; n <= users; ++n) {
    std::string name = n <= 2 ? kFixedNames[n - 1]
                              : std::string(kFirstNames[rng() % countOf(kFirstNames)]) + " " +
                                    kLastNames[rng() % countOf(kLastNames)];
    s.names[n] = utf8ToCp1254(name);
    int32_t privilege = n == 1 ? 1 : 0;
    bool enabled = n % 17 != 0;
    auto add = [&](int32_t backup, std::vector<uint8_t> tpl, int32_t password = 0) {
      t.changes.templates.insert({n, backup});
      s.items[{n, backup}] = EnrollItem{privilege, enabled, password, std::move(tpl)};
    };
    bool cardOnly = n % 10 == 7;
    if (!cardOnly) {
      add(0, makeTemplate(rng, n, 0));
      if (rng() % 10 < 6) add(1, makeTemplate(rng, n, 1));
    }
    if (cardOnly || rng() % 10 < 4) {
      int32_t card = static_cast<int32_t>(10000000 + rng() % 2000000000);
      add(11, makeSecret(card), card);
    }
    if (rng() % 100 < 15) {
      int32_t pin = static_cast<int32_t>(1000 + rng() % 999000);
      add(10, makeSecret(pin), pin);
    }
    if (n % 8 == 3) add(12, makeTemplate(rng, n, 12));
  }

  // Eight bells a day; rows 8-23 unused. Bytes 0-287 are the terminal's own.
  s.bellBlock.fill(0);
  for (int i = 0; i < 288; ++i) s.bellBlock[i] = static_cast<uint8_t>((i * 37 + 11) & 0xFF);
  const int times[][2] = {{8, 0}, {10, 0}, {10, 15}, {12, 0}, {13, 0}, {15, 0}, {15, 15}, {17, 30}};
  for (int i = 0; i < 8; ++i) {
    s.bellBlock[288 + i] = 1;
    s.bellBlock[312 + i] = static_cast<uint8_t>(times[i][0]);
    s.bellBlock[336 + i] = static_cast<uint8_t>(times[i][1]);
  }
  s.bellCount = 24;
  t.changes.state = t.changes.items = t.changes.names = true;
}

void seedRecords(Terminal& t, int count, uint32_t seed) {
  if (count <= 0) return;
  std::mt19937 rng(seed ^ 0x5eed5eedu);
  std::vector<int32_t> users;
  for (const auto& [key, item] : t.s.items)
    if (users.empty() || users.back() != key.first) users.push_back(key.first);
  if (users.empty())
    for (int32_t n = 1; n <= 25; ++n) users.push_back(n);

  time_t now = std::time(nullptr);
  tm local = localTime(now);
  int64_t today = daysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  int nowSecond = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;

  // (days before today, second of the day), oldest first.
  std::vector<std::pair<int, int>> when(static_cast<size_t>(count));
  for (auto& w : when) {
    w.first = static_cast<int>(rng() % 90);
    w.second = 7 * 3600 + static_cast<int>(rng() % (12 * 3600));
    if (w.first == 0 && w.second > nowSecond) w.second = static_cast<int>(rng() % (nowSecond + 1));
  }
  std::sort(when.begin(), when.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first > b.first : a.second < b.second;
  });

  std::vector<LogRecord> out;
  out.reserve(when.size());
  for (const auto& [back, second] : when) {
    int y, m, d;
    civilFromDays(today - back, y, m, d);
    int32_t enroll = users[rng() % users.size()];
    int inOut = second < 13 * 3600 ? 0 : 1;
    out.push_back(LogRecord{{enroll, verifyModeFor(t, enroll, rng), inOut, y, m, d, second / 3600,
                             second / 60 % 60, second % 60}});
  }
  t.addRecords(out);
}

}  // namespace vt
