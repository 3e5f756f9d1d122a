// The program: its terminal session, then its windows, created at start in
// their order and kept to exit: the data module, the main window (whose
// creation opens the session and the databases), then the terminal editor,
// the bell window and the enrollment window, hidden.
#pragma once
#include <QString>
#include <memory>

#include "app/giris.h"
#include "bells/zil.h"
#include "data/DM.h"
#include "enrol/Enrol.h"
#include "session/TerminalSession.h"
#include "terminals/yeni.h"

// The program folder the window runs on, chosen as PrepareProgramFolder
// chooses it (Requested: --folder). A folder that cannot be used (a named one
// that does not exist, one that cannot be made) is told in the standard
// error box and gives an empty result: the window never runs on a folder it
// made up. A database that could not be copied in is told as a warning, and
// the folder is used all the same. A folder that had lost its Data.mdb is
// told once, as a warning.
QString OpenProgramFolder(const QString& Requested);

class TProgram {
 public:
  // AppFolder: where Data.mdb, Log.mdb and Settings.ini are; empty for the
  // program file's folder.
  explicit TProgram(const QString& AppFolder = {});
  ~TProgram();

  std::unique_ptr<TTerminalSession> Session;
  std::unique_ptr<TfrmDM> DM;
  std::unique_ptr<Tfrmgiris> giris;
  std::unique_ptr<Tfrmyeni> yeni;
  std::unique_ptr<Tfrmzil> zil;
  std::unique_ptr<TfrmEnrol> Enrol;
};
