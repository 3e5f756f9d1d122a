// The statements a dataset writes one row back to its table with, and the
// reading of a statement they need: which table it reads, and how to read
// the same rows with each row's identity (the table's rowid).
#pragma once
#include <QString>
#include <QStringList>

// The name of the hidden column that carries a row's rowid.
QString RowIdColumn();

// A plain "select * from Table ..." can be written back to: it is read with
// the table's rowid as a hidden first column. Gives that statement and sets
// Table; any other statement comes back as it is, with Table empty.
QString SelectWithRowId(const QString& Statement, QString& Table);

// Every statement below takes its values as bound parameters ('?'), in the
// order of the columns named, then the row's rowid or key values.
QString ReadRowStatement(const QString& Table);  // one row by rowid
QString InsertRowStatement(const QString& Table, const QStringList& Columns);
// Sets Columns on the row with a rowid, or with key columns on every row
// holding the key values.
QString UpdateRowsStatement(const QString& Table, const QStringList& Columns,
                            const QStringList& KeyColumns);
QString DeleteRowStatement(const QString& Table);  // one row by rowid
