#include "common/Formats.h"

TFormatSettings FormatSettings;

QString ToQtDateFormat(const QString& DelphiFormat) {
  QString out = DelphiFormat;
  return out.replace(QLatin1Char('m'), QLatin1Char('M'));
}
