// The core's part of the dialogs seam: what a routine's question to the
// operator is made of. A routine asks through its report (TEnrollReport::Ask)
// with these flags and reads these answers; the front end decides how it
// asks (the windows: widgets/Dlg.h in gui/). Nothing here shows anything.
#pragma once
#include <QString>

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
// there is one, OK to a plain message. A front end without an operator
// gives it.
int SafeAnswer(int Flags);

// The program file's name up to its first full stop, the first letter as it
// is and every letter after it in lower case ("MERIDOX.exe" gives "Meridox",
// "meridox" stays "meridox").
QString ApplicationTitle();
QString ApplicationTitleOf(const QString& ProgramFileName);

// Appends a full stop when the last character sorts after '.'.
QString WithFullStop(const QString& Text);
