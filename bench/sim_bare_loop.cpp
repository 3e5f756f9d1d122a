// Baseline of the attendance download: the stand-in library's bare loop
// FK_EnableDevice(0), FK_LoadGeneralLogData(0), FK_GetGeneralLogData_1 until
// it fails, FK_EnableDevice(1), against a vterminal seeded with many records.
//
//   sim_bare_loop [--records N] [--runs K] [--connect HOST:PORT [--machine M --password W]]
//
// Without --connect it starts its own vterminal (from beside this program) on
// a free loopback port in a temporary folder and stops it at the end.
#include "sdk/FKEntryPoints.h"
#include "tests/sim/VTerminal.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLibrary>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  int records = 100000, runs = 5, machine = 1, password = 0;
  QString host = "127.0.0.1";
  int port = 0;
  QStringList args = app.arguments();
  for (int i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == "--records")
      records = args[i + 1].toInt();
    else if (args[i] == "--runs")
      runs = std::max(1, args[i + 1].toInt());
    else if (args[i] == "--machine")
      machine = args[i + 1].toInt();
    else if (args[i] == "--password")
      password = args[i + 1].toInt();
    else if (args[i] == "--connect") {
      host = args[i + 1].section(':', 0, 0);
      port = args[i + 1].section(':', 1).toInt();
    }
  }

  QLibrary sdk("FK623Attend");
  auto connectNet = reinterpret_cast<FK_ConnectNet_t>(sdk.resolve("FK_ConnectNet"));
  auto disconnect = reinterpret_cast<FK_DisConnect_t>(sdk.resolve("FK_DisConnect"));
  auto enable = reinterpret_cast<FK_EnableDevice_t>(sdk.resolve("FK_EnableDevice"));
  auto load = reinterpret_cast<FK_LoadGeneralLogData_t>(sdk.resolve("FK_LoadGeneralLogData"));
  auto next = reinterpret_cast<FK_GetGeneralLogData_1_t>(sdk.resolve("FK_GetGeneralLogData_1"));
  if (!connectNet || !disconnect || !enable || !load || !next) {
    std::fprintf(stderr, "cannot load the terminal library: %s\n", qPrintable(sdk.errorString()));
    return 1;
  }

  QTemporaryDir dir;
  VTerminal vt(dir.path(), false);  // no journal: the bare loop is timed
  if (port == 0) {
    QElapsedTimer seeding;
    seeding.start();
    if (!vt.start({"--seed-users", "50", "--seed-records", QString::number(records)})) {
      std::fprintf(stderr, "vterminal did not start: %s\n", qPrintable(vt.error()));
      return 1;
    }
    port = vt.port();
    std::printf("vterminal seeded with %d records in %lld ms\n", records, seeding.elapsed());
  }

  int h = connectNet(machine, host.toLatin1().constData(), port, 5000, 0, password);
  if (h <= 0) {
    std::fprintf(stderr, "connect failed: %d\n", h);
    return 1;
  }
  std::vector<double> rates;
  for (int run = 0; run < runs; ++run) {
    QElapsedTimer t;
    t.start();
    long long n = 0;
    int e, v, io, y, mo, d, hh, mi, s;
    enable(h, 0);
    if (load(h, 0) == 1)
      while (next(h, &e, &v, &io, &y, &mo, &d, &hh, &mi, &s) == 1) ++n;
    enable(h, 1);
    double seconds = std::max<qint64>(t.nsecsElapsed(), 1) / 1e9;
    rates.push_back(n / seconds);
    std::printf("run %d: %lld records in %.1f ms, %.0f records/s\n", run + 1, n, seconds * 1e3,
                n / seconds);
  }
  disconnect(h);
  std::sort(rates.begin(), rates.end());
  std::printf("median: %.0f records/s\n", rates[rates.size() / 2]);
  vt.stop();
  return 0;
}
