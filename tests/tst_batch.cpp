// The full download, the full download with clearing, the batch over the
// terminal list and the download lock, in the main window against the fake
// SDK: the exact calls, the lines written and what the operator is told.
#include <QDir>
#include <QLockFile>
#include <QTest>

#include "AttendanceFixture.h"
#include "Fifo.h"
#include "TinyDisk.h"
#include "attendance/Batch.h"
#include "attendance/Download.h"
#include "attendance/DownloadLock.h"
#include "session/DisabledTerminals.h"

namespace {

const QString kE0 = QStringLiteral("FK_EnableDevice(17,0)");
const QString kE1 = QStringLiteral("FK_EnableDevice(17,1)");
const QString kLoad0 = QStringLiteral("FK_LoadGeneralLogData(17,0)");
const QString kGet = QStringLiteral("FK_GetGeneralLogData_1(17)");
const QString kEmpty = QStringLiteral("FK_EmptyGeneralLogData(17)");
const QString kTitle = QStringLiteral("Terminal İşlemleri");

QStringList Walk(int Records, const QString& End = {}) {
  QStringList calls{kE0, kLoad0};
  for (int i = 0; i <= Records; ++i) calls << kGet;
  if (!End.isEmpty()) calls << End;
  return calls << kE1;
}

}  // namespace

class TestBatch : public QObject {
  Q_OBJECT
 private slots:
  // "Tüm Verileri Al (silmez)": read mark 0, and nothing is ever deleted.
  void fullDownloadKeepsTheLog() {
    Connected t;
    FakeSdk.LogRecords = Records(3);
    t.Main().mnuTumVerileriAl->trigger();
    QCOMPARE(FakeSdk.Calls, Walk(3));
    QCOMPARE(t.Shown(), QStringList{QStringLiteral("Bilgiler Dosyaya Aktarıldı....")});
    QCOMPARE(t.Folder.ReadFile(QStringLiteral("veri.txt")), LinesOf(Records(3), 7));
  }

  // The clear is made only after a complete walk whose lines are on disk,
  // before the terminal is enabled again; every other ending leaves the log
  // alone and says so, and the lines read stay written.
  void clearPath_data() {
    QTest::addColumn<QList<int>>("enable");
    QTest::addColumn<int>("load");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("walkEnd");
    QTest::addColumn<int>("clear");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("written");
    const int info = MB_OK | MB_ICONINFORMATION, warn = MB_OK | MB_ICONWARNING;
    QTest::newRow("cleared") << QList<int>{} << 1 << 3 << -7 << 1 << Walk(3, kEmpty)
                             << "3 kayıt dosyaya aktarıldı, cihazdaki kayıtlar silindi...." << info
                             << 3;
    QTest::newRow("clear fails: lines stay")
        << QList<int>{} << 1 << 3 << -7 << -2 << Walk(3, kEmpty)
        << "3 kayıt dosyaya aktarıldı, fakat cihazdaki kayıtlar silinemedi (No Open Comm). "
           "Aktarılan kayıtlar dosyalarda duruyor...."
        << warn << 3;
    QTest::newRow("walk breaks: no clear")
        << QList<int>{} << 1 << 2 << -4 << 1 << (QStringList{kE0, kLoad0, kGet, kGet, kGet, kE1})
        << "HATA...veriler alınamadı (Read Error). Dosyaya aktarılan kayıt sayısı: 2. Cihazdaki "
           "kayıtlar silinmedi...."
        << warn << 2;
    QTest::newRow("load fails: no clear")
        << QList<int>{} << -2 << 3 << -7 << 1 << (QStringList{kE0, kLoad0, kE1})
        << "HATA...veriler alınamadı (No Open Comm). Dosyaya aktarılan kayıt sayısı: 0. "
           "Cihazdaki kayıtlar silinmedi...."
        << warn << 0;
    QTest::newRow("disable fails: no clear")
        << QList<int>{-2} << 1 << 3 << -7 << 1 << (QStringList{kE0, kE1})
        << "HATA...veriler alınamadı (No Open Comm). Dosyaya aktarılan kayıt sayısı: 0. "
           "Cihazdaki kayıtlar silinmedi...."
        << warn << 0;
    QTest::newRow("no records: nothing to clear") << QList<int>{} << 1 << 0 << -7 << 1 << Walk(0)
                                                  << "Cihazdan Alınacak Veri Yok..." << info << 0;
  }
  void clearPath() {
    QFETCH(QList<int>, enable);
    QFETCH(int, load);
    QFETCH(int, records);
    QFETCH(int, walkEnd);
    QFETCH(int, clear);
    QFETCH(QStringList, calls);
    QFETCH(QString, text);
    QFETCH(int, flags);
    QFETCH(int, written);
    Connected t;
    FakeSdk.Queued[QStringLiteral("FK_EnableDevice")] = enable;
    FakeSdk.Results[QStringLiteral("FK_LoadGeneralLogData")] = load;
    QList<int> walk(records, 1);
    FakeSdk.Queued[QStringLiteral("FK_GetGeneralLogData_1")] = walk << walkEnd;
    FakeSdk.Results[QStringLiteral("FK_EmptyGeneralLogData")] = clear;
    FakeSdk.LogRecords = Records(records);
    t.Dialogs->Answers = {IDYES};
    t.Main().mnuTumVerileriAlSil->trigger();

    QCOMPARE(FakeSdk.Calls, calls);
    QCOMPARE(t.Dialogs->Shown.size(), 2);
    QCOMPARE(t.Dialogs->Shown[0].Text,
             QStringLiteral("\"Ana Kapı\" terminalindeki tüm kayıtlar alınıp cihazdan silinecek. "
                            "Devam etmek istiyor musunuz...?"));
    QCOMPARE(t.Dialogs->Shown[0].Flags, MB_YESNO | MB_ICONQUESTION);
    QCOMPARE(t.Dialogs->Shown[1].Text, text);
    QCOMPARE(t.Dialogs->Shown[1].Title, kTitle);
    QCOMPARE(t.Dialogs->Shown[1].Flags, flags);
    QCOMPARE(t.Folder.ReadFile(QStringLiteral("veri.txt")), LinesOf(Records(written), 7));
    QCOMPARE(t.Folder.ReadFile(BackupFile()), LinesOf(Records(written), 7));
    QVERIFY(t.Main().BitBtn5->isEnabled());
  }

