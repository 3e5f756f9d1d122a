// The attendance download and the clock commands of the main window against
// a real vterminal, through the stand-in library.
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "E2EFixture.h"
#include "SimFixture.h"

namespace {

// The program with the terminal on Port in its list, connected.
void ConnectTo(TestProgram& T, int Port) {
  T.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("3"), QStringLiteral("ethernet"),
                       {}, {}, QStringLiteral("127.0.0.1"), QString::number(Port));
  T.Start();
  T.Main().BitBtn4->click();
}

}  // namespace

class TestE2EDownload : public QObject {
  Q_OBJECT
 private slots:
  // The same lines, in the terminal's order, in all three files and Memo4;
  // a second download finds nothing new.
  void downloadFromSeededTerminal() {
    QTemporaryDir dir;
    VTerminal vt(dir.path());
    QVERIFY2(vt.start({"--machine", "3", "--seed-users", "5", "--seed-records", "40"}),
             qPrintable(vt.error()));
    const QList<QByteArray> lines = TerminalLines(vt, 3);
    QCOMPARE(lines.size(), 40);
    TestProgram t(true, TSdk::Library);
    ConnectTo(t, vt.port());
    t.Main().CheckBox1->setChecked(true);
    t.Main().BitBtn5->click();

    QCOMPARE(t.Shown(), QStringList{QStringLiteral("Bilgiler Dosyaya Aktarıldı....")});
    const QByteArray text = FileText(lines);
    QCOMPARE(t.Folder.ReadFile(QStringLiteral("veri.txt")), text);
    QCOMPARE(t.Folder.ReadFile(QStringLiteral("veri2.txt")), text);
    QCOMPARE(t.Folder.ReadFile(BackupFile()), text);
    QCOMPARE(t.Main().Memo4->toPlainText().toLatin1() + "\n", QByteArray(text).replace('\r', ""));
    QCOMPARE(t.Main().LabelTotal->text(), QStringLiteral("40"));
    QVERIFY(vt.state().value("enabled").toBool());
    const QStringList calls = vt.journal();
    QVERIFY(calls.contains(QStringLiteral("FK_EnableDevice(0) = 1")));
    QVERIFY(calls.contains(QStringLiteral("FK_LoadGeneralLogData(1) = 1 records=40")));
    QCOMPARE(calls.last(), QStringLiteral("FK_EnableDevice(1) = 1"));

    t.Dialogs->Clear();
    t.Main().BitBtn5->click();
    QCOMPARE(t.Shown(), QStringList{QStringLiteral("Cihazdan Alınacak Veri Yok...")});
    QCOMPARE(t.Folder.ReadFile(QStringLiteral("veri.txt")), text);
  }

  // The connection drops in the middle of the walk: every line read stays
  // written, the error shows, and the next download delivers the rest, so
  // every record is in the files exactly once.
  void droppedWalkLosesNothing() {
    QTemporaryDir dir;
    VTerminal vt(dir.path());
    QVERIFY2(vt.start({"--machine", "3", "--seed-users", "5", "--seed-records", "40",
                       "--drop-walk-after", "25"}),
             qPrintable(vt.error()));
    const int port = vt.port();  // the terminal row keeps it across the restart
    const QList<QByteArray> lines = TerminalLines(vt, 3);
    TestProgram t(true, TSdk::Library);
    ConnectTo(t, port);
    t.Main().BitBtn5->click();

    QCOMPARE(t.Shown(), QStringList{QStringLiteral("Read Error.\n25 kayıt dosyalara yazıldı.")});
    QCOMPARE(t.Dialogs->Shown[0].Flags, MB_OK | MB_ICONERROR);
    const QByteArray first = FileText(lines.mid(0, 25));
    QCOMPARE(t.Folder.ReadFile(QStringLiteral("veri.txt")), first);
    QCOMPARE(t.Folder.ReadFile(BackupFile()), first);
    QCOMPARE(t.Main().Memo4->toPlainText().count(QLatin1Char('\n')), 24);
    QVERIFY(t.Main().BitBtn5->isEnabled());

    // The same terminal, now without the fault; connect again and download.
    vt.stop();
    QVERIFY2(vt.start({"--port", QString::number(port), "--machine", "3"}), qPrintable(vt.error()));
    t.Main().BitBtn4->click();  // "BAGLANTI_KES": the dropped connection is let go
    t.Main().BitBtn4->click();
    QCOMPARE(t.Main().BitBtn4->text(), QStringLiteral("BAGLANTI_KES"));
    t.Dialogs->Clear();
    t.Main().BitBtn5->click();
    QCOMPARE(t.Shown(), QStringList{QStringLiteral("Bilgiler Dosyaya Aktarıldı....")});
    QCOMPARE(t.Folder.ReadFile(QStringLiteral("veri.txt")), FileText(lines));
    QVERIFY(vt.state().value("enabled").toBool());
  }

