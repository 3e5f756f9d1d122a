#include "common/Encoding.h"

#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <cstring>

namespace {

// 0x80-0x9F; bytes the code page leaves undefined map to the same code point.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x008E, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x009E, 0x0178};

// Beyond 0x9F the page is Latin-1 except for the six Turkish letters.
char16_t ToUnicode(unsigned char b) {
  if (b >= 0x80 && b <= 0x9F) return kHigh[b - 0x80];
  switch (b) {
    case 0xD0:
      return 0x011E;  // Ğ
    case 0xDD:
      return 0x0130;  // İ
    case 0xDE:
      return 0x015E;  // Ş
    case 0xF0:
      return 0x011F;  // ğ
    case 0xFD:
      return 0x0131;  // ı
    case 0xFE:
      return 0x015F;  // ş
    default:
      return b;
  }
}

char FromUnicode(char16_t c) {
  if (c < 0x80) return static_cast<char>(c);
  for (int b = 0x80; b <= 0xFF; ++b)
    if (ToUnicode(static_cast<unsigned char>(b)) == c) return static_cast<char>(b);
  return '?';
}

}  // namespace

QString FromWin1254(const QByteArray& Bytes) {
  QString out(Bytes.size(), Qt::Uninitialized);
  QChar* d = out.data();
  for (int i = 0; i < Bytes.size(); ++i)
    d[i] = QChar(ToUnicode(static_cast<unsigned char>(Bytes[i])));
  return out;
}

QString FromWin1254(const char* Text) {
  return Text ? FromWin1254(QByteArray(Text, static_cast<int>(std::strlen(Text)))) : QString();
}

QByteArray ToWin1254(const QString& Text) {
  QByteArray out(Text.size(), Qt::Uninitialized);
  for (int i = 0; i < Text.size(); ++i) out[i] = FromUnicode(Text[i].unicode());
  return out;
}

bool IsUtf8(const QByteArray& Bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = decoder.decode(Bytes);
  Q_UNUSED(text)
  return !decoder.hasError();
}

TTextEncoding TextEncodingOf(const QByteArray& Bytes, bool HasBom) {
  const bool ascii = std::all_of(Bytes.begin(), Bytes.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii && !HasBom) return TTextEncoding::Win1254;
  return IsUtf8(Bytes) ? TTextEncoding::Utf8 : TTextEncoding::Win1254;
}

QString Decode(const QByteArray& Bytes, TTextEncoding Encoding) {
  return Encoding == TTextEncoding::Utf8 ? QString::fromUtf8(Bytes) : FromWin1254(Bytes);
}

QByteArray Encode(const QString& Text, TTextEncoding Encoding) {
  return Encoding == TTextEncoding::Utf8 ? Text.toUtf8() : ToWin1254(Text);
}
