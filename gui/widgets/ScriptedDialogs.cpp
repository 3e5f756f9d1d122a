#include "widgets/ScriptedDialogs.h"

#include <QUrl>

void ScriptedDialogs::Record(const ShownDialog& Dialog) {
  Shown.append(Dialog);
  if (OnShown) OnShown(Dialog);
}

int ScriptedDialogs::MessageBox(const QString& Text, const QString& Title, int Flags) {
  Record({QStringLiteral("MessageBox"), Text, Title, Flags});
  return Answers.isEmpty() ? SafeAnswer(Flags) : Answers.takeFirst();
}

void ScriptedDialogs::ShowMessage(const QString& Text) {
  Record({QStringLiteral("ShowMessage"), Text, ApplicationTitle(), MB_OK});
}

bool ScriptedDialogs::Confirm(const QString& Text) {
  Record({QStringLiteral("Confirm"), Text, ApplicationTitle(), MB_OKCANCEL});
  return !Answers.isEmpty() && Answers.takeFirst() == IDOK;
}

QString ScriptedDialogs::OpenFileName(QWidget*, const QString& Filter, const QString& StartFolder) {
  Record({QStringLiteral("OpenFile"), Filter, StartFolder, 0});
  return FileNames.isEmpty() ? QString() : FileNames.takeFirst();
}

int ScriptedDialogs::ShowModal(QDialog& Window) {
  Record(DescribeModal ? DescribeModal(Window) : ShownDialog{QStringLiteral("Modal"), {}, {}, 0});
  constexpr int Rejected = 0;  // QDialog::Rejected
  return OnModal ? OnModal(Window) : Rejected;
}

bool ScriptedDialogs::OpenUrl(const QUrl& Url) {
  Record({QStringLiteral("OpenUrl"), Url.toString(), {}, 0});
  return true;
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
