// The stand-in library against a real vterminal: every called entry point
// with the program's argument lists, the failure codes, the read mark.
#include "SimFixture.h"

#include <QTemporaryDir>
#include <QtTest>

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <functional>

using Scenario = std::function<int(FkApi&, int port)>;
Q_DECLARE_METATYPE(Scenario)

namespace {

QByteArray bytesOf(const unsigned char* p, int n) {
  return QByteArray(reinterpret_cast<const char*>(p), n);
}

struct Record {
  int v[9] = {};
};

// Reads one attendance walk: the records, then the code that ended it.
int walk(FkApi& fk, int h, QList<Record>* out = nullptr, int stopAfter = -1) {
  for (int n = 0;; ++n) {
    if (n == stopAfter) return 1;
    Record r;
    int* v = r.v;
    int code =
        fk.FK_GetGeneralLogData_1(h, v, v + 1, v + 2, v + 3, v + 4, v + 5, v + 6, v + 7, v + 8);
    if (code != 1) return code;
    if (out) out->append(r);
  }
}

int countWalk(FkApi& fk, int h, int mark) {
  if (fk.FK_LoadGeneralLogData(h, mark) != 1) return -1;
  QList<Record> records;
  return walk(fk, h, &records) == -7 ? int(records.size()) : -1;
}

}  // namespace

