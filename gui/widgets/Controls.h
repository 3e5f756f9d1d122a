// Small helpers the windows use to lay out their controls: each control gets
// its design name (the object name tests and handlers find it by) and its
// place.
#pragma once
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRect>

template <class Control>
Control* Named(Control* C, const QString& Name, const QRect& At) {
  C->setObjectName(Name);
  C->setGeometry(At);
  return C;
}

QPushButton* MakeButton(const QString& Name, const QString& Caption, QWidget* Parent,
                        const QRect& At);
// A label sized to its caption.
QLabel* MakeLabel(const QString& Name, const QString& Caption, QWidget* Parent, QPoint At);
QLineEdit* MakeEdit(const QString& Name, QWidget* Parent, const QRect& At,
                    const QString& Text = {});
// A read-only memo.
QPlainTextEdit* MakeMemo(const QString& Name, QWidget* Parent, const QRect& At);
