// A report for the enroll-data routines of the core that records what they
// show, for suites without windows.
#pragma once
#include <QList>
#include <QStringList>

#include "common/Dialogs.h"
#include "enrolldata/EnrollReport.h"

// A question a routine asked.
struct TAsked {
  QString Text;
  QString Title;
  int Flags = 0;
};

// Status lines and log lines in order, the records loaded ("5-0"), the
// questions asked (answered from Answers in order, else safely) and the times
// pending messages were let run.
struct TRecordingReport final : TEnrollReport {
  QStringList Lines;
  QStringList Log;
  QStringList Loaded;
  QList<int> Answers;
  QList<TAsked> Shown;
  int ProcessMessagesCalls = 0;
  void Status(const QString& Text) override { Lines << Text; }
  void ShowRecord(int EnrollNumber, int BackupNumber, int) override {
    Loaded << QStringLiteral("%1-%2").arg(EnrollNumber).arg(BackupNumber);
  }
  void StoredLine(const QString&) override {}
  void LogLine(const QString& Line) override { Log << Line; }
  void Count(int) override {}
  int Ask(const QString& Text, const QString& Title, int Flags) override {
    Shown.append({Text, Title, Flags});
    return Answers.isEmpty() ? SafeAnswer(Flags) : Answers.takeFirst();
  }
  void Idle() override { ++ProcessMessagesCalls; }
};
