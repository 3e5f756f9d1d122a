// A text file that is only ever appended to, written through a buffer, with
// the input-output errors the actions report: opening, writing and syncing
// throw EInOutError.
#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>

class TAppendFile {
 public:
  // Opens FileName for appending, creating it when missing.
  explicit TAppendFile(const QString& FileName);
  // Hands over what is left and closes; an error here is no longer reported.
  ~TAppendFile();
  TAppendFile(const TAppendFile&) = delete;
  TAppendFile& operator=(const TAppendFile&) = delete;

  QString FileName() const { return file_.fileName(); }
  void Write(const QByteArray& Bytes) { Write(Bytes.constData(), Bytes.size()); }
  void Write(const char* Bytes, qsizetype Size);
  // Hands every gathered byte to the system and waits until it is on disk.
  void Sync();

 private:
  QFile file_;
};

// Throws the error of reading File, a source opened through QFile.
[[noreturn]] void ThrowReadError(const QFile& File);
