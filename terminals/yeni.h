// The terminal editor: adds a terminal to the list or changes one.
#pragma once
#include <QDialog>

class Tfrmyeni : public QDialog {
  Q_OBJECT
 public:
  explicit Tfrmyeni(QWidget* Parent = nullptr);
  ~Tfrmyeni() override;
};

extern Tfrmyeni* frmyeni;
