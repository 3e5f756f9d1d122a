// Settings files with the rules of Windows private-profile files: section
// and key names match without regard to case, a missing file, section or key
// gives the default, blanks around a value are dropped, values are read up to
// 2047 characters, and writing one key leaves every other line as it was.
// The file is Windows-1254 text with CR LF line ends; it is opened for each
// reading or writing and never held.
#pragma once
#include <QString>

class TIniFile {
 public:
  explicit TIniFile(QString FileName) : fileName_(std::move(FileName)) {}
  const QString& FileName() const { return fileName_; }

  QString ReadString(const QString& Section, const QString& Key, const QString& Default) const;
  // Replaces or adds the key, creating the section or the file when missing.
  // Throws EIniFileError "Unable to write to <path>" when it cannot, and
  // also when the file is there but cannot be read: writing it then would
  // drop every other key.
  void WriteString(const QString& Section, const QString& Key, const QString& Value);

 private:
  QString fileName_;
};
