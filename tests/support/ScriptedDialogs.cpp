#include "ScriptedDialogs.h"

int ScriptedDialogs::MessageBox(const QString& Text, const QString& Title, int Flags) {
  Shown.append({QStringLiteral("MessageBox"), Text, Title, Flags});
  if (!Answers.isEmpty()) return Answers.takeFirst();
  switch (Flags & 0x0F) {
    case MB_YESNO:
      return IDNO;
    case MB_YESNOCANCEL:
    case MB_OKCANCEL:
      return IDCANCEL;
    default:
      return IDOK;
  }
}

void ScriptedDialogs::ShowMessage(const QString& Text) {
  Shown.append({QStringLiteral("ShowMessage"), Text, ApplicationTitle(), MB_OK});
}

bool ScriptedDialogs::Confirm(const QString& Text) {
  Shown.append({QStringLiteral("Confirm"), Text, ApplicationTitle(), MB_OKCANCEL});
  return !Answers.isEmpty() && Answers.takeFirst() == IDOK;
}

QString ScriptedDialogs::OpenFileName(QWidget*, const QString& Filter, const QString& StartFolder) {
  Shown.append({QStringLiteral("OpenFile"), Filter, StartFolder, 0});
  return FileNames.isEmpty() ? QString() : FileNames.takeFirst();
}

int ScriptedDialogs::ShowModal(QDialog& Window) {
  Shown.append(DescribeModal ? DescribeModal(Window)
                             : ShownDialog{QStringLiteral("Modal"), {}, {}, 0});
  constexpr int Rejected = 0;  // QDialog::Rejected
  return OnModal ? OnModal(Window) : Rejected;
}

void ScriptedDialogs::ProcessMessages() {
  ++ProcessMessagesCalls;
  if (OnProcessMessages) OnProcessMessages();
}

QStringList ScriptedDialogs::Texts() const {
  QStringList texts;
  for (const ShownDialog& d : Shown) texts << d.Text;
  return texts;
}

void ScriptedDialogs::Clear() {
  Shown.clear();
  Answers.clear();
  FileNames.clear();
}
