#include "widgets/Controls.h"

QPushButton* MakeButton(const QString& Name, const QString& Caption, QWidget* Parent,
                        const QRect& At) {
  return Named(new QPushButton(Caption, Parent), Name, At);
}

QLabel* MakeLabel(const QString& Name, const QString& Caption, QWidget* Parent, QPoint At) {
  auto* l = new QLabel(Caption, Parent);
  l->setObjectName(Name);
  l->move(At);
  l->adjustSize();
  return l;
}

QLineEdit* MakeEdit(const QString& Name, QWidget* Parent, const QRect& At, const QString& Text) {
  return Named(new QLineEdit(Text, Parent), Name, At);
}

QPlainTextEdit* MakeMemo(const QString& Name, QWidget* Parent, const QRect& At) {
  auto* m = Named(new QPlainTextEdit(Parent), Name, At);
  m->setReadOnly(true);
  return m;
}
