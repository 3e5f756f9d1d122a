#include "attendance/Download.h"

#include <QElapsedTimer>
#include <optional>

#include "attendance/AttendanceFiles.h"
#include "attendance/AttendanceLine.h"
#include "common/Dialogs.h"
#include "sdk/FKDefine.h"

namespace {

// Pending messages run this often while records come in: often enough for a
// window that repaints and answers at once, far less often than records
// arrive (a pump per record would cost as much as the record itself).
constexpr qint64 kPumpEveryMs = 10;

// The walk up to the closed files: opens them, disables the terminal in the
// caller's bracket, reads every record into them and fills Outcome. Returns
// what the operator is to be told (Messages) once the files are closed; the
// caller tells it and ends the bracket.
std::optional<TDownloadEnd> WalkIntoFiles(TFKAttendObject& Sdk, TTerminalBracket& Terminal,
                                          const TDownloadRequest& Request, TDownloadReport& Report,
                                          bool Messages, TDownloadOutcome& Outcome) {
  // The files are opened before the terminal is disabled: a file that cannot
  // be opened stops the download before the terminal is touched.
  TAttendanceFiles files(Request.AppPath, Request.SecondDataFile, Request.Today);

  bool disabled = false;
  try {
    disabled = Terminal.Disable();
  } catch (const EDisabledNoteError& e) {
    // No disable was sent: for a quiet caller this terminal's walk did not
    // happen, as when the terminal refuses the disable; the files are fine.
    if (Messages) throw;
    Outcome.Result = FKResult::NoSupport;
    Outcome.ErrorText = e.Text();
    return {};
  }
  if (!disabled) {
    Outcome.Result = Sdk.ResultOf(FKSlot::FK_EnableDevice);
    Outcome.ErrorText = ResultText(Outcome.Result);
    return {};
  }
  if (!Sdk.FK_LoadGeneralLogData(Request.ReadMark)) {
    Outcome.Result = Sdk.ResultOf(FKSlot::FK_LoadGeneralLogData);
    Outcome.ErrorText = ResultText(Outcome.Result);
    return TDownloadEnd::NothingToLoad;
  }
  Report.Started(kDownloadProgressMaximum);
  Report.Idle();
  QElapsedTimer sincePump;
  sincePump.start();

  // The bound keeps the count far below the largest int.
  const int bound = qBound(1, Request.MaxRecords, kMaxWalkRecords);
  int count = 0;
  int position = 0;
  TAttendanceRecord r;
  QByteArray line;
  // Each line reaches the system before the next call: that call may make
  // the terminal count the record as delivered.
  while (count < bound &&
         Sdk.FK_GetGeneralLogData_1(r.EnrollNumber, r.VerifyMode, r.InOutMode, r.Year, r.Month,
                                    r.Day, r.Hour, r.Minute, r.Second)) {
    BuildAttendanceLine(line, r, Request.MachineNumber);
    Report.Line(line);
    line.append("\r\n");
    files.Write(line);
    ++count;
    Outcome.Records = count;
    Report.Counted(count);
    if (sincePump.elapsed() >= kPumpEveryMs) {
      Report.Idle();
      sincePump.restart();
    }
    // The bar advances by the count plus one and starts again at 0 once it
    // reaches its end.
    position += count + 1;
    if (position >= kDownloadProgressMaximum) position = 0;
    Report.Progress(position);
  }
  Report.Ended(count);

  // Only the end of the records ends the walk normally (and an empty walk
  // reported as having no records). Any other result is a broken walk: the
  // operator must not be told that everything was saved. A terminal that is
  // still handing out records at the bound never ends its walk: what it gave
  // is kept, the rest stays on it.
  const int ended =
      count == bound ? FKResult::Success : Sdk.ResultOf(FKSlot::FK_GetGeneralLogData_1);
  const bool normalEnd = ended == FKResult::EndOfData || (count == 0 && ended == FKResult::NoData);
  if (!normalEnd) {
    files.Sync();  // the lines read so far stay written, or their error shows
    const QString text = count == bound ? WalkBoundText(bound) : ResultText(ended);
    // The operator must know what was kept, not only why the walk broke.
    if (Messages)
      throw ETerminalError(WithFullStop(text) + QLatin1Char('\n') + WrittenRecordsText(count));
    Outcome.Result = ended;
    Outcome.ErrorText = text;
    return {};
  }

  if (count == 0) {
    Outcome.Complete = true;
    return TDownloadEnd::NoRecords;
  }
  Report.Progress(kDownloadProgressMaximum);
  // The message promises that the lines are saved: they are on disk first.
  files.Sync();
  Outcome.Complete = files.Lines() == count;

  // Emptying the log is the one step that can lose records, so it runs only
  // when every record read is on disk, and before the terminal is enabled
  // again: nothing can be recorded on it between the walk and the clear.
  if (Request.ClearLog && Outcome.Complete) {
    Outcome.ClearTried = true;
    Outcome.Cleared = Sdk.FK_EmptyGeneralLogData();
    Outcome.Result = Sdk.ResultOf(FKSlot::FK_EmptyGeneralLogData);
  }
  return TDownloadEnd::Saved;
}

// Adds the failed enable to an error on its way out, keeping its class.
template <class E>
[[noreturn]] void Rethrow(const E& Error, const QString& NotEnabled) {
  if (NotEnabled.isEmpty()) throw;
  throw E(Error.Text() + QLatin1Char('\n') + NotEnabled);
}

// The walk shared by the operator's download (Messages: the closing message
// told to Report, a broken walk thrown) and the quiet callers, which read the
// outcome. The closing message comes after the files are closed, so nothing
// that waits for the files (another download, a conversion) waits for the
// operator's OK; and before the enable, in the order the operator knows.
// The terminal gets its enable on every path, even when the files could not
// be opened and it was never disabled; it comes after the files are closed,
// and over a new connection when the walk lost its own. The errors the
// operator is shown carry a failed enable with them.
TDownloadOutcome Walk(TFKAttendObject& Sdk, const TDownloadRequest& Request,
                      TDownloadReport& Report, bool Messages) {
  TDownloadOutcome outcome;
  TTerminalBracket terminal(Sdk, TTerminalBracket::TEnableWhen::EveryPath);
  try {
    const std::optional<TDownloadEnd> end =
        WalkIntoFiles(Sdk, terminal, Request, Report, Messages, outcome);
    Report.FilesClosed();
    if (Messages && end) Report.Closing(*end);
  } catch (const EInOutError& e) {
    Rethrow(e, terminal.Enable());
  } catch (const ETerminalError& e) {
    Rethrow(e, terminal.Enable());
  }
  outcome.NotEnabledText = terminal.Enable();
  if (Messages && !outcome.NotEnabledText.isEmpty()) Report.NotEnabledAgain(outcome.NotEnabledText);
  return outcome;
}

}  // namespace

QString WalkBoundText(int Bound) {
  return QStringLiteral(
             "Cihaz kayıt aktarımını bitirmiyor: %1 kayıttan sonra aktarım "
             "durduruldu. Alınan kayıtlar dosyalarda duruyor....")
      .arg(Bound);
}

QString WrittenRecordsText(qint64 Count) {
  return QStringLiteral("%1 kayıt dosyalara yazıldı.").arg(Count);
}

int DownloadAttendance(TFKAttendObject& Sdk, const TDownloadRequest& Request,
                       TDownloadReport& Report) {
  TDownloadRequest request = Request;
  request.ClearLog = false;  // the operator's download never deletes
  return Walk(Sdk, request, Report, true).Records;
}

TDownloadOutcome WalkAttendance(TFKAttendObject& Sdk, const TDownloadRequest& Request,
                                TDownloadReport& Report) {
  return Walk(Sdk, Request, Report, false);
}
