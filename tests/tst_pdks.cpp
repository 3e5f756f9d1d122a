// The personnel database against a real MariaDB server: the connection
// set-up, the name look-up and import into temp, the member list, and the
// errors an operator would see.
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTest>

#include "MariaDb.h"
#include "TestFolder.h"
#include "TinyDisk.h"
#include "common/Cleanup.h"
#include "common/Errors.h"
#include "data/DM.h"
#include "data/Pdks.h"

namespace {

const QString kUser = QStringLiteral("pdks");
const QString kPassword = QStringLiteral("gizli");

struct TPerson {
  const char* KartNo;
  const char* Ad;
  const char* Soyad;
  const char* Durum;
  const char* Tur;
};
// Members (uye) and others; names with every kind of trouble: Turkish
// letters, an empty surname, an apostrophe, a card that differs from another
// only in its leading zeros.
const TPerson kPeople[] = {
    {"00001", "Gül", "Şahin", "Aktif", "uye"},    {"00002", "İSMAİL", "ÇAĞLAR", "pasif", "uye"},
    {"00003", "Ayşe", "", "Aktif", "personel"},   {"00004", "Can'an", "Yılmaz", "Aktif", "uye"},
    {"00006", "Hüsnü", "Öztürk", "Aktif", "uye"}, {"00012", "Uzun", "Kart", "pasif", "uye"},
    {"12", "Kısa", "Kart", "Aktif", "personel"},
};

QStringList Column(TDataSet& Q, const QString& Name) {
  QStringList values;
  for (Q.First(); !Q.Eof(); Q.Next()) values << Q.FieldByName(Name).AsString();
  return values;
}

}  // namespace

class TestPdks : public QObject {
  Q_OBJECT
  MariaDb server;
  std::unique_ptr<TestFolder> folder;
  std::unique_ptr<TfrmDM> dm;

  bool Seed(const QString& Database, const QString& Charset) {
    if (!server.CreateDatabase(Database, kUser, kPassword)) return false;
    if (!server.Exec(QStringLiteral("CREATE TABLE personel (id INT AUTO_INCREMENT PRIMARY KEY, "
                                    "kartno VARCHAR(20), ad VARCHAR(40), soyad VARCHAR(40), "
                                    "durum VARCHAR(10), personelturu VARCHAR(10), "
                                    "uyebaslamatarihi DATE, uyebitistarihi DATE) "
                                    "CHARACTER SET ") +
                         Charset,
                     {}, Database))
      return false;
    for (const TPerson& p : kPeople) {
      const QString values = QStringList{MariaDb::Text(QString::fromUtf8(p.KartNo)),
                                         MariaDb::Text(QString::fromUtf8(p.Ad)),
                                         MariaDb::Text(QString::fromUtf8(p.Soyad)),
                                         MariaDb::Text(QString::fromUtf8(p.Durum)),
                                         MariaDb::Text(QString::fromUtf8(p.Tur))}
                                 .join(QLatin1Char(','));
      if (!server.Exec(QStringLiteral("INSERT INTO personel (kartno,ad,soyad,durum,personelturu,"
                                      "uyebaslamatarihi,uyebitistarihi) VALUES (") +
                           values + QStringLiteral(",'2024-01-01','2024-12-31')"),
                       {}, Database))
        return false;
    }
    return true;
  }

  void Configure(const QString& Database = QStringLiteral("pdks5"),
                 const QString& Password = kPassword, int Port = 0) {
    ConfigurePdksConnection(dm->MyConnection1, QStringLiteral("127.0.0.1"), Database, kUser,
                            Password, QString::number(Port ? Port : server.Port()));
  }

  // The name list as the backup leaves it: (kartno, isim) rows of temp.
  void FillNameList(const QList<QPair<QString, QString>>& Rows) {
    for (const auto& [card, name] : Rows)
      ExecOn(folder->File(QStringLiteral("Log.mdb")),
             QStringLiteral("insert into temp (kartno,isim) values (?,?)"), {card, name});
  }
  QStringList NamesInTemp() {
    TDataSet q(QStringLiteral("check"), dm->ADOConnection2);
    q.OpenSQL(QStringLiteral("select kartno || '=' || isim as r from temp order by kartno, rowid"));
    return Column(q, QStringLiteral("r"));
  }

