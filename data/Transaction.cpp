#include "data/Transaction.h"

#include <QSqlDatabase>
#include <QSqlError>

#include "common/Errors.h"

TTransaction::TTransaction(QString ConnectionName) : connection_(std::move(ConnectionName)) {
  QSqlDatabase db = QSqlDatabase::database(connection_, false);
  if (!db.isOpen()) throw EDatabaseError(QStringLiteral("Operation is not allowed when the object is closed"));
  if (!db.transaction()) throw EDatabaseError(db.lastError().text());
  open_ = true;
}

TTransaction::~TTransaction() { Rollback(); }

void TTransaction::Commit() {
  if (!open_) return;
  QSqlDatabase db = QSqlDatabase::database(connection_, false);
  if (!db.commit()) {
    const QString error = db.lastError().text();
    Rollback();
    throw EDatabaseError(error);
  }
  open_ = false;
}

void TTransaction::Rollback() {
  if (!open_) return;
  open_ = false;
  QSqlDatabase::database(connection_, false).rollback();
}
