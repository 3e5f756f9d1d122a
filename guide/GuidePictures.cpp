// guide-pictures: takes the operator's guide's pictures of the program's own
// windows. It builds the program over a program folder as the program start
// does, with the real core and terminal library, drives the windows through
// their controls against the demo terminals, and saves each picture the
// list names as a PNG cropped to its window. The scripted dialogs answer
// every message box (OK, or the safe answer to a question); the modal
// windows are shown here, taken and closed again.
//
//   guide-pictures LIST PROGRAM_FOLDER OUTDIR
//
// LIST holds one picture a line: "file name | window class | what must be
// on screen"; a name this program cannot make is an error naming it.
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMap>
#include <QPixmap>
#include <QSaveFile>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "LockHolder.h"
#include "app/Program.h"
#include "data/DM.h"
#include "enrolldata/EnrollRecord.h"
#include "session/ProgramFolder.h"
#include "widgets/QtDialogs.h"
#include "widgets/ScriptedDialogs.h"

namespace {

const QString kEthernet = QStringLiteral("Demo Ethernet");

struct TPicture {
  QString File;
  QString WindowClass;
  int LineNumber = 0;
};

// Why a picture could not be made.
struct EPicture {
  QString Text;
};

void Say(const QString& Text) {
  std::fprintf(stderr, "guide-pictures: %s\n", Text.toLocal8Bit().constData());
}

// The list's pictures; a line that is not "name | class | text" is an error.
QList<TPicture> ReadList(const QString& Path, QStringList& Errors) {
  QFile file(Path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
    Errors << QStringLiteral("%1: %2").arg(Path, file.errorString());
    return {};
  }
  QList<TPicture> pictures;
  int number = 0;
  while (!file.atEnd()) {
    ++number;
    const QString line = QString::fromUtf8(file.readLine()).trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
    const QStringList fields = line.split(QLatin1Char('|'));
    if (fields.size() < 3 || fields[0].trimmed().isEmpty() || fields[1].trimmed().isEmpty()) {
      Errors << QStringLiteral("%1:%2: not \"file | window class | what is shown\"")
                    .arg(Path)
                    .arg(number);
      continue;
    }
    pictures.append({fields[0].trimmed(), fields[1].trimmed(), number});
  }
  return pictures;
}

// The walk over the windows: each picture brings the program into the state
// its line describes (connected or not, which terminal, which page), so the
// pictures do not depend on the list's order, except where a terminal's
// records have been handed out by an earlier download.
class TGuideWalk {
 public:
  TGuideWalk(TProgram& Program, ScriptedDialogs& Dialogs, const QString& OutDir)
      : p_(Program), d_(Dialogs), out_(OutDir) {
    makers_ = {
        {QStringLiteral("ana-pencere.png"), [this] { MainAtStart(); }},
        {QStringLiteral("ana-pencere-bagli.png"), [this] { MainConnected(); }},
        {QStringLiteral("ana-pencere-aktarim.png"), [this] { MainDownloaded(); }},
        {QStringLiteral("ana-pencere-menu.png"), [this] { MainPopupMenu(); }},
        {QStringLiteral("ana-pencere-toplu.png"), [this] { MainBatch(); }},
        {QStringLiteral("ana-pencere-bekleme.png"), [this] { MainLockWait(); }},
        {QStringLiteral("baglan-hata.png"), [this] { MainConnectFailed(); }},
        {QStringLiteral("program-klasoru.png"), [this] { ProgramFolderDialog(); }},
        {QStringLiteral("terminal-duzenle.png"),
         [this] { Editor(kEthernet, QStringLiteral("tcp/ip")); }},
        {QStringLiteral("terminal-duzenle-com.png"),
         [this] { Editor(QStringLiteral("Demo COM1"), QStringLiteral("comport")); }},
        {QStringLiteral("terminal-duzenle-usb.png"),
         [this] { Editor(QStringLiteral("Demo USB"), QStringLiteral("usb")); }},
        {QStringLiteral("zil-saatleri.png"), [this] { Bells(); }},
        {QStringLiteral("parmakizi-tum-data.png"), [this] { EnrolBackup(); }},
        {QStringLiteral("parmakizi-tek-data.png"), [this] { EnrolSingle(); }},
        {QStringLiteral("parmakizi-secili-kayit.png"), [this] { EnrolSelective(); }},
        {QStringLiteral("parmakizi-aktif-pasif.png"), [this] { EnrolActivePassive(); }},
        {QStringLiteral("parmakizi-sifre.png"), [this] { EnrolPasswords(); }},
    };
  }

