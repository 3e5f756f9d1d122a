#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "TestProgram.h"
#include "common/Cleanup.h"
#include "session/DisabledTerminals.h"
#include "widgets/ActionGuard.h"

namespace {
const QString kBaglan = QStringLiteral("BAGLAN");
const QString kKes = QStringLiteral("BAGLANTI_KES");

QList<QPushButton*> TerminalButtons(Tfrmgiris& w) {
  return {w.BitBtn5, w.BitBtn6, w.BitBtn7, w.BitBtn8, w.BitBtn9, w.BitBtn10};
}
bool AllEnabled(Tfrmgiris& w, bool Enabled) {
  for (QPushButton* b : TerminalButtons(w))
    if (b->isEnabled() != Enabled) return false;
  return true;
}
QWidget* WindowNamed(TProgram& Program, const QString& Name) {
  for (QWidget* w : std::initializer_list<QWidget*>{Program.giris.get(), Program.yeni.get(),
                                                    Program.zil.get(), Program.Enrol.get()})
    if (w->objectName() == Name) return w;
  return nullptr;
}
}  // namespace

class TestMainWindow : public QObject {
  Q_OBJECT
 private slots:
  void startState() {
    TestProgram t;
    t.Folder.AddTerminal(QStringLiteral("Bina B"), QStringLiteral("2"), QStringLiteral("usb"));
    t.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("1"),
                         QStringLiteral("ethernet"), {}, {}, QStringLiteral("10.0.0.5"));
    t.Start();
    Tfrmgiris& w = t.Main();
    QCOMPARE(w.windowTitle(), QStringLiteral("MERIDOX Kart/Parmakizi/Yüztanıma v1.0 [Tesra Nova]"));
    QCOMPARE(w.BitBtn4->text(), kBaglan);
    QVERIFY(AllEnabled(w, false));
    QVERIFY(w.BitBtn1->isEnabled() && w.BitBtn4->isEnabled() && w.Button2->isEnabled());
    QCOMPARE(w.PageControl1->currentIndex(), 0);
    QCOMPARE(Session().AppPath(), t.Folder.Path());
    QVERIFY(t.Shown().isEmpty());
    // The list, ordered by name, with its three columns.
    auto* model = w.DBGrid1->model();
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->columnCount(), 3);
    QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("IP"));
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("Ana Kapı"));
    QCOMPARE(model->index(0, 2).data().toString(), QStringLiteral("10.0.0.5"));
    QCOMPARE(model->index(1, 1).data().toString(), QStringLiteral("usb"));
    const QList<QAction*> items = w.PopupMenu1->actions();
    QCOMPARE(items.size(), 5);
    QVERIFY(items[1]->isSeparator());
    QCOMPARE(items[4]->text(), QStringLiteral("Cihazda Tanımlı tüm parmak/yüz'leri sil"));
  }

  // The window runs on no folder it made up: a folder named by --folder or
  // MERIDOX_HOME that is not there (a typing error), or is a file, is told
  // in the error box and nothing is made; one that is there is used.
  void namedFolderMustExist_data() {
    QTest::addColumn<QString>("option");  // --folder under the test's folder; empty: none
    QTest::addColumn<QString>("home");    // MERIDOX_HOME, likewise
    QTest::addColumn<QString>("error");   // "@": the test's folder; empty: the folder is used
    QTest::newRow("--folder mistyped")
        << "meridx"
        << ""
        << "--folder ile verilen program klasörü yok: @meridx (yeni bir "
           "program klasörü önce oluşturulmalı)";
    QTest::newRow("MERIDOX_HOME mistyped")
        << ""
        << "meridx"
        << "MERIDOX_HOME ile verilen program klasörü yok: @meridx (yeni bir "
           "program klasörü önce oluşturulmalı)";
    QTest::newRow("--folder names a file")
        << "notes.txt"
        << "there"
        << "--folder ile verilen program klasörü bir klasör değil: "
           "@notes.txt.";
    QTest::newRow("--folder there") << "there"
                                    << "meridx"
                                    << "";
    QTest::newRow("MERIDOX_HOME there") << ""
                                        << "there"
                                        << "";
  }
  void namedFolderMustExist() {
    QFETCH(QString, option);
    QFETCH(QString, home);
    QFETCH(QString, error);
    ScopedScriptedDialogs dialogs;
    TestFolder folder;
    QVERIFY(QDir().mkpath(folder.File(QStringLiteral("there"))));
    folder.WriteFile(QStringLiteral("notes.txt"), "x");
    const QByteArray saved = qgetenv("MERIDOX_HOME");
    const bool wasSet = qEnvironmentVariableIsSet("MERIDOX_HOME");
    TScopeExit restore([&] {
      if (wasSet)
        qputenv("MERIDOX_HOME", saved);
      else
        qunsetenv("MERIDOX_HOME");
    });
    if (home.isEmpty())
      qunsetenv("MERIDOX_HOME");
    else
      qputenv("MERIDOX_HOME", QFile::encodeName(folder.File(home)));

    const QString chosen = OpenProgramFolder(option.isEmpty() ? QString() : folder.File(option));
    if (error.isEmpty()) {
      QCOMPARE(chosen, folder.File(QStringLiteral("there/")));
      QCOMPARE(dialogs->Shown.size(), 0);
    } else {
      QCOMPARE(chosen, QString());
      QCOMPARE(dialogs->Shown.size(), 1);
      QCOMPARE(dialogs->Shown[0].Text,
               error.replace(QLatin1Char('@'), QDir::toNativeSeparators(folder.Path())));
      QCOMPARE(dialogs->Shown[0].Flags, MB_OK | MB_ICONERROR);
    }
    QCOMPARE(QDir(folder.Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             (QStringList{"notes.txt", "there"}));
    QVERIFY(QDir(folder.File(QStringLiteral("there"))).isEmpty());
  }

  void missingDataFile() {
    TestProgram t(false);
    t.Folder.CreateDatabases(false, true);
    t.Folder.WriteFile(QStringLiteral("Settings.ini"), "[Options]\r\nveriDosya2=1\r\n");
    t.Start();
    const auto& shown = t.Dialogs->Shown;
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0].Text, QStringLiteral("Data dosyası bulunamadı....."));
    QCOMPARE(shown[0].Title, QStringLiteral("UYARI"));
    QCOMPARE(shown[0].Flags, MB_OK | MB_ICONINFORMATION);
    QCOMPARE(shown[1].Flags, MB_OK | MB_ICONERROR);  // the database layer's error
    QCOMPARE(t.Main().DBGrid1->model()->rowCount(), 0);
    QVERIFY(!t.Main().CheckBox1->isChecked());  // start-up ended before the options
    QVERIFY(Session().HasTerminalSdk());
    QVERIFY(!QFile::exists(t.Folder.File(QStringLiteral("Data.mdb"))));
  }

  void missingLogFile() {
    TestProgram t(false);
    t.Folder.CreateDatabases(true, false);
    t.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("1"),
                         QStringLiteral("ethernet"));
    t.Start();
    QCOMPARE(t.Shown(), QStringList{QStringLiteral("Log dosyası bulunamadı.....")});
    QCOMPARE(t.Dialogs->Shown[0].Title, QStringLiteral("UYARI"));
    QCOMPARE(t.Main().DBGrid1->model()->rowCount(), 1);
  }

  void connectChoosesKindByTip_data() {
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QString>("comBaud");
    QTest::addColumn<QString>("call");
    QTest::newRow("ethernet") << "ethernet"
                              << "9600"
                              << "FK_ConnectNet(4,10.0.0.9,5005,5000,0,731856)";
    QTest::newRow("tcp/ip is network") << "tcp/ip"
                                       << "9600"
                                       << "FK_ConnectNet(4,10.0.0.9,5005,5000,0,731856)";
    QTest::newRow("empty is network") << ""
                                      << "9600"
                                      << "FK_ConnectNet(4,10.0.0.9,5005,5000,0,731856)";
    QTest::newRow("USB upper case is network") << "USB"
                                               << ""
                                               << "FK_ConnectNet(4,10.0.0.9,5005,5000,0,731856)";
    QTest::newRow("usb") << "usb"
                         << "9600"
                         << "FK_ConnectUSB(4)";
    QTest::newRow("com") << "com"
                         << "19200"
                         << "FK_ConnectComm(4,0,19200,,0,5000)";
    QTest::newRow("com empty baud is 9600") << "com"
                                            << ""
                                            << "FK_ConnectComm(4,0,9600,,0,5000)";
  }
  void connectChoosesKindByTip() {
    QFETCH(QString, tip);
    QFETCH(QString, comBaud);
    QFETCH(QString, call);
    TestProgram t;
    t.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("4"), tip,
                         QStringLiteral("COM3"), comBaud, QStringLiteral("10.0.0.9"),
                         QStringLiteral("5005"), QStringLiteral("731856"));
    t.Start();
    t.Main().BitBtn4->click();
    QCOMPARE(FakeSdk.Calls, QStringList{call});
    QCOMPARE(t.Main().BitBtn4->text(), kKes);
    QVERIFY(Session().Connected());
    QCOMPARE(Session().Terminal().MachineNumber, 4);
  }

  // Connect, disconnect, close: the SDK's disconnect runs exactly once.
  void connectDisconnectClose() {
    TestProgram t;
    t.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("1"),
                         QStringLiteral("ethernet"));
    t.Start();
    Tfrmgiris& w = t.Main();
    w.BitBtn4->click();
    QCOMPARE(w.BitBtn4->text(), kKes);
    QVERIFY(AllEnabled(w, true));
    QCOMPARE(Session().Terminal().Name, QStringLiteral("Ana Kapı"));
    w.BitBtn4->click();
    QCOMPARE(w.BitBtn4->text(), kBaglan);
    QVERIFY(AllEnabled(w, false));
    QVERIFY(!Session().Connected());
    w.close();
    QCOMPARE(FakeSdk.Calls,
             (QStringList{"FK_ConnectNet(1,192.168.0.100,5005,5000,0,0)", "FK_DisConnect(17)"}));
    QVERIFY(!Session().HasTerminalSdk());
  }

  // While a terminal action runs and lets messages through, closing the
  // window and pressing "BAGLANTI_KES" are both refused; the action ends
  // normally and every control is back as it was.
  void busyActionRefusesCloseAndDisconnect() {
    TestProgram t;
    t.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("1"), QStringLiteral("usb"));
    t.Start();
    Tfrmgiris& w = t.Main();
    w.show();
    w.BitBtn4->click();
    QCOMPARE(w.BitBtn4->text(), kKes);
    w.BitBtn6->setEnabled(false);  // a control off before the action stays off
    const QList<QWidget*> controls = w.findChildren<QWidget*>();
    QList<bool> before;
    for (QWidget* c : controls) before << c->isEnabled();

    bool ranInside = false;
    t.Dialogs->OnProcessMessages = [&] {
      ranInside = true;
      QVERIFY(Session().Busy());
      QVERIFY(!w.BitBtn4->isEnabled() && !w.BitBtn5->isEnabled() && !w.BitBtn10->isEnabled());
      QVERIFY(!w.mnuParmakYuzSil->isEnabled());
      QVERIFY(!w.close());
      w.BitBtn4->click();
    };
    bool finished = false;
    RunGuarded([&] {
      TTerminalBusy busy;
      Dlg().ProcessMessages();
      finished = true;
    });
    QVERIFY(ranInside && finished);
    QVERIFY(w.isVisible());
    QCOMPARE(w.BitBtn4->text(), kKes);
    QVERIFY(Session().Connected());
    QCOMPARE(FakeSdk.CallCount(QStringLiteral("FK_DisConnect")), 0);
    QVERIFY(!Session().Busy());
    for (int i = 0; i < controls.size(); ++i)
      QVERIFY2(controls[i]->isEnabled() == before[i], qPrintable(controls[i]->objectName()));
    QVERIFY(w.mnuParmakYuzSil->isEnabled());
    QVERIFY(w.close());
    QCOMPARE(FakeSdk.CallCount(QStringLiteral("FK_DisConnect")), 1);
  }

  void closingWhileConnectedDisconnects() {
    TestProgram t;
    t.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("1"), QStringLiteral("usb"));
    t.Start();
    t.Main().BitBtn4->click();
    t.Main().close();
    QCOMPARE(FakeSdk.Calls.last(), QStringLiteral("FK_DisConnect(17)"));
    QVERIFY(!Session().HasTerminalSdk());
  }

  // The library in use is shown: the stand-in beside the tests, or a
  // vendor's DLL put into the program folder (a 32-bit one, which goes
  // through the host on either system; not started here, the fakes stand
  // in for it). A failed connect adds where the vendor's files go only
  // while no vendor library is in use.
  void libraryShown_data() {
    QTest::addColumn<bool>("vendor");
    QTest::addColumn<QString>("posix");
    QTest::addColumn<QString>("windows");
    QTest::newRow("stand-in")
        << false << "Terminal kitaplığı: deneme kitaplığı (yalnızca deneme terminalleriyle konuşur)"
        << "Terminal kitaplığı: deneme kitaplığı (yalnızca deneme terminalleriyle konuşur)";
    QTest::newRow("vendor's DLL") << true << "Terminal kitaplığı: %1 (Wine ve sdkhost-i686.exe ile)"
                                  << "Terminal kitaplığı: %1 (sdkhost-i686.exe ile)";
  }
  void libraryShown() {
    QFETCH(bool, vendor);
    QFETCH(QString, posix);
    QFETCH(QString, windows);
    TestProgram t;
    const QString dll = t.Folder.File(QStringLiteral("FK623Attend.dll"));
    if (vendor) {
      const QString from = QCoreApplication::applicationDirPath() + "/wine-i686/FK623Attend.dll";
      if (!QFileInfo::exists(from)) QSKIP("the 32-bit DLLs were not built (mingw-w64)");
      QVERIFY(QFile::copy(from, dll));
    }
    FakeSdk.Results[QStringLiteral("FK_ConnectNet")] = -2;
    t.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("1"),
                         QStringLiteral("ethernet"));
    t.Start();
    const bool onWindows = QSysInfo::productType() == QLatin1String("windows");
    QCOMPARE(t.Main().LabelLibrary->text(),
             (onWindows ? windows : posix).arg(QDir::toNativeSeparators(dll)));
    t.Main().BitBtn4->click();
    const QString hint =
        QStringLiteral(
            "\nÜreticinin kitaplığı bulunamadı: FK623Attend.dll ve FKAttend.dll dosyalarını %1 "
            "klasörüne koyun.")
            .arg(QDir::toNativeSeparators(Session().SdkChoice().Folders.value(0)));
    QCOMPARE(t.Shown(), QStringList{QStringLiteral("No Open Comm") + (vendor ? QString() : hint)});
  }

  void failedConnect_data() {
    QTest::addColumn<bool>("libraryMissing");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing listening") << false << -2 << "No Open Comm";
    QTest::newRow("wrong password") << false << -10 << "mistake password";
    QTest::newRow("no library") << true << 0 << "Unknown error";
  }
  void failedConnect() {
    QFETCH(bool, libraryMissing);
    QFETCH(int, code);
    QFETCH(QString, text);
    // The Windows build keeps the stand-ins in stand-in\ beside the tests,
    // where the program looks last: there it never lacks a library.
    if (libraryMissing &&
        QFileInfo::exists(QCoreApplication::applicationDirPath() + "/stand-in/FK623Attend.dll"))
      QSKIP("the stand-in libraries are beside the program");
    TestProgram t;
    FakeSdk.FirstLibraryMissing = libraryMissing;
    FakeSdk.Results[QStringLiteral("FK_ConnectNet")] = code;
    t.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("1"),
                         QStringLiteral("ethernet"));
    t.Start();
    t.Main().BitBtn4->click();
    // The stand-ins beside the tests are the library in use: the box also
    // says where the vendor's files go.
    QCOMPARE(t.Shown().value(0).section(QLatin1Char('\n'), 0, 0), text);
    QVERIFY2(t.Shown()
                 .value(0)
                 .section(QLatin1Char('\n'), 1)
                 .startsWith(QStringLiteral("Üreticinin kitaplığı bulunamadı: ")),
             qPrintable(t.Shown().value(0)));
    QCOMPARE(t.Dialogs->Shown[0].Flags, MB_OK | MB_ICONWARNING);
    QCOMPARE(t.Main().BitBtn4->text(), kBaglan);
    QVERIFY(AllEnabled(t.Main(), false));
    QVERIFY(!Session().Connected());
  }

  // The selected row is read on every press, the disconnect included: a
  // bad number stops the press and the connection stays open.
  void badNumberOnDisconnectPressKeepsConnection() {
    TestProgram t;
    t.Folder.AddTerminal(QStringLiteral("A Kapı"), QStringLiteral("1"), QStringLiteral("ethernet"));
    t.Folder.AddTerminal(QStringLiteral("B Kapı"), QStringLiteral("2"), QStringLiteral("ethernet"),
                         {}, {}, {}, QStringLiteral("50o5"));
    t.Start();
    t.SelectTerminalRow(0);
    t.Main().BitBtn4->click();
    t.SelectTerminalRow(1);
    t.Main().BitBtn4->click();
    QCOMPARE(t.Shown(), QStringList{QStringLiteral("'50o5' is not a valid integer value.")});
    QCOMPARE(t.Dialogs->Shown[0].Flags, MB_OK | MB_ICONERROR);
    QCOMPARE(t.Main().BitBtn4->text(), kKes);
    QVERIFY(AllEnabled(t.Main(), true));
    QCOMPARE(FakeSdk.CallCount(QStringLiteral("FK_DisConnect")), 0);
  }

  // The connect button's caption and the terminal buttons show what the
  // session holds, whoever changed it.
  void captionFollowsTheSession_data() {
    QTest::addColumn<QString>("step");
    QTest::addColumn<bool>("connected");
    QTest::newRow("connected") << "connect" << true;
    QTest::newRow("connect failed") << "fail" << false;
    QTest::newRow("disconnect pressed") << "press" << false;
    QTest::newRow("batch took the connection") << "batch" << false;
    QTest::newRow("session disconnected elsewhere") << "session" << false;
  }
  void captionFollowsTheSession() {
    QFETCH(QString, step);
    QFETCH(bool, connected);
    TestProgram t;
    t.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("1"), QStringLiteral("usb"));
    t.Start();
    Tfrmgiris& w = t.Main();
    if (step == QLatin1String("fail")) FakeSdk.Results[QStringLiteral("FK_ConnectUSB")] = -2;
    w.BitBtn4->click();
    if (step == QLatin1String("press")) w.BitBtn4->click();
    if (step == QLatin1String("batch")) {
      t.Dialogs->Answers = {IDYES};
      w.BitBtn11->click();
    }
    if (step == QLatin1String("session")) Session().Disconnect();
    QCOMPARE(Session().Connected(), connected);
    QCOMPARE(w.BitBtn4->text(), connected ? kKes : kBaglan);
    QVERIFY(AllEnabled(w, connected));
    // The next press does what the caption says.
    FakeSdk.Calls.clear();
    FakeSdk.Results.clear();
    w.BitBtn4->click();
    QCOMPARE(Session().Connected(), !connected);
    QCOMPARE(FakeSdk.Calls, QStringList{connected ? QStringLiteral("FK_DisConnect(17)")
                                                  : QStringLiteral("FK_ConnectUSB(1)")});
  }

  // With no connection (disconnected, or a connect to another row failed)
  // the pop-up items reach no terminal: the downloads say so and call
  // nothing, and no re-enable connects the terminal let go of behind the
  // "BAGLAN" caption.
  void popupWithoutConnectionConnectsNothing_data() {
    QTest::addColumn<bool>("failedConnectToAnother");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QStringList>("shown");
    const QStringList none{QStringLiteral("Bağlı terminal yok....")};
    for (bool failed : {false, true}) {
      const char* how = failed ? "failed connect" : "disconnected";
      QTest::addRow("%s, download", how) << failed << "mnuTumVerileriAl" << none;
      QTest::addRow("%s, download and clear", how) << failed << "mnuTumVerileriAlSil" << none;
      QTest::addRow("%s, erase", how)
          << failed << "mnuParmakYuzSil"
          << QStringList{QStringLiteral("HATA!!!!İşlem yapılamadı...."), NotEnabledAgainText(-2)};
    }
  }
  void popupWithoutConnectionConnectsNothing() {
    QFETCH(bool, failedConnectToAnother);
    QFETCH(QString, item);
    QFETCH(QStringList, shown);
    TestProgram t;
    t.Folder.AddTerminal(QStringLiteral("A Kapı"), QStringLiteral("1"), QStringLiteral("ethernet"));
    t.Folder.AddTerminal(QStringLiteral("B Kapı"), QStringLiteral("2"), QStringLiteral("ethernet"));
    t.Start();
    Tfrmgiris& w = t.Main();
    t.SelectTerminalRow(0);
    w.BitBtn4->click();
    w.BitBtn4->click();
    if (failedConnectToAnother) {
      t.SelectTerminalRow(1);
      FakeSdk.Queued[QStringLiteral("FK_ConnectNet")] = {-2};
      w.BitBtn4->click();
      t.Dialogs->Shown.clear();
    }
    QCOMPARE(w.BitBtn4->text(), kBaglan);
    FakeSdk.Calls.clear();
    // Every call without a connection fails as the SDK's own does.
    for (const char* entry : {"FK_EnableDevice", "FK_EmptyEnrollData", "FK_LoadGeneralLogData"})
      FakeSdk.Results[QLatin1String(entry)] = -2;
    QAction* action = item == QLatin1String("mnuTumVerileriAl")      ? w.mnuTumVerileriAl
                      : item == QLatin1String("mnuTumVerileriAlSil") ? w.mnuTumVerileriAlSil
                                                                     : w.mnuParmakYuzSil;
    action->trigger();
    QCOMPARE(t.Shown(), shown);
    QVERIFY2(FakeSdk.Calls.filter(QStringLiteral("Connect")).isEmpty(),
             qPrintable(FakeSdk.Calls.join(' ')));
    if (item != QLatin1String("mnuParmakYuzSil")) QCOMPARE(FakeSdk.Calls, QStringList());
    QVERIFY(!Session().Connected());
    QCOMPARE(w.BitBtn4->text(), kBaglan);
  }

  // "BAGLAN" to a terminal an earlier run left disabled enables it first and
  // says so in the log; a terminal never disabled gets no extra call.
  void connectEnablesATerminalLeftDisabled_data() {
    QTest::addColumn<bool>("leftDisabled");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("log");
    const QString connect = QStringLiteral("FK_ConnectNet(1,192.168.0.100,5005,5000,0,0)");
    QTest::newRow("left disabled")
        << true << QStringList{connect, QStringLiteral("FK_EnableDevice(17,1)")}
        << "Terminal yarıda kalan önceki bir işlemden devre dışı kalmıştı, yeniden "
           "etkinleştirildi....";
    QTest::newRow("never disabled") << false << QStringList{connect} << "";
  }
  void connectEnablesATerminalLeftDisabled() {
    QFETCH(bool, leftDisabled);
    QFETCH(QStringList, calls);
    QFETCH(QString, log);
    TestProgram t;
    t.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("1"),
                         QStringLiteral("ethernet"));
    TConnInfo info;
    info.Kind = QStringLiteral("LAN");
    info.MachineNumber = 1;
    info.IpAddress = QStringLiteral("192.168.0.100");
    info.TcpPort = 5005;
    TDisabledTerminals notes(t.Folder.Path());
    if (leftDisabled) QVERIFY(notes.Disabling(info));
    t.Start();
    t.Main().BitBtn4->click();
    QCOMPARE(FakeSdk.Calls, calls);
    QCOMPARE(t.Main().Memo4->toPlainText(), log);
    QVERIFY(t.Shown().isEmpty());
    QVERIFY(!notes.LeftDisabled(info));
    // Said once: the next connect has nothing to enable.
    t.Main().BitBtn4->click();
    t.Main().Memo4->clear();
    FakeSdk.Calls.clear();
    t.Main().BitBtn4->click();
    QCOMPARE(FakeSdk.Calls, QStringList{calls.first()});
    QVERIFY(t.Main().Memo4->toPlainText().isEmpty());
  }

  void connectUsesSelectedRow() {
    TestProgram t;
    t.Folder.AddTerminal(QStringLiteral("A Kapı"), QStringLiteral("1"), QStringLiteral("usb"));
    t.Folder.AddTerminal(QStringLiteral("B Kapı"), QStringLiteral("9"), QStringLiteral("usb"));
    t.Start();
    t.SelectTerminalRow(1);
    t.Main().BitBtn4->click();
    QCOMPARE(FakeSdk.Calls, QStringList{QStringLiteral("FK_ConnectUSB(9)")});
    QCOMPARE(Session().Terminal().Name, QStringLiteral("B Kapı"));
  }

  // The bell and enrollment windows are shown modally while the main
  // window hides; the enrollment window names the connected terminal.
  void modalWindowsHideMainWindow_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("window");
    QTest::newRow("bells") << "BitBtn9"
                           << "frmzil";
    QTest::newRow("enrollment") << "BitBtn10"
                                << "frmEnrol";
  }
  void modalWindowsHideMainWindow() {
    QFETCH(QString, button);
    QFETCH(QString, window);
    TestProgram t;
    t.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("1"), QStringLiteral("usb"));
    t.Start();
    t.Main().show();
    t.Main().BitBtn4->click();
    bool hiddenMeanwhile = false;
    t.Dialogs->OnModal = [&](QDialog&) {
      hiddenMeanwhile = !t.Main().isVisible();
      return 0;
    };
    t.Main().findChild<QPushButton*>(button)->click();
    QVERIFY(hiddenMeanwhile);
    QVERIFY(t.Main().isVisible());
    QCOMPARE(t.Dialogs->Shown.last().Kind, QStringLiteral("Modal"));
    QCOMPARE(t.Dialogs->Shown.last().Text, window);
    QCOMPARE(t.Program->Enrol->Label3->text(),
             window == QLatin1String("frmEnrol") ? QStringLiteral("Ana Kapı") : QString());
  }

  // F1 asks the desktop for the guide's page about the window (and its tab)
  // in front; every page named is one of the guide's.
  void helpKeyOpensTheWindowsPage_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("page");
    QTest::newRow("main window") << "frmgiris" << 0 << "index.html";
    QTest::newRow("main window, all terminals") << "frmgiris" << 1 << "toplu-aktarim.html";
    QTest::newRow("terminal editor") << "frmyeni" << -1 << "terminal-ekle.html";
    QTest::newRow("bells") << "frmzil" << -1 << "zil-saatleri.html";
    QTest::newRow("enrollment, backup") << "frmEnrol" << 0 << "yedek-yukle.html";
    QTest::newRow("enrollment, single record") << "frmEnrol" << 1 << "tek-kayit-isimler.html";
    QTest::newRow("enrollment, active/passive") << "frmEnrol" << 4 << "kullanici-yetki.html";
  }
  void helpKeyOpensTheWindowsPage() {
    QFETCH(QString, window);
    QFETCH(int, tab);
    QFETCH(QString, page);
    QString source = page;
    source.replace(QStringLiteral(".html"), QStringLiteral(".md"));
    QVERIFY2(QFileInfo::exists(QStringLiteral(MERIDOX_GUIDE_SOURCE "/") + source),
             qPrintable(source));
    QTemporaryDir guide;
    QVERIFY(QFile(guide.filePath(page)).open(QIODevice::WriteOnly));
    QVERIFY(qputenv("MERIDOX_GUIDE_DIR", guide.path().toLocal8Bit()));
    const auto unset = qScopeGuard([] { qunsetenv("MERIDOX_GUIDE_DIR"); });
    TestProgram t;
    t.Start();
    QWidget* w = WindowNamed(*t.Program, window);
    QVERIFY(w);
    if (tab >= 0) w->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(tab);
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QTest::keyClick(w, Qt::Key_F1);
    QCOMPARE(t.Dialogs->Shown.size(), 1);
    QCOMPARE(t.Dialogs->Shown.last().Kind, QStringLiteral("OpenUrl"));
    QCOMPARE(t.Dialogs->Shown.last().Text, QUrl::fromLocalFile(guide.filePath(page)).toString());
  }
  // Without the guide the operator learns where it should be.
  void helpKeyWithoutTheGuide() {
    QTemporaryDir guide;
    QVERIFY(qputenv("MERIDOX_GUIDE_DIR", guide.path().toLocal8Bit()));
    const auto unset = qScopeGuard([] { qunsetenv("MERIDOX_GUIDE_DIR"); });
    TestProgram t;
    t.Start();
    t.Main().show();
    QVERIFY(QTest::qWaitForWindowActive(&t.Main()));
    QTest::keyClick(&t.Main(), Qt::Key_F1);
    QCOMPARE(t.Shown(),
             QStringList{QStringLiteral("Kullanım kılavuzu bulunamadı: ") +
                         QDir::toNativeSeparators(guide.filePath(QStringLiteral("index.html")))});
  }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
