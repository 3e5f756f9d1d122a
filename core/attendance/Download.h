// The attendance download: disables the terminal, walks its attendance
// records, appends one line per record to the output files and enables the
// terminal again. The routine decides what is written and in what order; the
// front end (the main window, or a console) only shows what it reports.
#pragma once
#include <QByteArray>
#include <QDate>
#include <QString>

#include "common/Errors.h"

class TFKAttendObject;

// How the operator's download ended, told while the terminal is still
// disabled: the load found nothing, the walk found no records, or the lines
// are saved.
enum class TDownloadEnd { NothingToLoad, NoRecords, Saved };

// What the walk tells its front end, in this order: Started once, then for
// each record Line, Counted and Progress, then Ended, then Progress(maximum)
// after a walk that delivered records, then FilesClosed. The operator's
// download (DownloadAttendance) then tells Closing, before the terminal is
// enabled again, and NotEnabledAgain after it when that failed; the quiet
// walk (WalkAttendance) tells neither and returns them in its outcome.
class TDownloadReport {
 public:
  virtual ~TDownloadReport() = default;
  // The walk begins: the progress runs from 0 to Maximum and stands at 0.
  virtual void Started(int Maximum) = 0;
  // One attendance line (no line break), before it goes to the files.
  virtual void Line(const QByteArray& Text) = 0;
  // Records read so far.
  virtual void Counted(int Count) = 0;
  virtual void Progress(int Position) = 0;
  // The walk is over after Count records, before any closing message.
  virtual void Ended(int Count) = 0;
  // The output files are synced and closed (not on an error path). A front
  // end that holds the download lock for them lets go of it here: the
  // closing message may wait for the operator for hours, and a scheduled
  // download must not wait with it.
  virtual void FilesClosed() {}
  // The operator is told how the download ended (nothing by default).
  virtual void Closing(TDownloadEnd) {}
  // The terminal could not be enabled again: Text says so and what to do.
  virtual void NotEnabledAgain(const QString&) {}
  // Before the first record and every few milliseconds while records come
  // in: a window lets its pending messages run here (repaint, the buttons
  // left enabled); a front end without windows has nothing to do.
  virtual void Idle() {}
};

// A walk that shows nothing of its own (a terminal of a batch).
class TSilentDownloadReport : public TDownloadReport {
 public:
  void Started(int) override {}
  void Line(const QByteArray&) override {}
  void Counted(int) override {}
  void Progress(int) override {}
  void Ended(int) override {}
};

// A terminal call failed where the action cannot go on; the text is the
// SDK's text for the result.
class ETerminalError : public EAppError {
  using EAppError::EAppError;
};

// More attendance records than any real terminal holds.
constexpr int kMaxWalkRecords = 10'000'000;

struct TDownloadRequest {
  QString AppPath;              // where the output files are, with its separator
  int MachineNumber = 0;        // written into every line
  bool SecondDataFile = false;  // also write "veri2.txt"
  QDate Today;                  // names the backup file
  // 1: the records the terminal has not handed out before; 0: every record
  // it holds.
  int ReadMark = 1;
  // Empty the terminal's log after a complete walk whose lines are on disk,
  // while the terminal is still disabled (see WalkAttendance).
  bool ClearLog = false;
  // A terminal still handing out records after this many never ends its
  // walk: it is stopped there as broken (at most kMaxWalkRecords).
  int MaxRecords = kMaxWalkRecords;
};

// How a walk ended, for a caller that decides what to tell and what to do.
struct TDownloadOutcome {
  int Records = 0;  // records read, and written to every output file
  // The walk ran to the end of the records and every line is on disk.
  bool Complete = false;
  // The SDK result of the call that stopped an incomplete walk (disable,
  // load or the walk step), or of the clear.
  int Result = 1;
  // Why an incomplete walk stopped: the SDK's text for Result, or
  // WalkBoundText for a walk that did not end.
  QString ErrorText;
  // Empty when the terminal was enabled again at the end; otherwise the
  // operator must be told (NotEnabledAgainText).
  QString NotEnabledText;
  bool ClearTried = false;  // FK_EmptyGeneralLogData was called
  bool Cleared = false;     // ... and answered success
};

// Where the walk's progress wraps; it stands here at the end.
constexpr int kDownloadProgressMaximum = 500;

// Runs the download on the connection Sdk holds. Returns the number of
// records written. Report.Idle is called before the first record and every
// few milliseconds while records come in; the
// closing message is Report's (Closing), told once the files are closed. An
// output file that cannot be opened or written throws EInOutError, a walk
// that breaks off or does not end throws ETerminalError (its text, then a
// line of WrittenRecordsText); the lines written before stay written,
// the files are closed and the terminal is enabled again on every path
// (EnableTerminalAgain). When even that fails, the operator is told: through
// Report.NotEnabledAgain after the closing message, or on a line of its own
// added to the thrown error.
int DownloadAttendance(TFKAttendObject& Sdk, const TDownloadRequest& Request,
                       TDownloadReport& Report);

// The same walk without any message, for the batch and the full download
// with clearing: how it ended is returned instead. Only an attendance file
// error throws (EInOutError); a disable whose note cannot be kept is not
// sent and ends the walk as a refused disable does, ErrorText saying why.
// With Request.ClearLog the terminal's log is emptied only when the walk
// delivered records, ended with the end of the records, every file was
// flushed and synced, and the lines written equal the records read; the
// clear runs before the terminal is enabled again, so no record made on the
// terminal in between can be lost.
TDownloadOutcome WalkAttendance(TFKAttendObject& Sdk, const TDownloadRequest& Request,
                                TDownloadReport& Report);

// Why a walk that reached its bound was stopped.
QString WalkBoundText(int Bound);

// What a broken walk kept: "<Count> kayıt dosyalara yazıldı."
QString WrittenRecordsText(qint64 Count);
