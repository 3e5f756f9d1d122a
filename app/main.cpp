#include <QApplication>

#include "app/Program.h"
#include "common/QtDialogs.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  SetDefaultDialogs(&QtDialogs());
  TProgram program;
  program.giris->show();
  return app.exec();
}