 private slots:
  void initTestCase() {
    // Whoever connects gets latin5 unless the client asks for another
    // character set itself: names must still arrive intact.
    QVERIFY2(server.Start({QStringLiteral("--character-set-server=latin5"),
                           QStringLiteral("--collation-server=latin5_turkish_ci"),
                           QStringLiteral("--skip-character-set-client-handshake")}),
             qPrintable(server.Error()));
    QVERIFY2(Seed(QStringLiteral("pdks5"), QStringLiteral("latin5")), qPrintable(server.Error()));
    QVERIFY2(Seed(QStringLiteral("pdks8"), QStringLiteral("utf8mb4")), qPrintable(server.Error()));
    QVERIFY2(server.CreateDatabase(QStringLiteral("bos"), kUser, kPassword),
             qPrintable(server.Error()));
  }

  void init() {
    folder = std::make_unique<TestFolder>();
    folder->CreateDatabases();
    dm = std::make_unique<TfrmDM>();
    dm->OpenLocalDatabases(folder->Path(), [](const QString& Text) { QFAIL(qPrintable(Text)); });
  }
  void cleanup() {
    dm.reset();
    folder.reset();
  }

  // The port must be a whole number; when it is not, the caller is told (it
  // shows the message; the routine, in the core, has no way to show one), the four values before it
  // are set, the port keeps its earlier value and the caller goes on.
  // Configuring always closes the connection first.
  void configureRules_data() {
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("expectedPort");
    QTest::addColumn<bool>("configured");
    QTest::newRow("number") << "3307" << 3307 << true;
    QTest::newRow("letters") << "abc" << 4000 << false;
    QTest::newRow("empty Port=") << "" << 4000 << false;
  }
  void configureRules() {
    QFETCH(QString, port);
    QFETCH(int, expectedPort);
    QFETCH(bool, configured);
    Configure();
    QString name;
    QVERIFY(LookUpPdksName(dm->MyQuery1, QStringLiteral("00001"), name));
    QVERIFY(dm->MyConnection1.Connected());
    dm->MyConnection1.Port = 4000;
    QCOMPARE(ConfigurePdksConnection(dm->MyConnection1, QStringLiteral("srv"), QStringLiteral("db"),
                                     QStringLiteral("usr"), QStringLiteral("pw"), port),
             configured);
    QVERIFY(!dm->MyConnection1.Connected());
    const TMyConnection& c = dm->MyConnection1;
    QCOMPARE(QStringList({c.Server, c.Database, c.Username, c.Password}),
             QStringList({"srv", "db", "usr", "pw"}));
    QCOMPARE(c.Port, expectedPort);
  }

  // A refused login, an unknown database or table and a server that is not
  // there end the statement with the server's own words.
  void openErrorsGiveTheServersText_data() {
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("deadPort");
    QTest::addColumn<QString>("error");
    QTest::newRow("wrong password") << "pdks5"
                                    << "yanlis" << false
                                    << "MyQuery1: Access denied for user 'pdks'@'127.0.0.1' "
                                       "(using password: YES)";
    QTest::newRow("unknown database") << "yok" << kPassword << false
                                      << "MyQuery1: Access denied for user 'pdks'@'127.0.0.1' to "
                                         "database 'yok'";
    QTest::newRow("no table") << "bos" << kPassword << false
                              << "MyQuery1: Table 'bos.personel' doesn't exist";
    QTest::newRow("no server") << "pdks5" << kPassword << true
                               << "MyQuery1: Can't connect to server on '127.0.0.1'";
  }
  void openErrorsGiveTheServersText() {
    QFETCH(QString, database);
    QFETCH(QString, password);
    QFETCH(bool, deadPort);
    QFETCH(QString, error);
    int port = 0;
    if (deadPort) {
      QTcpServer probe;
      probe.listen(QHostAddress::LocalHost, 0);
      port = probe.serverPort();
    }
    Configure(database, password, port);
    QString name;
    const QString text = ErrorOf([&] { LookUpPdksName(dm->MyQuery1, QStringLiteral("1"), name); });
    // The system's own error number follows a refused connection.
    QCOMPARE(deadPort ? text.left(error.size()) : text, error);
    QVERIFY(!dm->MyQuery1.Active());
  }

