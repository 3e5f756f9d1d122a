#include "app/Program.h"

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
