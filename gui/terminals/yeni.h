// The terminal editor: adds a terminal to the list or changes the selected
// one. The main window starts it for a new terminal ("Ekle") or for the
// selected one ("Değiştir") and shows it modally.
#pragma once
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <optional>

#include "data/TerminalList.h"

// The connection-type list and the Tip stored for each item, by index:
// "comport" "com", "tcp/ip" "ethernet", "usb" "usb".
QString TipOfConnectionType(int Index);       // empty for no item
int ConnectionTypeOfTip(const QString& Tip);  // -1 for any other Tip

class Tfrmyeni : public QDialog {
  Q_OBJECT
 public:
  explicit Tfrmyeni(QWidget* Parent = nullptr);
  ~Tfrmyeni() override;

  enum class TMode { None, New, Change };
  TMode Mode() const { return mode_; }

  // Prepares a new terminal: tcp/ip, password "0" and an empty name; the
  // other fields keep what the editor last held.
  void StartNew();
  // Prepares a change of the selected terminal, its columns in the fields.
  // Without Row (no longer in the table) the fields keep what they held.
  void StartChange(const std::optional<TTerminalRow>& Row);

  // Controls.
  QLineEdit* Edit1;      // terminal name
  QLineEdit* Edit7;      // machine number
  QComboBox* ComboBox1;  // "comport", "tcp/ip", "usb"
  QGroupBox* GroupBox1;  // "com port"
  QLineEdit* Edit2;      // serial port
  QLineEdit* Edit3;      // baud
  QGroupBox* GroupBox2;  // "tcp/ip", on the same place as GroupBox1
  QLineEdit* Edit4;      // network address
  QLineEdit* Edit5;      // TCP port
  QLineEdit* Edit6;      // communication password
  QPushButton* BitBtn2;  // "Kaydet"
  QPushButton* Button1;  // "Kapat"
  QPushButton* BitBtn1;  // hidden "Kaydet": save as a new row
  QPushButton* BitBtn3;  // hidden "guncelle": save into the selected row

  // Handlers.
  void FormShow();
  void ComboBox1Change();
  void BitBtn2Click();
  void BitBtn1Click();
  void BitBtn3Click();
  void Button1Click();

 protected:
  void showEvent(QShowEvent* Event) override;

 private:
  void BuildControls();
  bool NameMissing();
  TTerminalRow Fields() const;

  TMode mode_ = TMode::None;
};

extern Tfrmyeni* frmyeni;