  // The connection drops during the walk: the terminal is connected once
  // more and enabled, so it is not left with its keypad and reader locked.
  void enabledAfterDroppedWalk_data() {
    QTest::addColumn<QStringList>("fault");
    QTest::addColumn<QString>("shown");
    QTest::newRow("load dropped") << QStringList{"--fail", "FK_LoadGeneralLogData:drop"}
                                  << "Cihazdan alınacak veri yok.....";
    QTest::newRow("walk dropped at once")
        << QStringList{"--drop-walk-after", "0"} << "Read Error.\n0 kayıt dosyalara yazıldı.";
    QTest::newRow("walk dropped") << QStringList{"--drop-walk-after", "25"}
                                  << "Read Error.\n25 kayıt dosyalara yazıldı.";
  }
  void enabledAfterDroppedWalk() {
    QFETCH(QStringList, fault);
    QFETCH(QString, shown);
    QTemporaryDir dir;
    VTerminal vt(dir.path());
    QVERIFY2(vt.start(QStringList{"--machine", "3", "--seed-users", "5", "--seed-records", "40"} +
                      fault),
             qPrintable(vt.error()));
    TestProgram t(true, TSdk::Library);
    ConnectTo(t, vt.port());
    t.Main().BitBtn5->click();
    QCOMPARE(t.Shown(), QStringList{shown});
    QVERIFY(vt.state().value("enabled").toBool());
    const QStringList calls = vt.journal();
    QCOMPARE(calls.filter(QRegularExpression("^FK_ConnectNet\\(.*\\) = 1$")).size(), 2);
    QCOMPARE(calls.last(), QStringLiteral("FK_EnableDevice(1) = 1"));
    QCOMPARE(t.Main().BitBtn4->text(), QStringLiteral("BAGLANTI_KES"));
  }

  // Setting the clock from the PC and reading it back gives the PC's time.
  void clockRoundTrip() {
    QTemporaryDir dir;
    VTerminal vt(dir.path());
    QVERIFY2(vt.start({"--machine", "3"}), qPrintable(vt.error()));
    TestProgram t(true, TSdk::Library);
    ConnectTo(t, vt.port());
    const QDateTime before = QDateTime::currentDateTime();
    t.Main().BitBtn6->click();
    t.Main().BitBtn7->click();
    const QDateTime after = QDateTime::currentDateTime();
    QCOMPARE(t.Shown().value(0), QStringLiteral("cihaz tarih saati ayarlandı.."));
    const QDateTime read =
        QDateTime::fromString(t.Shown().value(1), QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    QVERIFY2(read.isValid(), qPrintable(t.Shown().join('|')));
    QVERIFY(read >= before.addSecs(-1) && read <= after.addSecs(1));
    QVERIFY(vt.state().value("enabled").toBool());
  }
};

QTEST_MAIN(TestE2EDownload)
#include "tst_e2e_download.moc"