  bool Knows(const QString& File) const { return makers_.contains(File); }

  // Makes one picture; throws EPicture when it cannot.
  void Make(const TPicture& Picture) {
    current_ = &Picture;
    failure_.clear();
    d_.OnModal = {};
    d_.OnProcessMessages = {};
    d_.OnShown = {};
    d_.Shown.clear();
    makers_.value(Picture.File)();
    if (!failure_.isEmpty()) throw EPicture{failure_};
  }

 private:
  Tfrmgiris& Main() { return *p_.giris; }

  // Lets the windows lay out and paint: the X server must have drawn them
  // before the screen is read.
  static void Settle(int Ms = 150) {
    QElapsedTimer t;
    t.start();
    do {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
      QTest::qSleep(10);
    } while (t.elapsed() < Ms);
  }

  static void Show(QWidget& Window) {
    Window.move(0, 0);
    Window.show();
    Window.raise();
    Window.activateWindow();
    if (!QTest::qWaitForWindowExposed(&Window)) throw EPicture{QStringLiteral("window not shown")};
    Settle();
  }

  // The texts the dialogs showed during this picture, for an error.
  QString ShownTexts() const {
    const QStringList texts = d_.Texts();
    return texts.isEmpty()
               ? QStringLiteral("no message shown")
               : QStringLiteral("messages: \"%1\"").arg(texts.join(QStringLiteral("\", \"")));
  }

  void Require(bool Condition, const QString& What) const {
    if (!Condition) throw EPicture{What + QStringLiteral(" (") + ShownTexts() + QLatin1Char(')')};
  }

  // Inside a modal window's showing the error is kept, not thrown through
  // the window's handler; Make reports it afterwards.
  void Fail(const QString& What) {
    if (failure_.isEmpty())
      failure_ = What + QStringLiteral(" (") + ShownTexts() + QLatin1Char(')');
  }

  // Saves the screen's Area as the current picture, after checking that
  // Window is of the class the list names.
  void Take(QWidget& Window, QRect Area = {}) {
    const QString actual = QString::fromLatin1(Window.metaObject()->className());
    if (actual != current_->WindowClass)
      throw EPicture{QStringLiteral("the list names window class %1, the picture shows %2")
                         .arg(current_->WindowClass, actual)};
    Settle();
    if (Area.isNull()) Area = Window.frameGeometry();
    QScreen* screen = Window.screen();
    const QPixmap shot = screen->grabWindow(0, Area.x(), Area.y(), Area.width(), Area.height());
    if (shot.isNull() || shot.size() != Area.size())
      throw EPicture{QStringLiteral("the screen could not be read")};
    QSaveFile file(QDir(out_).filePath(current_->File));
    if (!file.open(QIODevice::WriteOnly) || !shot.save(&file, "PNG") || !file.commit())
      throw EPicture{
          QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString())};
  }

  // ---- The main window's states --------------------------------------------

  void MainOnPage(int Page) {
    if (!Main().isVisible()) Show(Main());
    Main().PageControl1->setCurrentIndex(Page);
    Settle();
  }

  void SelectTerminal(const QString& Name) {
    TDBGrid* grid = Main().DBGrid1;
    const int rows = grid->model() ? grid->model()->rowCount() : 0;
    for (int row = 0; row < rows; ++row) {
      grid->SelectRow(row);
      if (frmDM->Terminals.CurrentName() == Name) return;
    }
    throw EPicture{QStringLiteral("no terminal \"%1\" in the list").arg(Name)};
  }

