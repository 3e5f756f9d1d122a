// The bell window: reads the terminal's 24 daily bell times into the bell
// schedule it is given, shows them as rows, and sends the edited rows back.
#pragma once
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "session/BellBlock.h"

class Tfrmzil : public QDialog {
  Q_OBJECT
 public:
  // Schedule outlives the window and is shared by every showing of it.
  explicit Tfrmzil(TBellSchedule& Schedule, QWidget* Parent = nullptr);
  ~Tfrmzil() override;

  // Controls.
  QPushButton* Button1;     // "<--- Terminalden Zil Saatlerini Oku"
  QPushButton* Button2;     // "--->Terminale Zİl Saatlerini Gönder"
  QPushButton* BitBtn1;     // "Kapat"
  QLineEdit* txtBellCount;  // hidden: BellCount as decimal text
  QGroupBox* GroupBox1;     // rows 0-11
  QGroupBox* GroupBox3;     // rows 12-23
  // Row i's controls, named _chkValid_i, _txtHour_i and _txtMinute_i.
  std::array<QCheckBox*, BellRowCount> chkValid{};
  std::array<QLineEdit*, BellRowCount> txtHour{};
  std::array<QLineEdit*, BellRowCount> txtMinute{};

  // Shows the schedule's rows and BellCount.
  void Refresh();
  // Stores the rows into the schedule's BellBlock and returns the count a
  // send passes.
  int Collect();

  // Handlers.
  void FormShow();
  void Button1Click();
  void Button2Click();
  void BitBtn1Click();

 protected:
  void showEvent(QShowEvent* Event) override;

 private:
  TBellSchedule& bells_;
  void BuildControls();
  void BuildRows(QGroupBox* Group, int FirstRow);
};

extern Tfrmzil* frmzil;
