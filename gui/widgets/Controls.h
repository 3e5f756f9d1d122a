// Small helpers the windows use to lay out their controls: each control gets
// its design name (the object name tests and handlers find it by) and its
// place.
#pragma once
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRect>
#include <QTabWidget>
#include <QToolButton>

#include "widgets/DBGrid.h"

template <class Control>
Control* Named(Control* C, const QString& Name, const QRect& At) {
  C->setObjectName(Name);
  C->setGeometry(At);
  return C;
}

// The design's windows cannot be resized, only minimised and closed. Kind is
// Qt::Window for the main window, Qt::Dialog for the others.
Qt::WindowFlags FixedWindowFlags(Qt::WindowType Kind);
// The design's small type (8 points), which the controls inherit.
void SetSmallFont(QWidget* Window);
// Bold type, at PointSize when one is given.
void SetBold(QWidget* W, int PointSize = 0);

QPushButton* MakeButton(const QString& Name, const QString& Caption, QWidget* Parent,
                        const QRect& At);
QToolButton* MakeToolButton(const QString& Name, const QString& Caption, QWidget* Parent,
                            const QRect& At);
// A label sized to its caption.
QLabel* MakeLabel(const QString& Name, const QString& Caption, QWidget* Parent, QPoint At);
QLineEdit* MakeEdit(const QString& Name, QWidget* Parent, const QRect& At,
                    const QString& Text = {});
// A read-only memo.
QPlainTextEdit* MakeMemo(const QString& Name, QWidget* Parent, const QRect& At);
QCheckBox* MakeCheckBox(const QString& Name, const QString& Caption, QWidget* Parent,
                        const QRect& At);
QRadioButton* MakeRadio(const QString& Name, const QString& Caption, QWidget* Parent,
                        const QRect& At);
QGroupBox* MakeGroup(const QString& Name, const QString& Caption, QWidget* Parent, const QRect& At);
// A list to pick from; Current -1 selects nothing.
QComboBox* MakeCombo(const QString& Name, QWidget* Parent, const QRect& At,
                     const QStringList& Items, int Current);
// A list that also takes typed text, showing Text (selected when it is one
// of the items).
QComboBox* MakeTypedCombo(const QString& Name, QWidget* Parent, const QRect& At,
                          const QStringList& Items, const QString& Text);
TDBGrid* MakeGrid(const QString& Name, QWidget* Parent, const QRect& At);
// A page of Pages, added after the ones it has.
QWidget* MakeTab(QTabWidget* Pages, const QString& Name, const QString& Caption);
