#include "attendance/AttendanceLine.h"

#include <charconv>
#include <iterator>

namespace {

// Names by code 0..32; the empty ones are codes without a name.
constexpr const char* kVerifyModes[] = {
    nullptr,       "Fp",          "Password",  "Card",      "Fp+Password", "Fp+Card",
    "Password+Fp", "Card+Fp",     "Job No",    "Card+Pass", nullptr,       "Close Door",
    "Hand Open",   nullptr,       "Prog Open", "PC Close",  "Iregal Open", "Iregal Close",
    "Cover Open",  "Cover Close", "Face",      "Face+Card", "Face+Pass",   nullptr,
    nullptr,       nullptr,       nullptr,     nullptr,     nullptr,       nullptr,
    "Vein",        "Vein+Card",   "Vein+Pass"};
static_assert(std::size(kVerifyModes) == 33);

}  // namespace

QByteArrayView VerifyModeName(int Code) {
  if (Code < 0 || Code >= static_cast<int>(std::size(kVerifyModes)) || !kVerifyModes[Code])
    return "--";
  return kVerifyModes[Code];
}

void AppendZeroFilled(QByteArray& Line, int Value, int Width) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, Value).ptr;
  const int length = static_cast<int>(end - digits);
  if (length < Width) Line.append(Width - length, '0');
  Line.append(digits, length);
}

void BuildAttendanceLine(QByteArray& Line, const TAttendanceRecord& R, int MachineNumber) {
  Line.resize(0);  // keeps the capacity for the next record
  AppendZeroFilled(Line, R.EnrollNumber, 5);
  Line.append(' ');
  AppendZeroFilled(Line, R.Day, 2);
  Line.append('/');
  AppendZeroFilled(Line, R.Month, 2);
  Line.append('/');
  AppendZeroFilled(Line, R.Year, 4);
  Line.append(' ');
  AppendZeroFilled(Line, R.Hour, 2);
  Line.append(':');
  AppendZeroFilled(Line, R.Minute, 2);
  Line.append(':');
  AppendZeroFilled(Line, R.Second, 2);
  Line.append(' ');
  AppendZeroFilled(Line, MachineNumber, 2);
  Line.append(' ');
  AppendZeroFilled(Line, R.InOutMode, 2);
  Line.append(' ');
  Line.append(VerifyModeName(R.VerifyMode));
}

QByteArray AttendanceLine(const TAttendanceRecord& Record, int MachineNumber) {
  QByteArray line;
  BuildAttendanceLine(line, Record, MachineNumber);
  return line;
}
