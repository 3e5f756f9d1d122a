#include "bells/zil.h"

Tfrmzil* frmzil = nullptr;

Tfrmzil::Tfrmzil(QWidget* Parent) : QDialog(Parent) {
  setObjectName(QStringLiteral("frmzil"));
  frmzil = this;
}

Tfrmzil::~Tfrmzil() {
  if (frmzil == this) frmzil = nullptr;
}
