// Shared by the download suites: attendance records and the lines they give,
// the month's backup file, and the program connected through the fakes.
#pragma once
#include <QDate>
#include <QList>
#include <array>

#include "TestProgram.h"
#include "attendance/AttendanceFiles.h"
#include "attendance/AttendanceLine.h"

using Record = std::array<int, 9>;  // enroll, verify, in/out, y, m, d, h, mi, s

// Records of user 1..Count, one second apart, verify mode 1.
inline QList<Record> Records(int Count) {
  QList<Record> records;
  for (int i = 1; i <= Count; ++i) records.append({i, 1, 0, 2024, 3, 5, 8, 7, i % 60});
  return records;
}

// Lines as the files hold them, each with its CR LF.
inline QByteArray FileText(const QList<QByteArray>& Lines) {
  QByteArray text;
  for (const QByteArray& l : Lines) text += l + "\r\n";
  return text;
}

inline QByteArray LinesOf(const QList<Record>& Records, int Machine) {
  QList<QByteArray> lines;
  for (const Record& r : Records)
    lines << AttendanceLine({r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7], r[8]}, Machine);
  return FileText(lines);
}

// The backup file of this month, relative to the program folder.
inline QString BackupFile() {
  return TAttendanceFiles::BackupFileName({}, QDate::currentDate());
}

// The program with terminal 7 ("Ana Kapı") connected through the fakes, the
// calls of the connect forgotten.
struct Connected : TestProgram {
  Connected() {
    Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("7"), QStringLiteral("usb"));
    Start();
    Main().BitBtn4->click();
    FakeSdk.Calls.clear();
  }
  QByteArray File(const QString& Name) const { return Folder.ReadFile(Name); }
};
