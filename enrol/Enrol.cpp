#include "enrol/Enrol.h"

TfrmEnrol* frmEnrol = nullptr;

TfrmEnrol::TfrmEnrol(QWidget* Parent) : QDialog(Parent) {
  setObjectName(QStringLiteral("frmEnrol"));
  setWindowTitle(QStringLiteral("Parmakizi Datası Kopyalama / Yükleme / Personel İsimlendirme"));
  setFixedSize(970, 596);
  GroupBox3 = new QGroupBox(this);
  GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
  GroupBox3->setGeometry(8, 8, 465, 41);
  Label1 = new QLabel(QStringLiteral("Bağlantı Kurulan Terminal:"), GroupBox3);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(8, 14, 170, 20);
  Label3 = new QLabel(GroupBox3);
  Label3->setObjectName(QStringLiteral("Label3"));
  Label3->setGeometry(184, 14, 270, 20);
  for (QLabel* l : {Label1, Label3}) {
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    l->setStyleSheet(QStringLiteral("color: red"));
  }
  frmEnrol = this;
}

TfrmEnrol::~TfrmEnrol() {
  if (frmEnrol == this) frmEnrol = nullptr;
}