  void Disconnect() {
    if (!Session().Connected()) return;
    Main().BitBtn4->click();
    Require(!Session().Connected(), QStringLiteral("could not disconnect"));
  }

  void Connect(const QString& Name) {
    if (Session().Connected() && Session().Terminal().Name == Name) {
      SelectTerminal(Name);
      return;
    }
    Disconnect();
    SelectTerminal(Name);
    Main().BitBtn4->click();
    Require(Session().Connected(), QStringLiteral("could not connect to \"%1\"").arg(Name));
  }

  void MainAtStart() {
    Disconnect();
    MainOnPage(0);
    SelectTerminal(kEthernet);
    // As right after start: no line from an earlier picture.
    Main().Memo4->clear();
    Require(!Main().CheckBox1->isChecked(), QStringLiteral("\"2. veri dosyası kaydet\" is ticked"));
    Take(Main());
  }

  void MainConnected() {
    MainOnPage(0);
    Main().Memo4->clear();
    Connect(kEthernet);
    Require(Main().Memo4->toPlainText().isEmpty(),
            QStringLiteral("the line box is not empty: ") + Main().Memo4->toPlainText());
    Take(Main());
  }

  void MainDownloaded() {
    MainOnPage(0);
    Connect(kEthernet);
    Main().BitBtn5->click();
    Require(d_.Texts().contains(QStringLiteral("Bilgiler Dosyaya Aktarıldı....")),
            QStringLiteral("the download did not save any record"));
    const QProgressBar* bar = Main().ProgressBar1;
    Require(bar->maximum() > 0 && bar->value() == bar->maximum(),
            QStringLiteral("the progress bar is not full"));
    Take(Main());
  }

  void MainPopupMenu() {
    MainOnPage(0);
    Connect(kEthernet);
    // A right click in the grid just below its rows, as the window system
    // delivers it: the menu then leaves the rows readable.
    TDBGrid* grid = Main().DBGrid1;
    QWidget* viewport = grid->viewport();
    const int rows = grid->model() ? grid->model()->rowCount() : 0;
    const QRect last = rows > 0 ? grid->visualRect(grid->model()->index(rows - 1, 0)) : QRect();
    const QPoint at(60, last.bottom() + 12);
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QCoreApplication::sendEvent(viewport, &click);
    QMenu* menu = Main().PopupMenu1;
    if (!QTest::qWaitForWindowExposed(menu))
      throw EPicture{QStringLiteral("the menu did not open")};
    Settle();
    for (const QAction* a : menu->actions())
      Require(a->isSeparator() || a->isEnabled(),
              QStringLiteral("menu item \"%1\" is disabled").arg(a->text()));
    Take(Main(), Main().frameGeometry().united(menu->geometry()));
    menu->close();
    Settle();
  }

  void MainBatch() {
    Disconnect();
    MainOnPage(1);
    Main().BitBtn11->click();
    const QString box = Main().Memo3->toPlainText();
    Require(box.section(QLatin1Char('\n'), -1).startsWith(QStringLiteral("İşlem tamamlandı.")) &&
                box.contains(QStringLiteral("Hatalı: 0,")),
            QStringLiteral("the batch did not end without errors: ") + box);
    Take(Main());
    Main().PageControl1->setCurrentIndex(0);
  }

