// The program's connect button against a real vterminal, through the
// stand-in library loaded by name from beside the test program.
#include <QDir>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include "SimFixture.h"
#include "TestProgram.h"

class TestE2EConnect : public QObject {
  Q_OBJECT
  static QStringList Calls(const VTerminal& vt) { return vt.journal(); }

 private slots:
  void lanConnectAndDisconnect() {
    QTemporaryDir dir;  // state and journal of this terminal alone
    VTerminal vt(dir.path());
    QVERIFY2(vt.start({"--machine", "3", "--password", "731856"}), qPrintable(vt.error()));
    TestProgram t(true, TSdk::Library);
    t.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("3"),
                         QStringLiteral("ethernet"), {}, {}, QStringLiteral("127.0.0.1"),
                         QString::number(vt.port()), QStringLiteral("731856"));
    t.Start();
    QVERIFY(Session().TerminalSdk().FirstLibraryLoaded());
    t.Main().BitBtn4->click();
    QVERIFY2(t.Shown().isEmpty(), qPrintable(t.Shown().join('|')));
    QCOMPARE(t.Main().BitBtn4->text(), QStringLiteral("BAGLANTI_KES"));
    QCOMPARE(
        Calls(vt).value(0),
        QStringLiteral("FK_ConnectNet(3, \"127.0.0.1\", %1, 5000, 0, 731856) = 1").arg(vt.port()));

    // While connected the terminal refuses another client.
    FkApi other;
    QVERIFY(other.load());
    QCOMPARE(other.connectLocal(vt.port(), 3, 731856), -2);

    t.Main().BitBtn4->click();
    QCOMPARE(t.Main().BitBtn4->text(), QStringLiteral("BAGLAN"));
    // The TCP connection is closed: the terminal takes the next client.
    const int handle = other.connectLocal(vt.port(), 3, 731856);
    QVERIFY(handle > 0);
    other.FK_DisConnect(handle);
    QVERIFY(Calls(vt).contains(QStringLiteral("FK_DisConnect() = 1")));
    QVERIFY(vt.state().value("enabled").toBool());
  }

  void failedConnectShowsResultText_data() {
    QTest::addColumn<bool>("listening");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("machine");
    QTest::addColumn<QString>("text");
    QTest::newRow("wrong password") << true << "1"
                                    << "1"
                                    << "mistake password";
    QTest::newRow("wrong machine") << true << "0"
                                   << "2"
                                   << "Unknown error";
    QTest::newRow("nothing listening") << false << "0"
                                       << "1"
                                       << "No Open Comm";
  }
  void failedConnectShowsResultText() {
    QFETCH(bool, listening);
    QFETCH(QString, password);
    QFETCH(QString, machine);
    QFETCH(QString, text);
    QTemporaryDir dir;  // state and journal of this terminal alone
    VTerminal vt(dir.path());
    DeadPort dead;
    int port = dead.port();
    if (listening) {
      QVERIFY2(vt.start({"--machine", "1", "--password", "0"}), qPrintable(vt.error()));
      port = vt.port();
    }
    TestProgram t(true, TSdk::Library);
    t.Folder.AddTerminal(QStringLiteral("Ana Kapı"), machine, QStringLiteral("ethernet"), {}, {},
                         QStringLiteral("127.0.0.1"), QString::number(port), password);
    t.Start();
    t.Main().BitBtn4->click();
    // The stand-in is in use: one more line says where the vendor's files go.
    QCOMPARE(
        t.Shown(),
        QStringList{text + QStringLiteral("\nÜreticinin kitaplığı bulunamadı: FK623Attend.dll ve "
                                          "FKAttend.dll dosyalarını %1 klasörüne koyun.")
                               .arg(QDir::toNativeSeparators(Session().SdkChoice().Folders[0]))});
    QCOMPARE(t.Dialogs->Shown[0].Flags, MB_OK | MB_ICONWARNING);
    QCOMPARE(t.Main().BitBtn4->text(), QStringLiteral("BAGLAN"));
    QVERIFY(!t.Main().BitBtn5->isEnabled());
  }

  // USB and serial terminals reach the endpoints the library is pointed at.
  void usbAndSerialKinds_data() {
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QString>("call");
    QTest::newRow("usb") << "usb" << QByteArray("MERIDOX_USB_ENDPOINT") << "FK_ConnectUSB(5) = 1";
    QTest::newRow("com") << "com" << QByteArray("MERIDOX_COM3_ENDPOINT")
                         << "FK_ConnectComm(5, 3, 19200, \"\", 0, 5000) = 1";
  }
  void usbAndSerialKinds() {
    QFETCH(QString, tip);
    QFETCH(QByteArray, variable);
    QFETCH(QString, call);
    QTemporaryDir dir;  // state and journal of this terminal alone
    VTerminal vt(dir.path());
    QVERIFY2(vt.start({"--machine", "5"}), qPrintable(vt.error()));
    qputenv(variable.constData(), QByteArray::number(vt.port()));
    TestProgram t(true, TSdk::Library);
    t.Folder.AddTerminal(QStringLiteral("Depo"), QStringLiteral("5"), tip, QStringLiteral("3"),
                         QStringLiteral("19200"));
    t.Start();
    t.Main().BitBtn4->click();
    qunsetenv(variable.constData());
    QVERIFY2(t.Shown().isEmpty(), qPrintable(t.Shown().join('|')));
    QCOMPARE(t.Main().BitBtn4->text(), QStringLiteral("BAGLANTI_KES"));
    QCOMPARE(Calls(vt).value(0), call);
    t.Main().close();  // closing while connected disconnects
    QVERIFY(Calls(vt).contains(QStringLiteral("FK_DisConnect() = 1")));
  }
};

QTEST_MAIN(TestE2EConnect)
#include "tst_e2e_connect.moc"
