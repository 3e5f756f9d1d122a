// Time from program start to a shown main window, with an empty terminal
// list and with 1,000 terminals in Data.mdb. Run with
// QT_QPA_PLATFORM=offscreen; prints the median of several starts.
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <algorithm>
#include <cstdio>

#include "TestProgram.h"

namespace {

double MedianStartMs(int Terminals, int Runs) {
  TestFolder folder;
  folder.CreateDatabases();
  QVariantList none;
  QString values;
  for (int i = 0; i < Terminals; ++i)
    values += QStringLiteral("%1('Terminal %2','%2','ethernet','1','9600','10.0.%3.%4','5005','0')")
                  .arg(i ? QStringLiteral(",") : QString())
                  .arg(i)
                  .arg(i / 250)
                  .arg(i % 250);
  if (Terminals > 0)
    ExecOn(
        folder.File(QStringLiteral("Data.mdb")),
        QStringLiteral("insert into Terminal (Terminal,TerminalNo,Tip,ComPort,ComBaud,Ip,NetPort,"
                       "Sifre) values ") +
            values);
  std::vector<double> times;
  for (int run = 0; run < Runs; ++run) {
    ScopedScriptedDialogs dialogs;
    QElapsedTimer timer;
    timer.start();
    TProgram program(folder.Path());
    program.giris->show();
    if (!QTest::qWaitForWindowExposed(program.giris.get())) qFatal("window not shown");
    QCoreApplication::processEvents();
    times.push_back(timer.nsecsElapsed() / 1e6);
    if (program.giris->DBGrid1->model()->rowCount() != Terminals) qFatal("list incomplete");
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const double empty = MedianStartMs(0, 9);
  const double large = MedianStartMs(1000, 9);
  std::printf("start to shown main window, empty list:    %8.2f ms\n", empty);
  std::printf("start to shown main window, 1000 terminals: %8.2f ms\n", large);
  std::printf("ratio 1000 terminals / empty list: %.2f\n", large / empty);
  return 0;
}
