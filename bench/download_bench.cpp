// The attendance download through BitBtn5Click (real main window, offscreen,
// real stand-in library, a seeded vterminal) against a plain baseline in the
// same program: the same SDK calls on an identically seeded terminal, the
// same lines built with snprintf, written with plain buffered writes to the
// same three files and put into one plain text box at the end. For
// comparison it also times that loop handing each line to the system with
// one write(2) per file, as the program must (a killed program may not hold a
// line the terminal counts as delivered); the ratio stays against the plain
// buffered loop.
//
//   download_bench [--records N]
//
// Prints both times, the program's cost per record and, last, "ratio R"
// (program time over baseline time).
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

#include <unistd.h>

#include "SimFixture.h"
#include "TestProgram.h"
#include "attendance/AttendanceFiles.h"

namespace {

// Processor time of this process in ms: a second figure that the other
// programs on the machine disturb less than the elapsed time.
double CpuMs() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

bool StartTerminal(VTerminal& Vt, int Records) {
  return Vt.start({"--machine", "1", "--seed", "7", "--seed-users", "50", "--seed-records",
                   QString::number(Records)});
}

const char* const kModes[33] = {
    nullptr,       "Fp",          "Password",  "Card",      "Fp+Password", "Fp+Card",
    "Password+Fp", "Card+Fp",     "Job No",    "Card+Pass", nullptr,       "Close Door",
    "Hand Open",   nullptr,       "Prog Open", "PC Close",  "Iregal Open", "Iregal Close",
    "Cover Open",  "Cover Close", "Face",      "Face+Card", "Face+Pass",   nullptr,
    nullptr,       nullptr,       nullptr,     nullptr,     nullptr,       nullptr,
    "Vein",        "Vein+Card",   "Vein+Pass"};

// The plain download: returns the number of records, or -1. With
// WritePerLine each line goes to each file with a write(2) of its own.
long long Baseline(int Port, const QString& Folder, bool WritePerLine) {
  TFKAttendObject sdk(MakeLibraryLoader());
  if (!sdk.Connect(LoopbackLan(Port))) return -1;
  QDir(Folder).mkdir(QStringLiteral("yedek_K20"));
  const QByteArray names[] = {
      (Folder + QStringLiteral("veri.txt")).toLocal8Bit(),
      (Folder + QStringLiteral("veri2.txt")).toLocal8Bit(),
      TAttendanceFiles::BackupFileName(Folder, QDate::currentDate()).toLocal8Bit()};
  FILE* files[3];
  int fds[3];
  for (int i = 0; i < 3; ++i) {
    files[i] = std::fopen(names[i].constData(), "ab");
    fds[i] = fileno(files[i]);
  }
  QPlainTextEdit box;
  box.resize(353, 121);
  box.show();
  QString text;
  long long n = 0;
  bool failed = false;
  int e, v, io, y, mo, d, h, mi, s;
  sdk.FK_EnableDevice(0);
  if (sdk.FK_LoadGeneralLogData(1)) {
    while (sdk.FK_GetGeneralLogData_1(e, v, io, y, mo, d, h, mi, s)) {
      char line[96];
      const char* mode = v >= 0 && v < 33 && kModes[v] ? kModes[v] : "--";
      const int length =
          std::snprintf(line, sizeof line, "%05d %02d/%02d/%04d %02d:%02d:%02d %02d %02d %s\r\n", e,
                        d, mo, y, h, mi, s, 1, io, mode);
      if (WritePerLine) {
        for (int fd : fds)
          if (::write(fd, line, length) != length) failed = true;
      } else {
        for (FILE* f : files) std::fwrite(line, 1, length, f);
      }
      text += QLatin1StringView(line, length - 2);
      text += QLatin1Char('\n');
      ++n;
    }
  }
  for (FILE* f : files) std::fclose(f);
  box.setPlainText(text);
  QCoreApplication::processEvents();
  sdk.FK_EnableDevice(1);
  sdk.Disconnect();
  return failed ? -1 : n;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  int records = 100000;
  const QStringList args = app.arguments();
  const int at = args.indexOf(QStringLiteral("--records"));
  if (at > 0 && at + 1 < args.size()) records = args[at + 1].toInt();

  // Two identically seeded terminals: with read mark 1 a terminal delivers
  // its records once.
  QTemporaryDir baselineDir, perLineDir, programDir;
  VTerminal forBaseline(baselineDir.path()), forPerLine(perLineDir.path()),
      forProgram(programDir.path());
  if (!StartTerminal(forBaseline, records) || !StartTerminal(forPerLine, records) ||
      !StartTerminal(forProgram, records)) {
    std::fprintf(stderr, "vterminal did not start: %s%s\n", qPrintable(forBaseline.error()),
                 qPrintable(forProgram.error()));
    return 1;
  }

  QTemporaryDir baselineFolder;
  QElapsedTimer timer;
  timer.start();
  const double baselineCpu = CpuMs();
  const long long plain =
      Baseline(forBaseline.port(), baselineFolder.path() + QLatin1Char('/'), false);
  const double baselineSeconds = timer.nsecsElapsed() / 1e9;
  const double baselineCpuMs = CpuMs() - baselineCpu;
  if (plain != records) {
    std::fprintf(stderr, "baseline read %lld records\n", plain);
    return 1;
  }
  QTemporaryDir perLineFolder;
  timer.restart();
  const long long perLine =
      Baseline(forPerLine.port(), perLineFolder.path() + QLatin1Char('/'), true);
  const double perLineSeconds = timer.nsecsElapsed() / 1e9;
  if (perLine != records) {
    std::fprintf(stderr, "baseline with a write per line read %lld records\n", perLine);
    return 1;
  }

  TestProgram t(true, TSdk::Library);
  t.Dialogs->OnProcessMessages = [] { QCoreApplication::processEvents(); };
  t.Folder.AddTerminal(QStringLiteral("Bench"), QStringLiteral("1"), QStringLiteral("ethernet"), {},
                       {}, QStringLiteral("127.0.0.1"), QString::number(forProgram.port()));
  t.Start();
  t.Main().show();
  t.Main().CheckBox1->setChecked(true);
  t.Main().BitBtn4->click();
  QCoreApplication::processEvents();
  timer.restart();
  const double programCpu = CpuMs();
  t.Main().BitBtn5->click();
  const double programCpuMs = CpuMs() - programCpu;
  const double programSeconds = timer.nsecsElapsed() / 1e9;
  const QString label = t.Main().LabelTotal->text();
  if (label.toInt() != records ||
      t.Shown() != QStringList{QStringLiteral("Bilgiler Dosyaya Aktarıldı....")}) {
    std::fprintf(stderr, "program read %s records: %s\n", qPrintable(label),
                 qPrintable(t.Shown().join('|')));
    return 1;
  }

  std::printf("records: %d\n", records);
  std::printf("baseline: %.1f ms (processor %.1f ms)\n", baselineSeconds * 1e3, baselineCpuMs);
  std::printf("baseline with a write(2) per line and file: %.1f ms\n", perLineSeconds * 1e3);
  std::printf("program (BitBtn5Click): %.1f ms (processor %.1f ms), %.2f us per record\n",
              programSeconds * 1e3, programCpuMs, programSeconds * 1e6 / records);
  std::printf("ratio %.2f\n", programSeconds / baselineSeconds);
  return 0;
}
