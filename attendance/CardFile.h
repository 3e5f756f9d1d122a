// The memory-card conversion: a tab-separated log file taken from a
// terminal's memory card becomes attendance lines (enroll number, date, time,
// machine number) appended to "veri.txt". Fields are found by byte position
// in a normalised form of each line, as the terminal writes them.
#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// What the conversion tells its front end: the number of source lines, then
// the index of each line converted (the heading, never converted, is 0).
class TCardReport {
 public:
  virtual ~TCardReport() = default;
  virtual void Counted(int Lines) = 0;
  virtual void Converted(int Index) = 0;
};

// The normalised form of one source line into Out: every field that a tab
// ends becomes its last five bytes, "0" in front up to five, and ","; blanks
// are dropped; the last field is kept as it is.
void NormaliseCardLine(QByteArray& Out, QByteArrayView Line);
// The output line (no line break) taken by position from a normalised line.
void BuildCardOutputLine(QByteArray& Out, QByteArrayView Normalised);
// Both steps: "00042 05/03/2024 08:07:09 01" from a source line.
QByteArray CardOutputLine(QByteArrayView SourceLine);

// Converts SourceFile and appends its lines to AppPath + "veri.txt", then
// shows the closing message. The source is read through once to count its
// lines (a source that cannot be read fails here, before anything is
// written), then streamed: memory does not grow with the file. Lines end with
// CR LF or LF. Returns the number of lines appended; throws EInOutError.
int ConvertCardFile(const QString& SourceFile, const QString& AppPath, TCardReport& Report);
