#include "enrol/Enrol.h"

#include <QShowEvent>

#include "data/DM.h"
#include "data/IniFile.h"
#include "enrolldata/EnrollRecord.h"
#include "session/TerminalSession.h"
#include "widgets/ActionGuard.h"
#include "widgets/BusyControls.h"
#include "widgets/Dlg.h"
#include "widgets/GuideKey.h"

TfrmEnrol* frmEnrol = nullptr;

namespace {
const QString kWholeStore = QStringLiteral("SELECT * FROM tblEnroll");
}

TfrmEnrol::TfrmEnrol(QWidget* Parent)
    : QDialog(Parent),
      ADOEnroll(QStringLiteral("ADOEnroll"), frmDM->ADOConnection1, this),
      Store(frmDM->ADOConnection1, this),
      qryenroll(QStringLiteral("qryenroll"), frmDM->ADOConnection1, this),
      dsenroll(QStringLiteral("dsenroll"), &qryenroll, this),
      qryadmin(QStringLiteral("qryadmin"), frmDM->ADOConnection1, this),
      dsadmin(QStringLiteral("dsadmin"), &qryadmin, this),
      qryaktifpasif(QStringLiteral("qryaktifpasif"), frmDM->ADOConnection1, this),
      dsaktifpasif(QStringLiteral("dsaktifpasif"), &qryaktifpasif, this) {
  setObjectName(QStringLiteral("frmEnrol"));
  frmEnrol = this;
  BuildControls();
  ConnectHandlers();
  FormCreate();
  ConnectNamesTab();
  ConnectUsersTab();
  ConnectPdksTab();
}

TfrmEnrol::~TfrmEnrol() {
  if (frmEnrol == this) frmEnrol = nullptr;
}

void TfrmEnrol::ConnectHandlers() {
  // While the backup, a restore or a command over many users runs, nothing
  // else may start, re-query a list being walked, or close the window.
  LockWhileBusy(
      this, {BitBtn1,      BitBtn2,      BitBtn3,          BitBtn4,          BitBtn5,
             BitBtn7,      SpeedButton1, cmdGetEnrollData, cmdSetEnrollData, cmdDeleteEnrollData,
             Button1,      Button2,      Button4,          Button5,          Edit2,
             Edit3,        Edit8,        RadioButton1,     RadioButton2,     RadioButton3,
             RadioButton4, DBGrid1,      DBGrid2,          DBGrid3,          DBGrid4,
             CheckBox2});
  ConnectAction(BitBtn3, &QPushButton::clicked, this, &TfrmEnrol::BitBtn3Click);
  ConnectAction(Edit2, &QLineEdit::textChanged, this, &TfrmEnrol::Edit2Change);
  ConnectAction(Edit3, &QLineEdit::textChanged, this, &TfrmEnrol::Edit2Change);
  ConnectAction(BitBtn1, &QPushButton::clicked, this, &TfrmEnrol::BitBtn1Click);
  ConnectAction(BitBtn2, &QPushButton::clicked, this, &TfrmEnrol::BitBtn2Click);
  ConnectAction(BitBtn7, &QPushButton::clicked, this, &TfrmEnrol::BitBtn7Click);
  ConnectAction(cmdGetEnrollData, &QPushButton::clicked, this, &TfrmEnrol::cmdGetEnrollDataClick);
  ConnectAction(cmdSetEnrollData, &QPushButton::clicked, this, &TfrmEnrol::cmdSetEnrollDataClick);
  ConnectAction(cmdDeleteEnrollData, &QPushButton::clicked, this,
                &TfrmEnrol::cmdDeleteEnrollDataClick);
  ConnectAction(BitBtn11, &QPushButton::clicked, this, &TfrmEnrol::BitBtn11Click);
  ConnectAction(BitBtn12, &QPushButton::clicked, this, &TfrmEnrol::BitBtn12Click);
  // The guide's page for the tab in front: backup and restore, single
  // records, passwords and the active/passive switches.
  InstallGuideKey(*this, [this] {
    QWidget* tab = PageControl1->currentWidget();
    if (tab == TabSheet2) return QStringLiteral("tek-kayit-isimler.html");
    if (tab == TabSheet4 || tab == TabSheet5 || tab == TabSheet6)
      return QStringLiteral("kullanici-yetki.html");
    return QStringLiteral("yedek-yukle.html");
  });
}

