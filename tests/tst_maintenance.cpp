// The maintenance commands of the main window against the fake SDK: their
// exact call sequences, their messages and how each handles a failed disable.
#include <QRegularExpression>
#include <QTest>

#include "TestProgram.h"
#include "common/DayCount.h"

namespace {

const QString kE0 = QStringLiteral("FK_EnableDevice(17,0)");
const QString kE1 = QStringLiteral("FK_EnableDevice(17,1)");

// 1 January 2024, 08:05:09 as the terminal sends it.
const double kClock = 45292.0 + (8 * 3600 + 5 * 60 + 9) / 86400.0;

}  // namespace

class TestMaintenance : public QObject {
  Q_OBJECT
 private slots:
  void commands_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("failing");  // entry points answering -2, once each
    QTest::addColumn<int>("answer");           // to the erase question
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("shown");
    const QString set = QStringLiteral("FK_SetDeviceTime(17,now)");
    const QString get = QStringLiteral("FK_GetDeviceTime(17)");
    const QString benumb = QStringLiteral("FK_BenumbAllManager(17)");
    const QString empty = QStringLiteral("FK_EmptyEnrollData(17)");
    const QString clear = QStringLiteral("FK_ClearKeeperData(17)");
    const QString ask =
        QStringLiteral("Seçili Terminaldeki Tüm Parmakizlerini Silmek İstiyor musunuz...?");
    const QStringList disable{QStringLiteral("FK_EnableDevice")};
    auto row = [](const char* name, const char* command, QStringList failing, int answer,
                  QStringList calls, QStringList shown) {
      QTest::newRow(name) << command << failing << answer << calls << shown;
    };
    row("set clock", "BitBtn6", {}, 0, {kE0, set, kE1}, {"cihaz tarih saati ayarlandı.."});
    row("set clock fails", "BitBtn6", {"FK_SetDeviceTime"}, 0, {kE0, set, kE1},
        {"HATA...tarih saat ayarlanamadı.."});
    row("set clock, disable fails", "BitBtn6", disable, 0, {kE0}, {});
    row("read clock", "BitBtn7", {}, 0, {kE0, get, kE1}, {"01.01.2024 08:05:09"});
    row("read clock fails", "BitBtn7", {"FK_GetDeviceTime"}, 0, {kE0, get, kE1}, {});
    row("read clock, disable fails", "BitBtn7", disable, 0, {kE0}, {});
    row("cancel admins", "BitBtn8", {}, 0, {kE0, benumb, kE1}, {"Adminler iptal edildi"});
    row("cancel admins fails", "BitBtn8", {"FK_BenumbAllManager"}, 0, {kE0, benumb, kE1}, {"hata"});
    row("cancel admins, disable fails", "BitBtn8", disable, 0, {kE0, kE1}, {"hata"});
    row("erase, yes", "erase", {}, IDYES, {kE0, empty, clear, kE1}, {ask, "tamamlandı"});
    row("erase, no", "erase", {}, IDNO, {}, {ask});
    row("erase fails: no clear", "erase", {"FK_EmptyEnrollData"}, IDYES, {kE0, empty, kE1},
        {ask, "hata"});
    row("erase, disable fails", "erase", disable, IDYES, {kE0}, {ask});
    row("erase all, no question", "eraseAll", {}, 0, {kE0, empty, kE1},
        {"tüm parmak/yüz'ler sislindi.."});
    row("erase all fails", "eraseAll", {"FK_EmptyEnrollData"}, 0, {kE0, empty, kE1},
        {"HATA!!!!İşlem yapılamadı...."});
    row("erase all, disable fails: goes on", "eraseAll", disable, 0, {kE0, empty, kE1},
        {"tüm parmak/yüz'ler sislindi.."});
  }
  void commands() {
    QFETCH(QString, command);
    QFETCH(QStringList, failing);
    QFETCH(int, answer);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, shown);
    TestProgram t;
    t.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("1"), QStringLiteral("usb"));
    t.Start();
    Tfrmgiris& w = t.Main();
    w.BitBtn4->click();
    FakeSdk.Calls.clear();
    FakeSdk.DeviceTime = kClock;
    for (const QString& name : failing) FakeSdk.Queued[name] = {-2};
    if (answer) t.Dialogs->Answers << answer;

    const QDateTime before = QDateTime::currentDateTime();
    if (command == QLatin1String("erase"))
      w.mnuParmakizleriniSil->trigger();
    else if (command == QLatin1String("eraseAll"))
      w.mnuParmakYuzSil->trigger();
    else
      w.findChild<QPushButton*>(command)->click();
    const QDateTime after = QDateTime::currentDateTime();

    // The clock sent is the PC's local time at the press.
    static const QRegularExpression setTime(QStringLiteral("^FK_SetDeviceTime\\(17,(.*)\\)$"));
    for (QString& call : FakeSdk.Calls) {
      const auto m = setTime.match(call);
      if (!m.hasMatch()) continue;
      const double sent = m.captured(1).toDouble();
      QVERIFY(sent >= DateTimeToDayCount(before) && sent <= DateTimeToDayCount(after));
      call = QStringLiteral("FK_SetDeviceTime(17,now)");
    }
    QCOMPARE(FakeSdk.Calls, calls);
    QCOMPARE(t.Shown(), shown);
    for (const ShownDialog& d : t.Dialogs->Shown)
      if (d.Kind == QLatin1String("MessageBox")) {
        QCOMPARE(d.Title, QStringLiteral("UYARI"));
        QCOMPARE(d.Flags, MB_YESNO);
      } else {
        QCOMPARE(d.Kind, QStringLiteral("ShowMessage"));  // plain messages
      }
    for (QPushButton* b : {w.BitBtn6, w.BitBtn7, w.BitBtn8, w.BitBtn4}) QVERIFY(b->isEnabled());
    QVERIFY(w.mnuParmakYuzSil->isEnabled());
  }

  // Without a connection the clear-log item names no terminal (none, or the
  // one disconnected before) and asks nothing: it says so and calls nothing.
  void clearLogWithoutConnection_data() {
    QTest::addColumn<bool>("connectedBefore");
    QTest::newRow("never connected") << false;
    QTest::newRow("disconnected") << true;
  }
  void clearLogWithoutConnection() {
    QFETCH(bool, connectedBefore);
    TestProgram t;
    t.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("1"), QStringLiteral("usb"));
    t.Start();
    Tfrmgiris& w = t.Main();
    if (connectedBefore) {
      w.BitBtn4->click();
      QCOMPARE(w.BitBtn4->text(), QStringLiteral("BAGLANTI_KES"));
      w.BitBtn4->click();
      QCOMPARE(w.BitBtn4->text(), QStringLiteral("BAGLAN"));
    }
    FakeSdk.Calls.clear();
    t.Dialogs->Shown.clear();
    t.Dialogs->Answers = {IDYES};
    w.mnuTumVerileriAlSil->trigger();
    QCOMPARE(FakeSdk.Calls, QStringList{});
    QCOMPARE(t.Dialogs->Shown.size(), 1);
    QCOMPARE(t.Dialogs->Shown[0].Text, QStringLiteral("Bağlı terminal yok...."));
    QCOMPARE(t.Dialogs->Shown[0].Title, QStringLiteral("UYARI"));
    QCOMPARE(t.Dialogs->Shown[0].Flags, MB_OK | MB_ICONWARNING);
    QVERIFY(!QFile::exists(t.Folder.File(QStringLiteral("veri.txt"))));
    QVERIFY(!w.BitBtn5->isEnabled());
  }

  // A day count turns into a time rounded to the millisecond: a value a hair
  // below a whole second still shows that second.
  void dayCounts_data() {
    QTest::addColumn<double>("days");
    QTest::addColumn<QString>("shown");
    QTest::newRow("08:05:09") << kClock << "01.01.2024 08:05:09.000";
    QTest::newRow("a hair below") << kClock - 1e-10 << "01.01.2024 08:05:09.000";
    QTest::newRow("just before midnight") << 45292.0 - 1e-10 << "01.01.2024 00:00:00.000";
    QTest::newRow("with milliseconds") << 45292.5 + 123.0 / 86400000 << "01.01.2024 12:00:00.123";
    QTest::newRow("day zero") << 0.0 << "30.12.1899 00:00:00.000";
    QTest::newRow("before day zero") << -1.25 << "29.12.1899 06:00:00.000";
  }
  void dayCounts() {
    QFETCH(double, days);
    QFETCH(QString, shown);
    const QDateTime value = DayCountToDateTime(days);
    QCOMPARE(value.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss.zzz")), shown);
    if (days >= 0) QCOMPARE(DayCountToDateTime(DateTimeToDayCount(value)), value);
  }
};

QTEST_MAIN(TestMaintenance)
#include "tst_maintenance.moc"
