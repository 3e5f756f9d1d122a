// vterminal keeps its state across restarts, and seeds plausible data.
#include "SimFixture.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

class TestSimState : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QVERIFY2(fk_.load(), qPrintable(fk_.library.errorString())); }

  // Every change is on disk before its answer: a hard kill loses nothing.
  void stateSurvivesRestart() {
    QTemporaryDir dir;
    VTerminal vt(dir.path());
    QVERIFY(vt.start({"--machine", "3", "--password", "77"}));
    int h = fk_.connectLocal(vt.port(), 3, 77);
    QVERIFY(h > 0);
    QCOMPARE(fk_.FK_EnableDevice(h, 0), 1);
    QCOMPARE(vt.state().value("enabled").toBool(true), false);

    QByteArray face(20080, '\0');
    for (int i = 0; i < face.size(); ++i) face[i] = char(i * 7);
    QByteArray card(40, '\0');
    unsigned char bells[FK_BELL_BLOCK_SIZE];
    for (int i = 0; i < FK_BELL_BLOCK_SIZE; ++i) bells[i] = static_cast<unsigned char>(255 - i);
    QCOMPARE(fk_.FK_PutEnrollData(h, 5, 12, 2, reinterpret_cast<unsigned char*>(face.data()), 0),
             1);
    QCOMPARE(
        fk_.FK_PutEnrollData(h, 5, 11, 2, reinterpret_cast<unsigned char*>(card.data()), 99887766),
        1);
    QCOMPARE(fk_.FK_PutEnrollData(h, 5, 0, 2, reinterpret_cast<unsigned char*>(face.data()), 0), 1);
    QCOMPARE(fk_.FK_DeleteEnrollData(h, 5, 0), 1);
    QCOMPARE(fk_.FK_EnableUser(h, 5, 11, 0), 1);
    QCOMPARE(fk_.FK_SetUserName(h, 5,
                                "\xC7"
                                "a\xF0r\xFD"),
             1);  // Çağrı
    QCOMPARE(fk_.FK_SetBellTime(h, 3, bells), 1);
    QCOMPARE(fk_.FK_SetDeviceTime(h, 40000.5), 1);  // 2009-07-06 12:00
    vt.kill();

    QJsonObject saved = vt.state();
    QCOMPARE(saved.value("enabled").toBool(true), false);
    QCOMPARE(saved.value("names").toObject().value("5").toString(), QString("Çağrı"));

    QVERIFY(vt.start());  // machine number and password come from the state file
    h = fk_.connectLocal(vt.port(), 3, 77);
    QVERIFY(h > 0);
    QByteArray back(face.size(), '\0');
    int privilege = 0, value = 0;
    QCOMPARE(fk_.FK_GetEnrollData(h, 5, 12, &privilege,
                                  reinterpret_cast<unsigned char*>(back.data()), &value),
             1);
    QCOMPARE(back, face);
    QCOMPARE(privilege, 2);
    QCOMPARE(fk_.FK_GetEnrollData(h, 5, 11, &privilege,
                                  reinterpret_cast<unsigned char*>(back.data()), &value),
             1);
    QCOMPARE(value, 99887766);
    QCOMPARE(fk_.FK_GetEnrollData(h, 5, 0, &privilege,
                                  reinterpret_cast<unsigned char*>(back.data()), &value),
             -8);  // deleted before the restart
    int n = 0, b = 0, p = 0, enabled = 0;
    QCOMPARE(fk_.FK_ReadAllUserID(h), 1);
    QCOMPARE(fk_.FK_GetAllUserID(h, &n, &b, &p, &enabled), 1);
    QCOMPARE(QList<int>({n, b, p, enabled}), QList<int>({5, 11, 2, 0}));
    char name[FK_USER_NAME_BUFFER];
    char* at = name;
    QCOMPARE(fk_.FK_GetUserName(h, 5, &at), 1);
    QCOMPARE(QByteArray(name), QByteArray("\xC7"
                                          "a\xF0r\xFD"));
    int count = 0;
    unsigned char bellsBack[FK_BELL_BLOCK_SIZE];
    QCOMPARE(fk_.FK_GetBellTime(h, &count, bellsBack), 1);
    QCOMPARE(count, 9);  // 3 entries kept, reported three times over
    QCOMPARE(QByteArray(reinterpret_cast<char*>(bellsBack), FK_BELL_BLOCK_SIZE),
             QByteArray(reinterpret_cast<char*>(bells), FK_BELL_BLOCK_SIZE));
    double now = 0;
    QCOMPARE(fk_.FK_GetDeviceTime(h, &now), 1);
    QVERIFY(now >= 40000.5 && now < 40000.51);

    QCOMPARE(fk_.FK_EnableDevice(h, 1), 1);
    QCOMPARE(vt.state().value("enabled").toBool(false), true);
  }

  void unreadableStateIsRefused() {
    QTemporaryDir dir;
    VTerminal vt(dir.path());
    QFile f(vt.statePath());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("{ not json");
    f.close();
    QVERIFY(!vt.start());
    QVERIFY(vt.error().contains("state.json"));
  }

  void seedingMakesPlausibleData() {
    QTemporaryDir dir;
    VTerminal vt(dir.path());
    QVERIFY(vt.start({"--seed-users", "25", "--seed-records", "300"}));
    QJsonObject s = vt.state();

    QString allNames;
    for (const QJsonValue& v : s.value("names").toObject()) allNames += v.toString() + ' ';
    for (QChar c : QString("çğıİöşü")) QVERIFY2(allNames.contains(c), qPrintable(QString(c)));
    QCOMPARE(s.value("names").toObject().size(), 25);

    // Every item reads back with the template size of its backup number.
    int h = fk_.connectLocal(vt.port());
    QSet<int> backups;
    QByteArray tpl(20080, '\0');
    for (const QJsonValue& v : s.value("items").toArray()) {
      const int n = v[0].toInt(), b = v[1].toInt();
      int privilege = 0, value = 0;
      QCOMPARE(fk_.FK_GetEnrollData(h, n, b, &privilege,
                                    reinterpret_cast<unsigned char*>(tpl.data()), &value),
               1);
      backups << b;
    }
    static const QRegularExpression sized(
        "^FK_GetEnrollData\\(\\d+, (\\d+)\\) = 1 .* data=<(\\d+):");
    int checked = 0;
    for (const QString& line : vt.journal()) {
      auto m = sized.match(line);
      if (!m.hasMatch()) continue;
      const int b = m.captured(1).toInt();
      QCOMPARE(m.captured(2).toInt(), b == 10 || b == 11 ? 40 : b == 12 ? 20080 : 1680);
      ++checked;
    }
    QCOMPARE(checked, s.value("items").toArray().size());
    QVERIFY(backups.contains(0) && backups.contains(10) && backups.contains(11) &&
            backups.contains(12));

    QCOMPARE(fk_.FK_LoadGeneralLogData(h, 0), 1);
    int r[9], records = 0;
    QDate previous, today = QDate::currentDate();
    while (fk_.FK_GetGeneralLogData_1(h, r, r + 1, r + 2, r + 3, r + 4, r + 5, r + 6, r + 7,
                                      r + 8) == 1) {
      QDate date(r[3], r[4], r[5]);
      QVERIFY(date.isValid() && date <= today && date.daysTo(today) < 92);
      QVERIFY(!previous.isValid() || previous <= date);  // oldest first
      QVERIFY(r[0] >= 1 && r[0] <= 25);
      previous = date;
      ++records;
    }
    QCOMPARE(records, 300);
  }

 private:
  FkApi fk_;
};

QTEST_GUILESS_MAIN(TestSimState)
#include "tst_sim_state.moc"
