// The enrollment window: enroll-data backup and restore, single records,
// personnel names, privileges and passwords, membership dates (hidden tab).
// Its handlers are spread over a few files by tab: Enrol.cpp (frame, lists),
// EnrolBackup.cpp (backup and restores), EnrolSingle.cpp (single records),
// and the names and users tabs in files of their own.
#pragma once
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>

#include "data/DataSet.h"
#include "data/DataSource.h"
#include "data/PdksSettings.h"
#include "enrolldata/EnrollRecord.h"
#include "enrolldata/EnrollReport.h"
#include "enrolldata/EnrollStore.h"
#include "widgets/DBGrid.h"

class TfrmEnrol : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmEnrol(QWidget* Parent = nullptr);
  ~TfrmEnrol() override;

  // Queries of the window, all on the data module's Data.mdb connection.
  TDataSet ADOEnroll;  // whole store, one user's rows
  TEnrollStore Store;  // the whole store; rows are stored through it, the full restore walks it
  TDataSet qryenroll;  // selective-upload list
  TDataSource dsenroll;
  TDataSet qryadmin;  // password list
  TDataSource dsadmin;
  TDataSet qryaktifpasif;  // enable / privilege list
  TDataSource dsaktifpasif;

  QString ProgramTipi;  // System/ProgramTipi of Settings.ini, shown only in hidden Label12

  // The working template of every enroll-data action of the window: the
  // backup and the restores leave their last item in it, "Parmakizi Al"
  // reads into it and "Parmakizi Yükle" sends it. The window lives for the
  // whole program run, so it is kept while the window is closed.
  TWorkingTemplate Working;

  // Frame.
  QGroupBox* GroupBox3;
  QLabel* Label1;
  QLabel* Label3;        // the connected terminal's name
  QPushButton* BitBtn3;  // "Kapat"
  QTabWidget* PageControl1;
  QWidget* TabSheet1;  // "tüm data"
  QWidget* TabSheet2;  // "tek data(parmak)"
  QWidget* TabSheet3;  // "Seçili Kayıt Yükleme(Parmak/Kart/Şifre)"
  QWidget* TabSheet4;  // "Kullanıcı / Admin (Yönetici) Şifre Değiştirme"
  QWidget* TabSheet5;  // "Kullanıcı / Admin Aktif/Pasif Yapma"
  QWidget* TabSheet6;  // "Yetkilendir", hidden at every show
  QLabel* lblMessage;  // the status line
  QLabel* Label11;
  QLabel* Label12;
  QLabel* Label13;

  // First tab, left: backup and restore.
  QPushButton* BitBtn1;  // "Terminalden Parmakizi Datası Al"
  QPushButton* BitBtn2;  // "Terminale Parmakizi Datası Yükle"
  QGroupBox* GroupBox7;
  QCheckBox* CheckBox2;   // clear the terminal before the full restore
  QPushButton* BitBtn6;   // hidden, no action
  QPlainTextEdit* Memo1;  // restore log
  QLabel* Label2;         // restore progress count
  QLabel* txtName;        // only ever cleared
  // First tab, right: the name list.
  QToolButton* SpeedButton1;  // "PDKS Programından İsimleri Al (mysql)"
  TDBGrid* DBGrid1;           // over frmDM->dsisim
  QLabel* Label6;
  QLabel* Label7;  // rows of the name list
  QLabel* Label8;
  QLineEdit* Edit8;  // name search
  QLabel* Label10;
  QPushButton* BitBtn4;  // "Seçili Personel Adını Terminale Yükle"
  QPushButton* BitBtn5;  // "Tüm Personel Adlarını Terminale Yükle"
  QLabel* Label9;

  // Second tab: single records.
  QLineEdit* txtEnrollNumber;
  QComboBox* cmbBackupNumber;
  QLineEdit* txtCardNumber;
  QComboBox* cmbEMachineNumber;
  QComboBox* cmbPrivilege;
  QComboBox* cmbDuress;
  QLineEdit* txtUserTz1;
  QLineEdit* txtUserTz2;
  QLineEdit* txtUserTz3;
  QLineEdit* txtUserTz4;
  QLineEdit* txtUserTz5;
  QLineEdit* txtUserDepart;
  QLineEdit* Edit1;
  QLabel* lblEnrollData;
  QLabel* lblTotal;
  QListWidget* lstEnrollData;
  QPushButton* cmdGetEnrollData;     // "Parmakizi Al"
  QPushButton* cmdSetEnrollData;     // "Parmakizi Yükle"
  QPushButton* cmdDeleteEnrollData;  // "Parmakizi Sil"
  QPushButton* BitBtn11;             // "Kullanıcı Aktif Et", hidden
  QPushButton* BitBtn12;             // "Kullanıcı Pasif Yap", hidden
  QGroupBox* GroupBox1;              // "User Photo Related", hidden
  QLabel* imgUserPhoto;
  QLineEdit* txtUserPhotoFile;
  QPushButton* cmdUserPhotoFileBrowse;
  QPushButton* cmdGetEnrollPhoto;

  // Third tab: selective upload.
  TDBGrid* DBGrid2;
  QLabel* Label28;
  QLineEdit* Edit2;      // number filter
  QLabel* Label27;       // legend
  QPushButton* BitBtn7;  // "Seçili Kullanıcıyı Yükle"

  // Fourth tab: passwords.
  TDBGrid* DBGrid3;
  QGroupBox* GroupBox2;
  QRadioButton* RadioButton1;  // "kullanıcı"
  QRadioButton* RadioButton2;  // "admin(yönetici)"
  QLabel* Label31;
  QLabel* Label32;  // decoded old password
  QLabel* Label29;
  QLineEdit* Edit3;  // new password; shares Edit2Change
  QPushButton* BitBtn8;
  QLineEdit* Edit4;  // hidden

  // Fifth tab: enable / privilege.
  TDBGrid* DBGrid4;
  QGroupBox* GroupBox4;
  QRadioButton* RadioButton3;  // "kullanıcı"
  QRadioButton* RadioButton4;  // "admin(yönetici)"
  QPushButton* Button1;        // "Aktif Yap"
  QPushButton* Button2;        // "Pasif Yap"
  QPushButton* Button4;        // "Kullanıcıyı Admin Yap"
  QPushButton* Button5;        // "Admini Kullanıcı Yap"

  // Sixth tab: membership period (hidden).
  TDBGrid* DBGrid5;
  QGroupBox* GroupBox6;
  QRadioButton* RadioButton7;  // "Tüm"
  QRadioButton* RadioButton8;  // "Aktif"
  QRadioButton* RadioButton9;  // "Pasif"
  QLabel* Label34;
  QLineEdit* Edit5;
  QLabel* Label35;
  QLabel* Label36;
  QPushButton* BitBtn10;  // "Bağlan"
  QLabel* Label33;        // warning
  QCheckBox* CheckBox1;
  QGroupBox* GroupBox5;
  QRadioButton* RadioButton5;
  QRadioButton* RadioButton6;
  QPushButton* BitBtn9;
  QPushButton* Button3;
  QLabel* Label40;
  QLabel* Label37;
  QLabel* Label38;
  QLabel* Label39;

  // Frame and lists.
  void FormCreate();
  void FormShow();
  void FormClose();
  void BitBtn3Click();
  void Edit2Change();
  void RefreshEnrollLists();
  // Backup and restores.
  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn7Click();
  // Single records.
  void cmdGetEnrollDataClick();
  void cmdSetEnrollDataClick();
  void cmdDeleteEnrollDataClick();
  void BitBtn11Click();
  void BitBtn12Click();
  // The working template in hexadecimal, into lstEnrollData.
  void ShowTemplateBytes(int BackupNumber);

  // Names and users tabs
  void ConnectNamesTab();
  void ConnectUsersTab();
  void ReadPdksSettings();
  void RefreshNameList();
  void RefreshPasswordList();
  void RefreshActivePassiveList();
  TPdksSettings PdksSettings;  // the personnel database's settings, read at every show
  // Names (EnrolNames.cpp).
  void Edit8Change();
  void SendUserName();  // the current row of the name list
  void BitBtn4Click();
  void BitBtn5Click();
  // Passwords, enable state and privileges (EnrolUsers.cpp).
  void qryadminAfterScroll();
  void ShowOldPassword();
  void RadioButton1Click();
  void RadioButton2Click();
  void RadioButton3Click();
  void RadioButton4Click();
  void Button1Click();
  void Button2Click();
  void Button4Click();
  void Button5Click();
  void BitBtn8Click();

  // Personnel database
  void ConnectPdksTab();
  void ConfigurePdksConnection();  // from the settings kept at the last show
  void SpeedButton1Click();        // names import
  void RefreshMemberList();
  void BitBtn10Click();
  void Edit5Change();
  void RadioButton7Click();
  void RadioButton8Click();
  void RadioButton9Click();
  void BitBtn9Click();
  void Button3Click();

  // How the core's enroll-data routines reach this window's controls.
  TEnrollReport& Report() { return report_; }

 protected:
  void showEvent(QShowEvent* Event) override;
  // Every way of closing ends here; refused while a terminal action runs.
  void done(int Result) override;

 private:
  class TWindowReport final : public TEnrollReport {
   public:
    explicit TWindowReport(TfrmEnrol& Window) : w_(Window) {}
    void Status(const QString& Text) override;
    void ShowRecord(int EnrollNumber, int BackupNumber, int Privilege) override;
    void StoredLine(const QString& Line) override;
    void LogLine(const QString& Line) override;
    void Count(int Count) override;
    int Ask(const QString& Text, const QString& Title, int Flags) override;
    void Idle() override;

   private:
    TfrmEnrol& w_;
  };

  void BuildControls();
  void ConnectHandlers();
  // The single-record tab's backup number; -1 (and a status text) when the
  // box holds none of its names.
  int ChosenBackupNumber();
  TWindowReport report_{*this};
};

extern TfrmEnrol* frmEnrol;
