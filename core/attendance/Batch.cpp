#include "attendance/Batch.h"

#include <QStringList>

#include "attendance/AttendanceFiles.h"
#include "attendance/DownloadLock.h"
#include "common/Cleanup.h"
#include "data/TerminalList.h"

QList<TBatchTerminal> ReadTerminalList(TTerminalList& List) {
  QList<TBatchTerminal> terminals;
  for (const TListedTerminal& listed : List.ReadAll()) {
    TBatchTerminal t;
    t.Name = listed.Name;
    t.Info = listed.Info;
    t.MachineNumber = listed.Info.MachineNumber;
    t.RowError = listed.RowError;
    terminals << t;
  }
  return terminals;
}

namespace {

// One try of one terminal: connect, walk, disconnect.
TBatchItem DownloadOne(TFKAttendObject& Sdk, const TBatchTerminal& Terminal,
                       const TBatchRequest& Request, TDownloadReport& Walk) {
  TBatchItem item;
  if (!Sdk.Connect(Terminal.Info)) {
    item.ErrorText = Sdk.LastErrorText();
    return item;
  }
  TScopeExit disconnect([&Sdk] { Sdk.Disconnect(); });
  // A terminal that stays disabled after the enable at the connect is not
  // walked: it fails, and the next try (or run) enables it first again.
  if (Sdk.LeftDisabledAtConnect() == TFKAttendObject::TLeftDisabled::NotEnabled) {
    item.ErrorText = LeftDisabledText(Sdk);
    return item;
  }
  item.Note = LeftDisabledText(Sdk);
  TDownloadRequest download;
  download.AppPath = Request.AppPath;
  download.MachineNumber = Terminal.MachineNumber;
  download.SecondDataFile = Request.SecondDataFile;
  download.Today = Request.Today;
  const TDownloadOutcome outcome = WalkAttendance(Sdk, download, Walk);
  item.Records = outcome.Records;
  // A terminal left disabled is a failure too: its keypad and reader are
  // locked until someone enables it.
  item.Ok = outcome.Complete && outcome.NotEnabledText.isEmpty();
  QStringList problems;
  if (!outcome.Complete) problems << outcome.ErrorText;
  if (!outcome.NotEnabledText.isEmpty()) problems << outcome.NotEnabledText;
  item.ErrorText = problems.join(QStringLiteral(" - "));
  return item;
}

}  // namespace

TBatchTotals DownloadAll(TFKAttendObject& Sdk, const QList<TBatchTerminal>& Terminals,
                         const TBatchRequest& Request, TBatchReport& Report) {
  TBatchTotals totals;
  // Files that can never take a line are told before any wait or terminal.
  TAttendanceFiles::RefuseIfNotRegular(Request.AppPath, Request.SecondDataFile, Request.Today);
  TDownloadLock lock(
      Request.AppPath, [&Report] { Report.Waiting(); }, [&Report] { return Report.Cancelled(); },
      [&Report] { Report.Idle(); });
  for (const TBatchTerminal& terminal : Terminals) {
    // A terminal's walk, once begun, runs to its end; the batch stops only
    // between terminals, so no terminal is left with half a walk delivered.
    if (!lock.Held() || Report.Cancelled()) {
      totals.Cancelled = true;
      break;
    }
    TDownloadReport& walk = Report.Begin(terminal);
    TBatchItem item;
    if (!terminal.RowError.isEmpty()) {
      item.ErrorText = terminal.RowError;
    } else {
      // A retry after a broken walk goes on where it stopped: with read mark
      // 1 the terminal hands out only what did not reach us.
      for (int attempt = 0; attempt <= Request.Retries; ++attempt) {
        const qint64 before = item.Records;
        const QString note = item.Note;
        item = DownloadOne(Sdk, terminal, Request, walk);
        item.Records += before;
        if (item.Note.isEmpty()) item.Note = note;
        if (item.Ok) break;
      }
    }
    ++totals.Terminals;
    totals.Records += item.Records;
    if (!item.Ok) ++totals.Failed;
    Report.Done(terminal, item);
  }
  Report.Finished(totals);
  return totals;
}

QString BatchItemLine(const TBatchTerminal& Terminal, const TBatchItem& Item) {
  QString line;
  if (Item.Ok)
    line = QStringLiteral("%1: %2 kayıt aktarıldı").arg(Terminal.Name).arg(Item.Records);
  else if (Item.Records > 0)
    line = QStringLiteral("%1: HATA - %2 (%3 kayıt aktarıldı)")
               .arg(Terminal.Name, Item.ErrorText)
               .arg(Item.Records);
  else
    line = QStringLiteral("%1: HATA - %2").arg(Terminal.Name, Item.ErrorText);
  if (!Item.Note.isEmpty()) line += QStringLiteral(" - ") + Item.Note;
  return line;
}

QString BatchTotalsLine(const TBatchTotals& Totals) {
  const QString head = Totals.Cancelled ? QStringLiteral("İşlem iptal edildi. ")
                                        : QStringLiteral("İşlem tamamlandı. ");
  return head + QStringLiteral("Terminal: %1, Hatalı: %2, Toplam Kayıt: %3")
                    .arg(Totals.Terminals)
                    .arg(Totals.Failed)
                    .arg(Totals.Records);
}

QString DownloadWaitingText() {
  return QStringLiteral("Başka bir veri aktarımı sürüyor, bitmesi bekleniyor....");
}