  // No clear without an explicit Yes, and none when a file cannot take the
  // lines (they are not on disk).
  void clearRefused() {
    Connected t;
    FakeSdk.LogRecords = Records(3);
    t.Main().mnuTumVerileriAlSil->trigger();  // the scripted answer is No
    QCOMPARE(FakeSdk.Calls, QStringList{});
    // veri.txt lies on a disk with no room left.
    const QString disk = t.Folder.File(QStringLiteral("disk"));
    QVERIFY(QDir().mkpath(disk));
    TinyDisk full(disk, 64);
    if (!full.Mounted()) QSKIP(qPrintable("a small tmpfs cannot be mounted here: " + full.Error()));
    QVERIFY(full.FillLeaving(0));
    QVERIFY(
        QFile::link(disk + QStringLiteral("/veri.txt"), t.Folder.File(QStringLiteral("veri.txt"))));
    t.Dialogs->Answers = {IDYES};
    t.Main().mnuTumVerileriAlSil->trigger();
    QCOMPARE(FakeSdk.CallCount(QStringLiteral("FK_EmptyGeneralLogData")), 0);
    QCOMPARE(FakeSdk.Calls.last(), kE1);
    const QString shown = t.Dialogs->Shown.last().Text;
    QVERIFY2(shown.startsWith(QStringLiteral("HATA...veriler dosyaya yazılamadı (")) &&
                 shown.endsWith(QStringLiteral("No space left on device). Cihazdaki kayıtlar "
                                               "silinmedi....")),
             qPrintable(shown));
  }