  // Names keep their Turkish letters whatever the table's character set,
  // on a server that would otherwise talk latin5 to every client.
  void turkishLettersIntact_data() {
    QTest::addColumn<QString>("database");
    QTest::newRow("latin5 table") << "pdks5";
    QTest::newRow("utf8mb4 table") << "pdks8";
  }
  void turkishLettersIntact() {
    QFETCH(QString, database);
    Configure(database);
    QString name;
    QVERIFY(LookUpPdksName(dm->MyQuery1, QStringLiteral("00002"), name));
    QCOMPARE(name, QStringLiteral("İSMAİL ÇAĞLAR"));
    RefreshMemberList(dm->qrypersonel, TMemberStatus::All, QStringLiteral("gü"));
    QCOMPARE(Column(dm->qrypersonel, QStringLiteral("isim")), QStringList{"Gül Şahin"});
  }

  // The character sets are asked for in order until the server takes one
  // (a name it does not know fails as on a server without it). utf8 carries
  // the Turkish letters as utf8mb4 does; on latin5 the driver cannot read
  // them, so a Turkish name is an error instead of a garbled name.
  void characterSetFallback_data() {
    QTest::addColumn<QStringList>("sets");
    QTest::addColumn<QString>("used");
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("result");  // the name found, or the start of the error
    const QStringList none{"utf9mb4", "utf9"};
    QTest::newRow("utf8mb4") << QStringList{"utf8mb4", "utf8", "latin5"} << "utf8mb4"
                             << "00002"
                             << "İSMAİL ÇAĞLAR";
    QTest::newRow("no utf8mb4") << QStringList{"utf9mb4", "utf8", "latin5"} << "utf8"
                                << "00002"
                                << "İSMAİL ÇAĞLAR";
    QTest::newRow("latin5, plain name") << (none + QStringList{"latin5"}) << "latin5"
                                        << "00012"
                                        << "Uzun Kart";
    QTest::newRow("latin5, Turkish name") << (none + QStringList{"latin5"}) << "latin5"
                                          << "00002"
                                          << "Kart No 00002: isim Türkçe harfleriyle okunamadı (";
    QTest::newRow("none taken") << none << ""
                                << "00002"
                                << "MyQuery1: Unknown character set: 'utf9'";
  }
  void characterSetFallback() {
    QFETCH(QStringList, sets);
    QFETCH(QString, used);
    QFETCH(QString, card);
    QFETCH(QString, result);
    dm->MyConnection1.CharacterSets = sets;
    Configure();
    QString name;
    const QString error = ErrorOf([&] { LookUpPdksName(dm->MyQuery1, card, name); });
    QCOMPARE(error.isEmpty() ? name : error.left(result.size()), result);
    QCOMPARE(dm->MyConnection1.CharacterSet(), used);
    QCOMPARE(dm->MyConnection1.Connected(), !used.isEmpty());
  }

  // The server keeps its temporary files in its own folder, not the shared
  // one that servers of other suites use.
  void serverHasItsOwnTemporaryFolder() {
    Configure();
    dm->MyQuery1.OpenSQL(QStringLiteral("select @@tmpdir as t"));
    QCOMPARE(dm->MyQuery1.FieldByName(QStringLiteral("t")).AsString(),
             server.Folder() + QStringLiteral("/tmp"));
  }

