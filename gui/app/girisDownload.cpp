// The main window's attendance work: the download from the connected terminal
// (BitBtn5 "Verileri Aktar") and the memory-card conversion (Button1). The
// routines live in attendance/; the window shows what they report.
#include <QElapsedTimer>
#include <QPointer>
#include <optional>

#include "app/giris.h"
#include "attendance/AttendanceFiles.h"
#include "attendance/Batch.h"
#include "attendance/CardFile.h"
#include "attendance/Download.h"
#include "attendance/DownloadLock.h"
#include "widgets/BusyState.h"
#include "widgets/Dlg.h"

namespace {

class TWindowLock;

// The download in the window: lines in Memo4, the count in LabelTotal, the
// walk's position in ProgressBar1. Lines and count reach their controls ten
// times a second and at the end: laying out the box once per record would
// cost more than reading the record. The download lock (when given) goes as
// soon as the files are closed, before the closing message waits for OK.
class TDownloadView final : public TDownloadReport {
 public:
  explicit TDownloadView(Tfrmgiris& Window, TWindowLock* Lock = nullptr) : w_(Window), lock_(Lock) {
    shown_.start();
  }
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
  void FilesClosed() override;
  void Closing(TDownloadEnd End) override {
    switch (End) {
      case TDownloadEnd::NothingToLoad:
        Dlg().ShowMessage(QStringLiteral("Cihazdan alınacak veri yok....."));
        break;
      case TDownloadEnd::NoRecords:
        Dlg().MessageBox(QStringLiteral("Cihazdan Alınacak Veri Yok..."), kTitle,
                         MB_OK | MB_ICONINFORMATION);
        break;
      case TDownloadEnd::Saved:
        Dlg().ShowMessage(QStringLiteral("Bilgiler Dosyaya Aktarıldı...."));
        break;
    }
  }
  void NotEnabledAgain(const QString& Text) override {
    Dlg().MessageBox(Text, kTitle, MB_OK | MB_ICONWARNING);
  }
  void Idle() override { Dlg().ProcessMessages(); }

 private:
  static constexpr qint64 kRefreshMs = 100;
  static inline const QString kTitle = QStringLiteral("Terminal İşlemleri");

  void ShowPendingLines() {
    shown_.restart();
    if (pending_.isEmpty()) return;
    w_.LabelTotal->setText(QString::number(count_));
    pending_.chop(1);
    w_.Memo4->appendPlainText(pending_);
    pending_.clear();
  }

  Tfrmgiris& w_;
  TWindowLock* lock_;
  QString pending_;
  int count_ = 0;
  QElapsedTimer shown_;
};

// The wait for the download lock in the window, while another download or
// conversion (here or in another program) writes the attendance files:
// Memo4 says so and a button beside it lets the operator give up. The
// button exists for the wait only; everything else is locked meanwhile.
class TLockWaitView {
 public:
  explicit TLockWaitView(Tfrmgiris& Window) : w_(Window) {}
  // Still waiting at the end: the wait was given up.
  ~TLockWaitView() { Ended(false); }
  TLockWaitView(const TLockWaitView&) = delete;
  TLockWaitView& operator=(const TLockWaitView&) = delete;

  void Waiting() {
    memoBefore_ = w_.Memo4->toPlainText();
    waited_ = true;
    w_.Memo4->appendPlainText(DownloadWaitingText());
    button_ = new QPushButton(QStringLiteral("beklemeyi iptal et"), &w_);
    button_->setObjectName(QStringLiteral("btnBeklemeIptal"));
    button_->setGeometry(416, 400, 150, 33);
    QObject::connect(button_, &QPushButton::clicked, [this] { cancelled_ = true; });
    button_->show();
  }
  bool Cancelled() const { return cancelled_; }
  // The wait is over: the lock is held, or the operator gave up and Memo4
  // says that nothing was written.
  void Ended(bool Held) {
    delete button_;  // a QPointer: nothing when there is none
    if (!waited_) return;
    waited_ = false;
    if (Held)
      w_.Memo4->setPlainText(memoBefore_);
    else
      w_.Memo4->appendPlainText(QStringLiteral("Beklemekten vazgeçildi, hiçbir şey yazılmadı...."));
  }

