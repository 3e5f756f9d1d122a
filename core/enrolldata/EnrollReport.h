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

// A routine's report with its terminal bracket (TTerminalBracket), which
// ends when the scope ends, on every path: a broken walk never leaves the
// terminal locked. When even the enable over a new connection fails, the
// note is added after the action's last status text, so routines report
// through this object once it is made.
class TEnableAtEnd final : public TEnrollReport {
 public:
  TEnableAtEnd(TFKAttendObject& Sdk, TEnrollReport& Report, TTerminalBracket::TEnableWhen When)
      : report_(Report), terminal_(Sdk, When, [this](const QString& Note) {
          report_.Status(last_.isEmpty() ? Note : last_ + QStringLiteral(" - ") + Note);
        }) {}
  // FK_EnableDevice(0) in the bracket; true when the terminal accepted it.
  bool DisableTerminal() { return terminal_.Disable(); }
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
  TEnrollReport& report_;
  QString last_;
  TTerminalBracket terminal_;  // last: it ends while the report still knows the last text
};
