#include "common/Errors.h"

#include <optional>

namespace {

std::optional<int> ParseInt(const QString& Text) {
  qsizetype i = 0;
  while (i < Text.size() && Text[i] == QLatin1Char(' ')) ++i;
  bool negative = false;
  if (i < Text.size() && (Text[i] == QLatin1Char('-') || Text[i] == QLatin1Char('+'))) {
    negative = Text[i] == QLatin1Char('-');
    ++i;
  }
  if (i == Text.size()) return std::nullopt;
  qint64 value = 0;
  for (; i < Text.size(); ++i) {
    const QChar c = Text[i];
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    value = value * 10 + (c.unicode() - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace

int StrToInt(const QString& Text) {
  if (auto v = ParseInt(Text)) return *v;
  throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(Text));
}

int StrToIntDef(const QString& Text, int Default) {
  return ParseInt(Text).value_or(Default);
}
