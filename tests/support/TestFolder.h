// A temporary program folder with Data.mdb and Log.mdb made from schema/, for
// suites of the core and of the windows alike.
#pragma once
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>

#include "FakeSdk.h"
#include "common/Errors.h"
#include "data/DM.h"

// Creates a database file from a schema script of schema/ ("Data", "Log").
void CreateDatabase(const QString& FileName, const QString& SchemaName);
// Runs a statement on a database file through a connection of its own.
void ExecOn(const QString& FileName, const QString& Statement, const QVariantList& Params = {});

class TestFolder {
 public:
  TestFolder();
  QString Path() const { return dir_.path() + QLatin1Char('/'); }
  QString File(const QString& Name) const { return Path() + Name; }
  void CreateDatabases(bool Data = true, bool Log = true);
  void WriteFile(const QString& Name, const QByteArray& Bytes) const;
  QByteArray ReadFile(const QString& Name) const;
  // Adds a Terminal row; columns as text, in the table's order after id.
  void AddTerminal(const QString& Name, const QString& No, const QString& Tip,
                   const QString& ComPort = QStringLiteral("1"),
                   const QString& ComBaud = QStringLiteral("9600"),
                   const QString& Ip = QStringLiteral("192.168.0.100"),
                   const QString& NetPort = QStringLiteral("5005"),
                   const QString& Sifre = QStringLiteral("0"));

 private:
  QTemporaryDir dir_;
};

// The text of the error Action throws; empty when it throws none.
inline QString ErrorOf(const std::function<void()>& Action) {
  try {
    Action();
  } catch (const EAppError& e) {
    return e.Text();
  }
  return {};
}

// A folder with fresh Data.mdb and Log.mdb, each open on a connection of its
// own ("data" and "log"), for suites that use the data layer without windows.
struct TLocalDatabases {
  TLocalDatabases() {
    Folder.CreateDatabases();
    Data.Open(Folder.File(QStringLiteral("Data.mdb")));
    Log.Open(Folder.File(QStringLiteral("Log.mdb")));
  }
  TestFolder Folder;
  TADOConnection Data{QStringLiteral("data")};
  TADOConnection Log{QStringLiteral("log")};
};

// The same with the fake terminal behind a binding connected as handle 17,
// for suites of the core's terminal routines. Torn down binding first.
struct TDatabasesAndFakeTerminal {
  TLocalDatabases Db;
  ScopedFakeSdk Fakes;
  TFakeConnectedSdk Sdk{17};
};
