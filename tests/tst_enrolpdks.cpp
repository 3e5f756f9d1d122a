// The enrollment window's personnel-database controls against a real
// MariaDB server: the names import button and the membership tab, with the
// settings read at the window's showing.
#include <QFile>
#include <QTest>

#include "MariaDb.h"
#include "TestProgram.h"
#include "data/DM.h"

namespace {

const char* const kImportWarning = "Önce \"Terminalden Parmakizi Datası Al\" butonuna bas...";
const char* const kConfigureFailed = "Veritabanına bağlanamadı....";

QByteArray SettingsFor(const QString& Port) {
  return QStringLiteral(
             "[Login]\r\nServer=127.0.0.1\r\nDatabase=pdks\r\n[MySql]\r\nUser=pdks\r\n"
             "Password=pdks\r\nPort=%1\r\n")
      .arg(Port)
      .toLatin1();
}

}  // namespace

class TestEnrolPdks : public QObject {
  Q_OBJECT
  MariaDb server;
  std::unique_ptr<TestProgram> t;

  TfrmEnrol& Window() { return *t->Program->Enrol; }
  // The window shown with these settings (none: no Settings.ini).
  TfrmEnrol& Show(const QByteArray& Settings) {
    if (!Settings.isNull()) t->Folder.WriteFile(QStringLiteral("Settings.ini"), Settings);
    Window().FormShow();
    t->Dialogs->Clear();
    return Window();
  }
  QByteArray Good() const { return SettingsFor(QString::number(server.Port())); }

 private slots:
  void initTestCase() {
    QVERIFY2(server.Start(), qPrintable(server.Error()));
    QVERIFY2(server.CreateDatabase(QStringLiteral("pdks"), QStringLiteral("pdks"),
                                   QStringLiteral("pdks")),
             qPrintable(server.Error()));
    QVERIFY2(
        server.Exec(QStringLiteral("CREATE TABLE personel (kartno VARCHAR(20), ad VARCHAR(40), "
                                   "soyad VARCHAR(40), durum VARCHAR(10), personelturu "
                                   "VARCHAR(10), uyebaslamatarihi DATE, uyebitistarihi DATE) "
                                   "CHARACTER SET latin5"),
                    {}, QStringLiteral("pdks")),
        qPrintable(server.Error()));
    const QStringList rows = {
        QStringLiteral("('00001',%1,%2,'Aktif','uye','2024-01-01','2024-12-31')")
            .arg(MariaDb::Text("Gül"), MariaDb::Text("Şahin")),
        QStringLiteral("('00002',%1,%2,'pasif','uye','2023-01-01','2023-12-31')")
            .arg(MariaDb::Text("Ümit"), MariaDb::Text("Çelik")),
        QStringLiteral("('00003',%1,%2,'Aktif','personel',NULL,NULL)")
            .arg(MariaDb::Text("Ayşe"), MariaDb::Text("Yılmaz"))};
    QVERIFY2(server.Exec(QStringLiteral("INSERT INTO personel VALUES ") + rows.join(','), {},
                         QStringLiteral("pdks")),
             qPrintable(server.Error()));
  }
  void init() {
    t = std::make_unique<TestProgram>();
    for (const auto& [card, name] :
         {std::pair{"00001", "AYSE"}, {"00002", "UMIT"}, {"00003", "Ay3"}, {"00009", "Yok"}})
      ExecOn(t->Folder.File(QStringLiteral("Log.mdb")),
             QStringLiteral("insert into temp (kartno,isim) values (?,?)"),
             {QString::fromLatin1(card), QString::fromLatin1(name)});
    t->Start();
  }
  void cleanup() { t.reset(); }

