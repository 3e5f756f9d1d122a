// Settings files with the rules of Windows private-profile files: section
// and key names match without regard to case, a missing file, section or key
// gives the default, blanks around a value are dropped, values are read up to
// 2047 characters, and writing one key leaves every other line as it was,
// byte for byte. The program writes Windows-1254 text with CR LF line ends;
// a file an operator saved as UTF-8 (Notepad does, often with a BOM) is read
// as UTF-8 and written back so. The file is opened for each reading or
// writing and never held.
#pragma once
#include <QString>

class TIniFile {
 public:
  explicit TIniFile(QString FileName) : fileName_(std::move(FileName)) {}
  const QString& FileName() const { return fileName_; }

  // A file that is there but cannot be read (a folder in its place, no
  // permission, an error while reading) throws EInOutError with the
  // system's reason: its keys are not there to be read, not missing.
  QString ReadString(const QString& Section, const QString& Key, const QString& Default) const;
  // Replaces or adds the key, creating the section or the file when missing.
  // A new value is written in the file's own encoding. Throws EIniFileError
  // "Unable to write to <path>" when it cannot write, and the reading error
  // above when the file is there but cannot be read: writing it then would
  // drop every other key.
  void WriteString(const QString& Section, const QString& Key, const QString& Value);

 private:
  QString fileName_;
};
