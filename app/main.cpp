#include <QApplication>

#include "app/Program.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  TProgram program;
  program.giris->show();
  return app.exec();
}
