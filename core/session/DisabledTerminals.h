// The program folder's notes of terminals this program disabled and has not
// enabled again: one small file per terminal in the folder "DevreDisi",
// made (synced) before the disable is sent and removed after the enable. A
// program killed in between leaves the note behind, and the next connect to
// that terminal, from this run or another, enables it first.
#pragma once
#include <QString>

#include "sdk/FKDefine.h"

class TDisabledTerminals final : public TDisabledRecord {
 public:
  // AppPath: the program folder, with a trailing separator.
  explicit TDisabledTerminals(const QString& AppPath);

  bool Disabling(const TConnInfo& Info) override;
  void Enabled(const TConnInfo& Info) override;
  bool LeftDisabled(const TConnInfo& Info) const override;

  // Which terminal a request reaches: the fields its kind uses to address
  // it, so a row renamed or a second row for the same terminal finds the
  // same note.
  static QString TerminalAddress(const TConnInfo& Info);
  QString NoteFile(const TConnInfo& Info) const;

 private:
  QString folder_;
};
