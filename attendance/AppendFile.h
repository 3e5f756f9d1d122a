// A text file that is only ever appended to, with the input-output errors
// the actions report: opening, writing and syncing throw EInOutError.
#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>

class TAppendFile {
 public:
  enum class TWrites {
    Direct,   // every Write reaches the system at once
    Buffered  // writes are gathered and handed over in blocks
  };
  // Opens FileName for appending, creating it when missing.
  TAppendFile(const QString& FileName, TWrites Writes);
  ~TAppendFile();  // closes; an error at this point is no longer reported
  TAppendFile(const TAppendFile&) = delete;
  TAppendFile& operator=(const TAppendFile&) = delete;

  QString FileName() const { return file_.fileName(); }
  void Write(const QByteArray& Bytes);
  // Hands every gathered byte to the system and waits until it is on disk.
  void Sync();

 private:
  QFile file_;
};

// Throws the error of reading File, a source opened through QFile.
[[noreturn]] void ThrowReadError(const QFile& File);
