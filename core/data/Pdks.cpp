#include "data/Pdks.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include "common/Errors.h"
#include "data/DataSet.h"
#include "data/NameList.h"
#include "data/Transaction.h"

TMyConnection::TMyConnection(const QString& Label)
    : TConnection(TDialect::Server, QStringLiteral("QMYSQL"), Label) {}

TMyConnection::~TMyConnection() {
  TMyConnection::Close();
}

void TMyConnection::Open() {
  Close();
  QSqlDatabase& db = db_;
  db.setHostName(Server);
  db.setDatabaseName(Database);
  db.setUserName(Username);
  db.setPassword(Password);
  db.setPort(Port);
  db.setConnectOptions(QStringLiteral("MYSQL_OPT_CONNECT_TIMEOUT=%1;MYSQL_OPT_READ_TIMEOUT=%2;"
                                      "MYSQL_OPT_WRITE_TIMEOUT=%2")
                           .arg(ConnectTimeout)
                           .arg(ReadTimeout));
  if (!db.open()) {
    const QSqlError e = db.lastError();
    throw EDatabaseError(e.databaseText().isEmpty() ? e.text() : e.databaseText());
  }
  // The driver reads text as UTF-8, and the server converts the names from
  // the table's own character set (latin5, utf8mb4, ...) into the
  // connection's. Said here once more so that no client library default or
  // server setting can leave the connection on another character set and
  // garble the Turkish letters. A server that does not know utf8mb4 gets
  // utf8 (the same letters, all that names use); one that knows neither gets
  // latin5, the personnel program's own character set.
  QString error;
  for (const QString& set : CharacterSets) {
    QSqlQuery names(db);
    if (names.exec(QStringLiteral("SET NAMES ") + set)) {
      characterSet_ = set;
      return;
    }
    error = names.lastError().databaseText();
  }
  db.close();
  throw EDatabaseError(error);
}

void TMyConnection::Close() {
  characterSet_.clear();
  TConnection::Close();
}

bool ConfigurePdksConnection(TMyConnection& Connection, const QString& Server,
                             const QString& Database, const QString& User, const QString& Password,
                             const QString& Port) {
  try {
    Connection.Close();
    Connection.Server = Server;
    Connection.Database = Database;
    Connection.Username = User;
    Connection.Password = Password;
    Connection.Port = StrToInt(Port);
  } catch (const EAppError&) {
    return false;
  }
  return true;
}

bool LookUpPdksName(TDataSet& Query, const QString& CardNo, QString& Name) {
  Query.OpenSQL(QStringLiteral("select * from personel where kartno=?"), {CardNo});
  if (Query.IsEmpty()) return false;
  Query.First();
  Name = Query.FieldByName(QStringLiteral("ad")).AsString() + QLatin1Char(' ') +
         Query.FieldByName(QStringLiteral("soyad")).AsString();
  // The driver reads text as UTF-8: on a latin5 connection (a server that
  // knows neither utf8mb4 nor utf8) a Turkish letter arrives as a
  // replacement character. Such a name would reach the terminal garbled.
  if (Name.contains(QChar::ReplacementCharacter))
    throw EDatabaseError(
        QStringLiteral("Kart No %1: isim Türkçe harfleriyle okunamadı (%2).").arg(CardNo, Name));
  return true;
}

void ImportPdksNames(TNameList& Names, TDataSet& Query, TMyConnection& Connection) {
  // One update per card found, but one commit for them all: a commit of its
  // own made each name wait for the disk. The names are committed on every
  // path, so an error half-way keeps those written before it; a commit that
  // fails loses them all, and the operator is told so with the database's
  // text (after the error that ended the walk, when one did).
  TTransaction names(Names.Connection());
  try {
    TDataSet& list = Names.List();
    for (list.First(); !list.Eof(); list.Next()) {
      const QString card = list.FieldByName(QStringLiteral("kartno")).AsString();
      QString name;
      if (!LookUpPdksName(Query, card, name)) continue;
      Names.SetName(card, name);
    }
  } catch (const EAppError& e) {
    try {
      names.Commit();
    } catch (const EDatabaseError& commit) {
      throw EDatabaseError(e.Text() + QLatin1Char('\n') + commit.Text());
    }
    throw;
  }
  Connection.Close();
  names.Commit();
}

QString MemberListStatement(TMemberStatus Status, const QString& NameFilter) {
  QString status;
  switch (Status) {
    case TMemberStatus::All:
      break;
    case TMemberStatus::Active:
      status = QStringLiteral(" and pe.durum='Aktif' ");
      break;
    case TMemberStatus::Passive:
      status = QStringLiteral(" and pe.durum='pasif' ");
      break;
  }
  // The filtered list leaves out durum, as it always has.
  if (NameFilter.trimmed().isEmpty()) {
    return QStringLiteral(
               "select pe.kartno,CONCAT(pe.ad,' ',pe.soyad) as isim,pe.uyebaslamatarihi,"
               "pe.uyebitistarihi,pe.personelturu,pe.durum from personel as pe where "
               "personelturu='uye' ") +
           status + QStringLiteral("order by kartno");
  }
  return QStringLiteral(
             "select pe.kartno,CONCAT(pe.ad,' ',pe.soyad) as isim,pe.uyebaslamatarihi,"
             "pe.uyebitistarihi,pe.personelturu from personel as pe where personelturu='uye' "
             "and ad like ?") +
         status + QStringLiteral(" order by kartno");
}

int RefreshMemberList(TDataSet& Query, TMemberStatus Status, const QString& NameFilter) {
  const QString filter = NameFilter.trimmed();
  QVariantList params;
  if (!filter.isEmpty()) params << filter + QLatin1Char('%');
  Query.OpenSQL(MemberListStatement(Status, filter), params);
  return Query.RecordCount();
}
