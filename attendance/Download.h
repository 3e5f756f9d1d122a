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

// What the walk tells its front end, in this order: Started once, then for
// each record Line, Counted and Progress, then Ended, then Progress(maximum)
// after a walk that delivered records.
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
};

// A terminal call failed where the action cannot go on; the text is the
// SDK's text for the result.
class ETerminalError : public EAppError {
  using EAppError::EAppError;
};

struct TDownloadRequest {
  QString AppPath;              // where the output files are, with its separator
  int MachineNumber = 0;        // written into every line
  bool SecondDataFile = false;  // also write "veri2.txt"
  QDate Today;                  // names the backup file
};

// Where the walk's progress wraps; it stands here at the end.
constexpr int kDownloadProgressMaximum = 500;

// Runs the download on the connection Sdk holds. Returns the number of
// records written. Messages go through the dialogs seam, which also lets
// pending messages run before the first record and every few milliseconds
// while records come in. An output file that
// cannot be opened or written throws EInOutError, a walk that breaks off
// throws ETerminalError; the lines written before stay written, the files are
// closed and the terminal is enabled again on every path.
int DownloadAttendance(TFKAttendObject& Sdk, const TDownloadRequest& Request,
                       TDownloadReport& Report);
