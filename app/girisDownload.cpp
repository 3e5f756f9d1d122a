// The main window's attendance work: the download from the connected terminal
// (BitBtn5 "Verileri Aktar") and the memory-card conversion (Button1). The
// routines live in attendance/; the window shows what they report.
#include <QElapsedTimer>

#include "app/giris.h"
#include "attendance/CardFile.h"
#include "attendance/Download.h"
#include "common/BusyState.h"
#include "common/Dialogs.h"

namespace {

// The download in the window: lines in Memo4, the count in LabelTotal, the
// walk's position in ProgressBar1. Lines reach Memo4 in batches a few times a
// second and at the end: laying out and painting the box once per record
// would cost more than reading the record.
class TDownloadView final : public TDownloadReport {
 public:
  explicit TDownloadView(Tfrmgiris& Window) : w_(Window) { shown_.start(); }
  // Also on an error path, so the box holds every line the walk produced.
  ~TDownloadView() override { ShowPendingLines(); }

  void Started(int Maximum) override {
    w_.ProgressBar1->setRange(0, Maximum);
    w_.ProgressBar1->setValue(0);
  }
  void Line(const QByteArray& Text) override {
    pending_ += QLatin1StringView(Text);
    pending_ += QLatin1Char('\n');
  }
  void Counted(int Count) override {
    w_.LabelTotal->setText(QString::number(Count));
    if (shown_.elapsed() >= kRefreshMs) ShowPendingLines();
  }
  void Progress(int Position) override { w_.ProgressBar1->setValue(Position); }
  void Ended(int) override { ShowPendingLines(); }

 private:
  static constexpr qint64 kRefreshMs = 100;

  void ShowPendingLines() {
    shown_.restart();
    if (pending_.isEmpty()) return;
    pending_.chop(1);
    w_.Memo4->appendPlainText(pending_);
    pending_.clear();
  }

  Tfrmgiris& w_;
  QString pending_;
  QElapsedTimer shown_;
};

// The conversion in the window: ProgressBar1 runs over the source's lines.
class TCardView final : public TCardReport {
 public:
  explicit TCardView(Tfrmgiris& Window) : w_(Window) {}
  // A bar whose maximum is 0 would turn into a running busy indicator.
  void Counted(int Lines) override { w_.ProgressBar1->setRange(0, std::max(Lines, 1)); }
  void Converted(int Index) override { w_.ProgressBar1->setValue(Index); }

 private:
  Tfrmgiris& w_;
};

}  // namespace

void Tfrmgiris::BitBtn5Click() {
  Memo4->clear();
  TBusyState busy(BitBtn5);
  // Nothing may disconnect, start another terminal command or close the
  // window while the walk lets pending messages run.
  TTerminalBusy terminalBusy;
  TDownloadView view(*this);
  const TTerminalSession& session = Session();
  DownloadAttendance(*session.TerminalSdk,
                     {session.AppPath, session.ConnectedMachineNumber, CheckBox1->isChecked(),
                      QDate::currentDate()},
                     view);
}

void Tfrmgiris::Button1Click() {
  const QString chosen = Dlg().OpenFileName(this, QString(), Session().AppPath);
  if (chosen.isEmpty()) return;
  Edit1->setText(chosen);
  ShowEmptyProgress();
  Memo1->clear();
  Memo2->clear();
  TCardView view(*this);
  ConvertCardFile(Edit1->text(), Session().AppPath, view);
  ShowEmptyProgress();
}

// The bar with nothing to show: at its start, not a busy indicator.
void Tfrmgiris::ShowEmptyProgress() {
  ProgressBar1->setRange(0, 1);
  ProgressBar1->setValue(0);
}
