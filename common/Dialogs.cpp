#include "common/Dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

class QtDialogs final : public Dialogs {
 public:
  int MessageBox(const QString& Text, const QString& Title, int Flags) override {
    QMessageBox box(IconOf(Flags), Title, Text, QMessageBox::NoButton, QApplication::activeWindow());
    switch (Flags & 0x0F) {
      case MB_OKCANCEL: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
      case MB_YESNOCANCEL:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
      case MB_YESNO: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
      default: box.setStandardButtons(QMessageBox::Ok); break;
    }
    switch (box.exec()) {
      case QMessageBox::Yes: return IDYES;
      case QMessageBox::No: return IDNO;
      case QMessageBox::Cancel: return IDCANCEL;
      default: return IDOK;
    }
  }

  void ShowMessage(const QString& Text) override {
    QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(), Text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
  }

  bool Confirm(const QString& Text) override {
    QMessageBox box(QMessageBox::Question, ApplicationTitle(), Text,
                    QMessageBox::Ok | QMessageBox::Cancel, QApplication::activeWindow());
    return box.exec() == QMessageBox::Ok;
  }

  QString OpenFileName(QWidget* Parent, const QString& Filter) override {
    return QFileDialog::getOpenFileName(Parent, QString(), QString(), Filter);
  }

  int ShowModal(QDialog& Window) override { return Window.exec(); }

  void ProcessMessages() override { QCoreApplication::processEvents(); }

 private:
  static QMessageBox::Icon IconOf(int Flags) {
    switch (Flags & 0xF0) {
      case MB_ICONERROR: return QMessageBox::Critical;
      case MB_ICONQUESTION: return QMessageBox::Question;
      case MB_ICONWARNING: return QMessageBox::Warning;
      case MB_ICONINFORMATION: return QMessageBox::Information;
      default: return QMessageBox::NoIcon;
    }
  }
};

QtDialogs qtDialogs;
Dialogs* current = &qtDialogs;

}  // namespace

Dialogs& Dlg() { return *current; }

void SetDialogs(Dialogs* Replacement) { current = Replacement ? Replacement : &qtDialogs; }

QString ApplicationTitle() {
  QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
  name = name.section(QLatin1Char('.'), 0, 0);
  if (name.isEmpty()) return name;
  return name.left(1).toUpper() + name.mid(1).toLower();
}

QString WithFullStop(const QString& Text) {
  if (!Text.isEmpty() && Text.back() > QLatin1Char('.')) return Text + QLatin1Char('.');
  return Text;
}

void ShowErrorBox(const QString& Text) {
  Dlg().MessageBox(WithFullStop(Text), ApplicationTitle(), MB_OK | MB_ICONERROR);
}
