// Shared by the end-to-end download suites: what a vterminal holds, as the
// attendance lines the program should write.
#pragma once
#include <QFile>
#include <QtEndian>

#include "AttendanceFixture.h"
#include "VTerminal.h"

// The terminal's records in its order, as lines of machine Machine, read
// from its state folder (nine 32-bit little-endian integers per record).
inline QList<QByteArray> TerminalLines(const VTerminal& Vt, int Machine) {
  QFile f(Vt.statePath() + QStringLiteral(".d/records.bin"));
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = f.readAll();
  QList<QByteArray> lines;
  for (qsizetype at = 0; at + 36 <= bytes.size(); at += 36) {
    int v[9];
    for (int i = 0; i < 9; ++i) v[i] = qFromLittleEndian<qint32>(bytes.constData() + at + 4 * i);
    lines << AttendanceLine({v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]}, Machine);
  }
  return lines;
}
