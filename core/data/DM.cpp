#include "data/DM.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include "common/Errors.h"
#include "data/TurkishText.h"

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

// False for a file that is there but is not a SQLite database: not a
// regular file, or not starting as every SQLite database does. SQLite itself
// would take an empty file for a new database and write one into it, and
// would wait for ever on a FIFO. A missing or unreadable file is left to
// SQLite, which says why.
static bool MayBeDatabase(const QString& FileName) {
  const QFileInfo info(FileName);
  if (!info.exists()) return true;
  if (!info.isFile()) return false;
  QFile f(FileName);
  if (!f.open(QIODevice::ReadOnly)) return true;
  return f.read(16) == QByteArray("SQLite format 3", 16);
}

void TADOConnection::Open(const QString& FileName) {
  if (!MayBeDatabase(FileName))
    throw EDatabaseError(
        QStringLiteral("%1: file is not a database").arg(QDir::toNativeSeparators(FileName)));
  ForgetStatements(name_);
  QSqlDatabase db = QSqlDatabase::database(name_, false);
  db.close();
  // Opened by URI in read-write mode: SQLite would otherwise create a
  // missing file, and the program never creates a database.
  db.setDatabaseName(QUrl::fromLocalFile(FileName).toString(QUrl::FullyEncoded) +
                     QStringLiteral("?mode=rw"));
  db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
  if (!db.open()) throw EDatabaseError(db.lastError().text());
  RegisterTurkishText(db);
  QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_mode=WAL"));
}

void TADOConnection::Close() {
  ForgetStatements(name_);
  QSqlDatabase db = QSqlDatabase::database(name_, false);
  if (db.isValid()) db.close();
}

bool TADOConnection::Connected() const {
  return QSqlDatabase::database(name_, false).isOpen();
}

// Each data module gets connection names of its own.
static QString ConnectionName(const char* Base, int Instance) {
  return QStringLiteral("%1#%2").arg(QLatin1String(Base)).arg(Instance);
}

TfrmDM::TfrmDM()
    : ADOConnection1(ConnectionName("Data.mdb", ++instances)),
      ADOConnection2(ConnectionName("Log.mdb", instances)),
      qrycihaz(QStringLiteral("qrycihaz"), ADOConnection1.Name(), this),
      DataSource3(QStringLiteral("DataSource3"), &qrycihaz, this),
      ADOQuery1(QStringLiteral("ADOQuery1"), ADOConnection1.Name(), this),
      qryisim(QStringLiteral("qryisim"), ADOConnection2.Name(), this),
      dsisim(QStringLiteral("dsisim"), &qryisim, this),
      ADOQuery2(QStringLiteral("ADOQuery2"), ADOConnection2.Name(), this),
      qry3(QStringLiteral("qry3"), ADOConnection2.Name(), this),
      // ---- Personnel database ----
      MyConnection1(ConnectionName("PDKS", instances)),
      MyQuery1(QStringLiteral("MyQuery1"), MyConnection1.Name(), this),
      qrypersonel(QStringLiteral("qrypersonel"), MyConnection1.Name(), this),
      dspersonel(QStringLiteral("dspersonel"), &qrypersonel, this) {
  // ---- end of the personnel database ----
  setObjectName(QStringLiteral("frmDM"));
  frmDM = this;
}

TfrmDM::~TfrmDM() {
  if (frmDM == this) frmDM = nullptr;
}

// Opens one file when it exists; otherwise hands MissingText on and leaves
// the connection unopened.
static void OpenIfPresent(TADOConnection& Connection, const QString& FileName,
                          const QString& MissingText,
                          const std::function<void(const QString&)>& Missing) {
  if (QFile::exists(FileName)) {
    Connection.Close();
    Connection.Open(FileName);
  } else {
    Missing(MissingText);
  }
}

void TfrmDM::OpenLocalDatabases(const QString& AppPath,
                                const std::function<void(const QString& Text)>& Missing) {
  OpenIfPresent(ADOConnection1, AppPath + QStringLiteral("Data.mdb"),
                QStringLiteral("Data dosyası bulunamadı....."), Missing);
  OpenIfPresent(ADOConnection2, AppPath + QStringLiteral("Log.mdb"),
                QStringLiteral("Log dosyası bulunamadı....."), Missing);
  qrycihaz.OpenSQL(QStringLiteral("select * from Terminal order by Terminal"));
}
