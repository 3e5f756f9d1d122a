// The enroll-data backup and full restore of the enrollment window against a
// bare loop of the same SDK calls that stores nothing, over the stand-in
// library and a vterminal holding 3,000 users with two fingerprints and a
// card each, plus a face for 500 of them (9,500 items).
//
//   enrol_bench [backup|restore] [--runs K]
//
// Prints the figures of each run, the window's peak memory, and last the
// line "ratio R" (window time / bare-loop time, medians).
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "../tests/sim/SimFixture.h"
#include "TestProgram.h"
#include "enrolldata/EnrollRecord.h"

namespace {

constexpr int kUsers = 3000;
constexpr int kFaces = 500;

struct Key {
  int N, B, P;
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

long PeakKb() {
  QFile f(QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
  return 0;
}

// Fills the terminal through the library, as an enrolment would.
bool Seed(FkApi& Api, int Port) {
  const int h = Api.connectLocal(Port);
  if (h <= 0) return false;
  for (int n = 1; n <= kUsers; ++n) {
    QList<int> backups = {0, 1, 11};
    if (n <= kFaces) backups << 12;
    for (int b : backups) {
      QByteArray bytes(TemplateSize(b), '\0');
      for (int i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 13 + n + b) & 0xFF);
      if (Api.FK_PutEnrollData(h, n, b, n % 50 == 0 ? 1 : 0,
                               reinterpret_cast<unsigned char*>(bytes.data()), 0) != 1)
        return false;
    }
    Api.FK_SetUserName(h, n, QByteArray("Personel ") + QByteArray::number(n));
  }
  Api.FK_DisConnect(h);
  return true;
}

// The backup's calls with nothing stored.
double BareBackup(FkApi& Api, int Port, std::vector<Key>& Keys) {
  const int h = Api.connectLocal(Port);
  QElapsedTimer t;
  t.start();
  Keys.clear();
  Api.FK_EnableDevice(h, 0);
  if (Api.FK_ReadAllUserID(h) == 1) {
    int n = 0, b = 0, p = 0, e = 0;
    QByteArray buffer;
    while (Api.FK_GetAllUserID(h, &n, &b, &p, &e) == 1) {
      buffer = QByteArray(TemplateSize(b), '\0');
      int pw = 0;
      Api.FK_GetEnrollData(h, n, b, &p, reinterpret_cast<unsigned char*>(buffer.data()), &pw);
      char name[257];
      std::memset(name, ' ', 256);
      name[256] = '\0';
      char* text = name;
      Api.FK_GetUserName(h, n, &text);
      Keys.push_back({n, b, p});
    }
  }
  Api.FK_EnableDevice(h, 1);
  const double ms = t.nsecsElapsed() / 1e6;
  Api.FK_DisConnect(h);
  return ms;
}

// The full restore's calls, sending buffers of the right sizes.
double BareRestore(FkApi& Api, int Port, const std::vector<Key>& Keys) {
  const int h = Api.connectLocal(Port);
  QElapsedTimer t;
  t.start();
  Api.FK_EnableDevice(h, 0);
  QByteArray buffer;
  for (const Key& k : Keys) {
    buffer = QByteArray(TemplateSize(k.B), '\x11');
    int supported = 0;
    Api.FK_IsSupportedEnrollData(h, k.B, &supported);
    Api.FK_PutEnrollData(h, k.N, k.B, k.P, reinterpret_cast<unsigned char*>(buffer.data()), 0);
  }
  Api.FK_SaveEnrollData(h);
  Api.FK_EnableDevice(h, 1);
  const double ms = t.nsecsElapsed() / 1e6;
  Api.FK_DisConnect(h);
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  const bool restore = args.contains(QStringLiteral("restore"));
  // A restore is bound by the terminal writing its state after every item.
  int runs = restore ? 1 : 3;
  const int at = args.indexOf(QStringLiteral("--runs"));
  if (at > 0 && at + 1 < args.size()) runs = std::max(1, args[at + 1].toInt());

  QTemporaryDir dir;
  VTerminal vt(dir.path());
  if (!vt.start({"--capacity", "20000"})) {
    std::fprintf(stderr, "vterminal did not start: %s\n", qPrintable(vt.error()));
    return 1;
  }
  FkApi api;
  if (!api.load()) {
    std::fprintf(stderr, "cannot load the terminal library\n");
    return 1;
  }
  QElapsedTimer seeding;
  seeding.start();
  if (!Seed(api, vt.port())) {
    std::fprintf(stderr, "seeding failed\n");
    return 1;
  }
  std::printf("terminal seeded: %d users, %d items in %lld ms\n", kUsers, kUsers * 3 + kFaces,
              seeding.elapsed());

  TestProgram t(true, TSdk::Library);
  t.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("1"), QStringLiteral("ethernet"),
                       {}, {}, QStringLiteral("127.0.0.1"), QString::number(vt.port()));
  t.Start();
  TfrmEnrol& w = *t.Program->Enrol;
  const long startKb = PeakKb();

  std::vector<double> bare, window;
  std::vector<Key> keys;
  auto connect = [&] { t.Main().BitBtn4->click(); };  // the button toggles
  for (int run = 0; run < runs; ++run) {
    bare.push_back(BareBackup(api, vt.port(), keys));
    connect();
    w.FormShow();
    if (restore) {
      if (run == 0) w.BitBtn1Click();  // the store to send
      connect();                       // the bare loop needs the terminal to itself
      bare.back() = BareRestore(api, vt.port(), keys);
      connect();
      t.Dialogs->Answers = {IDYES};
    }
    QElapsedTimer timer;
    timer.start();
    if (restore) {
      w.BitBtn2Click();
    } else {
      w.BitBtn1Click();
    }
    window.push_back(timer.nsecsElapsed() / 1e6);
    const QString status = w.lblMessage->text();
    connect();
    std::printf("run %d: bare loop %zu items %.1f ms, window %s %.1f ms (%s)\n", run + 1,
                keys.size(), bare.back(), restore ? "BitBtn2Click" : "BitBtn1Click", window.back(),
                qPrintable(status));
  }
  std::printf("store rows: %d\n", w.Store.Rows().RecordCount());
  std::printf("peak memory: %.1f MB (%.1f MB before the enroll actions)\n", PeakKb() / 1024.0,
              startKb / 1024.0);
  std::printf("median: bare loop %.1f ms, window %.1f ms\n", Median(bare), Median(window));
  std::printf("ratio %.2f\n", Median(window) / Median(bare));
  return 0;
}
