#include "data/Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include "common/Cleanup.h"
#include "common/Errors.h"
#include "data/TurkishText.h"

namespace {

[[noreturn]] void Fail(const QString& FileName, const QString& Why) {
  throw EDatabaseError(
      QStringLiteral("Cannot create %1: %2").arg(QDir::toNativeSeparators(FileName), Why));
}

// True when Statement is a CREATE TRIGGER whose body has not reached its END
// yet, so the ';' just met belongs to the body.
bool InTriggerBody(const QString& Statement) {
  const QStringList words = Statement.simplified().toUpper().split(QLatin1Char(' '));
  if (words.size() < 2 || words[0] != QLatin1String("CREATE")) return false;
  int at = 1;
  if (words[at] == QLatin1String("TEMP") || words[at] == QLatin1String("TEMPORARY")) ++at;
  if (at >= words.size() || words[at] != QLatin1String("TRIGGER")) return false;
  return words.back() != QLatin1String("END");
}

// Runs the statements on a connection of its own to DbFile; the connection
// is closed and dropped on every path, so the file can be renamed after.
void RunStatements(const QString& FileName, const QString& DbFile, const QStringList& Statements) {
  const QString name = QStringLiteral("schema:") + DbFile;
  TScopeExit drop([&] { QSqlDatabase::removeDatabase(name); });
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
  db.setDatabaseName(DbFile);
  if (!db.open()) Fail(FileName, db.lastError().text());
  RegisterTurkishText(db);  // the text columns declare the Turkish collation
  TScopeExit close([&] { db.close(); });
  for (const QString& statement : Statements) {
    QSqlQuery q(db);
    if (!q.exec(statement))
      Fail(FileName, q.lastError().text() + QStringLiteral(" in: ") + statement);
  }
}

}  // namespace

QStringList SplitSqlScript(const QString& Script) {
  QStringList statements;
  QString current;
  const auto finish = [&] {
    if (!current.trimmed().isEmpty()) statements << current.trimmed();
    current.clear();
  };
  const int n = Script.size();
  for (int i = 0; i < n; ++i) {
    const QChar c = Script[i];
    const QChar next = i + 1 < n ? Script[i + 1] : QChar();
    if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
      while (i < n && Script[i] != QLatin1Char('\n')) ++i;
      current += QLatin1Char('\n');
    } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
      const int end = Script.indexOf(QStringLiteral("*/"), i + 2);
      i = end < 0 ? n : end + 1;
      current += QLatin1Char(' ');
    } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`') ||
               c == QLatin1Char('[')) {
      // A doubled quote inside a literal reads as closing and reopening it,
      // which keeps it whole as well.
      const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
      const int end = Script.indexOf(close, i + 1);
      const int last = end < 0 ? n - 1 : end;
      current += Script.mid(i, last - i + 1);
      i = last;
    } else if (c == QLatin1Char(';') && !InTriggerBody(current)) {
      finish();
    } else {
      current += c;
    }
  }
  finish();
  return statements;
}

void CreateDatabaseFromSchema(const QString& FileName, const QString& SchemaFile) {
  QFile schema(SchemaFile);
  if (!schema.open(QIODevice::ReadOnly))
    Fail(FileName, QStringLiteral("cannot read %1").arg(QDir::toNativeSeparators(SchemaFile)));
  const QByteArray script = schema.readAll();
  if (schema.error() != QFileDevice::NoError)
    Fail(FileName, QStringLiteral("cannot read %1").arg(QDir::toNativeSeparators(SchemaFile)));
  const QStringList statements = SplitSqlScript(QString::fromUtf8(script));
  if (statements.isEmpty())
    Fail(FileName,
         QStringLiteral("%1 holds no statement").arg(QDir::toNativeSeparators(SchemaFile)));
  if (QFileInfo(FileName).exists() || QFileInfo(FileName).isSymLink())
    Fail(FileName, QStringLiteral("the file already exists"));

  // Beside the target, so the final rename stays within one file system;
  // the process id keeps two builds from sharing it. SQLite creates it with
  // the usual permissions of a new file.
  const QString partial =
      QStringLiteral("%1.%2.partial").arg(FileName).arg(QCoreApplication::applicationPid());
  // Journal files of a crashed run under the same name would be replayed
  // into the new file, so they go with it.
  const auto removePartial = [&] {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
      QFile::remove(partial + QLatin1String(suffix));
  };
  removePartial();
  TScopeExit cleanUp(removePartial);
  RunStatements(FileName, partial, statements);
  // After the close the main file holds everything. rename() never replaces
  // an existing file, so one made meanwhile is kept as well.
  if (!QFile::rename(partial, FileName))
    Fail(FileName, QFileInfo::exists(FileName)
                       ? QStringLiteral("the file already exists")
                       : QStringLiteral("cannot rename %1").arg(QDir::toNativeSeparators(partial)));
}
