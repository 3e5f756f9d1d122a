#include "widgets/Controls.h"

#include <QFont>

Qt::WindowFlags FixedWindowFlags(Qt::WindowType Kind) {
  return Kind | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
}

void SetSmallFont(QWidget* Window) {
  QFont small = Window->font();
  small.setPointSize(8);
  Window->setFont(small);
}

void SetBold(QWidget* W, int PointSize) {
  QFont f = W->font();
  f.setBold(true);
  if (PointSize > 0) f.setPointSize(PointSize);
  W->setFont(f);
}

QPushButton* MakeButton(const QString& Name, const QString& Caption, QWidget* Parent,
                        const QRect& At) {
  return Named(new QPushButton(Caption, Parent), Name, At);
}

QToolButton* MakeToolButton(const QString& Name, const QString& Caption, QWidget* Parent,
                            const QRect& At) {
  auto* b = Named(new QToolButton(Parent), Name, At);
  b->setText(Caption);
  return b;
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

QCheckBox* MakeCheckBox(const QString& Name, const QString& Caption, QWidget* Parent,
                        const QRect& At) {
  return Named(new QCheckBox(Caption, Parent), Name, At);
}

QRadioButton* MakeRadio(const QString& Name, const QString& Caption, QWidget* Parent,
                        const QRect& At) {
  return Named(new QRadioButton(Caption, Parent), Name, At);
}

QGroupBox* MakeGroup(const QString& Name, const QString& Caption, QWidget* Parent,
                     const QRect& At) {
  return Named(new QGroupBox(Caption, Parent), Name, At);
}

QComboBox* MakeCombo(const QString& Name, QWidget* Parent, const QRect& At,
                     const QStringList& Items, int Current) {
  auto* c = Named(new QComboBox(Parent), Name, At);
  c->addItems(Items);
  c->setCurrentIndex(Current);
  return c;
}

QComboBox* MakeTypedCombo(const QString& Name, QWidget* Parent, const QRect& At,
                          const QStringList& Items, const QString& Text) {
  auto* c = Named(new QComboBox(Parent), Name, At);
  c->setEditable(true);
  c->setInsertPolicy(QComboBox::NoInsert);
  c->addItems(Items);
  c->setCurrentIndex(Items.indexOf(Text));
  return c;
}

TDBGrid* MakeGrid(const QString& Name, QWidget* Parent, const QRect& At) {
  auto* g = new TDBGrid(Name, Parent);
  g->setGeometry(At);
  return g;
}

QWidget* MakeTab(QTabWidget* Pages, const QString& Name, const QString& Caption) {
  auto* t = new QWidget;
  t->setObjectName(Name);
  Pages->addTab(t, Caption);
  return t;
}