  // Every terminal of the list in its order: connect with the row's
  // parameters, walk with read mark 1, disconnect; an unreachable one is
  // reported with the SDK's text and the batch goes on. The window's own
  // connection is closed first, after a Yes.
  void batchOverTheList() {
    TestProgram t;
    t.Folder.AddTerminal(QStringLiteral("A Giriş"), QStringLiteral("1"), QStringLiteral("ethernet"),
                         {}, {}, QStringLiteral("10.0.0.1"), QStringLiteral("5005"));
    t.Folder.AddTerminal(QStringLiteral("B Depo"), QStringLiteral("2"), QStringLiteral("usb"));
    t.Folder.AddTerminal(QStringLiteral("C Çıkış"), QStringLiteral("3"), QStringLiteral("com"),
                         QStringLiteral("4"), QString());
    t.Start();
    t.Main().BitBtn4->click();  // connected to the first row
    t.Dialogs->Answers = {IDNO};
    t.Main().BitBtn11->click();
    QCOMPARE(t.Main().BitBtn4->text(), QStringLiteral("BAGLANTI_KES"));
    QCOMPARE(t.Main().Memo3->toPlainText(), QString());

    FakeSdk.Calls.clear();
    FakeSdk.Queued[QStringLiteral("FK_ConnectUSB")] = {-2};
    FakeSdk.LogRecords = Records(3);
    QList<int> walks{1, 1, -7, 1, -7};  // two records from the first, one from the third
    FakeSdk.Queued[QStringLiteral("FK_GetGeneralLogData_1")] = walks;
    t.Dialogs->Answers = {IDYES};
    t.Main().BitBtn11->click();

    const QString e0 = QStringLiteral("FK_EnableDevice(17,0)"),
                  e1 = QStringLiteral("FK_EnableDevice(17,1)");
    const QString load = QStringLiteral("FK_LoadGeneralLogData(17,1)");
    QCOMPARE(FakeSdk.Calls,
             (QStringList{"FK_DisConnect(17)", "FK_ConnectNet(1,10.0.0.1,5005,5000,0,0)", e0, load,
                          kGet, kGet, kGet, e1, "FK_DisConnect(17)", "FK_ConnectUSB(2)",
                          "FK_ConnectComm(3,4,9600,,0,5000)", e0, load, kGet, kGet, e1,
                          "FK_DisConnect(17)"}));
    QCOMPARE(t.Main().BitBtn4->text(), QStringLiteral("BAGLAN"));
    QCOMPARE(t.Main().Memo3->toPlainText(),
             QStringLiteral("A Giriş: 2 kayıt aktarıldı\nB Depo: HATA - No Open Comm\n"
                            "C Çıkış: 1 kayıt aktarıldı\n"
                            "İşlem tamamlandı. Terminal: 3, Hatalı: 1, Toplam Kayıt: 3"));
    const QList<Record> all = Records(3);
    QCOMPARE(t.Folder.ReadFile(QStringLiteral("veri.txt")),
             LinesOf(all.mid(0, 2), 1) + LinesOf(all.mid(2), 3));
    QCOMPARE(t.Dialogs->Shown.size(), 2);  // the two questions; the batch itself asks nothing
    QVERIFY(!t.Main().BitBtn13->isEnabled());
    QVERIFY(t.Main().BitBtn11->isEnabled());
  }

  // "BAGLAN" and the batch build a row's connection request with one routine:
  // "BAGLAN" refuses a row with a number column that is no whole number
  // whatever its type; the batch only when the row's type uses the column;
  // both say so in the same words, and a good row connects in both.
  void rowRefusedByConnectAndBatch_data() {
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QString>("comBaud");
    QTest::addColumn<QString>("netPort");
    QTest::addColumn<QString>("connectError");  // empty: "BAGLAN" connects
    QTest::addColumn<QString>("batchError");    // empty: the batch reads the terminal
    const QString badPort = QStringLiteral("'50o5' is not a valid integer value");
    const QString badBaud = QStringLiteral("'96x' is not a valid integer value");
    QTest::newRow("usb, bad tcp port") << "usb"
                                       << "9600"
                                       << "50o5" << badPort << "";
    QTest::newRow("network, bad baud") << "ethernet"
                                       << "96x"
                                       << "5005" << badBaud << "";
    QTest::newRow("network, bad tcp port") << "ethernet"
                                           << "9600"
                                           << "50o5" << badPort << badPort;
    QTest::newRow("com, bad baud") << "com"
                                   << "96x"
                                   << "5005" << badBaud << badBaud;
    QTest::newRow("com, empty baud") << "com"
                                     << ""
                                     << "5005"
                                     << ""
                                     << "";
  }
  void rowRefusedByConnectAndBatch() {
    QFETCH(QString, tip);
    QFETCH(QString, comBaud);
    QFETCH(QString, netPort);
    QFETCH(QString, connectError);
    QFETCH(QString, batchError);
    TestProgram t;
    t.Folder.AddTerminal(QStringLiteral("A"), QStringLiteral("1"), tip, QStringLiteral("1"),
                         comBaud, QStringLiteral("10.0.0.1"), netPort);
    t.Start();
    t.Main().BitBtn4->click();
    if (connectError.isEmpty()) {
      QCOMPARE(t.Main().BitBtn4->text(), QStringLiteral("BAGLANTI_KES"));
      t.Main().BitBtn4->click();
      QCOMPARE(t.Shown(), QStringList());
    } else {
      QCOMPARE(t.Shown(), QStringList{connectError + QLatin1Char('.')});
      QVERIFY(FakeSdk.Calls.isEmpty());
    }
    QCOMPARE(t.Main().BitBtn4->text(), QStringLiteral("BAGLAN"));
    FakeSdk.Calls.clear();
    t.Main().BitBtn11->click();
    const QString line = batchError.isEmpty() ? QStringLiteral("A: 0 kayıt aktarıldı")
                                              : QStringLiteral("A: HATA - ") + batchError;
    QCOMPARE(t.Main().Memo3->toPlainText().split(QLatin1Char('\n')).value(0), line);
    QCOMPARE(FakeSdk.Calls.isEmpty(), !batchError.isEmpty());
  }

