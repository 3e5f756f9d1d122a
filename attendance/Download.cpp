#include "attendance/Download.h"

#include <QElapsedTimer>

#include "attendance/AttendanceFiles.h"
#include "attendance/AttendanceLine.h"
#include "common/Cleanup.h"
#include "common/Dialogs.h"
#include "sdk/FKDefine.h"

namespace {

constexpr int kEndOfData = -7;
constexpr int kNoData = -8;
// Pending messages run this often while records come in: often enough for a
// window that repaints and answers at once, far less often than records
// arrive (a pump per record would cost as much as the record itself).
constexpr qint64 kPumpEveryMs = 10;

// The walk shared by the operator's download (Messages: the closing message
// boxes, a broken walk thrown) and the quiet callers, which read the outcome.
TDownloadOutcome Walk(TFKAttendObject& Sdk, const TDownloadRequest& Request,
                      TDownloadReport& Report, bool Messages) {
  TDownloadOutcome outcome;
  // The terminal gets its enable on every path, even when the files could not
  // be opened and it was never disabled; it comes after the files are closed.
  TScopeExit enableAgain([&Sdk] { Sdk.FK_EnableDevice(1); });
  // The files are opened before the terminal is disabled: a file that cannot
  // be opened stops the download before the terminal is touched.
  TAttendanceFiles files(Request.AppPath, Request.SecondDataFile, Request.Today);

  if (!Sdk.FK_EnableDevice(0)) {
    outcome.Result = Sdk.Slot(FKSlot::FK_EnableDevice) ? Sdk.SdkResult : 0;
    return outcome;
  }
  if (!Sdk.FK_LoadGeneralLogData(Request.ReadMark)) {
    outcome.Result = Sdk.Slot(FKSlot::FK_LoadGeneralLogData) ? Sdk.SdkResult : 0;
    if (Messages) Dlg().ShowMessage(QStringLiteral("Cihazdan alınacak veri yok....."));
    return outcome;
  }
  Report.Started(kDownloadProgressMaximum);
  Dlg().ProcessMessages();
  QElapsedTimer sincePump;
  sincePump.start();

  int count = 0;
  int position = 0;
  TAttendanceRecord r;
  QByteArray line;
  while (Sdk.FK_GetGeneralLogData_1(r.EnrollNumber, r.VerifyMode, r.InOutMode, r.Year, r.Month,
                                    r.Day, r.Hour, r.Minute, r.Second)) {
    BuildAttendanceLine(line, r, Request.MachineNumber);
    Report.Line(line);
    line.append("\r\n");
    files.Write(line);
    ++count;
    outcome.Records = count;
    Report.Counted(count);
    if (sincePump.elapsed() >= kPumpEveryMs) {
      Dlg().ProcessMessages();
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
  // operator must not be told that everything was saved.
  const int ended = Sdk.Slot(FKSlot::FK_GetGeneralLogData_1) ? Sdk.SdkResult : 0;
  const bool normalEnd = ended == kEndOfData || (count == 0 && ended == kNoData);
  if (!normalEnd) {
    files.Sync();  // the lines read so far stay written, or their error shows
    if (Messages) throw ETerminalError(ResultText(ended));
    outcome.Result = ended;
    return outcome;
  }

  if (count == 0) {
    if (Messages)
      Dlg().MessageBox(QStringLiteral("Cihazdan Alınacak Veri Yok..."),
                       QStringLiteral("Terminal İşlemleri"), MB_OK | MB_ICONINFORMATION);
    outcome.Complete = true;
    return outcome;
  }
  Report.Progress(kDownloadProgressMaximum);
  // The message promises that the lines are saved: they are on disk first.
  files.Sync();
  outcome.Complete = files.Lines() == count;
  if (Messages) Dlg().ShowMessage(QStringLiteral("Bilgiler Dosyaya Aktarıldı...."));

  // Emptying the log is the one step that can lose records, so it runs only
  // when every record read is on disk, and before the terminal is enabled
  // again: nothing can be recorded on it between the walk and the clear.
  if (Request.ClearLog && outcome.Complete) {
    outcome.ClearTried = true;
    outcome.Cleared = Sdk.FK_EmptyGeneralLogData();
    outcome.Result = Sdk.Slot(FKSlot::FK_EmptyGeneralLogData) ? Sdk.SdkResult : 0;
  }
  return outcome;
}

}  // namespace

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
