// A text file that is only ever appended to, in whole lines, with the
// input-output errors the actions report: opening, writing and syncing throw
// EInOutError with the system's own reason.
#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>

class TAppendFile {
 public:
  // Opens FileName for appending, creating it when missing. Anything there
  // but a regular file (a FIFO, a folder, a device) is refused at once.
  explicit TAppendFile(const QString& FileName);
  // Throws the error the constructor would for FileName when it is there
  // and no regular file; looks without opening, so it never waits.
  static void RefuseIfNotRegular(const QString& FileName);
  // Hands over what is left and closes; an error here is no longer reported,
  // but the file still ends with its last whole line.
  ~TAppendFile();
  TAppendFile(const TAppendFile&) = delete;
  TAppendFile& operator=(const TAppendFile&) = delete;

  QString FileName() const { return name_; }
  // Gathers bytes; whole lines go to the system in blocks of some 64 KB.
  void Write(const QByteArray& Bytes) { Write(Bytes.constData(), Bytes.size()); }
  void Write(const char* Bytes, qsizetype Size);
  // Hands what was gathered and then Bytes to the system at once (write(2)):
  // once it returns, a killed program no longer loses them.
  void WriteThrough(const QByteArray& Bytes);
  // Hands every gathered byte to the system.
  void Flush();
  // Flush, then waits until the file is on disk.
  void Sync();
  // Drops what was gathered and cuts the file back to the length it had when
  // it was opened: for a writer whose output must be whole or nothing.
  // Throws EInOutError when the system refuses.
  void CutBackToStart();

 private:
  // Writes Size bytes. When the system takes only part of them (a full disk),
  // the file is cut back to the end of its last whole line and the system's
  // reason is thrown.
  void HandOver(const char* Bytes, qsizetype Size);

  QString name_;
  QFile file_;
  qint64 start_ = 0;  // the file's length when opened
  QByteArray gathered_;
  // Bytes handed over since the last line break that reached the file: what a
  // failed write has to cut off again.
  qint64 openLine_ = 0;
};

// Throws the error of reading File, a source opened through QFile.
[[noreturn]] void ThrowReadError(const QFile& File);
