// The batch download through BitBtn11Click (real main window, offscreen,
// real stand-in library) over 10 vterminals of 20,000 records each, against
// the sum of 10 single downloads of identically seeded terminals, each
// connect, the attendance walk into the same files, disconnect:
//  - through the core (the walk the batch itself runs, nothing shown): the
//    ratio, which shows what the batch adds around the walks;
//  - through the window (select the row, "BAGLAN", "Verileri Aktar",
//    "BAGLANTI_KES", every line into Memo4): printed for comparison.
//
//   batch_bench [--terminals N] [--records N]
//
// Prints the times and, last, "ratio R" (batch time over the sum of the
// single downloads through the core).
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <vector>

#include "SimFixture.h"
#include "TestProgram.h"

namespace {

struct TTerminals {
  std::vector<std::unique_ptr<QTemporaryDir>> Dirs;
  std::vector<std::unique_ptr<VTerminal>> Terminals;

  bool Start(int Count, int Records) {
    for (int i = 0; i < Count; ++i) {
      Dirs.push_back(std::make_unique<QTemporaryDir>());
      Terminals.push_back(std::make_unique<VTerminal>(Dirs.back()->path(), false));
      if (!Terminals.back()->start({"--machine", QString::number(i + 1), "--seed", "7",
                                    "--seed-users", "50", "--seed-records",
                                    QString::number(Records)})) {
        std::fprintf(stderr, "vterminal did not start: %s\n",
                     qPrintable(Terminals.back()->error()));
        return false;
      }
    }
    return true;
  }

  // One row per terminal, in the list's order (names sort as numbered).
  void AddTo(TestFolder& Folder) const {
    for (size_t i = 0; i < Terminals.size(); ++i)
      Folder.AddTerminal(QStringLiteral("T%1").arg(i + 1, 2, 10, QLatin1Char('0')),
                         QString::number(i + 1), QStringLiteral("ethernet"), {}, {},
                         QStringLiteral("127.0.0.1"), QString::number(Terminals[i]->port()));
  }
};

qint64 LineCount(const QByteArray& Text) {
  return Text.count('\n');
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  int count = 10, records = 20000;
  const QStringList args = app.arguments();
  for (int i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == QLatin1String("--terminals")) count = args[i + 1].toInt();
    if (args[i] == QLatin1String("--records")) records = args[i + 1].toInt();
  }

  // With read mark 1 a terminal delivers its records once: each way gets
  // terminals of its own, seeded alike.
  TTerminals forSingles, forCore, forBatch;
  if (!forSingles.Start(count, records) || !forCore.Start(count, records) ||
      !forBatch.Start(count, records))
    return 1;
  const qint64 expected = qint64(count) * records;

  QElapsedTimer timer;
  qint64 singlesNs = 0;
  {
    TestProgram t(true, TSdk::Library);
    t.Dialogs->OnProcessMessages = [] { QCoreApplication::processEvents(); };
    forSingles.AddTo(t.Folder);
    t.Start();
    t.Main().show();
    QCoreApplication::processEvents();
    for (int i = 0; i < count; ++i) {
      t.SelectTerminalRow(i);
      timer.restart();
      t.Main().BitBtn4->click();
      t.Main().BitBtn5->click();
      t.Main().BitBtn4->click();
      singlesNs += timer.nsecsElapsed();
    }
    const qint64 lines = LineCount(t.Folder.ReadFile(QStringLiteral("veri.txt")));
    if (lines != expected) {
      std::fprintf(stderr, "single downloads wrote %lld lines: %s\n", lines,
                   qPrintable(t.Shown().join('|')));
      return 1;
    }
  }

  qint64 coreNs = 0;
  {
    ScopedScriptedDialogs dialogs;
    dialogs->OnProcessMessages = [] { QCoreApplication::processEvents(); };
    TestFolder folder;
    TFKAttendObject sdk(MakeLibraryLoader());
    TSilentDownloadReport quiet;
    qint64 written = 0;
    for (int i = 0; i < count; ++i) {
      TConnInfo info;
      info.MachineNumber = i + 1;
      info.Kind = QStringLiteral("LAN");
      info.IpAddress = QStringLiteral("127.0.0.1");
      info.TcpPort = forCore.Terminals[i]->port();
      info.NetTimeout = 5000;
      timer.restart();
      if (!sdk.Connect(info)) return 1;
      written +=
          WalkAttendance(sdk, {folder.Path(), i + 1, false, QDate::currentDate()}, quiet).Records;
      sdk.Disconnect();
      coreNs += timer.nsecsElapsed();
    }
    if (written != expected || LineCount(folder.ReadFile(QStringLiteral("veri.txt"))) != expected) {
      std::fprintf(stderr, "single core downloads wrote %lld lines\n", written);
      return 1;
    }
  }

  qint64 batchNs = 0;
  {
    TestProgram t(true, TSdk::Library);
    t.Dialogs->OnProcessMessages = [] { QCoreApplication::processEvents(); };
    forBatch.AddTo(t.Folder);
    t.Start();
    t.Main().show();
    t.Main().PageControl1->setCurrentIndex(1);
    QCoreApplication::processEvents();
    timer.restart();
    t.Main().BitBtn11->click();
    batchNs = timer.nsecsElapsed();
    const qint64 lines = LineCount(t.Folder.ReadFile(QStringLiteral("veri.txt")));
    if (lines != expected) {
      std::fprintf(stderr, "batch wrote %lld lines: %s\n", lines,
                   qPrintable(t.Main().Memo3->toPlainText()));
      return 1;
    }
  }

  std::printf("terminals: %d, records each: %d\n", count, records);
  std::printf("sum of single downloads through the window (BitBtn4/5Click): %.1f ms\n",
              singlesNs / 1e6);
  std::printf("sum of single downloads through the core: %.1f ms\n", coreNs / 1e6);
  std::printf("batch (BitBtn11Click): %.1f ms, %.2f of the window's single downloads\n",
              batchNs / 1e6, double(batchNs) / double(singlesNs));
  std::printf("ratio %.2f\n", double(batchNs) / double(coreNs));
  return 0;
}
