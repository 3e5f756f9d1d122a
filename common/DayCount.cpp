#include "common/DayCount.h"

#include <cmath>

namespace {
constexpr qint64 kMsPerDay = 86400000;
const QDate kDayZero(1899, 12, 30);
}  // namespace

double DateTimeToDayCount(const QDateTime& Value) {
  return static_cast<double>(kDayZero.daysTo(Value.date())) +
         static_cast<double>(Value.time().msecsSinceStartOfDay()) / kMsPerDay;
}

QDateTime DayCountToDateTime(double Days) {
  // Before day zero the whole part counts back and the fraction is still
  // the time of that day (-1.25 is 29 December 1899, 06:00).
  double whole = std::trunc(Days);
  qint64 ms = std::llround(std::fabs(Days - whole) * kMsPerDay);
  if (ms >= kMsPerDay) {  // rounded up to midnight of the next day
    ms -= kMsPerDay;
    whole += 1;
  }
  return QDateTime(kDayZero.addDays(static_cast<qint64>(whole)),
                   QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}