  // The enable after a terminal's walk finds the connection gone: the batch
  // connects once more and enables it; a terminal that stays disabled is a
  // failed terminal, and its line says so.
  void batchTerminalLeftDisabled_data() {
    QTest::addColumn<int>("walkEnd");
    QTest::addColumn<int>("reconnect");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("failed");
    const QString notEnabled = NotEnabledAgainText(-2);
    QTest::newRow("enabled over a new connection") << -7 << 17 << "A: 2 kayıt aktarıldı" << 0;
    QTest::newRow("left disabled")
        << -7 << -2 << "A: HATA - " + notEnabled + " (2 kayıt aktarıldı)" << 1;
    QTest::newRow("walk dropped, left disabled")
        << -4 << -2 << "A: HATA - Read Error - " + notEnabled + " (2 kayıt aktarıldı)" << 1;
  }
  void batchTerminalLeftDisabled() {
    QFETCH(int, walkEnd);
    QFETCH(int, reconnect);
    QFETCH(QString, line);
    QFETCH(int, failed);
    TestProgram t;
    t.Folder.AddTerminal(QStringLiteral("A"), QStringLiteral("1"), QStringLiteral("usb"));
    t.Start();
    FakeSdk.LogRecords = Records(2);
    FakeSdk.Queued[QStringLiteral("FK_GetGeneralLogData_1")] = {1, 1, walkEnd};
    FakeSdk.Queued[QStringLiteral("FK_EnableDevice")] = {1, -4};
    FakeSdk.Queued[QStringLiteral("FK_ConnectUSB")] = {17, reconnect};
    t.Main().BitBtn11->click();
    QCOMPARE(FakeSdk.CallCount(QStringLiteral("FK_ConnectUSB")), 2);
    QCOMPARE(FakeSdk.CallCount(QStringLiteral("FK_EnableDevice")), reconnect > 0 ? 3 : 2);
    QCOMPARE(t.Main().Memo3->toPlainText(),
             line + QStringLiteral("\nİşlem tamamlandı. Terminal: 1, Hatalı: %1, Toplam Kayıt: 2")
                        .arg(failed));
    QCOMPARE(t.Folder.ReadFile(QStringLiteral("veri.txt")), LinesOf(Records(2), 1));
  }

