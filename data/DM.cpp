#include "data/DM.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include "common/Dialogs.h"
#include "common/Errors.h"

TfrmDM* frmDM = nullptr;

namespace {
int instances = 0;
}

TADOConnection::TADOConnection(QString Name) : name_(std::move(Name)) {
  QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
}

TADOConnection::~TADOConnection() {
  Close();
  QSqlDatabase::removeDatabase(name_);
}

void TADOConnection::Open(const QString& FileName) {
  QSqlDatabase db = QSqlDatabase::database(name_, false);
  db.close();
  // Opened by URI in read-write mode: SQLite would otherwise create a
  // missing file, and the program never creates a database.
  db.setDatabaseName(QUrl::fromLocalFile(FileName).toString(QUrl::FullyEncoded) +
                     QStringLiteral("?mode=rw"));
  db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
  if (!db.open()) throw EDatabaseError(db.lastError().text());
  QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_mode=WAL"));
}

void TADOConnection::Close() {
  QSqlDatabase db = QSqlDatabase::database(name_, false);
  if (db.isValid()) db.close();
}

bool TADOConnection::Connected() const { return QSqlDatabase::database(name_, false).isOpen(); }

static QString ConnectionName(const char* Base) {
  return QStringLiteral("%1#%2").arg(QLatin1String(Base)).arg(instances);
}

TfrmDM::TfrmDM()
    : ADOConnection1((++instances, ConnectionName("Data.mdb"))),
      ADOConnection2(ConnectionName("Log.mdb")),
      qrycihaz(QStringLiteral("qrycihaz"), ADOConnection1.Name(), this),
      DataSource3(QStringLiteral("DataSource3"), &qrycihaz, this),
      ADOQuery1(QStringLiteral("ADOQuery1"), ADOConnection1.Name(), this),
      qryisim(QStringLiteral("qryisim"), ADOConnection2.Name(), this),
      dsisim(QStringLiteral("dsisim"), &qryisim, this),
      ADOQuery2(QStringLiteral("ADOQuery2"), ADOConnection2.Name(), this),
      qry3(QStringLiteral("qry3"), ADOConnection2.Name(), this) {
  setObjectName(QStringLiteral("frmDM"));
  frmDM = this;
}

TfrmDM::~TfrmDM() {
  if (frmDM == this) frmDM = nullptr;
}

void TfrmDM::OpenLocalDatabases(const QString& AppPath) {
  const QString dataFile = AppPath + QStringLiteral("Data.mdb");
  if (QFile::exists(dataFile)) {
    ADOConnection1.Close();
    ADOConnection1.Open(dataFile);
  } else {
    Dlg().MessageBox(QStringLiteral("Data dosyası bulunamadı....."), QStringLiteral("UYARI"),
                     MB_OK | MB_ICONINFORMATION);
  }
  const QString logFile = AppPath + QStringLiteral("Log.mdb");
  if (QFile::exists(logFile)) {
    ADOConnection2.Close();
    ADOConnection2.Open(logFile);
  } else {
    Dlg().MessageBox(QStringLiteral("Log dosyası bulunamadı....."), QStringLiteral("UYARI"),
                     MB_OK | MB_ICONINFORMATION);
  }
  qrycihaz.OpenSQL(QStringLiteral("select * from Terminal order by Terminal"));
}
