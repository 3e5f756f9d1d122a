#include "data/Transaction.h"

#include <sqlite3.h>

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QVariant>

#include "common/Errors.h"
#include "data/Connection.h"

namespace {

// False when the connection is an SQLite one that is back in autocommit mode,
// that is, no transaction is open on it any more.
bool InTransaction(const QSqlDatabase& Db) {
  const QVariant handle = Db.driver() ? Db.driver()->handle() : QVariant();
  if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) return true;
  sqlite3* db = *static_cast<sqlite3* const*>(handle.data());
  return db && sqlite3_get_autocommit(db) == 0;
}

}  // namespace

TTransaction::TTransaction(TConnection& Connection) : connection_(Connection) {
  QSqlDatabase db = connection_.SqlDatabase();
  if (!db.isOpen())
    throw EDatabaseError(QStringLiteral("Operation is not allowed when the object is closed"));
  if (!db.transaction()) throw EDatabaseError(connection_.ErrorText(db.lastError()));
  open_ = true;
  CheckActive();
}

TTransaction::~TTransaction() {
  Rollback();
}

void TTransaction::CheckActive() {
  if (!open_) throw EDatabaseError(QStringLiteral("No transaction is active"));
  if (InTransaction(connection_.SqlDatabase())) return;
  open_ = false;
  throw EDatabaseError(QStringLiteral("The database rolled the transaction back"));
}

void TTransaction::Commit() {
  CheckActive();
  QSqlDatabase db = connection_.SqlDatabase();
  if (!db.commit()) {
    const QString error = connection_.ErrorText(db.lastError());
    Rollback();
    throw EDatabaseError(error);
  }
  open_ = false;
}

void TTransaction::Rollback() {
  if (!open_) return;
  open_ = false;
  connection_.SqlDatabase().rollback();
}