  // A terminal an earlier run left disabled is enabled at the batch's
  // connect and its line says so; when even that fails it is not walked and
  // fails. A terminal never disabled gets no extra call.
  void batchEnablesATerminalLeftDisabled_data() {
    QTest::addColumn<int>("enableAtConnect");
    QTest::addColumn<QStringList>("lines");
    const QString total =
        QStringLiteral("İşlem tamamlandı. Terminal: 2, Hatalı: %1, Toplam Kayıt: 2");
    QTest::newRow("enabled") << 1
                             << QStringList{
                                    "A: 2 kayıt aktarıldı - Terminal yarıda kalan önceki "
                                    "bir işlemden devre dışı kalmıştı, yeniden "
                                    "etkinleştirildi....",
                                    "B: 0 kayıt aktarıldı", total.arg(0)};
    QTest::newRow("enable refused")
        << -6
        << QStringList{
               "A: HATA - Terminal yarıda kalan önceki bir işlemden devre dışı kalmıştı "
               "ve etkinleştirilemedi (execution of command failed.); cihazın tuş takımı "
               "ve okuyucusu kilitli....",
               "B: 2 kayıt aktarıldı", total.arg(1)};
  }
  void batchEnablesATerminalLeftDisabled() {
    QFETCH(int, enableAtConnect);
    QFETCH(QStringList, lines);
    TestProgram t;
    t.Folder.AddTerminal(QStringLiteral("A"), QStringLiteral("1"), QStringLiteral("usb"));
    t.Folder.AddTerminal(QStringLiteral("B"), QStringLiteral("2"), QStringLiteral("usb"));
    TConnInfo a;
    a.Kind = QStringLiteral("USB");
    a.MachineNumber = 1;
    TDisabledTerminals notes(t.Folder.Path());
    QVERIFY(notes.Disabling(a));
    t.Start();
    FakeSdk.LogRecords = Records(2);
    FakeSdk.Queued[QStringLiteral("FK_GetGeneralLogData_1")] = {1, 1, -7};
    FakeSdk.Results[QStringLiteral("FK_GetGeneralLogData_1")] = -7;
    FakeSdk.Queued[QStringLiteral("FK_EnableDevice")] = {enableAtConnect};
    t.Main().BitBtn11->click();
    QCOMPARE(t.Main().Memo3->toPlainText().split(QLatin1Char('\n')), lines);
    QCOMPARE(FakeSdk.Calls.mid(0, 2), (QStringList{QStringLiteral("FK_ConnectUSB(1)"), kE1}));
    if (enableAtConnect != 1)
      QCOMPARE(FakeSdk.Calls.value(2), QStringLiteral("FK_DisConnect(17)"));  // not walked
    const qsizetype b = FakeSdk.Calls.indexOf(QStringLiteral("FK_ConnectUSB(2)"));
    QCOMPARE(FakeSdk.Calls.value(b + 1), kE0);
    QCOMPARE(notes.LeftDisabled(a), enableAtConnect != 1);
  }

  // A file where the folder of the disabled-terminal notes should be: no
  // terminal can be noted, so none is disabled or walked; each fails on its
  // own line with the reason and the batch goes through the list.
  void batchWithoutNotesDisablesNothing() {
    TestProgram t;
    t.Folder.AddTerminal(QStringLiteral("A"), QStringLiteral("1"), QStringLiteral("usb"));
    t.Folder.AddTerminal(QStringLiteral("B"), QStringLiteral("2"), QStringLiteral("usb"));
    t.Folder.WriteFile(QStringLiteral("DevreDisi"), "not a folder");
    t.Start();
    FakeSdk.LogRecords = Records(2);
    t.Main().BitBtn11->click();

    const QString failed =
        QStringLiteral(
            ": HATA - Terminalin devre dışı bırakıldığı not edilemedi: %1 bir klasör "
            "değil")
            .arg(QDir::toNativeSeparators(t.Folder.File(QStringLiteral("DevreDisi"))));
    QCOMPARE(t.Main().Memo3->toPlainText().split(QLatin1Char('\n')),
             (QStringList{"A" + failed, "B" + failed,
                          "İşlem tamamlandı. Terminal: 2, Hatalı: 2, Toplam Kayıt: 0"}));
    QCOMPARE(t.Shown(), QStringList{});
    QVERIFY2(!FakeSdk.Calls.contains(kE0), qPrintable(FakeSdk.Calls.join(' ')));
    QCOMPARE(FakeSdk.CallCount(QStringLiteral("FK_GetGeneralLogData_1")), 0);
    QCOMPARE(FakeSdk.CallCount(QStringLiteral("FK_ConnectUSB")), 2);
    QCOMPARE(t.Folder.ReadFile(QStringLiteral("DevreDisi")), QByteArray("not a folder"));
  }

