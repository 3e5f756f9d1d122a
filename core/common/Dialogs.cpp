#include "common/Dialogs.h"

#include <QCoreApplication>
#include <QFileInfo>

int SafeAnswer(int Flags) {
  switch (Flags & 0x0F) {
    case MB_YESNO:
      return IDNO;
    case MB_YESNOCANCEL:
    case MB_OKCANCEL:
      return IDCANCEL;
    default:
      return IDOK;
  }
}

QString ApplicationTitleOf(const QString& ProgramFileName) {
  const QString name = ProgramFileName.section(QLatin1Char('.'), 0, 0);
  return name.left(1) + name.mid(1).toLower();
}

QString ApplicationTitle() {
  return ApplicationTitleOf(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
}

QString WithFullStop(const QString& Text) {
  if (!Text.isEmpty() && Text.back() > QLatin1Char('.')) return Text + QLatin1Char('.');
  return Text;
}
