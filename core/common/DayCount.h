// Date-time values as the terminal SDK exchanges them: a day count since
// 30 December 1899 whose fraction is the time of day.
#pragma once
#include <QDateTime>

// The value of a local date-time, milliseconds included.
double DateTimeToDayCount(const QDateTime& Value);
// The local date-time of a day count, rounded to the millisecond: a value
// just below a whole second (binary fractions rarely hit one exactly) must
// not show the second before. A value that is no date of the years 1 to 9999
// (NaN, an infinity, a huge count) throws EConvertError naming the value.
QDateTime DayCountToDateTime(double Days);
