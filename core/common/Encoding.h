// Windows-1254 (Turkish) text, used wherever text leaves or enters the
// program as bytes: names exchanged with the terminal SDK and Settings.ini.
// A text file that a person may have saved with today's editors can be
// UTF-8 instead; the second half tells the two apart.
#pragma once
#include <QByteArray>
#include <QString>

QString FromWin1254(const QByteArray& Bytes);
QString FromWin1254(const char* Text);  // up to the first NUL
// Characters without a Windows-1254 byte become '?'.
QByteArray ToWin1254(const QString& Text);

enum class TTextEncoding { Win1254, Utf8 };

// The byte-order mark that Notepad puts in front of a UTF-8 file.
inline const QByteArray kUtf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");

// Bytes that are well-formed UTF-8 (no stray or cut sequence, no overlong
// form, no surrogate).
bool IsUtf8(const QByteArray& Bytes);
// How the text of a file is read, given its bytes after a BOM. UTF-8 when a
// BOM said so or when letters beyond ASCII are well-formed UTF-8: Turkish
// Windows-1254 text practically never is. Otherwise Windows-1254, so that a
// plain ASCII file gets new letters in the code page the program always
// wrote. A BOM in front of bytes that are not UTF-8 says nothing.
TTextEncoding TextEncodingOf(const QByteArray& Bytes, bool HasBom);
QString Decode(const QByteArray& Bytes, TTextEncoding Encoding);
QByteArray Encode(const QString& Text, TTextEncoding Encoding);
