// The program against real vterminals through the Windows stand-ins run by
// Wine, for both machine types: the libraries are found in the program
// folder, and everything the operator does gives what the Linux stand-ins
// give.
#include <QDir>
#include <QJsonObject>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include "E2EFixture.h"
#include "EnrollItems.h"
#include "SimFixture.h"
#include "WineFixture.h"

namespace {

// A program folder holding the stand-ins of Arch (the first library under
// a name in other letter case, as a copy from a Windows disk may have).
struct WineProgram : TestProgram {
  explicit WineProgram(const QString& Arch) : TestProgram(true, TSdk::Library) {
    copied = CopyStandIns(Arch, Folder.Path(), false, QStringLiteral("fk623attend.DLL"));
  }
  bool copied = false;
};

void AddLan(TestProgram& T, const QString& Name, int Machine, int Port) {
  T.Folder.AddTerminal(Name, QString::number(Machine), QStringLiteral("ethernet"), {}, {},
                       QStringLiteral("127.0.0.1"), QString::number(Port));
}

// The three output files of a download in a program folder.
QList<QByteArray> OutputFiles(const TestFolder& Folder) {
  return {Folder.ReadFile(QStringLiteral("veri.txt")), Folder.ReadFile(QStringLiteral("veri2.txt")),
          Folder.ReadFile(BackupFile())};
}

}  // namespace

class TestWineE2E : public QObject {
  Q_OBJECT
 private slots:
  // A network, a USB and a serial terminal row, each connected and
  // disconnected through the one host. Also with a 32-bit pair as a vendor's
  // compiler leaves it without an export list: its names decorated with the
  // bytes of their arguments ("_FK_ConnectNet@24").
  void connectAllKinds_data() {
    AddArchRows();
    QTest::newRow("i686, decorated names") << QStringLiteral("i686-decorated");
  }
  void connectAllKinds() {
    QFETCH(QString, arch);
    SKIP_UNLESS_WINE(arch);
    QTemporaryDir dir;
    VTerminal vt(dir.path());
    QVERIFY2(vt.start({"--machine", "5"}), qPrintable(vt.error()));
    // The host reads these when it starts: it has the program's environment.
    qputenv("MERIDOX_USB_ENDPOINT", QByteArray::number(vt.port()));
    qputenv("MERIDOX_COM3_ENDPOINT", QByteArray::number(vt.port()));
    WineProgram t(arch);
    QVERIFY(t.copied);
    AddLan(t, QStringLiteral("A Ağ"), 5, vt.port());
    t.Folder.AddTerminal(QStringLiteral("B Usb"), QStringLiteral("5"), QStringLiteral("usb"));
    t.Folder.AddTerminal(QStringLiteral("C Seri"), QStringLiteral("5"), QStringLiteral("com"),
                         QStringLiteral("3"), QStringLiteral("19200"));
    t.Start();
    qunsetenv("MERIDOX_USB_ENDPOINT");
    qunsetenv("MERIDOX_COM3_ENDPOINT");
    QVERIFY2(Session().TerminalSdk().FirstLibraryLoaded(),
             qPrintable(Session().TerminalSdk().LastErrorText()));
    QVERIFY(Session().TerminalSdk().SecondLibraryLoaded());
    QVERIFY(HostPid() > 0);
    for (int row = 0; row < 3; ++row) {
      t.SelectTerminalRow(row);
      t.Main().BitBtn4->click();
      QVERIFY2(t.Shown().isEmpty(), qPrintable(t.Shown().join('|')));
      QCOMPARE(t.Main().BitBtn4->text(), QStringLiteral("BAGLANTI_KES"));
      t.Main().BitBtn4->click();
      QCOMPARE(t.Main().BitBtn4->text(), QStringLiteral("BAGLAN"));
    }
    QCOMPARE(
        vt.journal(),
        (QStringList{
            QStringLiteral("FK_ConnectNet(5, \"127.0.0.1\", %1, 5000, 0, 0) = 1").arg(vt.port()),
            "FK_DisConnect() = 1", "FK_ConnectUSB(5) = 1", "FK_DisConnect() = 1",
            "FK_ConnectComm(5, 3, 19200, \"\", 0, 5000) = 1", "FK_DisConnect() = 1"}));
  }

