// The batch download through BitBtn11Click (real main window, offscreen,
// real stand-in library) over 10 vterminals of 20,000 records each, against
// the sum of 10 single downloads of identically seeded terminals through the
// same window: select the row, connect, "Verileri Aktar", disconnect.
//
//   batch_bench [--terminals N] [--records N]
//
// Prints both times and, last, "ratio R" (batch time over the sum of the
// single downloads).
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

qint64 LineCount(const QByteArray& Text) { return Text.count('\n'); }

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
  TTerminals forSingles, forBatch;
  if (!forSingles.Start(count, records) || !forBatch.Start(count, records)) return 1;
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
  std::printf("sum of single downloads: %.1f ms\n", singlesNs / 1e6);
  std::printf("batch (BitBtn11Click): %.1f ms\n", batchNs / 1e6);
  std::printf("ratio %.2f\n", double(batchNs) / double(singlesNs));
  return 0;
}
