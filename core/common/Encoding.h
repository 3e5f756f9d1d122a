// Windows-1254 (Turkish) text, used wherever text leaves or enters the
// program as bytes: names exchanged with the terminal SDK and Settings.ini.
#pragma once
#include <QByteArray>
#include <QString>

QString FromWin1254(const QByteArray& Bytes);
QString FromWin1254(const char* Text);  // up to the first NUL
// Characters without a Windows-1254 byte become '?'.
QByteArray ToWin1254(const QString& Text);
