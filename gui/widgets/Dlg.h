// The one seam through which the windows talk to the operator: message
// boxes, plain messages, confirmations, the file-open dialog, modal windows,
// letting pending window messages run and opening a page in the browser.
// The program installs the Qt dialogs (widgets/QtDialogs.h); until then
// every message goes to standard error and every question gets its safe
// answer, so nothing waits for an operator. Unattended runs (the guide's
// pictures, the tests) install the scripted dialogs
// (widgets/ScriptedDialogs.h), which record and answer. The core never comes here: its
// routines ask through their reports, which the windows answer through this
// seam.
#pragma once
#include <QString>

#include "common/Dialogs.h"

class QDialog;
class QUrl;
class QWidget;

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Message box with text, title and flags; returns the button pressed.
  virtual int MessageBox(const QString& Text, const QString& Title, int Flags) = 0;
  // Plain message: the text, an OK button and the application's title.
  virtual void ShowMessage(const QString& Text) = 0;
  // OK / Cancel question; true for OK.
  virtual bool Confirm(const QString& Text) = 0;
  // File-open dialog opened at StartFolder; empty when the operator cancels.
  virtual QString OpenFileName(QWidget* Parent, const QString& Filter,
                               const QString& StartFolder = {}) = 0;
  // Shows a window modally and returns when it closes.
  virtual int ShowModal(QDialog& Window) = 0;
  // Lets pending window messages run (repaint, other controls).
  virtual void ProcessMessages() = 0;
  // Title of the active window, blanks trimmed; empty when there is none.
  virtual QString ActiveWindowTitle() = 0;
  // Hands Url to the desktop (a guide page to the user's browser); false
  // when nothing took it.
  virtual bool OpenUrl(const QUrl& Url) = 0;
};

// The dialogs in use: the installed ones, else the default ones.
Dialogs& Dlg();
// Installs Replacement (not owned); nullptr returns to the default dialogs.
void SetDialogs(Dialogs* Replacement);
// The dialogs used when none are installed (not owned); nullptr returns to
// the ones that write to standard error. The program sets the Qt ones.
void SetDefaultDialogs(Dialogs* Default);

// The standard error box: application title, OK, error icon.
void ShowErrorBox(const QString& Text);
