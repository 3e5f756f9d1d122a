// The enrollment window's personnel-database handlers: the names import of
// the first tab and the member list of the hidden membership tab.
#include "data/DM.h"
#include "data/Pdks.h"
#include "enrol/Enrol.h"
#include "widgets/ActionGuard.h"
#include "widgets/BusyState.h"

void TfrmEnrol::ConnectPdksTab() {
  frmDM->dspersonel.SetColumns(
      {{QStringLiteral("kartno"), QStringLiteral("KartNo"), 55},
       {QStringLiteral("isim"), QStringLiteral("İsim"), 130},
       {QStringLiteral("uyebaslamatarihi"), QStringLiteral("Üye.Baş.Tarihi"), 88},
       {QStringLiteral("uyebitistarihi"), QStringLiteral("Üye.Bit.tarihi"), 88}});
  DBGrid5->SetDataSource(&frmDM->dspersonel);
  ConnectAction(SpeedButton1, &QToolButton::clicked, this, &TfrmEnrol::SpeedButton1Click);
  ConnectAction(BitBtn10, &QPushButton::clicked, this, &TfrmEnrol::BitBtn10Click);
  ConnectAction(Edit5, &QLineEdit::textChanged, this, &TfrmEnrol::Edit5Change);
  // A radio button runs the list when it becomes the selected one.
  ConnectAction(RadioButton7, &QRadioButton::clicked, this, &TfrmEnrol::RadioButton7Click);
  ConnectAction(RadioButton8, &QRadioButton::clicked, this, &TfrmEnrol::RadioButton8Click);
  ConnectAction(RadioButton9, &QRadioButton::clicked, this, &TfrmEnrol::RadioButton9Click);
  ConnectAction(BitBtn9, &QPushButton::clicked, this, &TfrmEnrol::BitBtn9Click);
  ConnectAction(Button3, &QPushButton::clicked, this, &TfrmEnrol::Button3Click);
}

void TfrmEnrol::ConfigurePdksConnection() {
  if (!::ConfigurePdksConnection(frmDM->MyConnection1, PdksSettings.Server, PdksSettings.Database,
                                 PdksSettings.User, PdksSettings.Password, PdksSettings.Port))
    Dlg().MessageBox(QStringLiteral("Veritabanına bağlanamadı...."), QStringLiteral("UYARI"),
                     MB_OK);
}

void TfrmEnrol::SpeedButton1Click() {
  TBusyState busy(SpeedButton1);
  ConfigurePdksConnection();
  if (!frmDM->Names.List().Active()) {
    Dlg().MessageBox(QStringLiteral("Önce \"Terminalden Parmakizi Datası Al\" butonuna bas..."),
                     QStringLiteral("UYARI"), MB_OK);
    return;
  }
  ImportPdksNames(frmDM->Names, frmDM->MyQuery1, frmDM->MyConnection1);
  RefreshNameList();
}

void TfrmEnrol::RefreshMemberList() {
  const TMemberStatus status = RadioButton7->isChecked()   ? TMemberStatus::All
                               : RadioButton8->isChecked() ? TMemberStatus::Active
                               : RadioButton9->isChecked() ? TMemberStatus::Passive
                                                           : TMemberStatus::All;
  Label36->setText(QString::number(::RefreshMemberList(frmDM->qrypersonel, status, Edit5->text())));
}

void TfrmEnrol::BitBtn10Click() {
  ConfigurePdksConnection();
  RefreshMemberList();
}

void TfrmEnrol::Edit5Change() {
  RefreshMemberList();
}
void TfrmEnrol::RadioButton7Click() {
  RefreshMemberList();
}
void TfrmEnrol::RadioButton8Click() {
  RefreshMemberList();
}
void TfrmEnrol::RadioButton9Click() {
  RefreshMemberList();
}

// The date upload and read-back of the membership tab were never made to
// talk to the terminal: they do nothing.
void TfrmEnrol::BitBtn9Click() {}
void TfrmEnrol::Button3Click() {}
