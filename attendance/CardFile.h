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

// The output line of one source line, without its line break. The line is
// first normalised: every field that a tab ends becomes its last five bytes,
// "0" in front up to five, and ","; blanks are dropped; the last field is
// kept as it is. The output fields are then taken by byte position:
// "00042 05/03/2024 08:07:09 01".
QByteArray CardOutputLine(QByteArrayView SourceLine);

// Converts SourceFile and appends its lines to AppPath + "veri.txt", then
// shows the closing message. The source is read through once to count its
// lines (a source that cannot be read fails here, before anything is
// written), then streamed: memory does not grow with the file. Lines end with
// CR LF or LF. Returns the number of lines appended; throws EInOutError.
int ConvertCardFile(const QString& SourceFile, const QString& AppPath, TCardReport& Report);