  // "Verileri Aktar" while this program's second process holds the lock: the
  // picture is taken while the window waits, then the wait is given up with
  // its own button.
  void MainLockWait() {
    MainOnPage(0);
    Connect(kEthernet);
    TLockHolder holder;
    if (!holder.Start(Session().AppPath()))
      throw EPicture{QStringLiteral("no second process could take download.lock")};
    bool taken = false;
    QElapsedTimer waited;
    waited.start();
    d_.OnProcessMessages = [&] {
      QCoreApplication::processEvents();
      if (taken) return;
      auto* cancel = Main().findChild<QPushButton*>(QStringLiteral("btnBeklemeIptal"));
      if (cancel && cancel->isVisible()) {
        taken = true;
        try {
          Take(Main());
        } catch (const EPicture& e) {
          Fail(e.Text);
        }
        cancel->click();
      } else if (waited.elapsed() > 15000) {
        // The wait never showed: the lock goes, so the download ends.
        taken = true;
        Fail(QStringLiteral("the wait for the lock was not shown"));
        holder.Stop();
      }
    };
    Main().BitBtn5->click();
    d_.OnProcessMessages = {};
    holder.Stop();
    if (!taken)
      Fail(QStringLiteral("the download did not wait for the lock"));
    else if (failure_.isEmpty() &&
             !Main().Memo4->toPlainText().contains(QStringLiteral("Beklemekten vazgeçildi")))
      Fail(QStringLiteral("the wait was not given up: ") + Main().Memo4->toPlainText());
  }

