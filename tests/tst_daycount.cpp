// Day counts as the terminal sends its clock: every value that is no date of
// the years 1 to 9999 is a clear error, never an integer conversion out of
// range; "Tarih-Saat Oku" shows that error and enables the terminal again.
#include <QTest>
#include <cmath>
#include <limits>

#include "TestProgram.h"
#include "common/DayCount.h"

class TestDayCount : public QObject {
  Q_OBJECT
 private slots:
  void range_data() {
    QTest::addColumn<double>("days");
    QTest::addColumn<QString>("shown");  // empty: an error naming the value
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("first day") << -693593.0 << "01.01.0001 00:00:00";
    QTest::newRow("last moment") << 2958465.0 + 86399.0 / 86400 << "31.12.9999 23:59:59";
    QTest::newRow("NaN") << std::nan("") << "";
    QTest::newRow("infinite") << inf << "";
    QTest::newRow("minus infinite") << -inf << "";
    QTest::newRow("huge") << 1e300 << "";
    QTest::newRow("beyond the largest integer") << 1e19 << "";
    QTest::newRow("hugely negative") << -1e300 << "";
    QTest::newRow("the day after 9999") << 2958466.0 << "";
    QTest::newRow("the day before year 1") << -693594.0 << "";
  }
  void range() {
    QFETCH(double, days);
    QFETCH(QString, shown);
    QString value;
    const QString error = ErrorOf(
        [&] { value = DayCountToDateTime(days).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")); });
    if (shown.isEmpty()) {
      QCOMPARE(
          error,
          QStringLiteral("Geçersiz tarih-saat değeri: %1").arg(QString::number(days, 'g', 17)));
    } else {
      QCOMPARE(error, QString());
      QCOMPARE(value, shown);
    }
  }

  void readClockOfNoDate() {
    TestProgram t;
    t.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("7"), QStringLiteral("usb"));
    t.Start();
    t.Main().BitBtn4->click();
    FakeSdk.Calls.clear();
    FakeSdk.DeviceTime = std::nan("");
    t.Main().BitBtn7->click();
    QCOMPARE(t.Shown(), QStringList{QStringLiteral("Geçersiz tarih-saat değeri: nan.")});
    QCOMPARE(FakeSdk.Calls.last(), QStringLiteral("FK_EnableDevice(17,1)"));
    QVERIFY(t.Main().BitBtn7->isEnabled());
  }
};

QTEST_MAIN(TestDayCount)
#include "tst_daycount.moc"
