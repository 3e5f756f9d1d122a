#include "terminals/yeni.h"

Tfrmyeni* frmyeni = nullptr;

Tfrmyeni::Tfrmyeni(QWidget* Parent) : QDialog(Parent) {
  setObjectName(QStringLiteral("frmyeni"));
  setWindowTitle(QStringLiteral("Terminal Ekle-Değiştir"));
  setFixedSize(289, 329);
  frmyeni = this;
}

Tfrmyeni::~Tfrmyeni() {
  if (frmyeni == this) frmyeni = nullptr;
}
