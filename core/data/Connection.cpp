#include "data/Connection.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>

#include "common/Errors.h"
#include "data/Journals.h"
#include "data/TurkishText.h"

TConnection::TConnection(TDialect Dialect, const QString& Driver, const QString& Label)
    : dialect_(Dialect),
      // Qt keeps its connections by name: the object's address makes the
      // name its own, so two data modules or two test fixtures never meet.
      name_(QStringLiteral("%1@%2").arg(Label).arg(quintptr(this), 0, 16)) {
  db_ = QSqlDatabase::addDatabase(Driver, name_);
}

TConnection::~TConnection() {
  TConnection::Close();
  db_ = QSqlDatabase();  // Qt removes a connection only when no copy is left
  QSqlDatabase::removeDatabase(name_);
}

void TConnection::Close() {
  ForgetStatements();
  if (db_.isValid()) db_.close();
}

QString TConnection::ToEngineDialect(const QString& Statement) const {
  // Neither engine takes Jet's "delete * from"; the rest is sent as written.
  static const QRegularExpression deleteStar(QStringLiteral("^\\s*delete\\s+\\*\\s+from\\b"),
                                             QRegularExpression::CaseInsensitiveOption);
  QString text = Statement;
  return text.replace(deleteStar, QStringLiteral("delete from"));
}

// A server's own words name the fault best ("Access denied for user ...");
// the local files keep the driver's full text.
QString TConnection::ErrorText(const QSqlError& Error) const {
  if (dialect_ == TDialect::Server && !Error.databaseText().isEmpty()) return Error.databaseText();
  return Error.text();
}

QSqlQuery TConnection::Run(const QString& Text, const QVariantList& Params, QString& Error) {
  if (!db_.isOpen()) {
    try {
      OpenOnDemand();
    } catch (const EAppError& e) {
      Error = e.Text();
      return QSqlQuery(db_);
    }
  }
  if (!db_.isOpen()) {
    Error = QStringLiteral("Operation is not allowed when the object is closed");
    return QSqlQuery(db_);
  }
  constexpr int kMostStatements = 64;
  const bool keep = IsLocalFile();
  const bool kept = keep && statements_.contains(Text);
  QSqlQuery q = kept ? statements_.value(Text) : QSqlQuery(db_);
  if (!kept) {
    q.setForwardOnly(true);
    if (!q.prepare(Text)) {
      Error = ErrorText(q.lastError());
      return q;
    }
    if (keep) {
      if (statements_.size() >= kMostStatements) statements_.clear();
      statements_.insert(Text, q);
    }
  }
  for (int i = 0; i < Params.size(); ++i) q.bindValue(i, Params[i]);
  if (!q.exec()) {
    Error = ErrorText(q.lastError());
    if (keep) statements_.remove(Text);
  }
  return q;
}

// ---- TADOConnection ---------------------------------------------------------

TADOConnection::TADOConnection(const QString& Label)
    : TConnection(TDialect::LocalFile, QStringLiteral("QSQLITE"), Label) {}

TADOConnection::~TADOConnection() = default;

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

// True for an error of a file or folder that may not be written: SQLite
// says "attempt to write a readonly database" when the file opened for
// reading only, and cannot open its journal in a folder that refuses new
// files.
static bool WriteRefused(const QSqlError& Error) {
  constexpr int kReadOnly = 8;   // SQLITE_READONLY
  constexpr int kCantOpen = 14;  // SQLITE_CANTOPEN
  bool ok = false;
  const int code = Error.nativeErrorCode().toInt(&ok) & 0xff;
  return ok && (code == kReadOnly || code == kCantOpen);
}

void TADOConnection::OpenFile(const QString& FileName, const QString& Options) {
  db_.setDatabaseName(QUrl::fromLocalFile(FileName).toString(QUrl::FullyEncoded) + Options);
  db_.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
  if (!db_.open()) throw EDatabaseError(db_.lastError().text());
  RegisterTurkishText(db_);
}

// Opens the file for reading only, as it stands, without any log beside
// it: for a folder that cannot be written.
void TADOConnection::OpenAsItStands(const QString& FileName) {
  OpenFile(FileName, QStringLiteral("?mode=ro&immutable=1"));
  QSqlQuery probe(db_);
  if (!probe.exec(QStringLiteral("select count(*) from sqlite_master"))) {
    const QString text = probe.lastError().text();
    probe.finish();
    Close();
    throw EDatabaseError(text);
  }
}

