// The bell window: reads and writes the terminal's 24 daily bell times.
#pragma once
#include <QDialog>

class Tfrmzil : public QDialog {
  Q_OBJECT
 public:
  explicit Tfrmzil(QWidget* Parent = nullptr);
  ~Tfrmzil() override;
};

extern Tfrmzil* frmzil;