class TestSimContract : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY2(fk_.load(), qPrintable(fk_.library.errorString()));
    // The library found by name is the one beside the executable.
    Dl_info where{};
    QVERIFY(dladdr(reinterpret_cast<void*>(fk_.FK_ConnectNet), &where) != 0);
    QCOMPARE(QFileInfo(QString::fromLocal8Bit(where.dli_fname)).canonicalFilePath(),
             QFileInfo(QCoreApplication::applicationDirPath() + "/libFK623Attend.so")
                 .canonicalFilePath());
  }

  void init() {
    dir_.reset(new QTemporaryDir);
    vt_.reset(new VTerminal(dir_->path()));
  }

  void cleanup() {
    vt_.reset();
    qunsetenv("MERIDOX_USB_ENDPOINT");
    qunsetenv("MERIDOX_COM3_ENDPOINT");
  }

  // One session through all 26 entry points, then the journal line by line.
  void sessionThroughEveryEntryPoint() {
    QVERIFY2(vt_->start({"--machine", "7", "--password", "4321", "--seed-users", "3",
                         "--seed-records", "5"}),
             qPrintable(vt_->error()));
    const int port = vt_->port();
    QStringList expected;

    // USB and serial connects carry no password, and every kind is held to it.
    qputenv("MERIDOX_USB_ENDPOINT", QByteArray::number(port));
    QCOMPARE(fk_.FK_ConnectUSB(7), -10);
    qputenv("MERIDOX_COM3_ENDPOINT", "127.0.0.1:" + QByteArray::number(port));
    QCOMPARE(fk_.FK_ConnectComm(7, 3, 9600, "", 0, 5000), -10);
    expected << "FK_ConnectUSB(7) = -10"
             << "FK_ConnectComm(7, 3, 9600, \"\", 0, 5000) = -10";

    int h = fk_.FK_ConnectNet(7, "127.0.0.1", port, 5000, 0, 4321);
    QVERIFY(h > 0);
    QCOMPARE(fk_.FK_EnableDevice(h, 0), 1);
    expected << QStringLiteral("FK_ConnectNet(7, \"127.0.0.1\", %1, 5000, 0, 4321) = 1").arg(port)
             << "FK_EnableDevice(0) = 1";

    const double when = 45357.3375;  // 2024-03-06 08:06
    QCOMPARE(fk_.FK_SetDeviceTime(h, when), 1);
    double read = 0;
    QCOMPARE(fk_.FK_GetDeviceTime(h, &read), 1);
    QVERIFY2(read >= when && read < when + 0.01, qPrintable(QString::number(read, 'f', 6)));
    expected << "FK_SetDeviceTime(45357.3375) = 1"
             << "FK_GetDeviceTime() = 1 time=*";

    QCOMPARE(fk_.FK_LoadGeneralLogData(h, 1), 1);
    QList<Record> records;
    QCOMPARE(walk(fk_, h, &records), -7);
    QCOMPARE(records.size(), 5);
    for (const Record& r : records) {
      QVERIFY(r.v[0] >= 1 && r.v[0] <= 3);
      QVERIFY(r.v[3] >= 2000 && r.v[4] >= 1 && r.v[4] <= 12 && r.v[5] >= 1 && r.v[5] <= 31);
      QVERIFY(r.v[6] >= 0 && r.v[6] < 24 && r.v[7] < 60 && r.v[8] < 60);
    }
    expected << "FK_LoadGeneralLogData(1) = 1 records=5"
             << "FK_GetGeneralLogData_1() = 1 records=5"
             << "FK_GetGeneralLogData_1() = -7";

    int bellCount = 0;
    unsigned char bells[FK_BELL_BLOCK_SIZE + 8];
    std::memset(bells, 0xEE, sizeof bells);
    QCOMPARE(fk_.FK_GetBellTime(h, &bellCount, bells), 1);
    QCOMPARE(bellCount, 72);  // three per bell entry
    QCOMPARE(bells[288], 1);  // first bell valid, 08:00
    QCOMPARE(bells[312], 8);
    QCOMPARE(bells[FK_BELL_BLOCK_SIZE], 0xEE);
    const QByteArray seededBells = bytesOf(bells, FK_BELL_BLOCK_SIZE);
    bells[289] = 0;
    QCOMPARE(fk_.FK_SetBellTime(h, 8, bells), 1);
    const QByteArray sentBells = bytesOf(bells, FK_BELL_BLOCK_SIZE);
    std::memset(bells, 0, sizeof bells);
    QCOMPARE(fk_.FK_GetBellTime(h, &bellCount, bells), 1);
    QCOMPARE(bellCount, 24);  // 8 entries stored
    QCOMPARE(bytesOf(bells, FK_BELL_BLOCK_SIZE), sentBells);
    expected << "FK_GetBellTime() = 1 count=72 block=" + blob(seededBells)
             << "FK_SetBellTime(8, " + blob(sentBells) + ") = 1"
             << "FK_GetBellTime() = 1 count=24 block=" + blob(sentBells);

    QCOMPARE(fk_.FK_ReadAllUserID(h), 1);
    int n = 0, b = 0, p = 0, e = 0, items = 0;
    while (fk_.FK_GetAllUserID(h, &n, &b, &p, &e) == 1) {
      QVERIFY(n >= 1 && n <= 3);
      ++items;
    }
    QCOMPARE(fk_.FK_GetAllUserID(h, &n, &b, &p, &e), -8);  // the walk is over
    const int seededItems = vt_->state().value("items").toArray().size();
    QCOMPARE(items, seededItems);
    expected << QStringLiteral("FK_ReadAllUserID() = 1 entries=%1").arg(items)
             << QStringLiteral("FK_GetAllUserID() = 1 entries=%1").arg(items)
             << "FK_GetAllUserID() = -7"
             << "FK_GetAllUserID() = -8";

    // A template of user 1; the SDK writes exactly its size, nothing beyond.
    QByteArray tpl(1680 + 16, char(0x5A));
    int privilege = -1, secret = -1;
    QCOMPARE(fk_.FK_GetEnrollData(h, 1, 0, &privilege, reinterpret_cast<unsigned char*>(tpl.data()),
                                  &secret),
             1);
    QCOMPARE(privilege, 1);
    QCOMPARE(secret, 0);
    QCOMPARE(tpl.mid(1680), QByteArray(16, char(0x5A)));
    tpl.truncate(1680);
    expected << "FK_GetEnrollData(1, 0) = 1 privilege=1 password=0 data=" + blob(tpl);

    // Copied to user 9, with a password item beside it.
    QByteArray pin(40, '\0');
    QCOMPARE(fk_.FK_PutEnrollData(h, 9, 0, 0, reinterpret_cast<unsigned char*>(tpl.data()), 0), 1);
    QCOMPARE(fk_.FK_PutEnrollData(h, 9, 10, 0, reinterpret_cast<unsigned char*>(pin.data()), 1234),
             1);
    QCOMPARE(fk_.FK_SaveEnrollData(h), 1);
    QByteArray back(40, '\0');
    QCOMPARE(fk_.FK_GetEnrollData(h, 9, 10, &privilege,
                                  reinterpret_cast<unsigned char*>(back.data()), &secret),
             1);
    QCOMPARE(secret, 1234);
    QCOMPARE(back.left(4), QByteArray::fromHex("d2040000"));  // the value travels in the template
    expected << "FK_PutEnrollData(9, 0, 0, " + blob(tpl) + ", 0) = 1"
             << "FK_PutEnrollData(9, 10, 0, " + blob(pin) + ", 1234) = 1"
             << "FK_SaveEnrollData() = 1"
             << "FK_GetEnrollData(9, 10) = 1 privilege=0 password=1234 data=" + blob(back);

    QCOMPARE(fk_.FK_EnableUser(h, 9, 0, 0), 1);
    QCOMPARE(fk_.FK_ModifyPrivilege(h, 9, 0, 2), 1);
    const char* name =
        "G\xFCl\xFE"
        "en I\xFE\xFDk";  // Gülşen Işık in Windows-1254
    QCOMPARE(fk_.FK_SetUserName(h, 9, name), 1);
    char nameBuffer[FK_USER_NAME_BUFFER];
    std::memset(nameBuffer, ' ', sizeof nameBuffer);
    char* namePointer = nameBuffer;
    QCOMPARE(fk_.FK_GetUserName(h, 9, &namePointer), 1);
    QCOMPARE(QByteArray(nameBuffer), QByteArray(name));
    expected << "FK_EnableUser(9, 0, 0) = 1"
             << "FK_ModifyPrivilege(9, 0, 2) = 1"
             << "FK_SetUserName(9, \"Gülşen Işık\") = 1"
             << "FK_GetUserName(9) = 1 name=\"Gülşen Işık\"";

    int supported = -1;
    QCOMPARE(fk_.FK_IsSupportedEnrollData(h, 12, &supported), 1);
    QCOMPARE(supported, 1);
    QCOMPARE(fk_.FK_IsSupportedEnrollData(h, 14, &supported), 1);
    QCOMPARE(supported, 0);
    QCOMPARE(fk_.FK_DeleteEnrollData(h, 9, 10), 1);
    QCOMPARE(fk_.FK_BenumbAllManager(h), 1);
    expected << "FK_IsSupportedEnrollData(12) = 1 supported=1"
             << "FK_IsSupportedEnrollData(14) = 1 supported=0"
             << "FK_DeleteEnrollData(9, 10) = 1"
             << "FK_BenumbAllManager() = 1";

    // User 9 now: one disabled fingerprint with privilege 0 (no managers left).
    // Items in the state file: [enroll, backup, privilege, enabled, password, offset].
    QJsonArray left = vt_->state().value("items").toArray();
    QCOMPARE(left.size(), seededItems + 1);
    QList<int> user9;
    for (int i = 0; i < 5; ++i) user9 << left.last()[i].toInt(-1);
    QCOMPARE(user9, QList<int>({9, 0, 0, 0, 0}));

    QCOMPARE(fk_.FK_ClearKeeperData(h), 1);
    QCOMPARE(fk_.FK_EmptyEnrollData(h), 1);
    QCOMPARE(fk_.FK_ReadAllUserID(h), 1);
    QCOMPARE(fk_.FK_GetAllUserID(h, &n, &b, &p, &e), -7);
    QCOMPARE(fk_.FK_EmptyGeneralLogData(h), 1);
    QCOMPARE(fk_.FK_EnableDevice(h, 1), 1);
    QCOMPARE(fk_.FK_DisConnect(h), 1);
    expected << "FK_ClearKeeperData() = 1"
             << "FK_EmptyEnrollData() = 1"
             << "FK_ReadAllUserID() = 1 entries=0"
             << "FK_GetAllUserID() = -7"
             << "FK_EmptyGeneralLogData() = 1"
             << "FK_EnableDevice(1) = 1"
             << "FK_DisConnect() = 1";

    QStringList journal = vt_->journal();
    journal.replaceInStrings(QRegularExpression("time=\\S+"), "time=*");
    QCOMPARE(journal, expected);
    QCOMPARE(vt_->state().value("enabled").toBool(false), true);
    QCOMPARE(fk_.FK_EnableDevice(h, 1), -2);  // the handle is gone
  }

  void failureCodes_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<Scenario>("scenario");
    QTest::addColumn<int>("expected");

    QTest::newRow("wrong password")
        << QStringList{"--password", "5"}
        << Scenario([](FkApi& fk, int port) { return fk.connectLocal(port, 1, 6); }) << -10;
    QTest::newRow("wrong machine number")
        << QStringList{"--machine", "2"}
        << Scenario([](FkApi& fk, int port) { return fk.connectLocal(port, 3); }) << -1;
    QTest::newRow("wrong machine number over USB")
        << QStringList{"--machine", "2"} << Scenario([](FkApi& fk, int port) {
             qputenv("MERIDOX_USB_ENDPOINT", "127.0.0.1:" + QByteArray::number(port));
             return fk.FK_ConnectUSB(1);
           })
        << -1;
    QTest::newRow("wrong password over USB")
        << QStringList{"--password", "5"} << Scenario([](FkApi& fk, int port) {
             qputenv("MERIDOX_USB_ENDPOINT", "127.0.0.1:" + QByteArray::number(port));
             return fk.FK_ConnectUSB(1);
           })
        << -10;
    QTest::newRow("nothing listening") << QStringList{} << Scenario([](FkApi& fk, int) {
      DeadPort dead;
      return fk.connectLocal(dead.port());
    }) << -2;
    QTest::newRow("connect answered with another positive number")
        << QStringList{"--fail", "FK_ConnectNet:5"}
        << Scenario([](FkApi& fk, int port) { return fk.connectLocal(port); }) << -2;
    QTest::newRow("answer slower than the time-out")
        << QStringList{"--latency", "10000"}
        << Scenario([](FkApi& fk, int port) { return fk.connectLocal(port, 1, 0, 200); }) << -2;
    QTest::newRow("unknown handle")
        << QStringList{} << Scenario([](FkApi& fk, int) { return fk.FK_EnableDevice(0, 0); }) << -2;
    QTest::newRow("reading an item not held")
        << QStringList{"--seed-users", "2"} << Scenario([](FkApi& fk, int port) {
             int p = 0, pw = 0;
             unsigned char buf[1680];
             return fk.FK_GetEnrollData(fk.connectLocal(port), 3, 0, &p, buf, &pw);
           })
        << -8;
    QTest::newRow("deleting an item not held")
        << QStringList{"--seed-users", "2"} << Scenario([](FkApi& fk, int port) {
             return fk.FK_DeleteEnrollData(fk.connectLocal(port), 2, 9);
           })
        << -8;
    QTest::newRow("name of a user not held") << QStringList{} << Scenario([](FkApi& fk, int port) {
      return fk.FK_SetUserName(fk.connectLocal(port), 4, "Ali");
    }) << -8;
    QTest::newRow("writing to a full terminal")
        << QStringList{"--seed-users", "1", "--capacity", "1"} << Scenario([](FkApi& fk, int port) {
             unsigned char tpl[1680] = {};
             return fk.FK_PutEnrollData(fk.connectLocal(port), 2, 0, 0, tpl, 0);
           })
        << -11;
    QTest::newRow("injected result code")
        << QStringList{"--fail", "FK_EnableDevice:-6:1"} << Scenario([](FkApi& fk, int port) {
             int h = fk.connectLocal(port);
             int first = fk.FK_EnableDevice(h, 0);
             return fk.FK_EnableDevice(h, 0) == 1 ? first : 99;
           })
        << -6;
    QTest::newRow("hang-up during a call")
        << QStringList{"--fail", "FK_EnableDevice:drop"} << Scenario([](FkApi& fk, int port) {
             int h = fk.connectLocal(port);
             int lost = fk.FK_EnableDevice(h, 0);
             return fk.FK_EnableDevice(h, 1) == -2 ? lost : 99;  // closed afterwards
           })
        << -4;
  }

  void failureCodes() {
    QFETCH(QStringList, options);
    QFETCH(Scenario, scenario);
    QFETCH(int, expected);
    QVERIFY2(vt_->start(options), qPrintable(vt_->error()));
    QCOMPARE(scenario(fk_, vt_->port()), expected);
  }

  // Emptying the log removes every record for both read marks, ends an open
  // walk and keeps users; records made later are delivered as usual. A fault
  // rule leaves the records where they are.
  void emptyGeneralLog() {
    QVERIFY2(vt_->start({"--seed-users", "3", "--seed-records", "40", "--fail",
                         "FK_EmptyGeneralLogData:-5:1"}),
             qPrintable(vt_->error()));
    int h = fk_.connectLocal(vt_->port());
    QCOMPARE(countWalk(fk_, h, 1), 40);
    QCOMPARE(fk_.FK_EmptyGeneralLogData(h), -5);
    QCOMPARE(countWalk(fk_, h, 0), 40);
    QCOMPARE(fk_.FK_LoadGeneralLogData(h, 0), 1);
    QCOMPARE(fk_.FK_EmptyGeneralLogData(h), 1);
    QCOMPARE(walk(fk_, h), -8);  // the open walk ended with the records
    QCOMPARE(countWalk(fk_, h, 0), 0);
    QCOMPARE(countWalk(fk_, h, 1), 0);
    QCOMPARE(fk_.FK_DisConnect(h), 1);
    const QJsonObject records = vt_->state().value("records").toObject();
    QCOMPARE(records.value("count").toInt(-1), 0);
    QCOMPARE(records.value("delivered").toInt(-1), 0);
    QCOMPARE(vt_->state().value("items").toArray().isEmpty(), false);
    QCOMPARE(QFileInfo(vt_->statePath() + ".d/records.bin").size(), 0);
  }

  void attendanceWalk_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("endCode");
    QTest::addColumn<QString>("lastCall");

    QTest::newRow("complete") << QStringList{} << 40 << -7 << "FK_GetGeneralLogData_1() = -7";
    QTest::newRow("dropped after 25 records") << QStringList{"--drop-walk-after", "25"} << 25 << -4
                                              << "FK_GetGeneralLogData_1() = dropped";
    QTest::newRow("dropped before the first record")
        << QStringList{"--drop-walk-after", "0"} << 0 << -4 << "FK_GetGeneralLogData_1() = dropped";
    QTest::newRow("refused by the terminal") << QStringList{"--fail", "FK_GetGeneralLogData_1:-8"}
                                             << 0 << -8 << "FK_GetGeneralLogData_1() = -8";
  }

  void attendanceWalk() {
    QFETCH(QStringList, options);
    QFETCH(int, records);
    QFETCH(int, endCode);
    QFETCH(QString, lastCall);
    QVERIFY2(vt_->start(options + QStringList{"--seed-records", "40"}), qPrintable(vt_->error()));
    int h = fk_.connectLocal(vt_->port());
    QCOMPARE(fk_.FK_LoadGeneralLogData(h, 0), 1);
    QList<Record> got;
    QCOMPARE(walk(fk_, h, &got), endCode);
    QCOMPARE(got.size(), records);
    QCOMPARE(vt_->journal().constLast(), lastCall);
  }

  // Mark 1 gives what no complete walk delivered yet; mark 0 gives all. A walk
  // counts as complete once the client got -7 at its end.
  void readMark() {
    QVERIFY(vt_->start({"--seed-records", "10"}));
    int h = fk_.connectLocal(vt_->port());
    QCOMPARE(countWalk(fk_, h, 1), 10);
    QCOMPARE(countWalk(fk_, h, 1), 0);
    QCOMPARE(countWalk(fk_, h, 0), 10);
    fk_.FK_DisConnect(h);
    vt_->stop();

    QVERIFY(vt_->start({"--seed-records", "5"}));  // five more on the same state
    h = fk_.connectLocal(vt_->port());
    QCOMPARE(fk_.FK_LoadGeneralLogData(h, 1), 1);
    QCOMPARE(walk(fk_, h, nullptr, 2), 1);  // left unfinished: does not count
    QCOMPARE(countWalk(fk_, h, 1), 5);
    QCOMPARE(countWalk(fk_, h, 1), 0);
    QCOMPARE(countWalk(fk_, h, 0), 15);
    QCOMPARE(vt_->state().value("records").toObject().value("delivered").toInt(), 15);
  }

  // A second client is refused while the first one walks the records; the
  // first walk goes on where it was, ends with -7 and counts as delivered.
  void secondClientLeavesTheWalkAlone() {
    const int total = 20000;  // more than one fetch: the walk goes back to the terminal
    QVERIFY(vt_->start({"--seed-records", QString::number(total)}));
    const int port = vt_->port();
    int h = fk_.connectLocal(port);
    QCOMPARE(fk_.FK_LoadGeneralLogData(h, 1), 1);
    QList<Record> interrupted;
    QCOMPARE(walk(fk_, h, &interrupted, 10), 1);
    QCOMPARE(fk_.connectLocal(port), -2);
    QCOMPARE(walk(fk_, h, &interrupted), -7);
    QCOMPARE(vt_->state().value("records").toObject().value("delivered").toInt(), total);

    QCOMPARE(fk_.FK_LoadGeneralLogData(h, 0), 1);
    QList<Record> all;
    QCOMPARE(walk(fk_, h, &all), -7);
    QCOMPARE(interrupted.size(), total);
    for (int i = 0; i < total; ++i)
      QVERIFY2(std::equal(all[i].v, all[i].v + 9, interrupted[i].v),
               qPrintable(QString::number(i)));
    QVERIFY(vt_->journal().contains(
        QStringLiteral("FK_ConnectNet(1, \"127.0.0.1\", %1, 5000, 0, 0) = -2 busy").arg(port)));
  }

  // An answer of 1 without the values it promises (injected: the code
  // alone) is broken: -4, nothing written for the caller, the connection
  // closed. Each call writes into a buffer that must stay as it was.
  void incompleteAnswer_data() {
    using Call = std::function<int(FkApi&, int, char*)>;
    QTest::addColumn<QString>("entryPoint");
    QTest::addColumn<Scenario>("call");
    auto row = [](const char* name, Call call) {
      QTest::newRow(name) << QString(name) << Scenario([call](FkApi& fk, int h) {
        QByteArray out(4096, char(0x5A));
        int code = call(fk, h, out.data());
        return out == QByteArray(4096, char(0x5A)) ? code : 99;
      });
    };
    row("FK_GetDeviceTime", [](FkApi& fk, int h, char* out) {
      return fk.FK_GetDeviceTime(h, reinterpret_cast<double*>(out));
    });
    row("FK_IsSupportedEnrollData", [](FkApi& fk, int h, char* out) {
      return fk.FK_IsSupportedEnrollData(h, 0, reinterpret_cast<int*>(out));
    });
    row("FK_GetBellTime", [](FkApi& fk, int h, char* out) {
      return fk.FK_GetBellTime(h, reinterpret_cast<int*>(out),
                               reinterpret_cast<unsigned char*>(out + 8));
    });
    row("FK_GetEnrollData", [](FkApi& fk, int h, char* out) {
      int* v = reinterpret_cast<int*>(out);
      return fk.FK_GetEnrollData(h, 1, 0, v, reinterpret_cast<unsigned char*>(out + 8), v + 1);
    });
    row("FK_GetUserName", [](FkApi& fk, int h, char* out) {
      char* at = out;
      return fk.FK_GetUserName(h, 1, &at);
    });
    row("FK_GetGeneralLogData_1", [](FkApi& fk, int h, char* out) {
      int* v = reinterpret_cast<int*>(out);
      if (fk.FK_LoadGeneralLogData(h, 0) != 1) return 98;
      return fk.FK_GetGeneralLogData_1(h, v, v + 1, v + 2, v + 3, v + 4, v + 5, v + 6, v + 7,
                                       v + 8);
    });
    row("FK_GetAllUserID", [](FkApi& fk, int h, char* out) {
      int* v = reinterpret_cast<int*>(out);
      if (fk.FK_ReadAllUserID(h) != 1) return 98;
      return fk.FK_GetAllUserID(h, v, v + 1, v + 2, v + 3);
    });
  }

  void incompleteAnswer() {
    QFETCH(QString, entryPoint);
    QFETCH(Scenario, call);
    QVERIFY(vt_->start({"--seed-users", "2", "--seed-records", "3", "--fail", entryPoint + ":1"}));
    int h = fk_.connectLocal(vt_->port());
    QVERIFY(h > 0);
    QCOMPARE(call(fk_, h), -4);
    QCOMPARE(fk_.FK_EnableDevice(h, 1), -2);
  }

  // The name goes into the caller's 256-byte buffer, NUL-terminated, never past it.
  void userNameBuffer_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("turkish letters") << QByteArray("\xC7\xF0\xFD\xDD\xF6\xFE\xFC \xE7")
                                     << QByteArray("\xC7\xF0\xFD\xDD\xF6\xFE\xFC \xE7");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("longer than the buffer") << QByteArray(300, 'A') << QByteArray(255, 'A');
  }

  void userNameBuffer() {
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, expected);
    QVERIFY(vt_->start({"--seed-users", "1"}));
    int h = fk_.connectLocal(vt_->port());
    QCOMPARE(fk_.FK_SetUserName(h, 1, name.constData()), 1);
    QByteArray buffer(FK_USER_NAME_BUFFER + 32, ' ');
    char* at = buffer.data();
    QCOMPARE(fk_.FK_GetUserName(h, 1, &at), 1);
    QCOMPARE(QByteArray(buffer.constData()), expected);
    QCOMPARE(buffer.mid(FK_USER_NAME_BUFFER), QByteArray(32, ' '));
  }

 private:
  FkApi fk_;
  QScopedPointer<QTemporaryDir> dir_;
  QScopedPointer<VTerminal> vt_;
};

QTEST_GUILESS_MAIN(TestSimContract)
#include "tst_sim_contract.moc"
