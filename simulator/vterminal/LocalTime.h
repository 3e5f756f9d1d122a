// The calendar time of the computer's time zone; the thread-safe call has
// another name and argument order on Windows.
#pragma once

#include <ctime>

namespace vt {

inline tm localTime(time_t t) {
  tm local{};
#ifdef _WIN32
  localtime_s(&local, &t);
#else
  localtime_r(&t, &local);
#endif
  return local;
}

}  // namespace vt
