// The main window's batch download ("Bağlanıp Verileri Aktar" on the second
// page): every terminal of the list in turn, one Memo3 line per terminal and
// a closing line with the totals. The routine lives in attendance/Batch.
#include "app/giris.h"
#include "attendance/Batch.h"
#include "common/Cleanup.h"
#include "data/DM.h"
#include "widgets/BusyState.h"
#include "widgets/Dlg.h"

namespace {

// A terminal's walk in the batch shows nothing of its own (Memo3 gets the
// terminal's line when it is done), but lets pending messages run.
class TBatchWalkView final : public TSilentDownloadReport {
 public:
  void Idle() override { Dlg().ProcessMessages(); }
};

class TBatchView final : public TBatchReport {
 public:
  TBatchView(QPlainTextEdit* Memo, const bool& CancelAsked) : memo_(Memo), cancel_(CancelAsked) {}
  void Waiting() override { memo_->appendPlainText(DownloadWaitingText()); }
  bool Cancelled() override {
    Dlg().ProcessMessages();  // lets a press of the cancel button arrive
    return cancel_;
  }
  void Idle() override { Dlg().ProcessMessages(); }
  TDownloadReport& Begin(const TBatchTerminal&) override {
    Dlg().ProcessMessages();
    return walk_;
  }
  void Done(const TBatchTerminal& Terminal, const TBatchItem& Item) override {
    memo_->appendPlainText(BatchItemLine(Terminal, Item));
  }
  void Finished(const TBatchTotals& Totals) override {
    memo_->appendPlainText(BatchTotalsLine(Totals));
  }

 private:
  QPlainTextEdit* memo_;
  const bool& cancel_;
  TBatchWalkView walk_;
};

}  // namespace

void Tfrmgiris::BitBtn11Click() {
  TTerminalSession& session = Session();
  // The batch makes its own connections through the one binding, so the
  // window's connection goes first, with the operator's consent.
  if (session.Connected()) {
    if (Dlg().MessageBox(QStringLiteral("Açık olan terminal bağlantısı kapatılacak. Devam etmek "
                                        "istiyor musunuz...?"),
                         QStringLiteral("UYARI"), MB_YESNO | MB_ICONQUESTION) != IDYES)
      return;
    DisconnectTerminal();
  }
  const QList<TBatchTerminal> terminals = ReadTerminalList(frmDM->Terminals);
  Memo3->clear();
  TBusyState busy(BitBtn11);
  // Disables everything that could connect, disconnect, start a terminal
  // command or close the window; only the cancel button is live.
  TTerminalBusy terminalBusy;
  batchCancelled_ = false;
  BitBtn13->setEnabled(true);
  TScopeExit cancelOff([this] { BitBtn13->setEnabled(false); });
  TBatchView view(Memo3, batchCancelled_);
  DownloadAll(session.TerminalSdk(), terminals,
              {session.AppPath(), CheckBox1->isChecked(), QDate::currentDate()}, view);
}

// Takes effect before the next terminal: a walk under way runs to its end.
void Tfrmgiris::BitBtn13Click() {
  batchCancelled_ = true;
  Memo3->appendPlainText(QStringLiteral("İptal istendi, sıradaki terminalden önce durulacak..."));
}