  // A disk that fills up under the batch: the terminal being read is enabled
  // again and disconnected, every file keeps whole lines, the error gives the
  // system's reason, and no further terminal is read into the full disk.
  void batchOnAFullDisk() {
    TestProgram t;
    t.Folder.AddTerminal(QStringLiteral("A"), QStringLiteral("1"), QStringLiteral("usb"));
    t.Folder.AddTerminal(QStringLiteral("B"), QStringLiteral("2"), QStringLiteral("usb"));
    t.Start();
    // The month's file lies on a small disk of its own that is nearly full.
    const QString month = t.Folder.File(QStringLiteral("yedek_K20"));
    QVERIFY(QDir().mkpath(month));
    TinyDisk disk(month, 64);
    if (!disk.Mounted()) QSKIP(qPrintable("a small tmpfs cannot be mounted here: " + disk.Error()));
    QVERIFY(disk.FillLeaving(4096));
    FakeSdk.LogRecords = Records(2000);
    t.Main().BitBtn11->click();

    QCOMPARE(FakeSdk.CallCount(QStringLiteral("FK_ConnectUSB")), 1);
    QCOMPARE(FakeSdk.Calls.mid(FakeSdk.Calls.size() - 2),
             (QStringList{QStringLiteral("FK_EnableDevice(17,1)"), "FK_DisConnect(17)"}));
    const QString shown = t.Dialogs->Shown.last().Text;
    QVERIFY2(shown.contains(QStringLiteral("No space left on device")), qPrintable(shown));
    const QByteArray main = t.Folder.ReadFile(QStringLiteral("veri.txt"));
    const QByteArray backup = t.Folder.ReadFile(BackupFile());
    QVERIFY(!backup.isEmpty() && backup.endsWith("\r\n"));
    QVERIFY(main.endsWith("\r\n"));
    // Whole lines of the first records, in order, in both files.
    QVERIFY(main.startsWith(backup));
    QVERIFY(main.count('\n') < 2000);  // the walk stopped at the full disk
    QCOMPARE(main, LinesOf(Records(2000).mid(0, main.count('\n')), 1));
  }

  // The full download with clearing: a terminal that cannot be enabled again
  // gets a warning of its own after the outcome.
  void clearingTellsWhenNotEnabled() {
    Connected t;
    FakeSdk.LogRecords = Records(3);
    FakeSdk.Queued[QStringLiteral("FK_EnableDevice")] = {1, -4};
    FakeSdk.Queued[QStringLiteral("FK_ConnectUSB")] = {-2};
    t.Dialogs->Answers = {IDYES};
    t.Main().mnuTumVerileriAlSil->trigger();
    QCOMPARE(
        t.Shown().mid(1),
        (QStringList{QStringLiteral("3 kayıt dosyaya aktarıldı, cihazdaki kayıtlar silindi...."),
                     NotEnabledAgainText(-2)}));
    QCOMPARE(t.Dialogs->Shown.last().Flags, MB_OK | MB_ICONWARNING);
    QCOMPARE(t.Dialogs->Shown.last().Title, kTitle);
  }

  // While the batch runs only the cancel button is live among the controls
  // that could touch a terminal; a cancel stops before the next terminal.
  void batchCancel() {
    TestProgram t;
    for (const char* name : {"A", "B", "C"})
      t.Folder.AddTerminal(QString::fromLatin1(name), QStringLiteral("1"), QStringLiteral("usb"));
    t.Start();
    FakeSdk.LogRecords = Records(2);
    bool locked = true;
    t.Dialogs->OnProcessMessages = [&] {
      for (QWidget* w : QList<QWidget*>{t.Main().BitBtn4, t.Main().BitBtn11, t.Main().BitBtn1,
                                        t.Main().BitBtn3, t.Main().DBGrid1})
        locked = locked && !w->isEnabled();
      locked = locked && t.Main().BitBtn13->isEnabled() && !t.Main().mnuTumVerileriAl->isEnabled();
      // The operator presses cancel while the first terminal's walk runs.
      if (FakeSdk.CallCount(QStringLiteral("FK_LoadGeneralLogData")) == 1 &&
          t.Main().BitBtn13->isEnabled())
        t.Main().BitBtn13->click();
    };
    t.Main().BitBtn11->click();
    QVERIFY(locked);
    QCOMPARE(FakeSdk.CallCount(QStringLiteral("FK_ConnectUSB")), 1);
    QCOMPARE(FakeSdk.Calls.last(), QStringLiteral("FK_DisConnect(17)"));
    QCOMPARE(t.Main().Memo3->toPlainText().split('\n').last(),
             QStringLiteral("İşlem iptal edildi. Terminal: 1, Hatalı: 0, Toplam Kayıt: 2"));
    QVERIFY(t.Main().Memo3->toPlainText().contains(QStringLiteral("A: 2 kayıt aktarıldı")));
    QCOMPARE(t.Folder.ReadFile(QStringLiteral("veri.txt")), LinesOf(Records(2), 1));
    QVERIFY(!t.Main().BitBtn13->isEnabled());
    QVERIFY(t.Main().BitBtn4->isEnabled());
  }

