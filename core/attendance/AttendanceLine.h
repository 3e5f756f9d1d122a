// The attendance line: one text line per attendance record, the format every
// output file and the memory-card conversion share.
#pragma once
#include <QByteArray>
#include <QByteArrayView>

// One record as FK_GetGeneralLogData_1 delivers it, in its order.
struct TAttendanceRecord {
  int EnrollNumber = 0;
  int VerifyMode = 0;
  int InOutMode = 0;
  int Year = 0;
  int Month = 0;
  int Day = 0;
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
};

// Name of a verify mode; "--" for every code without one.
QByteArrayView VerifyModeName(int Code);

// Appends the decimal text of Value with "0" in front up to Width characters
// (ZeroFill's rule on bytes: a longer text is kept whole).
void AppendZeroFilled(QByteArray& Line, int Value, int Width);

// The line of Record made on terminal MachineNumber, without the line break:
// "00042 05/03/2024 08:07:09 01 00 Fp". Line is replaced.
void BuildAttendanceLine(QByteArray& Line, const TAttendanceRecord& Record, int MachineNumber);
QByteArray AttendanceLine(const TAttendanceRecord& Record, int MachineNumber);
