// From the personnel database to the terminal: a backup from a seeded
// vterminal, the names import from a real MariaDB server, and "Tüm Personel
// Adlarını Terminale Yükle"; the terminal then holds the personnel names in
// plain Latin letters.
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include "MariaDb.h"
#include "SimFixture.h"
#include "TestProgram.h"

class TestE2EPdks : public QObject {
  Q_OBJECT
 private slots:
  void personnelNamesReachTheTerminal() {
    MariaDb server;
    QVERIFY2(server.Start(), qPrintable(server.Error()));
    QVERIFY2(server.CreateDatabase(QStringLiteral("pdks"), QStringLiteral("pdks"),
                                   QStringLiteral("pdks")),
             qPrintable(server.Error()));
    QVERIFY2(
        server.Exec(QStringLiteral("CREATE TABLE personel (kartno VARCHAR(20), ad VARCHAR(40), "
                                   "soyad VARCHAR(40)) CHARACTER SET latin5"),
                    {}, QStringLiteral("pdks")),
        qPrintable(server.Error()));
    const QList<QStringList> people = {
        {"00001", "Gül", "Şahin"}, {"00002", "İSMAİL", "ÇAĞLAR"}, {"00003", "Hüsnü", "Öztürk"}};
    for (const QStringList& p : people)
      QVERIFY2(server.Exec(QStringLiteral("INSERT INTO personel VALUES ('%1',%2,%3)")
                               .arg(p[0], MariaDb::Text(p[1]), MariaDb::Text(p[2])),
                           {}, QStringLiteral("pdks")),
               qPrintable(server.Error()));

    QTemporaryDir dir;
    VTerminal vt(dir.path());
    QVERIFY2(vt.start({"--seed-users", "5"}), qPrintable(vt.error()));
    const QJsonObject before = vt.state().value("names").toObject();

    TestProgram t(true, TSdk::Library);
    t.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("1"),
                         QStringLiteral("ethernet"), {}, {}, QStringLiteral("127.0.0.1"),
                         QString::number(vt.port()));
    t.Folder.WriteFile(QStringLiteral("Settings.ini"),
                       QStringLiteral("[Login]\r\nServer=127.0.0.1\r\nDatabase=pdks\r\n[MySql]\r\n"
                                      "User=pdks\r\nPassword=pdks\r\nPort=%1\r\n")
                           .arg(server.Port())
                           .toLatin1());
    t.Start();
    TfrmEnrol& w = *t.Program->Enrol;
    t.Main().BitBtn4->click();  // connect
    w.FormShow();
    w.BitBtn1Click();
    QCOMPARE(w.lblMessage->text(), QStringLiteral("GetEnrollData OK"));
    w.SpeedButton1Click();
    w.BitBtn5Click();
    QCOMPARE(w.lblMessage->text(), QStringLiteral("SetUserName OK"));
    QVERIFY2(t.Shown().isEmpty(), qPrintable(t.Shown().join('|')));

    const QJsonObject names = vt.state().value("names").toObject();
    QCOMPARE(names.value("1").toString(), QStringLiteral("Gul Sahin"));
    QCOMPARE(names.value("2").toString(), QStringLiteral("ISMAIL CAGLAR"));
    QCOMPARE(names.value("3").toString(), QStringLiteral("Husnu Ozturk"));
    // Cards without a person keep the terminal's name, in plain letters too.
    for (const char* user : {"4", "5"}) {
      const QString name = names.value(user).toString();
      QCOMPARE(name.size(), before.value(user).toString().size());
      for (const QChar c : name) QVERIFY2(c.unicode() < 128, qPrintable(name));
    }
  }
};

QTEST_MAIN(TestE2EPdks)
#include "tst_e2e_pdks.moc"
