// A real damaged database file: one page in the middle of a table's B-tree
// overwritten on disk, the file's header and every other page intact, as a
// bad sector or a torn copy leaves it. SQLite reads the rows before that page
// and then stops with an error.
#pragma once
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QUuid>

#include "data/TurkishText.h"

struct TPageDamage {
  int Page = 0;         // page overwritten; 0 when the table fits one page
  bool Intact = false;  // what the integrity check said afterwards
  int RowsBefore = 0;   // rows a plain walk of the table read before it stopped
  QString Error;        // the engine's error that stopped the walk
};

namespace damage_detail {

inline quint32 BigEndian(const QByteArray& B, int At, int Bytes) {
  quint32 v = 0;
  for (int i = 0; i < Bytes; ++i) v = (v << 8) | static_cast<quint8>(B[At + i]);
  return v;
}

// Runs F on a connection of its own to File, closed and dropped afterwards.
template <class F>
void WithConnection(const QString& File, F Use) {
  const QString name = QStringLiteral("damage:") + QUuid::createUuid().toString();
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(File);
    if (db.open()) {
      RegisterTurkishText(db);  // the integrity check reads the Turkish indexes too
      Use(db);
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(name);
}

inline QVariant Value(QSqlDatabase& Db, const QString& Statement) {
  QSqlQuery q(Db);
  return q.exec(Statement) && q.next() ? q.value(0) : QVariant();
}

}  // namespace damage_detail

// Overwrites the page header of the leaf page in the middle of Table in the
// SQLite file File, then says what the engine makes of it. Everything written
// so far is first moved from the write-ahead log into the file.
inline TPageDamage DamageMiddlePage(const QString& File, const QString& Table) {
  using namespace damage_detail;
  TPageDamage d;
  int pageSize = 0, root = 0;
  WithConnection(File, [&](QSqlDatabase& Db) {
    Value(Db, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    pageSize = Value(Db, QStringLiteral("PRAGMA page_size")).toInt();
    root = Value(Db, QStringLiteral("select rootpage from sqlite_master where type='table' and "
                                    "name='%1'")
                         .arg(Table))
               .toInt();
  });
  QFile f(File);
  if (pageSize <= 0 || root <= 1 || !f.open(QIODevice::ReadWrite)) return d;
  // Down the interior pages (type 5), always through the middle child.
  int page = root;
  for (;;) {
    f.seek(qint64(page - 1) * pageSize);
    const QByteArray p = f.read(pageSize);
    if (p.size() != pageSize || p[0] != 0x05) break;
    const int cells = static_cast<int>(BigEndian(p, 3, 2));
    const int cell = static_cast<int>(BigEndian(p, 12 + 2 * (cells / 2), 2));
    page = static_cast<int>(BigEndian(p, cell, 4));
  }
  if (page == root) return d;
  // An impossible page type, free-block offset and cell count.
  f.seek(qint64(page - 1) * pageSize);
  if (f.write(QByteArray(8, '\xFF')) != 8 || !f.flush()) return d;
  f.close();
  d.Page = page;
  WithConnection(File, [&](QSqlDatabase& Db) {
    d.Intact =
        Value(Db, QStringLiteral("PRAGMA integrity_check")).toString() == QLatin1String("ok");
    QSqlQuery q(Db);
    if (!q.exec(QStringLiteral("select * from ") + Table)) {
      d.Error = q.lastError().text();
      return;
    }
    while (q.next()) ++d.RowsBefore;
    d.Error = q.lastError().isValid() ? q.lastError().text() : QString();
  });
  return d;
}
