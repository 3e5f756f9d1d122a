// The unattended side of the dialogs seam, for runs with nobody at the
// screen (the guide's picture program, the tests): records everything shown
// and answers from a queue instead of waiting for the operator.
#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "widgets/Dlg.h"

struct ShownDialog {
  QString Kind;   // "MessageBox", "ShowMessage", "Confirm", "OpenFile", "Modal", "OpenUrl"
  QString Text;   // message text, filter, the window's object name, or the URL
  QString Title;  // the file-open dialog: its starting folder
  int Flags = 0;
};

class ScriptedDialogs final : public Dialogs {
 public:
  QList<ShownDialog> Shown;
  // Answers for message boxes (IDYES, IDNO, ...) and confirmations (IDOK,
  // IDCANCEL), taken in order. With none queued a question gets the safe
  // answer: No, or Cancel.
  QList<int> Answers;
  QStringList FileNames;                 // answers for the file-open dialog
  std::function<int(QDialog&)> OnModal;  // runs while a window is "shown"
  // Records a window shown modally (its object name and title); the test
  // program (TestProgram.h) sets it.
  std::function<ShownDialog(QDialog&)> DescribeModal;
  std::function<void()> OnProcessMessages;  // runs at each message pump
  // Runs as each dialog is shown, once it is recorded: what the program had
  // done by then (the calls a terminal had received, say) can be read.
  std::function<void(const ShownDialog&)> OnShown;
  int ProcessMessagesCalls = 0;
  QString ActiveTitle;  // what ActiveWindowTitle answers

  int MessageBox(const QString& Text, const QString& Title, int Flags) override;
  void ShowMessage(const QString& Text) override;
  bool Confirm(const QString& Text) override;
  QString OpenFileName(QWidget* Parent, const QString& Filter,
                       const QString& StartFolder = {}) override;
  int ShowModal(QDialog& Window) override;
  void ProcessMessages() override;
  QString ActiveWindowTitle() override { return ActiveTitle; }
  // Records the URL as if a browser had taken it.
  bool OpenUrl(const QUrl& Url) override;

  // Texts of everything shown, in order.
  QStringList Texts() const;
  void Clear();

 private:
  void Record(const ShownDialog& Dialog);
};

// Installs a ScriptedDialogs for the lifetime of this object.
class ScopedScriptedDialogs {
 public:
  ScopedScriptedDialogs() { SetDialogs(&dialogs); }
  ~ScopedScriptedDialogs() { SetDialogs(nullptr); }
  ScriptedDialogs* operator->() { return &dialogs; }
  const ScriptedDialogs* operator->() const { return &dialogs; }
  ScriptedDialogs& operator*() { return dialogs; }

 private:
  ScriptedDialogs dialogs;
};
