// The names import of 3,000 cards against a loopback MariaDB server, beside
// a bare loop of the same 3,000 look-up queries through Qt SQL. The import
// also writes each name found into Log.mdb, one statement per card, as
// designed. Best of three runs each; the last line is "ratio R" (import
// time over bare-loop time).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>

#include "MariaDb.h"
#include "TestProgram.h"
#include "common/LibFunctions.h"
#include "data/DM.h"
#include "data/Pdks.h"

namespace {

constexpr int kCards = 3000;
constexpr int kRuns = 3;

QString Card(int N) {
  return ZeroFill(QString::number(N), 5);
}

[[noreturn]] void Die(const QString& Text) {
  std::fprintf(stderr, "pdks_bench: %s\n", qPrintable(Text));
  std::exit(1);
}

bool SeedPersonnel(MariaDb& Server) {
  if (!Server.CreateDatabase(QStringLiteral("pdks"), QStringLiteral("pdks"),
                             QStringLiteral("pdks")))
    return false;
  if (!Server.Exec(QStringLiteral("CREATE TABLE personel (id INT AUTO_INCREMENT PRIMARY KEY, "
                                  "kartno VARCHAR(20), ad VARCHAR(40), soyad VARCHAR(40), "
                                  "durum VARCHAR(10), personelturu VARCHAR(10), "
                                  "uyebaslamatarihi DATE, uyebitistarihi DATE, KEY (kartno)) "
                                  "CHARACTER SET latin5"),
                   {}, QStringLiteral("pdks")))
    return false;
  QStringList rows;
  for (int n = 1; n <= kCards; ++n)
    rows << QStringLiteral("('%1',%2,%3,'Aktif','personel')")
                .arg(Card(n), MariaDb::Text(QStringLiteral("Şükrü%1").arg(n)),
                     MariaDb::Text(QStringLiteral("Öztürk")));
  return Server.Exec(QStringLiteral("INSERT INTO personel (kartno,ad,soyad,durum,personelturu) "
                                    "VALUES ") +
                         rows.join(QLatin1Char(',')),
                     {}, QStringLiteral("pdks"));
}

// The program's import over the name list of kCards cards; milliseconds.
qint64 TimeImport(MariaDb& Server, TestFolder& Folder) {
  TfrmDM dm;
  dm.OpenLocalDatabases(Folder.Path(), [](const QString& Text) { qFatal("%s", qPrintable(Text)); });
  ConfigurePdksConnection(dm.MyConnection1, QStringLiteral("127.0.0.1"), QStringLiteral("pdks"),
                          QStringLiteral("pdks"), QStringLiteral("pdks"),
                          QString::number(Server.Port()));
  // Every run writes each name afresh: an update that changes nothing costs
  // the local file nothing and would flatter the figure.
  dm.qry3.ExecuteSQL(QStringLiteral("update temp set isim='terminal adi'"));
  dm.qryisim.OpenSQL(QStringLiteral("select * from temp order by kartno"));
  QElapsedTimer timer;
  timer.start();
  ImportPdksNames(dm.Names, dm.MyQuery1, dm.MyConnection1);
  const qint64 ms = timer.elapsed();
  dm.qry3.OpenSQL(QStringLiteral("select count(*) as n from temp where isim like 'Şükrü%'"));
  if (dm.qry3.FieldByName(QStringLiteral("n")).AsInteger() != kCards) Die("names not imported");
  return ms;
}

// The same look-ups straight through Qt SQL; milliseconds.
qint64 TimeBareLoop(MariaDb& Server) {
  qint64 ms = 0;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), QStringLiteral("bare"));
    db.setHostName(QStringLiteral("127.0.0.1"));
    db.setPort(Server.Port());
    db.setDatabaseName(QStringLiteral("pdks"));
    db.setUserName(QStringLiteral("pdks"));
    db.setPassword(QStringLiteral("pdks"));
    QElapsedTimer timer;
    timer.start();
    if (!db.open()) Die(db.lastError().text());
    int found = 0;
    for (int n = 1; n <= kCards; ++n) {
      QSqlQuery q(db);
      q.prepare(QStringLiteral("select * from personel where kartno=?"));
      q.addBindValue(Card(n));
      if (!q.exec()) Die(q.lastError().text());
      if (q.next() && !(q.value(QStringLiteral("ad")).toString() + QLatin1Char(' ') +
                        q.value(QStringLiteral("soyad")).toString())
                           .isEmpty())
        ++found;
    }
    db.close();
    ms = timer.elapsed();
    if (found != kCards) Die("bare loop found too few");
  }
  QSqlDatabase::removeDatabase(QStringLiteral("bare"));
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ScopedScriptedDialogs dialogs;
  MariaDb server;
  if (!server.Start()) Die(server.Error());
  if (!SeedPersonnel(server)) Die(server.Error());
  TestFolder folder;
  folder.CreateDatabases();
  {
    QStringList values;
    QVariantList params;
    for (int n = 1; n <= kCards; ++n) {
      values << QStringLiteral("(?,'terminal adi')");
      params << Card(n);
    }
    ExecOn(folder.File(QStringLiteral("Log.mdb")),
           QStringLiteral("insert into temp (kartno,isim) values ") + values.join(QLatin1Char(',')),
           params);
  }

  qint64 import = -1, bare = -1;
  for (int run = 0; run < kRuns; ++run) {
    const qint64 i = TimeImport(server, folder);
    const qint64 b = TimeBareLoop(server);
    std::printf("run %d: import %lld ms, bare loop %lld ms\n", run + 1, static_cast<long long>(i),
                static_cast<long long>(b));
    import = import < 0 ? i : std::min(import, i);
    bare = bare < 0 ? b : std::min(bare, b);
  }
  std::printf("import of %d cards: %lld ms (best of %d)\n", kCards, static_cast<long long>(import),
              kRuns);
  std::printf("bare loop of %d look-ups: %lld ms (best of %d)\n", kCards,
              static_cast<long long>(bare), kRuns);
  std::printf("ratio %.2f\n", bare > 0 ? double(import) / double(bare) : 0.0);
  return 0;
}
