#include "data/RowStatements.h"

#include <QRegularExpression>

namespace {

// Names go into the statement quoted, so a column named like a keyword or
// holding a quote still names that column.
QString Quoted(const QString& Identifier) {
  return QLatin1Char('"') + QString(Identifier).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
         QLatin1Char('"');
}

QStringList QuotedAll(const QStringList& Names) {
  QStringList quoted;
  for (const QString& name : Names) quoted << Quoted(name);
  return quoted;
}

}  // namespace

QString RowIdColumn() {
  return QStringLiteral("__rowid__");
}

QString SelectWithRowId(const QString& Statement, QString& Table) {
  static const QRegularExpression selectAllFrom(
      QStringLiteral("^\\s*select\\s+\\*\\s+from\\s+(\\w+)"),
      QRegularExpression::CaseInsensitiveOption);
  Table.clear();
  const QRegularExpressionMatch m = selectAllFrom.match(Statement);
  if (!m.hasMatch()) return Statement;
  Table = m.captured(1);
  return QStringLiteral("SELECT rowid AS ") + RowIdColumn() + QStringLiteral(", * FROM ") +
         Statement.mid(m.capturedStart(1));
}

QString ReadRowStatement(const QString& Table) {
  return QStringLiteral("SELECT * FROM ") + Quoted(Table) + QStringLiteral(" WHERE rowid=?");
}

QString InsertRowStatement(const QString& Table, const QStringList& Columns) {
  QString text = QStringLiteral("INSERT INTO ") + Quoted(Table);
  if (Columns.isEmpty()) return text + QStringLiteral(" DEFAULT VALUES");
  return text + QStringLiteral(" (") + QuotedAll(Columns).join(QLatin1Char(',')) +
         QStringLiteral(") VALUES (") +
         QStringList(Columns.size(), QStringLiteral("?")).join(QLatin1Char(',')) + QLatin1Char(')');
}

QString UpdateRowsStatement(const QString& Table, const QStringList& Columns,
                            const QStringList& KeyColumns) {
  QStringList where;
  // IS rather than =: a key value may be null and must still find its rows.
  for (const QString& key : KeyColumns) where << Quoted(key) + QStringLiteral(" IS ?");
  if (where.isEmpty()) where << QStringLiteral("rowid=?");
  return QStringLiteral("UPDATE ") + Quoted(Table) + QStringLiteral(" SET ") +
         QuotedAll(Columns).join(QStringLiteral("=?,")) + QStringLiteral("=? WHERE ") +
         where.join(QStringLiteral(" AND "));
}

QString DeleteRowStatement(const QString& Table) {
  return QStringLiteral("DELETE FROM ") + Quoted(Table) + QStringLiteral(" WHERE rowid=?");
}
