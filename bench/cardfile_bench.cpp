// The memory-card conversion of a 1,000,000-line card file through
// Button1Click (real main window, offscreen) against a plain program that
// reads the same file line by line and appends every line unchanged to
// another file. Each runs in a process of its own, so each peak resident
// memory is its own.
//
//   cardfile_bench [--lines N]
//   cardfile_bench --long-line MB
//
// Prints both times and peak memories and, last, "ratio R" (conversion time
// over plain copy time). With --long-line the file is the heading and one
// line of MB megabytes, as a file that is no card file may be: the
// conversion refuses it, and how soon and in how much memory it does is
// what counts; the text it showed is printed too.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <string>

#include "TestProgram.h"

namespace {

// Peak resident memory of this process in kB.
long PeakKb() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
  return -1;
}

void WriteLongLineFile(const QString& Name, int Megabytes) {
  QFile f(Name);
  f.open(QIODevice::WriteOnly);
  f.write("No\tMchn\tEnNo\tName\tMode\tIOMd\tDateTime\r\n");
  const QByteArray block(1 << 20, 'A');
  for (int i = 0; i < Megabytes; ++i) f.write(block);
  f.write("\r\n");
}

void WriteCardFile(const QString& Name, int Lines) {
  QFile f(Name);
  f.open(QIODevice::WriteOnly);
  f.write("No\tMchn\tEnNo\tName\tMode\tIOMd\tDateTime\r\n");
  char line[128];
  for (int i = 1; i < Lines; ++i) {
    const int n = std::snprintf(
        line, sizeof line, "%d\t%d\t%d\tPersonel %d\t1\t0\t2024/%02d/%02d %02d:%02d:%02d\r\n", i,
        1 + i % 9, i % 100000, i % 977, 1 + i % 12, 1 + i % 28, i % 24, i % 60, (i / 60) % 60);
    f.write(line, n);
  }
}

// The plain program: line by line, appended unchanged.
int Copy(const QString& Source, const QString& Target) {
  QElapsedTimer timer;
  timer.start();
  std::ifstream in(Source.toStdString(), std::ios::binary);
  std::ofstream out(Target.toStdString(), std::ios::binary | std::ios::app);
  std::string line;
  while (std::getline(in, line)) out << line << '\n';
  out.close();
  std::printf("seconds %.4f peak_kb %ld\n", timer.nsecsElapsed() / 1e9, PeakKb());
  return out ? 0 : 1;
}

int Convert(int argc, char** argv, const QString& Source) {
  QApplication app(argc, argv);
  TestProgram t;
  t.Start();
  t.Main().show();
  QCoreApplication::processEvents();
  t.Dialogs->FileNames << Source;
  QElapsedTimer timer;
  timer.start();
  t.Main().Button1->click();
  const double seconds = timer.nsecsElapsed() / 1e9;
  // Second line: what the operator was shown after the file dialog.
  std::printf("seconds %.4f peak_kb %ld\n%s\n", seconds, PeakKb(),
              t.Shown().value(1).toUtf8().constData());
  return 0;
}

struct Run {
  double Seconds = 0;
  long PeakKb = 0;
  QString Shown;
};

bool RunChild(const QStringList& Args, Run& Result) {
  QProcess child;
  child.start(QCoreApplication::applicationFilePath(), Args);
  if (!child.waitForFinished(600000) || child.exitCode() != 0) {
    std::fprintf(stderr, "%s", child.readAllStandardError().constData());
    return false;
  }
  const QList<QByteArray> lines = child.readAllStandardOutput().trimmed().split('\n');
  const QList<QByteArray> words = lines.value(0).split(' ');
  Result.Seconds = words.value(1).toDouble();
  Result.PeakKb = words.value(3).toLong();
  Result.Shown = QString::fromUtf8(lines.value(1));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (argc == 4 && std::string(argv[1]) == "--copy") return Copy(argv[2], argv[3]);
  if (argc == 3 && std::string(argv[1]) == "--convert") return Convert(1, argv, argv[2]);

  QCoreApplication app(argc, argv);
  int lines = 1000000;
  int longLine = 0;
  const QStringList args = app.arguments();
  const int at = args.indexOf(QStringLiteral("--lines"));
  if (at > 0 && at + 1 < args.size()) lines = args[at + 1].toInt();
  const int longAt = args.indexOf(QStringLiteral("--long-line"));
  if (longAt > 0 && longAt + 1 < args.size()) longLine = args[longAt + 1].toInt();
  QTemporaryDir dir;
  const QString source = dir.filePath(QStringLiteral("card.txt"));
  if (longLine > 0)
    WriteLongLineFile(source, longLine);
  else
    WriteCardFile(source, lines);

  Run plain, conversion;
  if (!RunChild({QStringLiteral("--copy"), source, dir.filePath(QStringLiteral("copy.txt"))},
                plain) ||
      !RunChild({QStringLiteral("--convert"), source}, conversion))
    return 1;
  if (longLine > 0) {
    std::printf("one line of %d MB after the heading (%lld bytes)\n", longLine,
                QFile(source).size());
    std::printf("shown: %s\n", conversion.Shown.toUtf8().constData());
  } else if (conversion.Shown != QStringLiteral("Aktarım işlemi tamamlandı..")) {
    std::fprintf(stderr, "conversion failed: %s\n", conversion.Shown.toUtf8().constData());
    return 1;
  } else {
    std::printf("lines: %d (%lld bytes)\n", lines, QFile(source).size());
  }
  std::printf("plain copy: %.1f ms, peak resident memory %.1f MB\n", plain.Seconds * 1e3,
              plain.PeakKb / 1024.0);
  std::printf("conversion (Button1Click): %.1f ms, peak resident memory %.1f MB\n",
              conversion.Seconds * 1e3, conversion.PeakKb / 1024.0);
  std::printf("ratio %.2f\n", conversion.Seconds / plain.Seconds);
  return 0;
}
