#include "bells/zil.h"

#include <QLabel>
#include <QShowEvent>
#include <QStyle>

#include "common/Cleanup.h"
#include "common/Errors.h"
#include "session/TerminalSession.h"
#include "widgets/ActionGuard.h"
#include "widgets/BusyControls.h"
#include "widgets/BusyState.h"
#include "widgets/Controls.h"
#include "widgets/GuideKey.h"

Tfrmzil* frmzil = nullptr;

namespace {

const QString kNotFound = QStringLiteral("Terminal Bulunamadı");
const QString kFailed = QStringLiteral("hata");

// Two of the row labels are written without their blank.
QString RowCaption(int Row) {
  if (Row == 4) return QStringLiteral("Zil5:");
  if (Row == 22) return QStringLiteral("Zil23:");
  return QStringLiteral("Zil %1:").arg(Row + 1);
}

// At least two digits with a leading zero: 7 gives "07", 123 gives "123".
QString TwoDigits(unsigned char Value) {
  return QStringLiteral("%1").arg(Value, 2, 10, QLatin1Char('0'));
}

}  // namespace

Tfrmzil::Tfrmzil(TBellSchedule& Schedule, QWidget* Parent) : QDialog(Parent), bells_(Schedule) {
  setObjectName(QStringLiteral("frmzil"));
  frmzil = this;
  BuildControls();
  // Nothing may start a bell command while another terminal action runs.
  LockWhileBusy(this, {Button1, Button2, BitBtn1});
  InstallGuideKey(*this, [] { return QStringLiteral("zil-saatleri.html"); });
  ConnectAction(Button1, &QPushButton::clicked, this, &Tfrmzil::Button1Click);
  ConnectAction(Button2, &QPushButton::clicked, this, &Tfrmzil::Button2Click);
  ConnectAction(BitBtn1, &QPushButton::clicked, this, &Tfrmzil::BitBtn1Click);
}

Tfrmzil::~Tfrmzil() {
  if (frmzil == this) frmzil = nullptr;
}

void Tfrmzil::BuildControls() {
  setWindowTitle(QStringLiteral("Zil Saatleri"));
  setFixedSize(886, 487);
  setWindowFlags(FixedWindowFlags(Qt::Dialog));

  Button1 =
      MakeButton(QStringLiteral("Button1"), QStringLiteral("<--- Terminalden Zil Saatlerini Oku"),
                 this, {16, 8, 409, 41});
  Button2 =
      MakeButton(QStringLiteral("Button2"), QStringLiteral("--->Terminale Zİl Saatlerini Gönder"),
                 this, {456, 8, 409, 41});
  BitBtn1 =
      MakeButton(QStringLiteral("BitBtn1"), QStringLiteral("Kapat"), this, {760, 444, 105, 33});
  BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
  txtBellCount = MakeEdit(QStringLiteral("txtBellCount"), this, {16, 444, 65, 21});
  txtBellCount->hide();

  GroupBox1 = MakeGroup(QStringLiteral("GroupBox1"), {}, this, {16, 56, 409, 377});
  GroupBox3 = MakeGroup(QStringLiteral("GroupBox3"), {}, this, {456, 56, 409, 377});
  BuildRows(GroupBox1, 0);
  BuildRows(GroupBox3, BellRowCount / 2);
}

void Tfrmzil::BuildRows(QGroupBox* Group, int FirstRow) {
  MakeLabel({}, QStringLiteral("ZİL"), Group, {24, 20});
  MakeLabel({}, QStringLiteral("SEÇ"), Group, {116, 20});
  MakeLabel({}, QStringLiteral("Sa:Dk"), Group, {196, 20});
  for (int i = FirstRow; i < FirstRow + BellRowCount / 2; ++i) {
    const int top = 44 + (i - FirstRow) * 27;
    MakeLabel({}, RowCaption(i), Group, {24, top + 3});
    chkValid[i] =
        MakeCheckBox(QStringLiteral("_chkValid_%1").arg(i), {}, Group, {120, top + 2, 17, 17});
    txtHour[i] = MakeEdit(QStringLiteral("_txtHour_%1").arg(i), Group, {180, top, 41, 21});
    MakeLabel({}, QStringLiteral(":"), Group, {226, top + 3});
    txtMinute[i] = MakeEdit(QStringLiteral("_txtMinute_%1").arg(i), Group, {236, top, 41, 21});
  }
}

