// vterminal against clients that misbehave: after each one the next client
// is served, and no client can stall it, crowd it out or keep it from
// stopping. The limits are shortened by option; every bound here is generous.
#include "SimFixture.h"
#include "simulator/shared/Protocol.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <poll.h>

#include <cerrno>
#include <climits>
#include <functional>
#include <memory>
#include <vector>

using vt::Op;

namespace {

QByteArray bytes(vt::Writer& w) {
  const std::string& f = w.frame();
  return QByteArray(f.data(), static_cast<qsizetype>(f.size()));
}

// The hello the library sends for a network connect, with any kind byte.
QByteArray hello(uint8_t kind = 0) {
  vt::Writer w(Op::Hello);
  w.i32(vt::kMagic);
  w.u8(kind);
  for (int32_t v : {1, 0, 0, 0, 5000, 0}) w.i32(v);  // machine, password, port, -, time-out, option
  w.bytes("127.0.0.1");
  return bytes(w);
}

QByteArray request(Op op, std::initializer_list<int32_t> args = {}) {
  vt::Writer w(op);
  for (int32_t a : args) w.i32(a);
  return bytes(w);
}

// n attendance walks, each asking at once for the largest fetch.
QByteArray walks(int n) {
  QByteArray out;
  for (int i = 0; i < n; ++i)
    out += request(Op::LoadGeneralLog, {0}) + request(Op::FetchGeneralLog, {vt::kMaxFetch});
  return out;
}

bool waitUntil(const std::function<bool()>& done, int ms = 10000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QTest::qSleep(20);
  }
  return true;
}

// A normal client connects and makes a call. While the terminal still deals
// with the one before, it is told -2 (busy) and tries again.
bool servedWithin(FkApi& fk, int port, int ms) {
  bool served = false;
  waitUntil(
      [&] {
        int h = fk.connectLocal(port, 1, 0, 2000);
        if (h <= 0) return h != -2;
        double time = 0;
        served = fk.FK_GetDeviceTime(h, &time) == 1 && time > 0;
        fk.FK_DisConnect(h);
        return true;
      },
      ms);
  return served;
}

// CPU time the process has used so far, in clock ticks.
long cpuTicks(qint64 pid) {
  QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!f.open(QIODevice::ReadOnly)) return -1;
  QByteArray stat = f.readAll();
  // After the command in parentheses: field 3 (state) onwards; 14 and 15 are user and system time.
  QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
  return fields.size() > 12 ? fields[11].toLong() + fields[12].toLong() : -1;
}

// A client speaking the wire format by hand, so that it can misbehave.
class RawClient {
 public:
  // A small receive buffer makes a client that does not read stall sooner.
  // The connect is bounded too: a terminal whose backlog is full never completes it.
  explicit RawClient(int port, int receiveBuffer = 0) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (receiveBuffer > 0)
      ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<uint16_t>(port));
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0;
    pollfd p{fd_, POLLOUT, 0};
    if (!connected_ && errno == EINPROGRESS && ::poll(&p, 1, 10000) == 1) {
      int error = 0;
      socklen_t len = sizeof error;
      connected_ = ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0;
    }
  }
  ~RawClient() { ::close(fd_); }
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  bool connected() const { return connected_; }

  // Small requests only: they fit in the socket's buffer at once.
  bool send(const QByteArray& data) {
    return ::send(fd_, data.constData(), size_t(data.size()), MSG_NOSIGNAL) == data.size();
  }

  // The result code of the next answer; INT_MIN when none came within ms.
  int answer(int ms) {
    char head[8];
    if (!read(head, sizeof head, ms)) return INT_MIN;
    int32_t code = 0;
    std::memcpy(&code, head + 4, 4);
    return code;
  }

  // True when the terminal hangs up within ms; what it sends first is dropped.
  bool closedWithin(int ms) {
    QElapsedTimer t;
    t.start();
    char buf[65536];
    while (t.elapsed() < ms) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 100) <= 0) continue;
      ssize_t n = ::recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
      if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return true;  // end or reset
    }
    return false;
  }

 private:
  bool read(char* p, size_t n, int ms) {
    QElapsedTimer t;
    t.start();
    size_t done = 0;
    while (done < n && t.elapsed() < ms) {
      pollfd pf{fd_, POLLIN, 0};
      if (::poll(&pf, 1, 100) <= 0) continue;
      ssize_t r = ::recv(fd_, p + done, n - done, MSG_DONTWAIT);
      if (r == 0 || (r < 0 && errno != EAGAIN && errno != EINTR)) return false;
      if (r > 0) done += size_t(r);
    }
    return done == n;
  }

  int fd_ = -1;
  bool connected_ = false;
};

}  // namespace

