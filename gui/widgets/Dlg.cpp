#include "widgets/Dlg.h"

#include <QCoreApplication>
#include <QUrl>
#include <cstdio>

namespace {

// Before the Qt dialogs are installed: every message goes to standard error
// and every question gets its safe answer (No, Cancel).
class StandardErrorDialogs final : public Dialogs {
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
  bool OpenUrl(const QUrl&) override { return false; }

 private:
  static void Print(const QString& Title, const QString& Text) {
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(Title), qUtf8Printable(Text));
  }
};

StandardErrorDialogs standardErrorDialogs;
Dialogs* defaultDialogs = &standardErrorDialogs;
Dialogs* installed = nullptr;

}  // namespace

Dialogs& Dlg() {
  return installed ? *installed : *defaultDialogs;
}

void SetDialogs(Dialogs* Replacement) {
  installed = Replacement;
}

void SetDefaultDialogs(Dialogs* Default) {
  defaultDialogs = Default ? Default : &standardErrorDialogs;
}

void ShowErrorBox(const QString& Text) {
  Dlg().MessageBox(WithFullStop(Text), ApplicationTitle(), MB_OK | MB_ICONERROR);
}
