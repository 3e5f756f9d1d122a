// The batch download: every terminal of the list in turn is connected with
// its row's parameters, its new attendance records are appended to the
// usual files (each line with that terminal's machine number) and it is
// disconnected. A terminal that cannot be reached does not stop the batch.
// The window and the command line show what it reports.
#pragma once
#include <QDate>
#include <QList>
#include <QString>

#include "attendance/Download.h"
#include "sdk/FKDefine.h"

class TTerminalList;

// One row of the terminal list, ready to connect.
struct TBatchTerminal {
  QString Name;
  int MachineNumber = 0;
  TConnInfo Info;
  QString RowError;  // a column that is no whole number: the row cannot be used
};

// Every row of the list in its order; the list's current row is kept.
QList<TBatchTerminal> ReadTerminalList(TTerminalList& List);

// Counts of records are 64-bit: many terminals (and retries) of walks bounded
// at kMaxWalkRecords each could pass the largest int.
struct TBatchItem {
  bool Ok = false;
  qint64 Records = 0;
  QString ErrorText;  // the SDK's text (or the row's error) when not Ok
  // Said once when the terminal was found left disabled by an earlier run
  // and enabled at the connect (LeftDisabledText).
  QString Note;
};

struct TBatchTotals {
  int Terminals = 0;  // terminals tried
  int Failed = 0;
  qint64 Records = 0;
  bool Cancelled = false;
};

class TBatchReport {
 public:
  virtual ~TBatchReport() = default;
  // Another download holds the lock; the batch waits for it.
  virtual void Waiting() = 0;
  // Asked before each terminal (and while waiting for the lock).
  virtual bool Cancelled() = 0;
  // While waiting for the lock, before each Cancelled there: a window lets
  // pending messages run.
  virtual void Idle() {}
  // A terminal's turn begins; its walk reports through the returned report.
  virtual TDownloadReport& Begin(const TBatchTerminal& Terminal) = 0;
  virtual void Done(const TBatchTerminal& Terminal, const TBatchItem& Item) = 0;
  virtual void Finished(const TBatchTotals& Totals) = 0;
};

struct TBatchRequest {
  QString AppPath;
  bool SecondDataFile = false;
  QDate Today;
  int Retries = 0;  // further tries of a terminal that could not be reached or broke off
};

// Runs the batch on Sdk, which must hold no connection. The download lock is
// held for the whole batch. An attendance file error ends the batch and is
// thrown (EInOutError): every later terminal would meet it too; a file that
// is there and no regular file is thrown before the lock is waited for. A
// terminal whose disable cannot be noted in DevreDisi is not disabled and
// fails on its own line; the batch goes on.
TBatchTotals DownloadAll(TFKAttendObject& Sdk, const QList<TBatchTerminal>& Terminals,
                         const TBatchRequest& Request, TBatchReport& Report);

// The per-terminal text lines the window and the command line show.
QString BatchItemLine(const TBatchTerminal& Terminal, const TBatchItem& Item);
QString BatchTotalsLine(const TBatchTotals& Totals);
// The text shown when a download waits for another one.
QString DownloadWaitingText();
