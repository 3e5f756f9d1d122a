// Empty database files made from the SQL scripts in schema/. The build uses
// it (through mkdatabases) to create Data.mdb and Log.mdb beside the program,
// and the test fixtures use it for their own folders, so both get the same
// tables. The program itself never creates a database file.
#pragma once
#include <QString>
#include <QStringList>

// Creates FileName as an SQLite database by running every statement of the
// script SchemaFile (UTF-8). The file is built under a temporary name in the
// same folder and renamed only when the whole script ran, so a failure leaves
// no half-made database. An existing FileName is never overwritten. Throws
// EDatabaseError naming the file on any failure.
void CreateDatabaseFromSchema(const QString& FileName, const QString& SchemaFile);

// The statements of a script, without comments and without the closing ';'.
// A ';' inside quotes, a comment or a trigger body does not end a statement.
QStringList SplitSqlScript(const QString& Script);
