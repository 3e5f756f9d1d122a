#include "terminals/yeni.h"

#include <QFont>
#include <QLabel>
#include <QShowEvent>
#include <QStyle>

#include "common/ActionGuard.h"
#include "common/Cleanup.h"
#include "data/DM.h"
#include "widgets/Controls.h"

Tfrmyeni* frmyeni = nullptr;

namespace {

const QString kTips[] = {QStringLiteral("com"), QStringLiteral("ethernet"), QStringLiteral("usb")};

// A row put into insert or edit state and then refused by the database is
// dropped, so the list does not go on showing (and retrying) an unsaved row.
void CancelUnposted(TDataSet& Row) {
  if (Row.State() == TDataSet::TState::Insert || Row.State() == TDataSet::TState::Edit)
    Row.Cancel();
}

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
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);

  MakeLabel({}, QStringLiteral("Cihaz"), this, {8, 12});
  Edit1 = MakeEdit(QStringLiteral("Edit1"), this, {96, 8, 185, 21}, QStringLiteral("Terminal"));
  MakeLabel({}, QStringLiteral("Cihaz No"), this, {8, 40});
  Edit7 = MakeEdit(QStringLiteral("Edit7"), this, {96, 36, 65, 21}, QStringLiteral("1"));
  MakeLabel({}, QStringLiteral("Bağlantı Tipi"), this, {8, 68});
  ComboBox1 = new QComboBox(this);
  ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
  ComboBox1->setGeometry(96, 64, 185, 21);
  ComboBox1->addItems({QStringLiteral("comport"), QStringLiteral("tcp/ip"), QStringLiteral("usb")});
  ComboBox1->setCurrentIndex(-1);

  GroupBox1 = new QGroupBox(QStringLiteral("com port"), this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  GroupBox1->setGeometry(8, 96, 273, 145);
  MakeLabel({}, QStringLiteral("Com Port"), GroupBox1, {16, 28});
  Edit2 = MakeEdit(QStringLiteral("Edit2"), GroupBox1, {88, 24, 65, 21}, QStringLiteral("1"));
  MakeLabel({}, QStringLiteral("Baud"), GroupBox1, {16, 60});
  Edit3 = MakeEdit(QStringLiteral("Edit3"), GroupBox1, {88, 56, 89, 21}, QStringLiteral("9600"));
  MakeLabel({}, QStringLiteral("9600-19200-38400-57600-115200"), GroupBox1, {16, 88});

  GroupBox2 = new QGroupBox(QStringLiteral("tcp/ip"), this);
  GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
  GroupBox2->setGeometry(8, 96, 273, 145);
  MakeLabel({}, QStringLiteral("ip adres"), GroupBox2, {16, 28});
  Edit4 = MakeEdit(QStringLiteral("Edit4"), GroupBox2, {88, 24, 161, 21},
                   QStringLiteral("192.168.0.100"));
  MakeLabel({}, QStringLiteral("tcp port"), GroupBox2, {16, 60});
  Edit5 = MakeEdit(QStringLiteral("Edit5"), GroupBox2, {88, 56, 65, 21}, QStringLiteral("5005"));
  MakeLabel({}, QStringLiteral("passsword"), GroupBox2, {16, 92});
  Edit6 = MakeEdit(QStringLiteral("Edit6"), GroupBox2, {88, 88, 97, 21}, QStringLiteral("731856"));

  BitBtn2 =
      MakeButton(QStringLiteral("BitBtn2"), QStringLiteral("Kaydet"), this, {8, 256, 177, 57});
  QFont large = BitBtn2->font();
  large.setBold(true);
  large.setPointSize(12);
  BitBtn2->setFont(large);
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

// Two separate tests, not one choice: the mode is the main window's.
void Tfrmyeni::BitBtn2Click() {
  if (EditMode == QLatin1String("yeni")) BitBtn1Click();
  if (EditMode == QLatin1String("guncelle")) BitBtn3Click();
}

// Only an empty name is refused; a name of blanks passes and is stored
// trimmed.
bool Tfrmyeni::NameMissing() {
  if (!Edit1->text().isEmpty()) return false;
  Dlg().MessageBox(QStringLiteral("Terminal Adını Giriniz."), QStringLiteral("UYARI"), MB_OK);
  Edit1->setFocus();
  return true;
}

// Every field is written whatever the connection type, hidden groups
// included; Tip only when an item is selected.
void Tfrmyeni::WriteFields(TDataSet& Row) {
  auto set = [&Row](const char* Column, const QLineEdit* Edit) {
    Row.FieldByName(QLatin1String(Column)).SetAsString(Edit->text().trimmed());
  };
  set("TerminalNo", Edit7);
  set("Terminal", Edit1);
  const QString tip = TipOfConnectionType(ComboBox1->currentIndex());
  if (!tip.isEmpty()) Row.FieldByName(QStringLiteral("Tip")).SetAsString(tip);
  set("ComPort", Edit2);
  set("ComBaud", Edit3);
  set("Ip", Edit4);
  set("NetPort", Edit5);
  set("Sifre", Edit6);
}

void Tfrmyeni::BitBtn1Click() {
  if (NameMissing()) return;
  TDataSet& query = frmDM->ADOQuery1;
  query.OpenSQL(QStringLiteral("select * from Terminal "));
  query.Insert();
  {
    TScopeExit dropUnposted([&query] { CancelUnposted(query); });
    WriteFields(query);
    query.Post();  // the database assigns id
  }
  frmDM->qrycihaz.Requery();
  close();
}

void Tfrmyeni::BitBtn3Click() {
  if (NameMissing()) return;
  TDataSet& list = frmDM->qrycihaz;
  const TDataSet::TBookmark changed = list.GetBookmark();
  list.Edit();
  {
    TScopeExit dropUnposted([&list] { CancelUnposted(list); });
    WriteFields(list);
    list.Post();
  }
  // The list is stored in name order: the changed row may move, and the
  // grid follows it there.
  list.Requery();
  if (!list.IsEmpty()) list.GotoBookmark(changed);
  close();
}

void Tfrmyeni::Button1Click() {
  close();
}
