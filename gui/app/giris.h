// The main window: terminal list, connection, attendance download, memory-
// card conversion, maintenance commands and the download options. The
// connection itself belongs to the terminal session; the window reads it.
#pragma once
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QWidget>

#include "attendance/Download.h"
#include "sdk/FKDefine.h"
#include "session/TerminalSession.h"
#include "widgets/DBGrid.h"

class Tfrmgiris : public QWidget {
  Q_OBJECT
 public:
  // The terminal session (Session()) must exist first.
  Tfrmgiris();
  ~Tfrmgiris() override;

  // Controls.
  TDBGrid* DBGrid1;
  QMenu* PopupMenu1;
  QAction* mnuParmakizleriniSil;  // "Terminalde Tanımlı Tüm Parmakizlerini Sil"
  QAction* mnuTumVerileriAl;      // "Tüm Verileri Al (silmez)"
  QAction* mnuTumVerileriAlSil;   // "Tüm Verileri Al(aldıktan sonra cihazdan sil)"
  QAction* mnuParmakYuzSil;       // "Cihazda Tanımlı tüm parmak/yüz'leri sil"
  QPushButton* BitBtn1;
  QPushButton* BitBtn2;
  QPushButton* BitBtn3;
  QTabWidget* PageControl1;
  QWidget* TabSheet1;
  QWidget* TabSheet2;
  QPushButton* BitBtn4;
  QPushButton* BitBtn5;
  QProgressBar* ProgressBar1;
  QLabel* Label4;
  QPushButton* BitBtn11;
  QPlainTextEdit* Memo3;
  QPushButton* BitBtn13;
  QLabel* Label1;
  QLabel* LabelTotal;
  // Which terminal library is in use: the vendor's and how, or the stand-in.
  QLabel* LabelLibrary;
  QPushButton* BitBtn7;
  QPushButton* BitBtn6;
  QPushButton* BitBtn8;
  QPushButton* BitBtn9;
  QPushButton* BitBtn10;
  QPlainTextEdit* Memo4;
  QGroupBox* GroupBox1;
  QCheckBox* CheckBox2;
  QCheckBox* CheckBox1;
  QPushButton* Button2;
  QGroupBox* GroupBox2;
  QRadioButton* RadioButton1;
  QRadioButton* RadioButton2;
  QRadioButton* RadioButton3;
  QPushButton* Button1;
  QPlainTextEdit* Memo1;
  QPlainTextEdit* Memo2;
  QLineEdit* Edit1;
  QToolButton* SpeedButton1;

  // The six buttons that need an open connection, in their order.
  void SetTerminalButtonsEnabled(bool Enabled);
  // Closes the session's connection; the controls follow.
  void DisconnectTerminal();
  // The connect button's caption ("BAGLAN" or "BAGLANTI_KES") and the
  // terminal buttons follow the session's connection: the session decides,
  // and tells the window after every change.
  void ShowConnectionState();
  // Shows Window modally with the main window hidden meanwhile.
  void ShowModalHidden(QDialog& Window);
  // ProgressBar1 empty and at rest.
  void ShowEmptyProgress();

  // Handlers (the download and the card conversion in girisDownload.cpp, the
  // maintenance commands in girisCommands.cpp).
  void FormCreate();
  void FormClose();
  void BitBtn4Click();
  void BitBtn5Click();
  void mnuTumVerileriAlClick();
  void mnuTumVerileriAlSilClick();
  // The batch over every terminal of the list (girisBatch.cpp) and its cancel.
  void BitBtn11Click();
  void BitBtn13Click();
  void Button1Click();
  void BitBtn6Click();
  void BitBtn7Click();
  void BitBtn8Click();
  void erminaldeTanmlTmParmakizleriniSil1Click();
  void CihazdaTanmltmparmaky1Click();
  void BitBtn9Click();
  void BitBtn10Click();
  void Button2Click();
  // The terminal list: add, change, delete, and Ctrl+Delete in the grid.
  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn3Click();
  void DBGrid1CtrlDeletePressed();

 protected:
  void closeEvent(QCloseEvent* Event) override;

 private:
  void BuildControls();
  // The download from the connected terminal with the given read mark.
  void DownloadFromTerminal(int ReadMark);
  // "Bağlı terminal yok....", for the pop-up downloads offered unconnected.
  void ShowNoTerminal();
  void ShowClearOutcome(const TDownloadOutcome& Outcome, const QString& FileError);
  bool batchCancelled_ = false;
  void ReadDownloadOptions();
};

// The one main window, set while it exists.
extern Tfrmgiris* frmgiris;