void Tfrmzil::Refresh() {
  for (int i = 0; i < BellRowCount; ++i) {
    chkValid[i]->setChecked(bells_.BellBlock[BellValidOffset + i] == 1);
    txtHour[i]->setText(TwoDigits(bells_.BellBlock[BellHourOffset + i]));
    txtMinute[i]->setText(TwoDigits(bells_.BellBlock[BellMinuteOffset + i]));
  }
  txtBellCount->setText(QString::number(bells_.BellCount));
}

// Hours and minutes are not range-checked: each keeps its low 8 bits (300
// is sent as 44). A text that is no integer ends the send here; the rows
// before it are already stored.
int Tfrmzil::Collect() {
  for (int i = 0; i < BellRowCount; ++i) {
    bells_.BellBlock[BellValidOffset + i] = chkValid[i]->isChecked() ? 1 : 0;
    bells_.BellBlock[BellHourOffset + i] =
        static_cast<unsigned char>(StrToInt(txtHour[i]->text()) & 0xFF);
    bells_.BellBlock[BellMinuteOffset + i] =
        static_cast<unsigned char>(StrToInt(txtMinute[i]->text()) & 0xFF);
  }
  // The terminal reports three for every bell it holds and takes the number
  // of bells; BellCount itself keeps the reported value.
  return StrToInt(txtBellCount->text()) / 3;
}

// FormShow runs when the window is shown, not when it comes back from being
// minimised.
void Tfrmzil::showEvent(QShowEvent* Event) {
  QDialog::showEvent(Event);
  if (!Event->spontaneous()) RunGuarded([this] { FormShow(); });
}

// The rows always open unticked at "00" : "00"; txtBellCount shows the count
// left by the last read.
void Tfrmzil::FormShow() {
  bells_.ClearRows();
  Refresh();
}

void Tfrmzil::Button1Click() {
  TBusyState busy(Button1);
  TFKAttendObject& sdk = Session().TerminalSdk();
  if (!sdk.FK_EnableDevice(0)) {
    Dlg().ShowMessage(kNotFound);
    return;
  }
  // Read into a copy: a failed read must not leave half-written bytes that
  // the next send would hand back to the terminal.
  int count = bells_.BellCount;
  std::array<unsigned char, FK_BELL_BLOCK_SIZE> block = bells_.BellBlock;
  if (!sdk.FK_GetBellTime(count, block.data())) {
    Dlg().ShowMessage(kNotFound);
    sdk.FK_EnableDevice(1);
    return;
  }
  bells_.BellCount = count;
  bells_.BellBlock = block;
  Refresh();
  if (sdk.FK_EnableDevice(1))
    Dlg().ShowMessage(QStringLiteral("Terminalden Zil Saatleri Alındı.."));
}

void Tfrmzil::Button2Click() {
  if (Dlg().MessageBox(QStringLiteral("Zil saatleri terminale gönderilsin mi...?"),
                       QStringLiteral("UYARI"), MB_YESNO) == IDNO)
    return;
  TBusyState busy(Button2);
  TFKAttendObject& sdk = Session().TerminalSdk();
  if (!sdk.FK_EnableDevice(0)) {
    Dlg().ShowMessage(kFailed);
    return;
  }
  // The terminal is enabled again on every path, also when a row's text is
  // no integer and the collect step ends the send.
  TScopeExit enableAgain([&sdk] { sdk.FK_EnableDevice(1); });
  const int count = Collect();
  Dlg().ShowMessage(
      sdk.FK_SetBellTime(count, bells_.BellBlock.data()) ? QStringLiteral("Gönderildi.") : kFailed);
}

void Tfrmzil::BitBtn1Click() {
  close();
}
