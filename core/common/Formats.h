// Process-wide date formats (Delphi notation: dd, mm, yyyy, dddd, mmmm), set
// by the main window at start and used wherever a date is shown or read
// without a format of its own.
#pragma once
#include <QString>

struct TFormatSettings {
  QString ShortDateFormat = QStringLiteral("dd.mm.yyyy");
  QString LongDateFormat = QStringLiteral("dddd, dd mmmm yyyy");
};

extern TFormatSettings FormatSettings;

// The same date format in Qt's notation (months as M).
QString ToQtDateFormat(const QString& DelphiFormat);
