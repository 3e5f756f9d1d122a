#include "common/Dialogs.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

namespace {

// Without windows: every message goes to standard error and every question
// gets its safe answer (No, Cancel), so nothing waits for an operator.
class ConsoleDialogs final : public Dialogs {
 public:
  int MessageBox(const QString& Text, const QString& Title, int Flags) override {
    Print(Title, Text);
    return SafeAnswer(Flags);
  }
  void ShowMessage(const QString& Text) override { Print(ApplicationTitle(), Text); }
  bool Confirm(const QString& Text) override {
    Print(ApplicationTitle(), Text);
    return false;
  }
  QString OpenFileName(QWidget*, const QString&, const QString&) override { return {}; }
  int ShowModal(QDialog&) override { return 0; }
  void ProcessMessages() override { QCoreApplication::processEvents(); }
  QString ActiveWindowTitle() override { return {}; }

 private:
  static void Print(const QString& Title, const QString& Text) {
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(Title), qUtf8Printable(Text));
  }
};

ConsoleDialogs consoleDialogs;
Dialogs* defaultDialogs = &consoleDialogs;
Dialogs* installed = nullptr;

}  // namespace

int SafeAnswer(int Flags) {
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

Dialogs& Dlg() {
  return installed ? *installed : *defaultDialogs;
}

void SetDialogs(Dialogs* Replacement) {
  installed = Replacement;
}

void SetDefaultDialogs(Dialogs* Default) {
  defaultDialogs = Default ? Default : &consoleDialogs;
}

QString ApplicationTitleOf(const QString& ProgramFileName) {
  const QString name = ProgramFileName.section(QLatin1Char('.'), 0, 0);
  return name.left(1) + name.mid(1).toLower();
}

QString ApplicationTitle() {
  return ApplicationTitleOf(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
}

QString WithFullStop(const QString& Text) {
  if (!Text.isEmpty() && Text.back() > QLatin1Char('.')) return Text + QLatin1Char('.');
  return Text;
}

void ShowErrorBox(const QString& Text) {
  Dlg().MessageBox(WithFullStop(Text), ApplicationTitle(), MB_OK | MB_ICONERROR);
}