// True when a transaction of some connection is writing the open file:
// its journal is then no leftover. SQLite's own test, through its file.
static bool SomeoneWrites(const QSqlDatabase& Db) {
  const QVariant handle = Db.driver() ? Db.driver()->handle() : QVariant();
  if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) return true;
  sqlite3* db = *static_cast<sqlite3* const*>(handle.data());
  sqlite3_file* file = nullptr;
  if (!db || sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
      !file || !file->pMethods)
    return true;
  int reserved = 0;
  return file->pMethods->xCheckReservedLock(file, &reserved) != SQLITE_OK || reserved != 0;
}

void TADOConnection::Open(const QString& FileName) {
  if (!MayBeDatabase(FileName))
    throw EDatabaseError(
        QStringLiteral("%1: file is not a database").arg(QDir::toNativeSeparators(FileName)));
  Close();
  notice_.clear();
  folder_ = QDir::toNativeSeparators(QFileInfo(FileName).absolutePath());
  const QString name = QFileInfo(FileName).fileName();
  // Says the leftover named Suffix is not mixed in: set aside, or where the
  // folder refuses that, left where it is (false).
  const auto setAside = [&](const QString& Suffix) {
    const QString aside = SetAside(FileName, Suffix);
    const QString notMixed =
        QStringLiteral(
            "%1 dosyasının yanındaki %2%3 bu dosyaya ait değildi (başka ya "
            "da daha eski bir dosyadan kalmıştı); içindekiler dosyaya katılmadı")
            .arg(QDir::toNativeSeparators(FileName), name, Suffix);
    if (!notice_.isEmpty()) notice_ += QLatin1Char('\n');
    if (aside.isEmpty()) {
      notice_ += notMixed + QStringLiteral(", klasöre yazılamadığı için yerinde bırakıldı.");
      return false;
    }
    notice_ += notMixed + QStringLiteral(", %1 adıyla saklandı.").arg(QFileInfo(aside).fileName());
    return true;
  };
  const TJournalFit wal = JudgeWal(FileName);
  if (wal == TJournalFit::Foreign && !setAside(QStringLiteral("-wal"))) {
    // SQLite would replay it at the first read: the file is read without.
    OpenAsItStands(FileName);
    return;
  }
  // Opened by URI in read-write mode: SQLite would otherwise create a
  // missing file, and the program never creates a database. Opening reads
  // nothing yet, so a journal left beside the file is judged before SQLite
  // rolls it back at the first read.
  OpenFile(FileName, QStringLiteral("?mode=rw"));
  const TJournalFit journal = SomeoneWrites(db_) ? TJournalFit::Nothing : JudgeJournal(FileName);
  if (journal == TJournalFit::Foreign && !setAside(QStringLiteral("-journal"))) {
    Close();
    OpenAsItStands(FileName);
    return;
  }
  // Operators copy these files, so each commit goes into the file itself
  // (a rollback journal) rather than into a log beside it. A file an earlier
  // version left in log mode is changed over here: SQLite first writes the
  // log that fits it into it and then removes the log.
  QSqlQuery mode(db_);
  if (mode.exec(QStringLiteral("PRAGMA journal_mode=DELETE")) && mode.next()) {
    const QString now = mode.value(0).toString();
    mode.finish();
    if (now.compare(QLatin1String("delete"), Qt::CaseInsensitive) == 0) return;
    Close();
    throw EDatabaseError(QStringLiteral("%1: the journal mode stays %2; another program may hold "
                                        "the file open")
                             .arg(QDir::toNativeSeparators(FileName), now));
  }
  const QSqlError error = mode.lastError();
  mode.finish();
  Close();
  // A file left in log mode cannot even be read in a folder that refuses
  // the log's index; without a log or a journal of its own it reads as it
  // stands.
  if (!WriteRefused(error)) throw EDatabaseError(error.text());
  if (wal == TJournalFit::Fits || journal == TJournalFit::Fits)
    throw EDatabaseError(
        QStringLiteral("Klasöre yazılamıyor: %1 (%2 dosyasının yanındaki %2%3 "
                       "dosyaya işlenmeden okunamaz)")
            .arg(folder_, name,
                 wal == TJournalFit::Fits ? QStringLiteral("-wal") : QStringLiteral("-journal")));
  OpenAsItStands(FileName);
}

QString TADOConnection::ErrorText(const QSqlError& Error) const {
  const QString text = TConnection::ErrorText(Error);
  if (!WriteRefused(Error) || folder_.isEmpty()) return text;
  return QStringLiteral("Klasöre yazılamıyor: %1 (%2)").arg(folder_, text);
}
