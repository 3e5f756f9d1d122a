#include "terminals/yeni.h"

#include <QLabel>
#include <QShowEvent>
#include <QStyle>

#include "data/DM.h"
#include "widgets/ActionGuard.h"
#include "widgets/Controls.h"
#include "widgets/GuideKey.h"

Tfrmyeni* frmyeni = nullptr;

namespace {

const QString kTips[] = {QStringLiteral("com"), QStringLiteral("ethernet"), QStringLiteral("usb")};

}  // namespace

QString TipOfConnectionType(int Index) {
  return Index >= 0 && Index < 3 ? kTips[Index] : QString();
}

int ConnectionTypeOfTip(const QString& Tip) {
  for (int i = 0; i < 3; ++i)
    if (Tip == kTips[i]) return i;
  return -1;
}

Tfrmyeni::Tfrmyeni(QWidget* Parent) : QDialog(Parent) {
  setObjectName(QStringLiteral("frmyeni"));
  frmyeni = this;
  BuildControls();
  InstallGuideKey(*this, [] { return QStringLiteral("terminal-ekle.html"); });
  // Only the operator's pick runs the reaction: the main window selects
  // items with setCurrentIndex, which does not emit 'activated'.
  ConnectAction(ComboBox1, &QComboBox::activated, this, &Tfrmyeni::ComboBox1Change);
  ConnectAction(BitBtn2, &QPushButton::clicked, this, &Tfrmyeni::BitBtn2Click);
  ConnectAction(BitBtn1, &QPushButton::clicked, this, &Tfrmyeni::BitBtn1Click);
  ConnectAction(BitBtn3, &QPushButton::clicked, this, &Tfrmyeni::BitBtn3Click);
  ConnectAction(Button1, &QPushButton::clicked, this, &Tfrmyeni::Button1Click);
}

Tfrmyeni::~Tfrmyeni() {
  if (frmyeni == this) frmyeni = nullptr;
}

void Tfrmyeni::BuildControls() {
  setWindowTitle(QStringLiteral("Terminal Ekle-Değiştir"));
  setFixedSize(289, 329);
  setWindowFlags(FixedWindowFlags(Qt::Dialog));

  MakeLabel({}, QStringLiteral("Cihaz"), this, {8, 12});
  Edit1 = MakeEdit(QStringLiteral("Edit1"), this, {96, 8, 185, 21}, QStringLiteral("Terminal"));
  MakeLabel({}, QStringLiteral("Cihaz No"), this, {8, 40});
  Edit7 = MakeEdit(QStringLiteral("Edit7"), this, {96, 36, 65, 21}, QStringLiteral("1"));
  MakeLabel({}, QStringLiteral("Bağlantı Tipi"), this, {8, 68});
  ComboBox1 =
      MakeCombo(QStringLiteral("ComboBox1"), this, {96, 64, 185, 21},
                {QStringLiteral("comport"), QStringLiteral("tcp/ip"), QStringLiteral("usb")}, -1);

  GroupBox1 =
      MakeGroup(QStringLiteral("GroupBox1"), QStringLiteral("com port"), this, {8, 96, 273, 145});
  MakeLabel({}, QStringLiteral("Com Port"), GroupBox1, {16, 28});
  Edit2 = MakeEdit(QStringLiteral("Edit2"), GroupBox1, {88, 24, 65, 21}, QStringLiteral("1"));
  MakeLabel({}, QStringLiteral("Baud"), GroupBox1, {16, 60});
  Edit3 = MakeEdit(QStringLiteral("Edit3"), GroupBox1, {88, 56, 89, 21}, QStringLiteral("9600"));
  MakeLabel({}, QStringLiteral("9600-19200-38400-57600-115200"), GroupBox1, {16, 88});

  GroupBox2 =
      MakeGroup(QStringLiteral("GroupBox2"), QStringLiteral("tcp/ip"), this, {8, 96, 273, 145});
  MakeLabel({}, QStringLiteral("ip adres"), GroupBox2, {16, 28});
  Edit4 = MakeEdit(QStringLiteral("Edit4"), GroupBox2, {88, 24, 161, 21},
                   QStringLiteral("192.168.0.100"));
  MakeLabel({}, QStringLiteral("tcp port"), GroupBox2, {16, 60});
  Edit5 = MakeEdit(QStringLiteral("Edit5"), GroupBox2, {88, 56, 65, 21}, QStringLiteral("5005"));
  MakeLabel({}, QStringLiteral("passsword"), GroupBox2, {16, 92});
  Edit6 = MakeEdit(QStringLiteral("Edit6"), GroupBox2, {88, 88, 97, 21}, QStringLiteral("731856"));

  BitBtn2 =
      MakeButton(QStringLiteral("BitBtn2"), QStringLiteral("Kaydet"), this, {8, 256, 177, 57});
  SetBold(BitBtn2, 12);
  BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
  Button1 =
      MakeButton(QStringLiteral("Button1"), QStringLiteral("Kapat"), this, {192, 256, 89, 57});
  BitBtn1 = MakeButton(QStringLiteral("BitBtn1"), QStringLiteral("Kaydet"), this, {8, 296, 75, 25});
  BitBtn1->hide();
  BitBtn3 =
      MakeButton(QStringLiteral("BitBtn3"), QStringLiteral("guncelle"), this, {96, 296, 75, 25});
  BitBtn3->hide();
}

