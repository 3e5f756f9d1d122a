// The program built over a temporary program folder of its own: Data.mdb and
// Log.mdb made from schema/, an optional Settings.ini, scripted dialogs and
// the fake SDK. Tests then call handlers and read the controls.
#pragma once
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>

#include "FakeSdk.h"
#include "app/Program.h"
#include "common/Errors.h"
#include "common/ScriptedDialogs.h"

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

// Which terminal SDK the program talks to: the fake entry points, or the
// libraries found beside the test program (the stand-ins and vterminal).
enum class TSdk { Fake, Library };

class TestProgram {
 public:
  explicit TestProgram(bool WithDatabases = true, TSdk Sdk = TSdk::Fake) {
    if (Sdk == TSdk::Fake) FakeSdkInUse.emplace();
    if (WithDatabases) Folder.CreateDatabases();
  }
  ~TestProgram() { Program.reset(); }

  ScopedScriptedDialogs Dialogs;
  std::optional<ScopedFakeSdk> FakeSdkInUse;
  TestFolder Folder;
  std::unique_ptr<TProgram> Program;

  // Builds the windows as the program start does.
  void Start() { Program = std::make_unique<TProgram>(Folder.Path()); }
  Tfrmgiris& Main() { return *Program->giris; }
  void SelectTerminalRow(int Row) { Main().DBGrid1->SelectRow(Row); }
  // Texts the dialogs showed so far.
  QStringList Shown() const { return Dialogs->Texts(); }
};
