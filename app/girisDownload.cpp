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
// walk's position in ProgressBar1. Lines and count reach their controls ten
// times a second and at the end: laying out the box once per record would
// cost more than reading the record.
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
    count_ = Count;
    if (shown_.elapsed() >= kRefreshMs) ShowPendingLines();
  }
  void Progress(int Position) override { w_.ProgressBar1->setValue(Position); }
  void Ended(int) override { ShowPendingLines(); }

 private:
  static constexpr qint64 kRefreshMs = 100;

  void ShowPendingLines() {
    shown_.restart();
    if (pending_.isEmpty()) return;
    w_.LabelTotal->setText(QString::number(count_));
    pending_.chop(1);
    w_.Memo4->appendPlainText(pending_);
    pending_.clear();
  }

  Tfrmgiris& w_;
  QString pending_;
  int count_ = 0;
  QElapsedTimer shown_;
};

// The conversion in the window: ProgressBar1 runs over the source's lines.
// The bar moves in steps of a thousandth: asking it whether a single line
// moves it costs more than converting the line.
class TCardView final : public TCardReport {
 public:
  explicit TCardView(Tfrmgiris& Window) : w_(Window) {}
  void Counted(int Lines) override {
    // A bar whose maximum is 0 would turn into a running busy indicator.
    w_.ProgressBar1->setRange(0, std::max(Lines, 1));
    last_ = Lines - 1;
    step_ = std::max(1, Lines / 1000);
  }
  void Converted(int Index) override {
    if (Index - shown_ < step_ && Index != last_) return;
    w_.ProgressBar1->setValue(Index);
    shown_ = Index;
  }

 private:
  Tfrmgiris& w_;
  int last_ = 0;
  int step_ = 1;
  int shown_ = 0;
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