void Tfrmyeni::showEvent(QShowEvent* Event) {
  QDialog::showEvent(Event);
  if (!Event->spontaneous()) RunGuarded([this] { FormShow(); });
}

// The operator can only pick one of the three items: no typing, no
// completion.
void Tfrmyeni::FormShow() {
  ComboBox1->setEditable(false);
  ComboBox1->setInsertPolicy(QComboBox::NoInsert);
}

void Tfrmyeni::ComboBox1Change() {
  switch (ComboBox1->currentIndex()) {
    case 0:
      GroupBox1->show();
      GroupBox2->hide();
      break;
    case 1:
      GroupBox1->hide();
      GroupBox2->show();
      Edit6->setText(QStringLiteral("0"));
      break;
    case 2:
      GroupBox1->hide();
      GroupBox2->hide();
      Edit6->setText(QStringLiteral("0"));
      break;
    default:
      break;
  }
}

// Selecting the item from here does not run the reaction to the operator's
// pick.
void Tfrmyeni::StartNew() {
  ComboBox1->setCurrentIndex(1);
  GroupBox1->hide();
  GroupBox2->show();
  Edit6->setText(QStringLiteral("0"));
  Edit1->clear();
  mode_ = TMode::New;
}

void Tfrmyeni::StartChange(const std::optional<TTerminalRow>& Row) {
  mode_ = TMode::Change;
  GroupBox1->hide();
  GroupBox2->hide();
  if (!Row) return;
  Edit1->setText(Row->Terminal);
  Edit7->setText(Row->TerminalNo);
  Edit2->setText(Row->ComPort);
  Edit3->setText(Row->ComBaud);
  Edit4->setText(Row->Ip);
  Edit5->setText(Row->NetPort);
  Edit6->setText(Row->Sifre);
  const int type = ConnectionTypeOfTip(Row->Tip);
  if (type >= 0) ComboBox1->setCurrentIndex(type);
  GroupBox1->setVisible(type == 0);
  GroupBox2->setVisible(type == 1);
}

// Two separate tests, not one choice, as the design has them.
void Tfrmyeni::BitBtn2Click() {
  if (mode_ == TMode::New) BitBtn1Click();
  if (mode_ == TMode::Change) BitBtn3Click();
}

// Only an empty name is refused; a name of blanks passes and is stored
// trimmed.
bool Tfrmyeni::NameMissing() {
  if (!Edit1->text().isEmpty()) return false;
  Dlg().MessageBox(QStringLiteral("Terminal Adını Giriniz."), QStringLiteral("UYARI"), MB_OK);
  Edit1->setFocus();
  return true;
}

// Every field, hidden groups included, trimmed; Tip only when an item is
// selected.
TTerminalRow Tfrmyeni::Fields() const {
  auto text = [](const QLineEdit* Edit) { return Edit->text().trimmed(); };
  return {text(Edit1), text(Edit7), TipOfConnectionType(ComboBox1->currentIndex()),
          text(Edit2), text(Edit3), text(Edit4),
          text(Edit5), text(Edit6)};
}

void Tfrmyeni::BitBtn1Click() {
  if (NameMissing()) return;
  frmDM->Terminals.Insert(Fields());
  close();
}

void Tfrmyeni::BitBtn3Click() {
  if (NameMissing()) return;
  frmDM->Terminals.UpdateCurrent(Fields());
  close();
}

void Tfrmyeni::Button1Click() {
  close();
}
