// What the enroll-data routines show while they work. The enrollment window
// shows it in its status line, single-record boxes, list box and restore log;
// a front end without windows prints it.
#pragma once
#include <QString>

class TEnrollReport {
 public:
  virtual ~TEnrollReport() = default;
  // The status line; each text replaces the one before.
  virtual void Status(const QString& Text) = 0;
  // A record was stored or loaded: its number, backup number and privilege.
  virtual void ShowRecord(int EnrollNumber, int BackupNumber, int Privilege) = 0;
  // One line per stored item ("7-0 ok").
  virtual void StoredLine(const QString& Line) = 0;
  // One line per row a restore walked.
  virtual void LogLine(const QString& Line) = 0;
  // The 1-based position of the row a restore is at.
  virtual void Count(int Count) = 0;
};
