// The one seam through which the program talks to the operator: message
// boxes, plain messages, confirmations, the file-open dialog, modal windows
// and letting pending window messages run. The windowed program installs the
// Qt dialogs (widgets/QtDialogs.h in gui/); without them the core writes to standard
// error and gives the safe answer, so it runs without a display. Tests
// install a scripted implementation that records and answers.
#pragma once
#include <QString>

class QDialog;
class QWidget;

// Message-box flags and answers, with their Windows values.
enum : int {
  MB_OK = 0,
  MB_OKCANCEL = 1,
  MB_YESNOCANCEL = 3,
  MB_YESNO = 4,
  MB_ICONERROR = 16,
  MB_ICONQUESTION = 32,
  MB_ICONWARNING = 48,
  MB_ICONINFORMATION = 64,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// The answer nobody is there to give: No to a yes/no question, Cancel where
// there is one, OK to a plain message.
int SafeAnswer(int Flags);

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
};

// The dialogs in use: the installed ones, else the default ones.
Dialogs& Dlg();
// Installs Replacement (not owned); nullptr returns to the default dialogs.
void SetDialogs(Dialogs* Replacement);
// The dialogs used when none are installed (not owned); nullptr returns to
// the console dialogs of the core. The windowed program sets the Qt ones.
void SetDefaultDialogs(Dialogs* Default);

// The program file's name up to its first full stop, the first letter as it
// is and every letter after it in lower case ("MERIDOX.exe" gives "Meridox",
// "meridox" stays "meridox").
QString ApplicationTitle();
QString ApplicationTitleOf(const QString& ProgramFileName);

// Appends a full stop when the last character sorts after '.'.
QString WithFullStop(const QString& Text);

// The standard error box: application title, OK, error icon.
void ShowErrorBox(const QString& Text);