void TfrmEnrol::FormCreate() {
  PageControl1->setCurrentIndex(0);
  Label36->clear();
}

void TfrmEnrol::showEvent(QShowEvent* Event) {
  QDialog::showEvent(Event);
  if (!Event->spontaneous()) RunGuarded([this] { FormShow(); });
}

void TfrmEnrol::FormShow() {
  PageControl1->setTabVisible(5, false);
  Label32->clear();
  BitBtn6->setText(
      QStringLiteral("Terminale Parmakizi Datası Yükle\r\n(işten çıkanları silerek "
                     "yükler)\r\nmysql"));
  Label7->clear();
  txtName->clear();
  lblMessage->clear();
  Label2->clear();
  // Values of an earlier showing are never used: a Settings.ini that
  // cannot be read now leaves the defaults, and its error ends the showing.
  // It is read last, so that the store and its lists are open all the same.
  ProgramTipi.clear();
  Label12->clear();
  PdksSettings = {};
  setWindowTitle(PdksCaption(PdksSettings));
  ADOEnroll.OpenSQL(kWholeStore);
  ADOEnroll.First();
  Store.OpenAll();
  RefreshEnrollLists();
  const TIniFile ini(Session().SettingsFile());
  ProgramTipi = ini.ReadString(QStringLiteral("System"), QStringLiteral("ProgramTipi"), {});
  Label12->setText(ProgramTipi);
  ReadPdksSettings();
}

void TfrmEnrol::FormClose() {
  Store.Close();
}

void TfrmEnrol::done(int Result) {
  // Closing while the backup or a restore runs would leave it walking a
  // closed store.
  if (HasSession() && Session().Busy()) return;
  RunGuarded([this] { FormClose(); });
  QDialog::done(Result);
}

void TfrmEnrol::BitBtn3Click() {
  close();
}

void TfrmEnrol::Edit2Change() {
  RefreshEnrollLists();
}

void TfrmEnrol::RefreshEnrollLists() {
  const QString t = Edit2->text().trimmed();
  // Every column but the template bytes: the list is reloaded at each
  // keystroke and never needs them (the upload reads them per user).
  const QString columns = QStringLiteral(
      "SELECT EnrollNumber, FingerNumber, Privilige, Name, Password FROM tblEnroll ");
  // The users whose number, in decimal, begins with the text; the text is a
  // bound value, so a quote in it is just a character.
  if (t.isEmpty()) {
    qryenroll.OpenSQL(columns + QStringLiteral("order by EnrollNumber"));
  } else {
    qryenroll.OpenSQL(columns + QStringLiteral("where EnrollNumber like ? order by EnrollNumber"),
                      {t + QLatin1Char('%')});
  }
  qryenroll.First();
  RefreshPasswordList();
  RefreshActivePassiveList();
}

// ---- What the core routines show -------------------------------------------

void TfrmEnrol::TWindowReport::Status(const QString& Text) {
  w_.lblMessage->setText(Text);
}

void TfrmEnrol::TWindowReport::ShowRecord(int EnrollNumber, int BackupNumber, int Privilege) {
  w_.txtEnrollNumber->setText(QString::number(EnrollNumber));
  w_.cmbBackupNumber->setCurrentIndex(BackupItemIndex(BackupNumber));
  w_.cmbPrivilege->setCurrentIndex(
      Privilege >= 0 && Privilege < w_.cmbPrivilege->count() ? Privilege : -1);
}

void TfrmEnrol::TWindowReport::StoredLine(const QString& Line) {
  w_.lstEnrollData->addItem(Line);
}

void TfrmEnrol::TWindowReport::LogLine(const QString& Line) {
  w_.Memo1->appendPlainText(Line);
}

void TfrmEnrol::TWindowReport::Count(int Count) {
  w_.Label2->setText(QString::number(Count));
}

int TfrmEnrol::TWindowReport::Ask(const QString& Text, const QString& Title, int Flags) {
  return Dlg().MessageBox(Text, Title, Flags);
}

void TfrmEnrol::TWindowReport::Idle() {
  Dlg().ProcessMessages();
}