 private:
  Tfrmgiris& w_;
  QPointer<QPushButton> button_;
  QString memoBefore_;
  bool waited_ = false;
  bool cancelled_ = false;
};

// The download lock for a download from the window; Held() false when the
// operator gave up waiting for it.
class TWindowLock {
 public:
  explicit TWindowLock(Tfrmgiris& Window) : wait_(Window) {
    lock_.emplace(
        Session().AppPath(), [this] { wait_.Waiting(); }, [this] { return wait_.Cancelled(); },
        [] { Dlg().ProcessMessages(); });
    wait_.Ended(lock_->Held());
  }
  bool Held() const { return lock_ && lock_->Held(); }
  void Release() { lock_.reset(); }

 private:
  TLockWaitView wait_;
  std::optional<TDownloadLock> lock_;
};

void TDownloadView::FilesClosed() {
  if (lock_) lock_->Release();
}

// The conversion in the window: ProgressBar1 runs over the source's lines.
// The bar moves in steps of a thousandth: asking it whether a single line
// moves it costs more than converting the line.
class TCardView final : public TCardReport {
 public:
  explicit TCardView(Tfrmgiris& Window) : w_(Window), wait_(Window), bar_(0) {}
  void Waiting() override { wait_.Waiting(); }
  bool Cancelled() override { return wait_.Cancelled(); }
  void Idle() override { Dlg().ProcessMessages(); }
  void Counted(qint64 Lines) override {
    wait_.Ended(true);
    bar_ = TCardProgress(Lines);
    // A bar whose maximum is 0 would turn into a running busy indicator.
    w_.ProgressBar1->setRange(0, bar_.Maximum());
    last_ = Lines - 1;
    step_ = std::max<qint64>(1, Lines / 1000);
  }
  void Converted(qint64 Index) override {
    if (Index - shown_ < step_ && Index != last_) return;
    w_.ProgressBar1->setValue(bar_.Position(Index));
    shown_ = Index;
  }

 private:
  Tfrmgiris& w_;
  TLockWaitView wait_;
  TCardProgress bar_;
  qint64 last_ = 0;
  qint64 step_ = 1;
  qint64 shown_ = 0;
};

// When a download from the window gives its download lock back.
enum class TLockRelease {
  FilesClosed,  // before the closing message waits for OK
  End,          // when Walk has returned
};

// A download from the window, up to where Walk asks the terminal: Memo4
// emptied (once: a wait for the lock shows its line there and puts the empty
// memo back when the lock is held), the hourglass, every control locked that could disturb the
// walk, the download lock, and the view with a request from the window's options. False, with Walk
// not run, when the operator gave up waiting for the lock.
template <class Walk>
bool RunWindowDownload(Tfrmgiris& Window, TLockRelease Release, Walk&& Run) {
  Window.Memo4->clear();
  // The cursor only: TTerminalBusy disables BitBtn5 with the rest and gives
  // each control back the state it had, so a pop-up download leaves a
  // disabled BitBtn5 disabled.
  TBusyState busy = TBusyState::CursorOnly();
  // Nothing may disconnect, start another terminal command or close the
  // window while the walk lets pending messages run.
  TTerminalBusy terminalBusy;
  const TTerminalSession& session = Session();
  // A file that can never take the lines is told before any wait.
  TAttendanceFiles::RefuseIfNotRegular(session.AppPath(), Window.CheckBox1->isChecked(),
                                       QDate::currentDate());
  TWindowLock lock(Window);
  if (!lock.Held()) return false;
  TDownloadView view(Window, Release == TLockRelease::FilesClosed ? &lock : nullptr);
  TDownloadRequest request{session.AppPath(), session.Terminal().MachineNumber,
                           Window.CheckBox1->isChecked(), QDate::currentDate()};
  Run(session.TerminalSdk(), request, view);
  return true;
}

}  // namespace

void Tfrmgiris::BitBtn5Click() {
  DownloadFromTerminal(1);
}

// "Tüm Verileri Al (silmez)": every record the terminal holds, read before or
// not; nothing is deleted.
void Tfrmgiris::mnuTumVerileriAlClick() {
  // Offered without a connection too: then nothing is called.
  if (!Session().Connected()) {
    ShowNoTerminal();
    return;
  }
  DownloadFromTerminal(0);
}

void Tfrmgiris::ShowNoTerminal() {
  Dlg().MessageBox(QStringLiteral("Bağlı terminal yok...."), QStringLiteral("UYARI"),
                   MB_OK | MB_ICONWARNING);
}

void Tfrmgiris::DownloadFromTerminal(int ReadMark) {
  RunWindowDownload(
      *this, TLockRelease::FilesClosed,
      [ReadMark](TFKAttendObject& Sdk, TDownloadRequest& Request, TDownloadReport& View) {
        Request.ReadMark = ReadMark;
        DownloadAttendance(Sdk, Request, View);
      });
}