  // Each card of the list as last loaded is looked up exactly as it stands;
  // a found card's name goes on every temp row of that card, the others keep
  // theirs, and the connection is closed at the end.
  void importFillsFoundCards_data() {
    QTest::addColumn<QString>("listStatement");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("whole list") << "select * from temp order by kartno"
                                << QStringList{"00001=Gül Şahin", "00001=Gül Şahin",
                                               "00003=Ayşe ",     "00004=Can'an Yılmaz",
                                               "00012=Uzun Kart", "00099=Yok Kişi"};
    QTest::newRow("search text G")
        << "select * from temp where isim like 'G%' order by kartno"
        << QStringList{"00001=Gül Şahin", "00001=Gül Şahin", "00003=AYSE T",
                       "00004=CANAN",     "00012=old 12",    "00099=Yok Kişi"};
  }
  void importFillsFoundCards() {
    QFETCH(QString, listStatement);
    QFETCH(QStringList, expected);
    FillNameList({{"00001", "GUL TERM"},
                  {"00001", "GUL 2"},
                  {"00003", "AYSE T"},
                  {"00004", "CANAN"},
                  {"00012", "old 12"},
                  {"00099", "Yok Kişi"}});
    Configure();
    dm->qryisim.OpenSQL(listStatement);
    ImportPdksNames(dm->Names, dm->MyQuery1, dm->MyConnection1);
    QCOMPARE(NamesInTemp(), expected);
    QVERIFY(!dm->MyConnection1.Connected());
  }