  // The program's own Qt dialog, where the scripted one stood in: Open runs
  // it modally; while it is open the picture is taken (Area: the part of
  // the screen, from the dialog), then it is closed.
  void TakeQtDialog(const std::function<void()>& Open, const std::function<QRect(QWidget&)>& Area) {
    bool taken = false;
    QTimer poll;
    poll.setInterval(20);
    QElapsedTimer waited;
    waited.start();
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!box) {
        if (waited.elapsed() > 10000) {
          poll.stop();
          Fail(QStringLiteral("the dialog did not open"));
        }
        return;
      }
      poll.stop();
      taken = true;
      try {
        if (!QTest::qWaitForWindowExposed(box)) throw EPicture{QStringLiteral("dialog not shown")};
        Take(Main(), Area(*box));
      } catch (const EPicture& e) {
        Fail(e.Text);
      }
      box->reject();
    });
    poll.start();
    Open();
    poll.stop();
    if (!taken) Fail(QStringLiteral("the dialog was not taken"));
  }

  // BAGLAN to a terminal that does not answer: the serial demo terminal's
  // line is pointed at a closed port for this one connect, so its row in the
  // list stays as it is. The warning is shown as the program shows it, over
  // the main window.
  void MainConnectFailed() {
    Disconnect();
    MainOnPage(0);
    Main().Memo4->clear();
    const char* line = "MERIDOX_COM1_ENDPOINT";
    const QByteArray before = qgetenv(line);
    const bool had = qEnvironmentVariableIsSet(line);
    qputenv(line, "127.0.0.1:1");
    d_.ActiveTitle = Main().windowTitle();
    bool shown = false;
    d_.OnShown = [&](const ShownDialog& Box) {
      if (Box.Kind != QStringLiteral("MessageBox") || shown) return;
      shown = true;
      TakeQtDialog([&] { QtDialogs().MessageBox(Box.Text, Box.Title, Box.Flags); },
                   [this](QWidget& Dialog) {
                     return Main().frameGeometry().united(Dialog.frameGeometry());
                   });
    };
    SelectTerminal(QStringLiteral("Demo COM1"));
    Main().BitBtn4->click();
    d_.OnShown = {};
    d_.ActiveTitle.clear();
    if (had)
      qputenv(line, before);
    else
      qunsetenv(line);
    if (Session().Connected()) Fail(QStringLiteral("the connect did not fail"));
    if (!shown) Fail(QStringLiteral("no warning was shown"));
  }

  // The program folder as the program's own file-open dialog shows it
  // ("sdkart->text (veri.txt)" opens it there), after a download, so the
  // attendance files are in it.
  void ProgramFolderDialog() {
    MainOnPage(0);
    if (!QFileInfo::exists(QDir(Session().AppPath()).filePath(QStringLiteral("veri.txt")))) {
      Connect(kEthernet);
      Main().BitBtn5->click();
    }
    Disconnect();
    bool shown = false;
    d_.OnShown = [&](const ShownDialog& Open) {
      if (Open.Kind != QStringLiteral("OpenFile") || shown) return;
      shown = true;
      TakeQtDialog([&] { QtDialogs().OpenFileName(&Main(), Open.Text, Open.Title); },
                   [](QWidget& Dialog) {
                     // Wide enough for the sizes and times to be read.
                     Dialog.resize(std::max(Dialog.width(), 760), Dialog.height());
                     for (auto* view : Dialog.findChildren<QTreeView*>())
                       view->header()->resizeSections(QHeaderView::ResizeToContents);
                     Settle();
                     return Dialog.frameGeometry();
                   });
    };
    Main().Button1->click();
    d_.OnShown = {};
    if (!shown) Fail(QStringLiteral("the file-open dialog was not asked for"));
  }

  // ---- The modal windows ---------------------------------------------------

  // Runs Press (which shows a window modally); while the window is shown,
  // Inside runs on it. Inside reports its errors through Fail.
  void InModal(const std::function<void()>& Press, const std::function<void(QDialog&)>& Inside) {
    bool shown = false;
    d_.OnModal = [&](QDialog& Window) {
      shown = true;
      try {
        Show(Window);
        Inside(Window);
      } catch (const EPicture& e) {
        Fail(e.Text);
      }
      Window.reject();
      Settle(50);
      return int(QDialog::Rejected);
    };
    Press();
    d_.OnModal = {};
    if (!shown) Fail(QStringLiteral("the window did not open"));
  }

  void Editor(const QString& Terminal, const QString& Kind) {
    MainOnPage(0);
    SelectTerminal(Terminal);
    InModal([this] { Main().BitBtn2->click(); },
            [&](QDialog& Window) {
              const Tfrmyeni& w = *p_.yeni;
              Require(
                  w.ComboBox1->currentText() == Kind,
                  QStringLiteral("\"Bağlantı Tipi\" shows \"%1\"").arg(w.ComboBox1->currentText()));
              Take(Window);
            });
  }

  void Bells() {
    MainOnPage(0);
    Connect(kEthernet);
    InModal([this] { Main().BitBtn9->click(); },
            [this](QDialog& Window) {
              p_.zil->Button1->click();
              Require(d_.Texts().contains(QStringLiteral("Terminalden Zil Saatleri Alındı..")),
                      QStringLiteral("the bells were not read"));
              Take(Window);
            });
  }

  // The enrollment window on Tab; Before runs first (on the first tab).
  void InEnrol(int Tab, const std::function<void(TfrmEnrol&)>& Before) {
    MainOnPage(0);
    Connect(kEthernet);
    InModal([this] { Main().BitBtn10->click(); },
            [&](QDialog& Window) {
              TfrmEnrol& w = *p_.Enrol;
              w.PageControl1->setCurrentIndex(Tab);
              Before(w);
              Settle();
              Take(Window);
            });
  }

  void Backup(TfrmEnrol& W) {
    W.BitBtn1->click();
    Require(W.lblMessage->text() == QStringLiteral("GetEnrollData OK"),
            QStringLiteral("the backup ended with \"%1\"").arg(W.lblMessage->text()));
  }

  // The pictures after the backup reuse the store an earlier one filled.
  void BackupOnce(TfrmEnrol& W) {
    if (W.ADOEnroll.IsEmpty()) Backup(W);
  }

  void EnrolBackup() {
    InEnrol(0, [this](TfrmEnrol& w) {
      Backup(w);
      Require(!w.Label7->text().isEmpty(), QStringLiteral("no count of the backed up records"));
    });
  }

  void EnrolSingle() {
    InEnrol(1, [this](TfrmEnrol& w) {
      BackupOnce(w);
      // The first stored row that is a fingerprint (items 0 to 9).
      int user = -1, item = -1;
      for (w.ADOEnroll.First(); !w.ADOEnroll.Eof(); w.ADOEnroll.Next()) {
        const int b = w.ADOEnroll.FieldByName(QStringLiteral("FingerNumber")).AsInteger();
        if (b >= 0 && b <= 9) {
          user = w.ADOEnroll.FieldByName(QStringLiteral("EnrollNumber")).AsInteger();
          item = b;
          break;
        }
      }
      Require(user >= 0, QStringLiteral("no fingerprint in the store"));
      w.txtEnrollNumber->setText(QString::number(user));
      w.cmbBackupNumber->setCurrentIndex(BackupItemIndex(item));
      w.cmdGetEnrollData->click();
      Require(w.lblMessage->text() == QStringLiteral("GetEnrollData OK") &&
                  w.lstEnrollData->count() > 0,
              QStringLiteral("\"Parmakizi Al\" ended with \"%1\"").arg(w.lblMessage->text()));
    });
  }

  void EnrolSelective() {
    InEnrol(2, [this](TfrmEnrol& w) {
      BackupOnce(w);
      w.Edit2->clear();
      Require(!w.qryenroll.IsEmpty(), QStringLiteral("the list is empty"));
      w.DBGrid2->SelectRow(0);
    });
  }

  void EnrolActivePassive() {
    InEnrol(4, [this](TfrmEnrol& w) {
      BackupOnce(w);
      w.RadioButton3->click();
      Require(!w.qryaktifpasif.IsEmpty(), QStringLiteral("the list is empty"));
      w.DBGrid4->SelectRow(0);
    });
  }

  void EnrolPasswords() {
    InEnrol(3, [this](TfrmEnrol& w) {
      BackupOnce(w);
      // The tab lists the stored items of type 15; the demo terminal keeps
      // its passwords as type 10, so the list may be empty here.
      w.RadioButton1->click();
      if (!w.qryadmin.IsEmpty()) w.DBGrid3->SelectRow(0);
    });
  }

  TProgram& p_;
  ScriptedDialogs& d_;
  QString out_;
  QMap<QString, std::function<void()>> makers_;
  const TPicture* current_ = nullptr;
  QString failure_;
};

