// mkdatabases SCHEMA_DIR TARGET_DIR
//
// Creates each database of SCHEMA_DIR (Data.sql gives Data.mdb, Log.sql gives
// Log.mdb) in TARGET_DIR when it is missing, and prints the files it created.
// An existing database is never touched: it holds the operator's terminals
// and enroll data. The build runs it after every build of the program.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "common/Errors.h"
#include "data/Schema.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: mkdatabases SCHEMA_DIR TARGET_DIR\n");
    return 2;
  }
  const QDir schemaDir(args[1]);
  const QDir targetDir(args[2]);
  if (!QDir().mkpath(targetDir.absolutePath())) {
    std::fprintf(stderr, "mkdatabases: cannot create %s\n", qPrintable(targetDir.absolutePath()));
    return 1;
  }
  for (const char* name : {"Data", "Log"}) {
    const QString target = targetDir.absoluteFilePath(QLatin1String(name) + QStringLiteral(".mdb"));
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) continue;
    try {
      CreateDatabaseFromSchema(
          target, schemaDir.absoluteFilePath(QLatin1String(name) + QStringLiteral(".sql")));
    } catch (const EAppError& e) {
      std::fprintf(stderr, "mkdatabases: %s\n", e.what());
      return 1;
    }
    std::printf("Created %s\n", qPrintable(QDir::toNativeSeparators(target)));
  }
  return 0;
}