  // 20,000 records: the three files equal, byte for byte, what the Linux
  // stand-in gives from a terminal holding the same.
  void download20000_data() { AddArchRows(); }
  void download20000() {
    QFETCH(QString, arch);
    SKIP_UNLESS_WINE(arch);
    QTemporaryDir dirA, dirB;
    VTerminal native(dirA.path()), wine(dirB.path());
    QVERIFY2(native.start({"--machine", "3", "--seed-users", "30", "--seed-records", "20000"}),
             qPrintable(native.error()));
    QVERIFY(native.stop());
    QVERIFY(CopyVTerminalState(dirA.path(), dirB.path()));
    QVERIFY2(native.start(), qPrintable(native.error()));
    QVERIFY2(wine.start(), qPrintable(wine.error()));

    QList<QByteArray> expected;
    {
      TestProgram t(true, TSdk::Library);
      AddLan(t, QStringLiteral("Ana Kapı"), 3, native.port());
      t.Start();
      t.Main().BitBtn4->click();
      t.Main().CheckBox1->setChecked(true);
      t.Main().BitBtn5->click();
      QCOMPARE(t.Shown(), QStringList{QStringLiteral("Bilgiler Dosyaya Aktarıldı....")});
      expected = OutputFiles(t.Folder);
    }
    QCOMPARE(expected[0], FileText(TerminalLines(native, 3)));
    QCOMPARE(expected[0].count('\n'), 20000);

    WineProgram t(arch);
    QVERIFY(t.copied);
    AddLan(t, QStringLiteral("Ana Kapı"), 3, wine.port());
    t.Start();
    t.Main().BitBtn4->click();
    t.Main().CheckBox1->setChecked(true);
    t.Main().BitBtn5->click();
    QCOMPARE(t.Shown(), QStringList{QStringLiteral("Bilgiler Dosyaya Aktarıldı....")});
    const QList<QByteArray> files = OutputFiles(t.Folder);
    for (int i = 0; i < 3; ++i) QVERIFY2(files[i] == expected[i], qPrintable(QString::number(i)));
    QCOMPARE(t.Main().LabelTotal->text(), QStringLiteral("20000"));
    QVERIFY(wine.state().value("enabled").toBool());
  }

  // A backup from a seeded terminal and a full restore to an empty one:
  // the second holds every item of the first, byte for byte.
  void enrolBackupAndRestore_data() { AddArchRows(); }
  void enrolBackupAndRestore() {
    QFETCH(QString, arch);
    SKIP_UNLESS_WINE(arch);
    QTemporaryDir dirA, dirB;
    VTerminal source(dirA.path()), target(dirB.path());
    QVERIFY2(source.start({"--seed-users", "40"}), qPrintable(source.error()));
    QVERIFY2(target.start(), qPrintable(target.error()));
    WineProgram t(arch);
    QVERIFY(t.copied);
    AddLan(t, QStringLiteral("A Kaynak"), 1, source.port());
    AddLan(t, QStringLiteral("B Hedef"), 1, target.port());
    t.Start();
    BackupAndRestore(t);
    if (QTest::currentTestFailed()) return;
    CompareItems(source.port(), target.port(), 40);
    if (QTest::currentTestFailed()) return;
    QVERIFY(target.state().value("enabled").toBool());
  }

  // Through the binding on one connection: names with Turkish letters keep
  // their Windows-1254 bytes both ways, the clock is set and read back, and
  // the bell block makes the round trip.
  void namesClockAndBells_data() { AddArchRows(); }
  void namesClockAndBells() {
    QFETCH(QString, arch);
    SKIP_UNLESS_WINE(arch);
    QTemporaryDir dir;
    VTerminal vt(dir.path());
    QVERIFY2(vt.start({"--seed-users", "4"}), qPrintable(vt.error()));
    TFKAttendObject sdk(MakeHostLoader(StandInOptions(arch)));
    QVERIFY2(sdk.Connect(LoopbackLan(vt.port())), qPrintable(sdk.LastErrorText()));

    // A seeded name read, a new one sent and read back.
    const QJsonObject seeded = vt.state().value("names").toObject();
    QString name;
    QVERIFY(sdk.FK_GetUserName(2, name));
    QCOMPARE(name, seeded.value("2").toString());
    const QString turkish = QStringLiteral("Şükrü Çağlar İğdeli Ömür Işık");
    QVERIFY(sdk.FK_SetUserName(3, turkish));
    QCOMPARE(vt.state().value("names").toObject().value("3").toString(), turkish);
    QVERIFY(sdk.FK_GetUserName(3, name));
    QCOMPARE(name, turkish);
    QVERIFY(!sdk.FK_GetUserName(99, name));
    QCOMPARE(sdk.SdkResult(), -8);
    QVERIFY(name.isEmpty());

    const double when = 45000.5;  // 15.03.2023 12:00
    QVERIFY(sdk.FK_SetDeviceTime(when));
    double read = 0;
    QVERIFY(sdk.FK_GetDeviceTime(read));
    QVERIFY2(read > when - 2.0 / 86400 && read < when + 10.0 / 86400,
             qPrintable(QString::number(read, 'f', 6)));

    int count = 0;
    std::array<unsigned char, FK_BELL_BLOCK_SIZE> block{};
    QVERIFY(sdk.FK_GetBellTime(count, block.data()));
    QCOMPARE(count, 72);
    for (int i = 288; i < FK_BELL_BLOCK_SIZE; ++i) block[i] = static_cast<unsigned char>(i * 7);
    QVERIFY(sdk.FK_SetBellTime(count / 3, block.data()));
    std::array<unsigned char, FK_BELL_BLOCK_SIZE> again{};
    QVERIFY(sdk.FK_GetBellTime(count, again.data()));
    QCOMPARE(count, 72);
    QVERIFY(again == block);
    sdk.Disconnect();
    QVERIFY(vt.journal().contains(QStringLiteral("FK_DisConnect() = 1")));
  }
};

QTEST_MAIN(TestWineE2E)
#include "tst_wine_e2e.moc"
