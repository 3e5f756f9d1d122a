#include "common/DayCount.h"

#include <cmath>

#include "common/Errors.h"

namespace {
constexpr qint64 kMsPerDay = 86400000;
const QDate kDayZero(1899, 12, 30);
// The day counts of 1 January 0001 and of the day after 31 December 9999:
// the dates a day count may stand for. Anything outside (and NaN or an
// infinity) would not even fit the integer it is turned into.
constexpr double kFirstDay = -693593;
constexpr double kEndDay = 2958466;
}  // namespace

double DateTimeToDayCount(const QDateTime& Value) {
  return static_cast<double>(kDayZero.daysTo(Value.date())) +
         static_cast<double>(Value.time().msecsSinceStartOfDay()) / kMsPerDay;
}

QDateTime DayCountToDateTime(double Days) {
  // Written so that NaN fails too.
  if (!(Days > kFirstDay - 1 && Days < kEndDay))
    throw EConvertError(
        QStringLiteral("Geçersiz tarih-saat değeri: %1").arg(QString::number(Days, 'g', 17)));
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
