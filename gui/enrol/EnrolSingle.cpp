// The single-record tab: one item read from, written to or deleted on the
// terminal through the working template.
#include "common/Errors.h"
#include "enrol/Enrol.h"
#include "enrolldata/EnrollRecord.h"
#include "session/TerminalSession.h"
#include "widgets/Dlg.h"

namespace {

TFKAttendObject& Sdk() {
  return Session().TerminalSdk();
}

}  // namespace

int TfrmEnrol::ChosenBackupNumber() {
  const int b = BackupNumberFromName(cmbBackupNumber->currentText());
  if (b < 0)
    lblMessage->setText(QStringLiteral("Geçersiz Pmkizi No : ") + cmbBackupNumber->currentText());
  return b;
}

// The boxes are read before the terminal is disabled, so a number that does
// not convert never leaves the terminal locked.
void TfrmEnrol::cmdGetEnrollDataClick() {
  lstEnrollData->clear();
  lblMessage->setText(QStringLiteral("Working..."));
  const int n = StrToInt(txtEnrollNumber->text());
  const int b = ChosenBackupNumber();
  if (b < 0) return;
  if (!Sdk().FK_EnableDevice(0)) {
    lblMessage->setText(QStringLiteral("No Device"));
    return;
  }
  lblEnrollData->setText(QStringLiteral("Enrolled Data"));
  Working.Reset(b);
  int p = 0;
  if (Sdk().FK_GetEnrollData(n, b, p, Working.Data(), Working.PasswordValue)) {
    cmbPrivilege->setCurrentIndex(p >= 0 && p < cmbPrivilege->count() ? p : -1);
    lblMessage->setText(QStringLiteral("GetEnrollData OK"));
    ShowTemplateBytes(b);
  } else {
    lblMessage->setText(QStringLiteral("error"));
  }
  Sdk().FK_EnableDevice(1);
}

void TfrmEnrol::cmdSetEnrollDataClick() {
  lblMessage->setText(QStringLiteral("Working..."));
  if (txtEnrollNumber->text().isEmpty()) txtEnrollNumber->setText(QStringLiteral("0"));
  if (txtCardNumber->text().isEmpty()) txtCardNumber->setText(QStringLiteral("0"));
  const int n = StrToInt(txtEnrollNumber->text());
  const int b = ChosenBackupNumber();
  if (b < 0) return;
  const int p = StrToInt(cmbPrivilege->currentText());
  if (!Sdk().FK_EnableDevice(0)) {
    lblMessage->setText(QStringLiteral("No Device"));
    return;
  }
  // The working template may be of another item (or empty): the library
  // reads the first TemplateSize(b) bytes, so a shorter buffer is padded;
  // a longer one is kept whole for the next send.
  Working.Fit(b);
  if (Sdk().FK_PutEnrollData(n, b, p, Working.Data(), Working.PasswordValue)) {
    lblMessage->setText(QStringLiteral("Saving..."));
    lblMessage->repaint();
    if (Sdk().FK_SaveEnrollData()) lblMessage->setText(QStringLiteral("SetEnrollData OK"));
  }
  if (Sdk().SdkResult() != FKResult::Success)
    lblMessage->setText(QStringLiteral("SetEnrollData Error: ") + Sdk().LastErrorText());
  Sdk().FK_EnableDevice(1);
}

void TfrmEnrol::cmdDeleteEnrollDataClick() {
  lblMessage->setText(QStringLiteral("Working..."));
  const int n = StrToInt(txtEnrollNumber->text());
  StrToInt(cmbEMachineNumber->currentText());  // converted, as designed, though not used
  const int b = ChosenBackupNumber();
  if (b < 0) return;
  if (!Sdk().FK_EnableDevice(0)) {
    lblMessage->setText(QStringLiteral("No Device"));
    return;
  }
  if (Sdk().FK_DeleteEnrollData(n, b)) {
    lblMessage->setText(QStringLiteral("DeleteEnrollData OK"));
  } else {
    lblMessage->setText(QStringLiteral("DeleteEnrollData Error: ") + Sdk().LastErrorText());
  }
  Sdk().FK_EnableDevice(1);
}

static void EnableUserItem(TfrmEnrol& W, int Flag) {
  W.lblMessage->setText(QStringLiteral("Working..."));
  const int n = StrToInt(W.txtEnrollNumber->text());
  const int b = BackupNumberFromName(W.cmbBackupNumber->currentText());
  if (b < 0) {
    W.lblMessage->setText(QStringLiteral("Geçersiz Pmkizi No : ") +
                          W.cmbBackupNumber->currentText());
    return;
  }
  if (!Sdk().FK_EnableDevice(0)) {
    W.lblMessage->setText(QStringLiteral("No Device"));
    return;
  }
  Sdk().FK_EnableUser(n, b, Flag);
  Sdk().FK_EnableDevice(1);
}

void TfrmEnrol::BitBtn11Click() {
  EnableUserItem(*this, 1);
}
void TfrmEnrol::BitBtn12Click() {
  EnableUserItem(*this, 0);
}

void TfrmEnrol::ShowTemplateBytes(int BackupNumber) {
  lstEnrollData->clear();
  const QByteArray& buffer = Working.TemplateBuffer;
  const int count = qMin(TemplateSize(BackupNumber), static_cast<int>(buffer.size()));
  const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.constData());
  QStringList lines;
  for (int i = 0; i < count; i += 8) {
    QString line;
    for (int j = i; j < qMin(i + 8, count); ++j)
      line += QStringLiteral("%1 ").arg(bytes[j], 2, 16, QLatin1Char('0')).toUpper();
    lines << line;
  }
  lstEnrollData->addItems(lines);
}