int MakePictures(const QString& List, const QString& Folder, const QString& OutDir) {
  QStringList errors;
  const QList<TPicture> pictures = ReadList(List, errors);
  if (!QDir().mkpath(OutDir)) errors << QStringLiteral("cannot make %1").arg(OutDir);

  ScopedScriptedDialogs dialogs;
  dialogs->DescribeModal = [](QDialog& Window) {
    return ShownDialog{QStringLiteral("Modal"), Window.objectName(), Window.windowTitle(), 0};
  };
  const TProgramFolder folder = PrepareProgramFolder(Folder);
  if (folder.Path.isEmpty()) {
    Say(QStringLiteral("%1: %2").arg(Folder, folder.Error));
    return 1;
  }
  TProgram program(folder.Path);
  TGuideWalk walk(program, *dialogs, OutDir);

  int made = 0;
  for (const TPicture& picture : pictures) {
    if (!walk.Knows(picture.File)) {
      errors << QStringLiteral("%1:%2: %3: no such picture is made here")
                    .arg(List)
                    .arg(picture.LineNumber)
                    .arg(picture.File);
      continue;
    }
    try {
      walk.Make(picture);
      ++made;
    } catch (const EPicture& e) {
      errors << QStringLiteral("%1: %2").arg(picture.File, e.Text);
    }
  }
  for (const QString& e : errors) Say(e);
  Say(QStringLiteral("%1 of %2 pictures made in %3").arg(made).arg(pictures.size()).arg(OutDir));
  return errors.isEmpty() ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc == 3 && QString::fromLocal8Bit(argv[1]) == kHoldLockOption) {
    QCoreApplication app(argc, argv);
    return HoldDownloadLock(QString::fromLocal8Bit(argv[2]));
  }
  if (argc != 4) {
    std::fputs("usage: guide-pictures LIST PROGRAM_FOLDER OUTDIR\n", stderr);
    return 2;
  }
  QApplication app(argc, argv);
  return MakePictures(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]),
                      QString::fromLocal8Bit(argv[3]));
}