// "Tüm Verileri Al(aldıktan sonra cihazdan sil)": the full download, then the
// terminal's log is emptied, but only once every record read is on disk.
void Tfrmgiris::mnuTumVerileriAlSilClick() {
  const TTerminalSession& session = Session();
  // The menu is offered without a connection too: there is then no terminal
  // to name in the question, nor to empty.
  if (!session.Connected()) {
    ShowNoTerminal();
    return;
  }
  if (Dlg().MessageBox(QStringLiteral("\"%1\" terminalindeki tüm kayıtlar alınıp cihazdan "
                                      "silinecek. Devam etmek istiyor musunuz...?")
                           .arg(session.Terminal().Name),
                       QStringLiteral("UYARI"), MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  TDownloadOutcome outcome;
  QString fileError;
  bool walked = false;
  try {
    walked = RunWindowDownload(
        *this, TLockRelease::End,
        [&](TFKAttendObject& Sdk, TDownloadRequest& Request, TDownloadReport& View) {
          Request.ReadMark = 0;
          Request.ClearLog = true;
          try {
            outcome = WalkAttendance(Sdk, Request, View);
          } catch (const EInOutError& e) {
            fileError = e.Text();
          }
        });
  } catch (const EInOutError& e) {
    // A file refused before the walk: the operator learns that nothing was
    // deleted, as after any other file error.
    fileError = e.Text();
    walked = true;
  }
  if (!walked) return;  // nothing read, nothing to report
  ShowClearOutcome(outcome, fileError);
}

void Tfrmgiris::ShowClearOutcome(const TDownloadOutcome& Outcome, const QString& FileError) {
  const QString title = QStringLiteral("Terminal İşlemleri");
  if (!FileError.isEmpty()) {
    Dlg().MessageBox(QStringLiteral("HATA...veriler dosyaya yazılamadı (%1). Cihazdaki kayıtlar "
                                    "silinmedi....")
                         .arg(FileError),
                     title, MB_OK | MB_ICONWARNING);
  } else if (!Outcome.Complete) {
    Dlg().MessageBox(QStringLiteral("HATA...veriler alınamadı (%1). Dosyaya aktarılan kayıt "
                                    "sayısı: %2. Cihazdaki kayıtlar silinmedi....")
                         .arg(Outcome.ErrorText)
                         .arg(Outcome.Records),
                     title, MB_OK | MB_ICONWARNING);
  } else if (Outcome.Records == 0) {
    Dlg().MessageBox(QStringLiteral("Cihazdan Alınacak Veri Yok..."), title,
                     MB_OK | MB_ICONINFORMATION);
  } else if (!Outcome.Cleared) {
    Dlg().MessageBox(QStringLiteral("%1 kayıt dosyaya aktarıldı, fakat cihazdaki kayıtlar "
                                    "silinemedi (%2). Aktarılan kayıtlar dosyalarda duruyor....")
                         .arg(Outcome.Records)
                         .arg(ResultText(Outcome.Result)),
                     title, MB_OK | MB_ICONWARNING);
  } else {
    Dlg().MessageBox(QStringLiteral("%1 kayıt dosyaya aktarıldı, cihazdaki kayıtlar silindi....")
                         .arg(Outcome.Records),
                     title, MB_OK | MB_ICONINFORMATION);
  }
  if (!Outcome.NotEnabledText.isEmpty())
    Dlg().MessageBox(Outcome.NotEnabledText, title, MB_OK | MB_ICONWARNING);
}

void Tfrmgiris::Button1Click() {
  const QString chosen = Dlg().OpenFileName(this, QString(), Session().AppPath());
  if (chosen.isEmpty()) return;
  Edit1->setText(chosen);
  ShowEmptyProgress();
  Memo1->clear();
  Memo2->clear();
  // Nothing may start a download or close the window while the conversion
  // waits for the download lock.
  TTerminalBusy busy;
  TCardView view(*this);
  ConvertCardFile(Edit1->text(), Session().AppPath(), view);
  Dlg().ShowMessage(QStringLiteral("Aktarım işlemi tamamlandı.."));
  ShowEmptyProgress();
}

// The bar with nothing to show: at its start, not a busy indicator.
void Tfrmgiris::ShowEmptyProgress() {
  ProgressBar1->setRange(0, 1);
  ProgressBar1->setValue(0);
}