  // An output file that can never take a line (a FIFO, which would hold the
  // open until a reader comes) is told before the download waits for the
  // lock another download holds, in every action that writes veri.txt;
  // nothing waits and no terminal is disabled.
  void fileRefusedBeforeTheLockWait_data() {
    QTest::addColumn<QString>("action");
    QTest::newRow("download") << "download";
    QTest::newRow("full download with clearing") << "clearing";
    QTest::newRow("batch") << "batch";
    QTest::newRow("card conversion") << "card";
  }
  void fileRefusedBeforeTheLockWait() {
    QFETCH(QString, action);
    Connected t;
    const QString veri = t.Folder.File(QStringLiteral("veri.txt"));
    if (!MakeFifo(veri)) QSKIP("no FIFO can be made here");
    TFifoGuard guard(veri);
    QLockFile other(TDownloadLock::FileName(t.Folder.Path()));
    QVERIFY(other.tryLock(0));
    int pumps = 0;
    // Should it wait after all, the lock comes free so the test ends.
    t.Dialogs->OnProcessMessages = [&] {
      if (++pumps == 20) other.unlock();
    };
    FakeSdk.LogRecords = Records(2);
    t.Folder.WriteFile(QStringLiteral("card.txt"), "h\r\n1\t1\t42\t\t\t\t2024/03/05 08:07:09\r\n");
    t.Dialogs->FileNames << t.Folder.File(QStringLiteral("card.txt"));
    t.Dialogs->Answers = {IDYES};
    if (action == QLatin1String("download"))
      t.Main().BitBtn5->click();
    else if (action == QLatin1String("clearing"))
      t.Main().mnuTumVerileriAlSil->trigger();
    else if (action == QLatin1String("batch"))
      t.Main().BitBtn11->click();
    else
      t.Main().Button1->click();

    QVERIFY(!guard.Fired());
    QVERIFY(other.isLocked());  // never waited for
    QVERIFY2(!FakeSdk.Calls.contains(kE0) && !FakeSdk.Calls.contains(kE1),
             qPrintable(FakeSdk.Calls.join(' ')));
    const ShownDialog& shown = t.Dialogs->Shown.last();
    QVERIFY2(shown.Text.contains(QStringLiteral("\"%1\"").arg(QDir::toNativeSeparators(veri))) &&
                 shown.Text.contains(QStringLiteral("Is a FIFO (named pipe), not a regular file")),
             qPrintable(shown.Text));
    if (action == QLatin1String("clearing"))
      QVERIFY2(shown.Text.startsWith(QStringLiteral("HATA...veriler dosyaya yazılamadı (")),
               qPrintable(shown.Text));
    else
      QCOMPARE(shown.Flags, MB_OK | MB_ICONERROR);
    const QString waiting = DownloadWaitingText();
    QVERIFY(!t.Main().Memo4->toPlainText().contains(waiting));
    QVERIFY(!t.Main().Memo3->toPlainText().contains(waiting));
    QVERIFY(QFileInfo(veri).exists() && !QFileInfo(veri).isFile());
  }

  // A download finds the lock held by another one: it says it is waiting,
  // touches neither the terminal nor the files meanwhile, and goes on once
  // the lock is free.
  void downloadWaitsForTheLock() {
    Connected t;
    FakeSdk.LogRecords = Records(2);
    QLockFile other(TDownloadLock::FileName(t.Folder.Path()));
    QVERIFY(other.tryLock(0));
    bool sawWaiting = false;
    int pumps = 0;
    t.Dialogs->OnProcessMessages = [&] {
      if (!other.isLocked()) return;
      sawWaiting = t.Main().Memo4->toPlainText() ==
                   QStringLiteral("Başka bir veri aktarımı sürüyor, bitmesi bekleniyor....");
      QVERIFY(FakeSdk.Calls.isEmpty());
      QVERIFY(!QFile::exists(t.Folder.File(QStringLiteral("veri.txt"))));
      if (++pumps == 3) other.unlock();
    };
    t.Main().BitBtn5->click();
    QVERIFY(sawWaiting);
    QCOMPARE(pumps, 3);
    QCOMPARE(t.Folder.ReadFile(QStringLiteral("veri.txt")), LinesOf(Records(2), 7));
    QCOMPARE(t.Main().Memo4->toPlainText().count('\n'), 1);  // the two lines, no waiting text
    QVERIFY(!QFile::exists(TDownloadLock::FileName(t.Folder.Path())));
  }
};

QTEST_MAIN(TestBatch)
#include "tst_batch.moc"
