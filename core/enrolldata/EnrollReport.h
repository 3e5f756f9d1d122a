// What the enroll-data routines show while they work. The enrollment window
// shows it in its status line, single-record boxes, list box and restore log;
// a front end without windows prints it.
#pragma once
#include <QString>

#include "sdk/FKDefine.h"

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
  // A question the routine needs answered before it goes on ("Conv Error:
  // Continue ?"): its text, title and message-box flags (common/Dialogs.h).
  // Returns the answer (IDYES, IDNO, IDCANCEL). The routine decides what is
  // asked and when; the front end decides how it asks.
  virtual int Ask(const QString& Text, const QString& Title, int Flags) = 0;
  // Where the routine lets pending window messages run (after its first
  // status text and after each row): a window repaints and answers there, a
  // front end without windows does nothing.
  virtual void Idle() = 0;
};

// The end of a terminal command's bracket, run when the scope ends on every
// path: FK_EnableDevice(1), connecting once more when the connection was
// lost, so a broken walk never leaves the terminal locked. When even that
// fails, the note is added after the action's last status text. Routines
// report through Report() so that the last text is known.
class TEnableAtEnd final : public TEnrollReport {
 public:
  TEnableAtEnd(TFKAttendObject& Sdk, TEnrollReport& Report) : sdk_(Sdk), report_(Report) {}
  ~TEnableAtEnd() override {
    const QString note = EnableTerminalAgain(sdk_);
    if (note.isEmpty()) return;
    report_.Status(last_.isEmpty() ? note : last_ + QStringLiteral(" - ") + note);
  }
  TEnableAtEnd(const TEnableAtEnd&) = delete;
  TEnableAtEnd& operator=(const TEnableAtEnd&) = delete;

  void Status(const QString& Text) override {
    last_ = Text;
    report_.Status(Text);
  }
  void ShowRecord(int EnrollNumber, int BackupNumber, int Privilege) override {
    report_.ShowRecord(EnrollNumber, BackupNumber, Privilege);
  }
  void StoredLine(const QString& Line) override { report_.StoredLine(Line); }
  void LogLine(const QString& Line) override { report_.LogLine(Line); }
  void Count(int Count) override { report_.Count(Count); }
  int Ask(const QString& Text, const QString& Title, int Flags) override {
    return report_.Ask(Text, Title, Flags);
  }
  void Idle() override { report_.Idle(); }

 private:
  TFKAttendObject& sdk_;
  TEnrollReport& report_;
  QString last_;
};
