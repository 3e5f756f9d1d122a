// The memory-card conversion: a tab-separated log file taken from a
// terminal's memory card becomes attendance lines (enroll number, date, time,
// machine number) appended to "veri.txt". Fields are found by byte position
// in a normalised form of each line, as the terminal writes them.
#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "common/Errors.h"

// No line a terminal writes comes near this length; a longer one means the
// file is no card file (a disk image, a file of zeros) and is not converted.
constexpr qsizetype kMaxCardLineBytes = 64 * 1024;

// The source is no card file: a line longer than kMaxCardLineBytes.
class ECardFormatError : public EInOutError {
  using EInOutError::EInOutError;
};

// What the conversion tells its front end: the number of source lines, then
// the index of each line converted (the heading, never converted, is 0).
// Counts are 64-bit: a card file may hold more lines than a 32-bit count.
class TCardReport {
 public:
  virtual ~TCardReport() = default;
  // Once the source is checked and the download lock is held, before the
  // first line is written.
  virtual void Counted(qint64 Lines) = 0;
  virtual void Converted(qint64 Index) = 0;
  // Another download or conversion holds the download lock: Waiting comes
  // once, then Cancelled is asked while the conversion waits; true gives up.
  // Idle comes before each Cancelled: a window lets pending messages run.
  virtual void Waiting() {}
  virtual bool Cancelled() { return false; }
  virtual void Idle() {}
};

// The output line of one source line, without its line break. The line is
// first normalised: every field that a tab ends becomes its last five bytes,
// "0" in front up to five, and ","; blanks are dropped; the last field is
// kept as it is. The output fields are then taken by byte position:
// "00042 05/03/2024 08:07:09 01".
QByteArray CardOutputLine(QByteArrayView SourceLine);

// Converts SourceFile and appends its lines to AppPath + "veri.txt" (synced
// before it returns; the caller tells the operator). The source is read through once to count its
// lines and check them (a source that cannot be read, or holds a line longer
// than kMaxCardLineBytes, fails here, before anything is written), then the
// download lock is taken (the downloads write veri.txt too) and the source
// is streamed: memory does not grow with the file or its lines. A source
// that fails in that second pass (it changed, or cannot be read) leaves
// veri.txt as it was. Lines end with CR LF or LF. Returns the number of
// lines appended; throws EInOutError (ECardFormatError for a line too long),
// and EAbort when the wait for the lock was given up, with nothing written.
qint64 ConvertCardFile(const QString& SourceFile, const QString& AppPath, TCardReport& Report);

// A progress bar holds 32-bit positions: the maximum and the position of a
// source line for a bar that runs over Lines lines (beyond 2^31 - 1 lines
// several lines share one step).
class TCardProgress {
 public:
  explicit TCardProgress(qint64 Lines);
  int Maximum() const { return maximum_; }
  int Position(qint64 Index) const { return static_cast<int>(Index / linesPerStep_); }

 private:
  qint64 linesPerStep_ = 1;
  int maximum_ = 1;
};