class TestSimRobustness : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QVERIFY2(fk_.load(), qPrintable(fk_.library.errorString())); }

  void badClient_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<int>("answer");  // the code the client reads first; 0: it reads nothing
    QTest::addColumn<QString>("event");

    vt::Writer cut(Op::Hello);  // the length word agrees, the hello ends early
    cut.i32(vt::kMagic);
    cut.u8(0);
    QTest::newRow("short frame") << QStringList{} << bytes(cut) << 0
                                 << "# malformed FK_ConnectNet request";
    QByteArray oversized(4, '\0');
    const uint32_t tooLong = vt::kMaxRequest + 1;
    std::memcpy(oversized.data(), &tooLong, 4);
    QTest::newRow("oversized length") << QStringList{} << oversized << 0 << "# oversized request";
    QTest::newRow("unknown kind") << QStringList{} << hello(7) << -1
                                  << "# hello of unknown connection kind 7";
    QTest::newRow("no hello") << QStringList{"--hello-timeout", "500"} << QByteArray() << 0
                              << "# no hello within 500 ms";
    QTest::newRow("idle after the connect")
        << QStringList{"--idle-timeout", "500"} << hello() << 1 << "# idle for 500 ms";
    QTest::newRow("stalled reader")
        << QStringList{"--send-timeout", "500", "--seed-records", QString::number(vt::kMaxFetch)}
        << hello() + walks(40) << 0 << "# answer not taken within 500 ms";
  }

  void badClient() {
    QFETCH(QStringList, options);
    QFETCH(QByteArray, sent);
    QFETCH(int, answer);
    QFETCH(QString, event);
    QTemporaryDir dir;
    VTerminal vt(dir.path());
    QVERIFY2(vt.start(options), qPrintable(vt.error()));
    RawClient bad(vt.port(), 4096);
    QVERIFY(bad.connected());
    QVERIFY(bad.send(sent));
    if (answer != 0) QCOMPARE(bad.answer(10000), answer);
    QVERIFY(servedWithin(fk_, vt.port(), 10000));
    QVERIFY(bad.closedWithin(10000));
    QVERIFY2(vt.events().contains(event), qPrintable(vt.events().join(" | ")));
  }

  // Behind the client only --max-waiting connections wait (each is told -2
  // once its hello comes); the ones beyond are closed at once. The client
  // itself is not disturbed.
  void waitingConnectionsAreBounded() {
    QTemporaryDir dir;
    VTerminal vt(dir.path());
    QVERIFY2(vt.start({"--max-waiting", "2"}), qPrintable(vt.error()));
    int h = fk_.connectLocal(vt.port());
    QVERIFY(h > 0);
    std::vector<std::unique_ptr<RawClient>> queue;
    for (int i = 0; i < 5; ++i) {
      queue.push_back(std::make_unique<RawClient>(vt.port()));
      QVERIFY(queue.back()->connected());
    }
    for (int i = 2; i < 5; ++i) QVERIFY(queue[i]->closedWithin(10000));
    for (int i = 0; i < 2; ++i) {
      QVERIFY(queue[i]->send(hello()));
      QCOMPARE(queue[i]->answer(10000), -2);
    }
    QCOMPARE(vt.events().count("# connection refused: 2 connections already waiting"), 3);
    double time = 0;
    QCOMPARE(fk_.FK_GetDeviceTime(h, &time), 1);
  }

  // Out of file descriptors, newcomers are refused at once and vterminal does
  // not spin on the connection it cannot take; it serves again once
  // descriptors are free.
  void fileDescriptorsRunOut() {
    QTemporaryDir dir;
    VTerminal vt(dir.path());
    vt.setFileLimit(16);
    QVERIFY2(vt.start({"--max-waiting", "100", "--hello-timeout", "60000"}),
             qPrintable(vt.error()));
    std::vector<std::unique_ptr<RawClient>> crowd;
    for (int i = 0; i < 30; ++i) {
      crowd.push_back(std::make_unique<RawClient>(vt.port()));
      QVERIFY(crowd.back()->connected());
    }
    QCOMPARE(fk_.connectLocal(vt.port()), -2);
    QVERIFY(vt.events().contains("# connection refused: out of file descriptors"));

    const long before = cpuTicks(vt.pid());
    QTest::qSleep(1000);
    QVERIFY(before >= 0);
    QVERIFY2(cpuTicks(vt.pid()) - before < sysconf(_SC_CLK_TCK) / 5,
             "vterminal kept the processor busy while out of descriptors");

    crowd.clear();
    QVERIFY(servedWithin(fk_, vt.port(), 10000));
  }

  // SIGTERM ends vterminal at once even while a client that does not read
  // holds an answer back; the changes made before are on disk and load again.
  void stopsAtOnceWithAnAnswerStuck() {
    QTemporaryDir dir;
    VTerminal vt(dir.path());
    QVERIFY2(
        vt.start({"--send-timeout", "600000", "--seed-records", QString::number(vt::kMaxFetch)}),
        qPrintable(vt.error()));
    RawClient stalled(vt.port(), 4096);
    QVERIFY(stalled.send(hello() + request(Op::EnableDevice, {0}) + walks(40)));
    QVERIFY(waitUntil([&] {
      return vt.journal().contains(
          QStringLiteral("FK_GetGeneralLogData_1() = 1 records=%1").arg(vt::kMaxFetch));
    }));
    // Meanwhile it still answers: a second client is told the terminal is busy.
    QCOMPARE(fk_.connectLocal(vt.port()), -2);
    QVERIFY(vt.journal().contains(
        QStringLiteral("FK_ConnectNet(1, \"127.0.0.1\", %1, 5000, 0, 0) = -2 busy")
            .arg(vt.port())));

    QVERIFY(vt.stop(5000));
    QCOMPARE(vt.state().value("enabled").toBool(true), false);
    QVERIFY2(vt.start(), qPrintable(vt.error()));
  }

 private:
  FkApi fk_;
};

QTEST_GUILESS_MAIN(TestSimRobustness)
#include "tst_sim_robustness.moc"
