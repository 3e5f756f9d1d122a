#include "app/Program.h"

#include "session/ProgramFolder.h"
#include "widgets/Dlg.h"

QString OpenProgramFolder(const QString& Requested) {
  const TProgramFolder folder = PrepareProgramFolder(Requested);
  if (folder.Path.isEmpty()) {
    ShowErrorBox(folder.Error);
    return {};
  }
  if (!folder.Error.isEmpty())
    Dlg().MessageBox(folder.Error, QStringLiteral("UYARI"), MB_OK | MB_ICONWARNING);
  if (!folder.Notice.isEmpty())
    Dlg().MessageBox(folder.Notice, QStringLiteral("Meridox"), MB_OK | MB_ICONWARNING);
  return folder.Path;
}

TProgram::TProgram(const QString& AppFolder)
    : Session(std::make_unique<TTerminalSession>(AppFolder)),
      DM(std::make_unique<TfrmDM>()),
      giris(std::make_unique<Tfrmgiris>()),
      yeni(std::make_unique<Tfrmyeni>()),
      zil(std::make_unique<Tfrmzil>(Session->Bells)),
      Enrol(std::make_unique<TfrmEnrol>()) {}

// The windows go before the data module whose queries they show, and the
// session last.
TProgram::~TProgram() {
  Enrol.reset();
  zil.reset();
  yeni.reset();
  giris.reset();
  DM.reset();
  Session.reset();
}
