#include "common/LibFunctions.h"

QString ZeroFill(const QString& Text, int Width) {
  if (Text.size() >= Width) return Text;
  return QString(Width - Text.size(), QLatin1Char('0')) + Text;
}

QString PadOrCut(const QString& Text, const QString& Fill, int Width, bool Right) {
  if (Text.size() == Width) return Text;
  if (Text.size() > Width) return Text.left(Width);
  const QString padding = Fill.repeated(Width - Text.size());
  return Right ? Text + padding : padding + Text;
}
