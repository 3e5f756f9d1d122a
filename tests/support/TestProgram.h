// The program built over a temporary program folder of its own (TestFolder),
// an optional Settings.ini, scripted dialogs and the fake SDK. Tests then
// call handlers and read the controls.
#pragma once
#include <QDialog>
#include <memory>
#include <optional>

#include "FakeSdk.h"
#include "TestFolder.h"
#include "app/Program.h"
#include "widgets/ScriptedDialogs.h"

// Which terminal SDK the program talks to: the fake entry points, or the
// libraries found beside the test program (the stand-ins and vterminal).
enum class TSdk { Fake, Library };

// Records a window shown modally by its object name and title.
inline ShownDialog DescribeWindow(QDialog& Window) {
  return {QStringLiteral("Modal"), Window.objectName(), Window.windowTitle(), 0};
}

class TestProgram {
 public:
  explicit TestProgram(bool WithDatabases = true, TSdk Sdk = TSdk::Fake) {
    Dialogs->DescribeModal = DescribeWindow;
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
