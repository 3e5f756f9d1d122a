#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "app/Program.h"
#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "widgets/Dlg.h"
#include "widgets/QtDialogs.h"

namespace {

// Qt ends the program with an abort when the window system it looks for is
// not there; without any display named, say so instead.
bool DisplayMissing() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
  return qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
         qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
  return false;
#endif
}

}  // namespace

int main(int argc, char* argv[]) {
  // The command line needs no window system: it is decided before any
  // widget application (which would want a display) exists.
  const TProgramOptions options = ReadProgramOptions(argc, argv);
  if (options.CommandLine) {
    PrepareConsole();
    QCoreApplication app(argc, argv);
    return RunCommandLine(options);
  }
  if (DisplayMissing()) {
    std::fputs(
        "meridox: pencere için ekran bulunamadı (DISPLAY ya da WAYLAND_DISPLAY yok);\n"
        "komut satırı için: meridox --help\n",
        stderr);
    return kExitUsage;
  }
  QApplication app(argc, argv);
  SetDefaultDialogs(&QtDialogs());
  const QString folder = OpenProgramFolder(options.Folder);
  if (folder.isEmpty()) return kExitUsage;
  TProgram program(folder);
  program.giris->show();
  if (options.QuitAfterStart) QTimer::singleShot(0, &app, &QCoreApplication::quit);
  return app.exec();
}