  // The import sets the connection up first and only then checks the list:
  // a bad port shows its message and the import goes on to the warning.
  void importWithoutListWarns_data() {
    QTest::addColumn<bool>("badPort");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("good settings") << false << QStringList{kImportWarning};
    QTest::newRow("port of letters") << true << QStringList{kConfigureFailed, kImportWarning};
  }
  void importWithoutListWarns() {
    QFETCH(bool, badPort);
    QFETCH(QStringList, shown);
    TfrmEnrol& w = Show(badPort ? SettingsFor(QStringLiteral("abc")) : Good());
    w.SpeedButton1Click();
    QCOMPARE(t->Shown(), shown);
    for (const ShownDialog& d : t->Dialogs->Shown) {
      QCOMPARE(d.Title, QStringLiteral("UYARI"));
      QCOMPARE(d.Flags, MB_OK);
    }
    QVERIFY(!frmDM->qryisim.Active());
    QVERIFY(w.SpeedButton1->isEnabled());
  }

  // With a search text, only the listed cards are looked up; the list is
  // reloaded with the new names and the connection closed.
  void importFillsTheListedNames() {
    TfrmEnrol& w = Show(Good());
    w.Edit8->setText(QStringLiteral("A"));  // AYSE, Ay3
    QCOMPARE(w.Label7->text(), QStringLiteral("2"));
    w.SpeedButton1Click();
    QVERIFY2(t->Shown().isEmpty(), qPrintable(t->Shown().join('|')));
    QCOMPARE(w.Label7->text(), QStringLiteral("1"));  // Ayşe Yılmaz still begins with A
    w.Edit8->clear();
    QStringList names;
    for (frmDM->qryisim.First(); !frmDM->qryisim.Eof(); frmDM->qryisim.Next())
      names << frmDM->qryisim.FieldByName(QStringLiteral("isim")).AsString();
    QCOMPARE(names, QStringList({"Gül Şahin", "UMIT", "Ayşe Yılmaz", "Yok"}));
    QVERIFY(!frmDM->MyConnection1.Connected());
  }

  // "Bağlan" lists the members with their count; the filters reload the list
  // on the connection as it stands.
  void memberTab() {
    TfrmEnrol& w = Show(Good());
    QCOMPARE(w.Label36->text(), QString());
    w.BitBtn10Click();
    QCOMPARE(w.Label36->text(), QStringLiteral("2"));
    QCOMPARE(w.DBGrid5->model()->columnCount(), 4);
    QCOMPARE(w.DBGrid5->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("İsim"));
    QCOMPARE(w.DBGrid5->model()->index(0, 1).data().toString(), QStringLiteral("Gül Şahin"));
    w.RadioButton9->click();
    QCOMPARE(w.Label36->text(), QStringLiteral("1"));
    w.RadioButton7->click();
    w.Edit5->setText(QStringLiteral("gü"));
    QCOMPARE(w.Label36->text(), QStringLiteral("1"));
    QVERIFY(t->Shown().isEmpty());
  }

  // A port of letters: "Bağlan" says so and still lists, on the earlier port;
  // with no Settings.ini the port is 3306 and the server's error is shown.
  void connectButtonWithBadSettings() {
    TfrmEnrol& w = Show(Good());
    w.BitBtn10Click();
    w.Edit5->setText(QStringLiteral("Ü"));
    QCOMPARE(w.Label36->text(), QStringLiteral("1"));
    Show(SettingsFor(QStringLiteral("")));
    w.BitBtn10->click();
    QCOMPARE(t->Shown(), QStringList{kConfigureFailed});
    QCOMPARE(t->Dialogs->Shown[0].Title, QStringLiteral("UYARI"));
    QCOMPARE(t->Dialogs->Shown[0].Flags, MB_OK);
    QCOMPARE(w.Label36->text(), QStringLiteral("1"));
    QCOMPARE(frmDM->MyConnection1.Port, server.Port());

    QVERIFY(QFile::remove(t->Folder.File(QStringLiteral("Settings.ini"))));
    Show(QByteArray());
    w.BitBtn10->click();
    QCOMPARE(frmDM->MyConnection1.Port, 3306);
    // No server on this machine's socket, or one without a database chosen.
    QCOMPARE(t->Dialogs->Shown.size(), 1);
    QCOMPARE(t->Dialogs->Shown[0].Flags, MB_ICONERROR);
    QCOMPARE(w.Label36->text(), QStringLiteral("1"));  // kept
  }
};

QTEST_MAIN(TestEnrolPdks)
#include "tst_enrolpdks.moc"
