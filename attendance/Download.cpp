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

}  // namespace

int DownloadAttendance(TFKAttendObject& Sdk, const TDownloadRequest& Request,
                       TDownloadReport& Report) {
  // The terminal gets its enable on every path, even when the files could not
  // be opened and it was never disabled; it comes after the files are closed.
  TScopeExit enableAgain([&Sdk] { Sdk.FK_EnableDevice(1); });
  // The files are opened before the terminal is disabled: a file that cannot
  // be opened stops the download before the terminal is touched.
  TAttendanceFiles files(Request.AppPath, Request.SecondDataFile, Request.Today);

  if (!Sdk.FK_EnableDevice(0)) return 0;
  if (!Sdk.FK_LoadGeneralLogData(1)) {
    Dlg().ShowMessage(QStringLiteral("Cihazdan alınacak veri yok....."));
    return 0;
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
    throw ETerminalError(ResultText(ended));
  }

  if (count == 0) {
    Dlg().MessageBox(QStringLiteral("Cihazdan Alınacak Veri Yok..."),
                     QStringLiteral("Terminal İşlemleri"), MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  Report.Progress(kDownloadProgressMaximum);
  // The message promises that the lines are saved: they are on disk first.
  files.Sync();
  Dlg().ShowMessage(QStringLiteral("Bilgiler Dosyaya Aktarıldı...."));
  return count;
}
