#include <QApplication>

#include "app/Program.h"
#include "cli/CommandLine.h"
#include "common/QtDialogs.h"

int main(int argc, char* argv[]) {
  // The command line needs no window system: it is decided before any
  // widget application (which would want a display) exists.
  if (IsCommandLine(argc, argv)) {
    QCoreApplication app(argc, argv);
    return RunCommandLine(app.arguments());
  }
  QApplication app(argc, argv);
  SetDefaultDialogs(&QtDialogs());
  TProgram program;
  program.giris->show();
  return app.exec();
}
