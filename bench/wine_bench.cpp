// The attendance download through the core routine (WalkAttendance) over
// the vendor-library path, the Windows stand-in run by Wine through
// sdkhost, against the same routine over the Linux stand-in, in one run and
// from one vterminal (read mark 0: every walk delivers every record).
//
//   wine_bench [--records N] [--runs K] [--arch x86_64|i686]
//
// Prints each walk, checks that both paths wrote the same files, and last
// "ratio R": the best Wine walk over the best Linux walk.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "TestProgram.h"
#include "VTerminal.h"
#include "attendance/Download.h"
#include "sdk/HostSdk.h"

namespace {

// One walk into a fresh folder; its time in ms, or -1 when it failed.
double Walk(TFKAttendObject& Sdk, int Records, QByteArray& Written) {
  QTemporaryDir out;
  const TDownloadRequest request{out.path() + '/', 1, true, QDate::currentDate(), 0};
  TSilentDownloadReport silent;
  QElapsedTimer t;
  t.start();
  const TDownloadOutcome outcome = WalkAttendance(Sdk, request, silent);
  const double ms = t.nsecsElapsed() / 1e6;
  if (!outcome.Complete || outcome.Records != Records) {
    std::fprintf(stderr, "walk ended after %d records, result %d\n", outcome.Records,
                 outcome.Result);
    return -1;
  }
  QFile f(out.filePath(QStringLiteral("veri.txt")));
  Written = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  int records = 100000, runs = 3;
  QString arch = QStringLiteral("x86_64");
  const QStringList args = app.arguments();
  for (int i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == "--records")
      records = args[i + 1].toInt();
    else if (args[i] == "--runs")
      runs = std::max(1, args[i + 1].toInt());
    else if (args[i] == "--arch")
      arch = args[i + 1];
  }
  ScopedScriptedDialogs dialogs;

  QTemporaryDir dir;
  VTerminal vt(dir.path(), false);
  if (!vt.start({"--machine", "1", "--seed", "7", "--seed-users", "50", "--seed-records",
                 QString::number(records)})) {
    std::fprintf(stderr, "vterminal did not start: %s\n", qPrintable(vt.error()));
    return 1;
  }

  THostSdkOptions options;
  const QString folder = app.applicationDirPath() + QStringLiteral("/wine-") + arch;
  options.FirstLibrary = folder + QStringLiteral("/FK623Attend.dll");
  options.SecondLibrary = folder + QStringLiteral("/FKAttend.dll");
  QElapsedTimer started;
  started.start();
  TFKAttendObject wine(MakeHostLoader(options));
  if (!wine.FirstLibraryLoaded()) {
    std::fprintf(stderr, "the Wine path cannot be used: %s\n", qPrintable(wine.LastErrorText()));
    return 1;
  }
  std::printf("host %s started in %lld ms\n", qPrintable(arch), started.elapsed());
  TFKAttendObject native(MakeLibraryLoader());

  double bestNative = 0, bestWine = 0;
  QByteArray nativeFile, wineFile;
  for (int run = 1; run <= runs; ++run) {
    // One connection at a time: the terminal serves one client.
    if (!native.Connect(LoopbackLan(vt.port()))) return 1;
    const double l = Walk(native, records, nativeFile);
    native.Disconnect();
    if (!wine.Connect(LoopbackLan(vt.port()))) {
      std::fprintf(stderr, "connect through Wine failed: %s\n", qPrintable(wine.LastErrorText()));
      return 1;
    }
    const double w = Walk(wine, records, wineFile);
    wine.Disconnect();
    if (l < 0 || w < 0) return 1;
    std::printf(
        "run %d: Linux stand-in %.1f ms (%.2f us/record), through Wine %.1f ms (%.2f us/record)\n",
        run, l, l * 1e3 / records, w, w * 1e3 / records);
    bestNative = run == 1 ? l : std::min(bestNative, l);
    bestWine = run == 1 ? w : std::min(bestWine, w);
  }
  if (nativeFile != wineFile) {
    std::fprintf(stderr, "the two paths wrote different files\n");
    return 1;
  }
  std::printf("best: Linux stand-in %.1f ms, through Wine %.1f ms, %d records each, same files\n",
              bestNative, bestWine, records);
  std::printf("ratio %.2f\n", bestWine / bestNative);
  return 0;
}