  // On a full disk the import ends at its first change of a name: the
  // database keeps the page it changes aside first, and that already needs
  // room. No name changes and the error says so with the database's text,
  // also where the walk would have met a name it cannot read further on.
  void fullDiskIsTold_data() {
    QTest::addColumn<QStringList>("sets");  // the connection's character sets
    QTest::newRow("every name readable") << QStringList{"utf8mb4"};
    QTest::newRow("a name unreadable further on") << QStringList{"utf9", "latin5"};
  }
  void fullDiskIsTold() {
    QFETCH(QStringList, sets);
    QTemporaryDir parent;
    TinyDisk disk(parent.path(), 512);
    if (!disk.Mounted())
      QSKIP(qPrintable(QStringLiteral("no small tmpfs here (needs root): ") + disk.Error()));
    // The program folder is made inside the tmpfs.
    dm.reset();
    {
      const QByteArray tmp = qgetenv("TMPDIR");
      qputenv("TMPDIR", QFile::encodeName(parent.path()));
      TScopeExit restore([&tmp] { tmp.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", tmp); });
      folder = std::make_unique<TestFolder>();
    }
    TScopeExit closeFirst([this] {
      dm.reset();
      folder.reset();
    });
    QVERIFY(folder->Path().startsWith(parent.path()));
    folder->CreateDatabases();
    dm = std::make_unique<TfrmDM>();
    dm->OpenLocalDatabases(folder->Path(), [](const QString& Text) { QFAIL(qPrintable(Text)); });
    FillNameList({{"00012", "old 12"}, {"12", "kisa"}});
    const QStringList before = NamesInTemp();
    dm->MyConnection1.CharacterSets = sets;
    Configure();
    dm->qryisim.OpenSQL(QStringLiteral("select * from temp order by kartno"));
    QVERIFY(disk.FillLeaving(0));

    const QString text =
        ErrorOf([&] { ImportPdksNames(dm->Names, dm->MyQuery1, dm->MyConnection1); });
    QVERIFY2(text.startsWith(QStringLiteral("qry3: database or disk is full")), qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("okunamadı")), qPrintable(text));
    QCOMPARE(NamesInTemp(), before);
  }

  // The member list for each status button and name filter, ordered by card.
  // The filtered statement leaves out durum.
  void memberList_data() {
    QTest::addColumn<TMemberStatus>("status");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("cards");
    QTest::addColumn<bool>("hasDurum");
    const auto all = TMemberStatus::All, active = TMemberStatus::Active,
               passive = TMemberStatus::Passive;
    QTest::newRow("Tüm") << all << "" << QStringList{"00001", "00002", "00004", "00006", "00012"}
                         << true;
    QTest::newRow("Aktif") << active << "  " << QStringList{"00001", "00004", "00006"} << true;
    QTest::newRow("Pasif") << passive << "" << QStringList{"00002", "00012"} << true;
    QTest::newRow("Tüm, name") << all << " hü " << QStringList{"00006"} << false;
    QTest::newRow("Pasif, name") << passive << "u" << QStringList{"00012"} << false;
    QTest::newRow("Aktif, none") << active << "İs" << QStringList{} << false;
    QTest::newRow("apostrophe") << all << "Can'" << QStringList{"00004"} << false;
  }
  void memberList() {
    QFETCH(TMemberStatus, status);
    QFETCH(QString, filter);
    QFETCH(QStringList, cards);
    QFETCH(bool, hasDurum);
    Configure();
    QCOMPARE(RefreshMemberList(dm->qrypersonel, status, filter), cards.size());
    QCOMPARE(Column(dm->qrypersonel, QStringLiteral("kartno")), cards);
    QCOMPARE(dm->qrypersonel.FieldIndex(QStringLiteral("durum")) >= 0, hasDurum);
    QVERIFY(dm->MyConnection1.Connected());  // the member list leaves it open
  }

  // The server's rows are read as the statement says (no local row
  // identity) and are never written through a dataset.
  void serverRowsAreReadOnly() {
    Configure();
    dm->MyQuery1.OpenSQL(QStringLiteral("select * from personel order by id"));
    QCOMPARE(dm->MyQuery1.RecordCount(), 7);
    QCOMPARE(dm->MyQuery1.FieldNames().first(), QStringLiteral("id"));
    QCOMPARE(dm->MyQuery1.GetBookmark(), TDataSet::TBookmark(0));
    QCOMPARE(ErrorOf([&] { dm->MyQuery1.Edit(); }),
             QStringLiteral("MyQuery1: Cannot modify a read-only dataset"));
  }

  // A server that accepts the connection but never answers gives an error
  // after the connect time-out instead of blocking for ever.
  void silentServerTimesOut() {
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
    Configure(QStringLiteral("pdks5"), kPassword, silent.serverPort());
    QElapsedTimer timer;
    timer.start();
    QString name;
    const QString text = ErrorOf([&] { LookUpPdksName(dm->MyQuery1, QStringLiteral("1"), name); });
    QVERIFY2(text.startsWith(QStringLiteral("MyQuery1: ")), qPrintable(text));
    QVERIFY2(timer.elapsed() < 3 * TMyConnection::ConnectTimeout * 1000,
             qPrintable(QString::number(timer.elapsed())));
  }

  // Last: a server stopped in the middle of the import stops it with the
  // error; the names written before stay and the connection is not closed.
  void serverStoppedDuringImport() {
    FillNameList({{"00001", "a"}, {"00002", "b"}, {"00004", "c"}});
    Configure();
    dm->qryisim.OpenSQL(QStringLiteral("select * from temp order by kartno"));
    int lookups = 0;
    dm->MyQuery1.AfterOpen = [&] {
      if (++lookups == 2) server.Stop();
    };
    const QString text =
        ErrorOf([&] { ImportPdksNames(dm->Names, dm->MyQuery1, dm->MyConnection1); });
    QVERIFY2(text.startsWith(QStringLiteral("MyQuery1: ")), qPrintable(text));
    QCOMPARE(NamesInTemp(), QStringList({"00001=Gül Şahin", "00002=İSMAİL ÇAĞLAR", "00004=c"}));
    QCOMPARE(dm->qryisim.FieldByName(QStringLiteral("kartno")).AsString(), QStringLiteral("00004"));
    QVERIFY(dm->MyConnection1.Connected());
    QVERIFY2(server.Restart(), qPrintable(server.Error()));
  }
};

QTEST_GUILESS_MAIN(TestPdks)
#include "tst_pdks.moc"
