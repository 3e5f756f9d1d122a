#include "widgets/QtDialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace {

class TQtDialogs final : public Dialogs {
 public:
  int MessageBox(const QString& Text, const QString& Title, int Flags) override {
    QMessageBox box(IconOf(Flags), Title, Text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    switch (Flags & 0x0F) {
      case MB_OKCANCEL:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
      case MB_YESNOCANCEL:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
      case MB_YESNO:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
      default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    switch (box.exec()) {
      case QMessageBox::Yes:
        return IDYES;
      case QMessageBox::No:
        return IDNO;
      case QMessageBox::Cancel:
        return IDCANCEL;
      default:
        return IDOK;
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

  QString OpenFileName(QWidget* Parent, const QString& Filter,
                       const QString& StartFolder) override {
    return QFileDialog::getOpenFileName(Parent, QString(), StartFolder, Filter);
  }

  int ShowModal(QDialog& Window) override { return Window.exec(); }

  void ProcessMessages() override { QCoreApplication::processEvents(); }

  QString ActiveWindowTitle() override {
    QWidget* active = QApplication::activeWindow();
    return active ? active->windowTitle() : QString();
  }

  bool OpenUrl(const QUrl& Url) override { return QDesktopServices::openUrl(Url); }

 private:
  static QMessageBox::Icon IconOf(int Flags) {
    switch (Flags & 0xF0) {
      case MB_ICONERROR:
        return QMessageBox::Critical;
      case MB_ICONQUESTION:
        return QMessageBox::Question;
      case MB_ICONWARNING:
        return QMessageBox::Warning;
      case MB_ICONINFORMATION:
        return QMessageBox::Information;
      default:
        return QMessageBox::NoIcon;
    }
  }
};

}  // namespace

Dialogs& QtDialogs() {
  static TQtDialogs dialogs;
  return dialogs;
}
