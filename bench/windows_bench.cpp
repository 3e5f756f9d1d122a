// The unattended download as an operator runs it, the whole program from
// start to exit: the cross-built meridox.com --download-all under Wine (the
// Windows build's bin/, named by MERIDOX_WINDOWS_BIN; the x86_64 stand-in
// in-process) against the Linux meridox --download-all, in one run, on one
// machine, each from a vterminal holding the same seeded records.
//
//   windows_bench [--records N] [--runs K]
//
// Prints each run, checks that both programs wrote the same veri.txt, and
// last "ratio R": the best Windows run over the best Linux run.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "CommandLineFixture.h"
#include "VTerminal.h"
#include "WindowsFixture.h"

namespace {

struct TTimed {
  double Ms = -1;  // -1: the run failed
  QByteArray Written;
};

// A program folder with its databases and the one terminal row.
void PrepareFolder(TestFolder& Folder, int Port) {
  Folder.CreateDatabases();
  Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("1"), QStringLiteral("ethernet"),
                     {}, {}, QStringLiteral("127.0.0.1"), QString::number(Port));
}

// One download of the seeded records by one program into a fresh folder,
// from a fresh terminal (the download leaves its mark on the one it read).
TTimed Download(const QString& Seeded, bool Windows, int Records) {
  TTimed timed;
  QTemporaryDir dir;
  VTerminal vt(dir.path(), false);
  if (!CopyVTerminalState(Seeded, dir.path()) || !vt.start({"--machine", "1"})) {
    std::fprintf(stderr, "vterminal did not start: %s\n", qPrintable(vt.error()));
    return timed;
  }
  TestFolder folder;
  PrepareFolder(folder, vt.port());
  int exit = -1;
  QString out;
  double ms = 0;
  if (Windows) {
    if (!InstallWindowsProgram(folder.Path(), {"sdkhost-x86_64.exe", "sdkhost-i686.exe"})) {
      std::fprintf(stderr, "cannot copy the Windows program\n");
      return timed;
    }
    const TWineRun run = RunUnderWine(folder.File(QStringLiteral("meridox.com")),
                                      {"--download-all"}, WineEnvironment());
    exit = run.Exit;
    out = ConsoleText(run.Out + run.Err);
    ms = run.Ms;
  } else {
    if (!InstallLinuxProgram(folder.Path())) {
      std::fprintf(stderr, "cannot link the Linux program\n");
      return timed;
    }
    QElapsedTimer t;
    t.start();
    const TRun run = RunCommandLine(folder, {"--download-all"});
    ms = t.nsecsElapsed() / 1e6;
    exit = run.Exit;
    out = run.Out + run.Err;
  }
  const QByteArray written = folder.ReadFile(QStringLiteral("veri.txt"));
  if (exit != 0 || written.count('\n') != Records) {
    std::fprintf(stderr, "%s download failed (status %d): %s\n", Windows ? "Windows" : "Linux",
                 exit, qPrintable(out));
    return timed;
  }
  return {ms, written};
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  int records = 100000, runs = 3;
  const QStringList args = app.arguments();
  for (int i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == "--records")
      records = args[i + 1].toInt();
    else if (args[i] == "--runs")
      runs = std::max(1, args[i + 1].toInt());
  }
  const QString unavailable = WindowsUnavailable();
  if (!unavailable.isEmpty()) {
    std::fprintf(stderr, "%s\n", qPrintable(unavailable));
    return 1;
  }
  QString error;
  QElapsedTimer prefix;
  prefix.start();
  if (WinePrefix(&error).isEmpty()) {
    std::fprintf(stderr, "%s\n", qPrintable(error));
    return 1;
  }
  std::printf("Wine prefix ready in %lld ms\n", prefix.elapsed());

  QTemporaryDir seeded;
  {
    VTerminal seed(seeded.path(), false);
    if (!seed.start({"--machine", "1", "--seed", "7", "--seed-users", "50", "--seed-records",
                     QString::number(records)}) ||
        !seed.stop()) {
      std::fprintf(stderr, "vterminal did not seed: %s\n", qPrintable(seed.error()));
      return 1;
    }
  }

  double bestLinux = 0, bestWindows = 0;
  QByteArray linuxFile, windowsFile;
  for (int run = 1; run <= runs; ++run) {
    const TTimed l = Download(seeded.path(), false, records);
    const TTimed w = Download(seeded.path(), true, records);
    if (l.Ms < 0 || w.Ms < 0) return 1;
    linuxFile = l.Written;
    windowsFile = w.Written;
    std::printf("run %d: Linux meridox %.1f ms, Windows meridox.com under Wine %.1f ms\n", run,
                l.Ms, w.Ms);
    bestLinux = run == 1 ? l.Ms : std::min(bestLinux, l.Ms);
    bestWindows = run == 1 ? w.Ms : std::min(bestWindows, w.Ms);
  }
  if (linuxFile != windowsFile) {
    std::fprintf(stderr, "the two programs wrote different files\n");
    return 1;
  }
  std::printf("best: Linux %.1f ms, Windows under Wine %.1f ms, %d records each, same files\n",
              bestLinux, bestWindows, records);
  std::printf("ratio %.2f\n", bestWindows / bestLinux);
  return 0;
}
