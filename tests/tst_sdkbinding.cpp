#include <QTemporaryDir>
#include <QTest>

#include "FakeSdk.h"
#include "common/Errors.h"
#include "sdk/FKDefine.h"
#include "session/DisabledTerminals.h"

namespace {

// The program folder's notes, traced into the fake's call list so that a
// test sees a note made before the disable it is for.
class TTracedNotes final : public TDisabledRecord {
 public:
  explicit TTracedNotes(const QString& Folder) : notes(Folder + QLatin1Char('/')) {}
  bool Disabling(const TConnInfo& Info) override {
    const bool made = notes.Disabling(Info);
    if (made) FakeSdk.Calls << QStringLiteral("note made");
    return made;
  }
  void Enabled(const TConnInfo& Info) override {
    if (notes.LeftDisabled(Info)) FakeSdk.Calls << QStringLiteral("note gone");
    notes.Enabled(Info);
  }
  bool LeftDisabled(const TConnInfo& Info) const override { return notes.LeftDisabled(Info); }
  TDisabledTerminals notes;
};

TConnInfo Lan(int Machine, const QString& Ip, int Port = 5005) {
  TConnInfo info;
  info.Kind = QStringLiteral("LAN");
  info.MachineNumber = Machine;
  info.IpAddress = Ip;
  info.TcpPort = Port;
  return info;
}

}  // namespace

class TestSdkBinding : public QObject {
  Q_OBJECT
 private slots:
  void init() { FakeSdk.Reset(); }

  void connectPassesArgumentsOfEachKind_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("serialPort");
    QTest::addColumn<int>("baud");
    QTest::addColumn<QString>("call");
    QTest::newRow("usb") << "USB"
                         << "" << 0 << "FK_ConnectUSB(7)";
    QTest::newRow("serial COM1 is port 0") << "RS232/485"
                                           << "COM1" << 9600 << "FK_ConnectComm(7,0,9600,,0,5000)";
    QTest::newRow("serial first four chars")
        << "RS232/485"
        << "12345" << 19200 << "FK_ConnectComm(7,1234,19200,,0,5000)";
    QTest::newRow("serial empty port") << "RS232/485"
                                       << "" << 9600 << "FK_ConnectComm(7,0,9600,,0,5000)";
    QTest::newRow("lan") << "LAN"
                         << "" << 0 << "FK_ConnectNet(7,10.1.2.3,5005,5000,0,731856)";
  }
  void connectPassesArgumentsOfEachKind() {
    QFETCH(QString, kind);
    QFETCH(QString, serialPort);
    QFETCH(int, baud);
    QFETCH(QString, call);
    TFKAttendObject sdk(MakeFakeSdkLoader());
    TConnInfo info;
    info.MachineNumber = 7;
    info.Kind = kind;
    if (kind == QLatin1String("RS232/485")) {
      info.SerialPort = serialPort;
      info.BaudRate = baud;
      info.CommTimeout = 5000;
    } else if (kind == QLatin1String("LAN")) {
      info.IpAddress = QStringLiteral("10.1.2.3");
      info.TcpPort = 5005;
      info.NetPassword = 731856;
      info.NetTimeout = 5000;
    }
    QVERIFY(sdk.Connect(info));
    QCOMPARE(FakeSdk.Calls, QStringList{call});
    QCOMPARE(sdk.ConnectionHandle(), 17);
    QCOMPARE(sdk.SdkResult(), 1);
  }

  void failedConnectKeepsCode_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "No support";
    QTest::newRow("-2") << -2 << "No Open Comm";
    QTest::newRow("-10") << -10 << "mistake password";
  }
  void failedConnectKeepsCode() {
    QFETCH(int, code);
    QFETCH(QString, text);
    TFakeConnectedSdk sdk(99);  // a held handle is closed first, never dropped
    FakeSdk.Results[QStringLiteral("FK_ConnectNet")] = code;
    TConnInfo info;
    info.Kind = QStringLiteral("LAN");
    QVERIFY(!sdk.Connect(info));
    QCOMPARE(sdk.ConnectionHandle(), 0);
    QCOMPARE(sdk.SdkResult(), code);
    QCOMPARE(sdk.LastErrorText(), text);
    QCOMPARE(FakeSdk.Calls.first(), QStringLiteral("FK_DisConnect(99)"));
    QCOMPARE(FakeSdk.CallCount(QStringLiteral("FK_DisConnect")), 1);
    QVERIFY(sdk.ConnectedInfo().Kind.isEmpty());
  }

  // The re-enable at the end of an action reconnects only while the owner
  // is connected: after a disconnect, or a failed connect to another
  // terminal, a lost enable stays lost and nothing is connected behind the
  // operator's back.
  void noReconnectWithoutTheConnection_data() {
    QTest::addColumn<bool>("failedConnectToAnother");
    QTest::newRow("disconnected") << false;
    QTest::newRow("failed connect to another terminal") << true;
  }
  void noReconnectWithoutTheConnection() {
    QFETCH(bool, failedConnectToAnother);
    TFKAttendObject sdk(MakeFakeSdkLoader());
    QVERIFY(sdk.Connect(Lan(3, QStringLiteral("10.0.0.9"))));
    sdk.Disconnect();
    if (failedConnectToAnother) {
      FakeSdk.Queued[QStringLiteral("FK_ConnectNet")] = {-2};
      QVERIFY(!sdk.Connect(Lan(4, QStringLiteral("10.0.0.10"))));
    }
    FakeSdk.Calls.clear();
    FakeSdk.Results[QStringLiteral("FK_EnableDevice")] = -2;  // no connection
    QCOMPARE(int(sdk.EnableDeviceAgain()), int(TFKAttendObject::TEnableAgain::Failed));
    QCOMPARE(FakeSdk.Calls, QStringList{QStringLiteral("FK_EnableDevice(0,1)")});
    QCOMPARE(sdk.ConnectionHandle(), 0);
  }

  // Every disable is noted in the program folder before it is sent; the
  // note goes with the enable, or with a disable the terminal refused. A
  // disable whose answer was lost may have arrived: its note stays.
  void disableIsNotedUntilEnabled_data() {
    QTest::addColumn<bool>("notedBefore");  // by an earlier run, still standing
    QTest::addColumn<QList<int>>("flags");
    QTest::addColumn<QList<int>>("results");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<bool>("notedAfter");
    const QString e0 = QStringLiteral("FK_EnableDevice(17,0)");
    const QString e1 = QStringLiteral("FK_EnableDevice(17,1)");
    const QString made = QStringLiteral("note made"), gone = QStringLiteral("note gone");
    QTest::newRow("bracket") << false << QList<int>{0, 1} << QList<int>{1, 1}
                             << QStringList{made, e0, e1, gone} << false;
    QTest::newRow("enable fails") << false << QList<int>{0, 1} << QList<int>{1, -6}
                                  << QStringList{made, e0, e1} << true;
    QTest::newRow("disable refused")
        << false << QList<int>{0} << QList<int>{-6} << QStringList{made, e0, gone} << false;
    QTest::newRow("disable lost") << false << QList<int>{0} << QList<int>{-4}
                                  << QStringList{made, e0} << true;
    QTest::newRow("refused disable keeps an earlier note")
        << true << QList<int>{0} << QList<int>{-6} << QStringList{e0} << true;
    QTest::newRow("enable alone") << false << QList<int>{1} << QList<int>{1} << QStringList{e1}
                                  << false;
  }
  void disableIsNotedUntilEnabled() {
    QFETCH(bool, notedBefore);
    QFETCH(QList<int>, flags);
    QFETCH(QList<int>, results);
    QFETCH(QStringList, calls);
    QFETCH(bool, notedAfter);
    QTemporaryDir dir;
    TTracedNotes notes(dir.path());
    TFKAttendObject sdk(MakeFakeSdkLoader());
    sdk.SetDisabledRecord(&notes);
    const TConnInfo info = Lan(3, QStringLiteral("10.0.0.9"));
    QVERIFY(sdk.Connect(info));
    if (notedBefore) QVERIFY(notes.notes.Disabling(info));
    FakeSdk.Calls.clear();
    FakeSdk.Queued[QStringLiteral("FK_EnableDevice")] = results;
    for (int flag : flags) sdk.FK_EnableDevice(flag);
    QCOMPARE(FakeSdk.Calls, calls);
    QCOMPARE(notes.LeftDisabled(info), notedAfter);
    QCOMPARE(QFile::exists(notes.notes.NoteFile(info)), notedAfter);
  }

  // A note that cannot be written stops the disable: the terminal is never
  // disabled without a trace that outlives the program.
  void unwritableNoteStopsTheDisable() {
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("DevreDisi")));  // a file where the folder goes
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TDisabledTerminals notes(dir.path() + QLatin1Char('/'));
    TFKAttendObject sdk(MakeFakeSdkLoader());
    sdk.SetDisabledRecord(&notes);
    QVERIFY(sdk.Connect(Lan(3, QStringLiteral("10.0.0.9"))));
    FakeSdk.Calls.clear();
    QVERIFY_THROWS_EXCEPTION(EAppError, sdk.FK_EnableDevice(0));
    QVERIFY(FakeSdk.Calls.isEmpty());
  }

  // At the connect, a terminal noted as left disabled is enabled first and
  // the operator is told once; any other terminal gets no extra call.
  void connectEnablesOnlyATerminalLeftDisabled_data() {
    QTest::addColumn<QString>("noted");  // "", "this" or "other"
    QTest::addColumn<int>("enableResult");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<int>("leftDisabled");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("notedAfter");
    using L = TFKAttendObject::TLeftDisabled;
    const QString connect = QStringLiteral("FK_ConnectNet(3,10.0.0.9,5005,0,0,0)");
    const QString e1 = QStringLiteral("FK_EnableDevice(17,1)");
    QTest::newRow("never disabled") << "" << 1 << QStringList{connect} << int(L::No) << "" << false;
    QTest::newRow("another terminal noted")
        << "other" << 1 << QStringList{connect} << int(L::No) << "" << false;
    QTest::newRow("left disabled: enabled")
        << "this" << 1 << QStringList{connect, e1, QStringLiteral("note gone")} << int(L::Enabled)
        << "Terminal yarıda kalan önceki bir işlemden devre dışı kalmıştı, yeniden "
           "etkinleştirildi...."
        << false;
    QTest::newRow("left disabled: enable refused")
        << "this" << -6 << QStringList{connect, e1} << int(L::NotEnabled)
        << "Terminal yarıda kalan önceki bir işlemden devre dışı kalmıştı ve etkinleştirilemedi "
           "(execution of command failed.); cihazın tuş takımı ve okuyucusu kilitli...."
        << true;
  }
  void connectEnablesOnlyATerminalLeftDisabled() {
    QFETCH(QString, noted);
    QFETCH(int, enableResult);
    QFETCH(QStringList, calls);
    QFETCH(int, leftDisabled);
    QFETCH(QString, text);
    QFETCH(bool, notedAfter);
    QTemporaryDir dir;
    TTracedNotes notes(dir.path());
    const TConnInfo info = Lan(3, QStringLiteral("10.0.0.9"));
    // Same machine number and address, another port: another terminal.
    const TConnInfo other = Lan(3, QStringLiteral("10.0.0.9"), 5006);
    if (!noted.isEmpty()) QVERIFY(notes.notes.Disabling(noted == "this" ? info : other));
    TFKAttendObject sdk(MakeFakeSdkLoader());
    sdk.SetDisabledRecord(&notes);
    FakeSdk.Results[QStringLiteral("FK_EnableDevice")] = enableResult;
    QVERIFY(sdk.Connect(info));
    QCOMPARE(FakeSdk.Calls, calls);
    QCOMPARE(int(sdk.LeftDisabledAtConnect()), leftDisabled);
    QCOMPARE(LeftDisabledText(sdk), text);
    QCOMPARE(notes.LeftDisabled(info), notedAfter);
    QCOMPARE(notes.LeftDisabled(other), noted == "other");
    // Said once: the next connect finds nothing more to do when it worked.
    FakeSdk.Calls.clear();
    QVERIFY(sdk.Connect(info));
    QCOMPARE(FakeSdk.CallCount(QStringLiteral("FK_EnableDevice")), notedAfter ? 1 : 0);
  }

  void resultTexts_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    const QList<QPair<int, const char*>> table = {{1, "Successful"},
                                                  {0, "No support"},
                                                  {-1, "Unknown error"},
                                                  {-2, "No Open Comm"},
                                                  {-3, "Write Error"},
                                                  {-4, "Read Error"},
                                                  {-5, "Parameter Error"},
                                                  {-6, "execution of command failed."},
                                                  {-7, "End of data array"},
                                                  {-8, "None of data array"},
                                                  {-9, "Memory Allocating Error"},
                                                  {-10, "mistake password"},
                                                  {-11, "full enrolldata & can`t put enrolldata"},
                                                  {-12, "this ID is already  existed."},
                                                  {-14, "full manager & can`t put manager"},
                                                  {-15, "mistake fp data version."},
                                                  {-16, "mistake logdata In/Out mode."},
                                                  {2, "Unknown"},
                                                  {-13, "Unknown"},
                                                  {-17, "Unknown"}};
    for (const auto& [code, text] : table)
      QTest::newRow(qPrintable(QString::number(code))) << code << text;
  }
  void resultTexts() {
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(ResultText(code), text);
  }

  void disconnectCallsOnlyWithOpenConnection() {
    TFKAttendObject sdk(MakeFakeSdkLoader());
    sdk.Disconnect();
    QCOMPARE(FakeSdk.Calls.size(), 0);
    TConnInfo info;
    info.Kind = QStringLiteral("USB");
    FakeSdk.Results[QStringLiteral("FK_ConnectUSB")] = 5;
    QVERIFY(sdk.Connect(info));
    FakeSdk.Results[QStringLiteral("FK_DisConnect")] = -4;  // not looked at
    sdk.Disconnect();
    sdk.Disconnect();
    QCOMPARE(FakeSdk.Calls, (QStringList{"FK_ConnectUSB(0)", "FK_DisConnect(5)"}));
    QCOMPARE(sdk.ConnectionHandle(), 0);
    QCOMPARE(sdk.SdkResult(), 1);
  }

  void wrappersPassHandleFirstAndSucceedOnlyOnOne() {
    TFakeConnectedSdk sdk(3);
    QVERIFY(sdk.FK_EnableDevice(0));
    FakeSdk.Results[QStringLiteral("FK_EnableUser")] = 2;
    QVERIFY(!sdk.FK_EnableUser(42, 11, 1));
    QCOMPARE(sdk.SdkResult(), 2);
    QVERIFY(sdk.FK_ModifyPrivilege(42, 0, 1));
    QVERIFY(sdk.FK_SetDeviceTime(46000.5));
    QCOMPARE(FakeSdk.Calls,
             (QStringList{"FK_EnableDevice(3,0)", "FK_EnableUser(3,42,11,1)",
                          "FK_ModifyPrivilege(3,42,0,1)", "FK_SetDeviceTime(3,46000.5)"}));
  }

  // Without the first library nothing can be called: connect reports
  // "Unknown error" and every operation is false without a call.
  void missingFirstLibrary() {
    FakeSdk.FirstLibraryMissing = true;
    TFKAttendObject sdk(MakeFakeSdkLoader());
    QVERIFY(FakeSdk.Resolved.isEmpty());  // FKAttend's names are not looked up either
    TConnInfo info;
    info.Kind = QStringLiteral("LAN");
    QVERIFY(!sdk.Connect(info));
    QCOMPARE(sdk.LastErrorText(), QStringLiteral("Unknown error"));
    QCOMPARE(sdk.SdkResult(), -1);
    double dt = 0;
    int count = 0;
    QVERIFY(!sdk.FK_EnableDevice(0));
    QVERIFY(!sdk.FK_GetDeviceTime(dt));
    QVERIFY(!sdk.FK_ReadAllUserID());
    QVERIFY(!sdk.FK_GetBellTime(count, nullptr));
    QCOMPARE(sdk.SdkResult(), -1);
    QVERIFY(FakeSdk.Calls.isEmpty());
  }

  void slotsResolvedInOrderFromTheirLibraries() {
    TFKAttendObject sdk(MakeFakeSdkLoader());
    QCOMPARE(FakeSdk.Resolved.size(), 88);
    QCOMPARE(FakeSdk.Resolved.first(), QStringLiteral("FK623Attend:FK_ConnectUSB"));
    QCOMPARE(FakeSdk.Resolved.at(85), QStringLiteral("FK623Attend:FK_IsSupportedEnrollData"));
    QCOMPARE(FakeSdk.Resolved.mid(86),
             (QStringList{"FKAttend:FK_SetUDiskFileFKModel", "FKAttend:FK_ConnectGetIP"}));
    QCOMPARE(QString(SlotName(FKSlot::FK_ConnectGetIP)), QStringLiteral("FK_ConnectGetIP"));
    QCOMPARE(static_cast<int>(FKSlot::FK_IsSupportedEnrollData), 87);
  }

  void missingSecondLibraryChangesNothing() {
    FakeSdk.SecondLibraryMissing = true;
    TFKAttendObject sdk(MakeFakeSdkLoader());
    QVERIFY(!sdk.Slot(FKSlot::FK_ConnectGetIP));
    QVERIFY(!sdk.Slot(FKSlot::FK_SetUDiskFileFKModel));
    TConnInfo info;
    info.Kind = QStringLiteral("LAN");
    QVERIFY(sdk.Connect(info));
  }

  // The result of a call: the last code when its entry point was called,
  // "no support" when the entry point is missing and the last code belongs
  // to an earlier call.
  void resultOfMissingEntryPoint() {
    FakeSdk.SecondLibraryMissing = true;
    TFKAttendObject sdk(MakeFakeSdkLoader());
    FakeSdk.Results[QStringLiteral("FK_EnableDevice")] = -7;
    QVERIFY(!sdk.FK_EnableDevice(0));
    QCOMPARE(sdk.ResultOf(FKSlot::FK_EnableDevice), -7);
    QCOMPARE(sdk.ResultOf(FKSlot::FK_ConnectGetIP), 0);
  }

  void getUserName() {
    TFKAttendObject sdk(MakeFakeSdkLoader());
    QString name = QStringLiteral("old");
    FakeSdk.UserName = QByteArray("\xDE\x65n\xFD\x6C Ya\xFE\x61r");  // Şenıl Yaşar
    QVERIFY(sdk.FK_GetUserName(42, name));
    QCOMPARE(name, QStringLiteral("Şenıl Yaşar"));

    // The SDK may point the caller's pointer at a text of its own.
    FakeSdk.ReplaceNamePointer = true;
    FakeSdk.UserName = QByteArray("Ali");
    QVERIFY(sdk.FK_GetUserName(43, name));
    QCOMPARE(name, QStringLiteral("Ali"));
    FakeSdk.ReplaceNamePointer = false;

    // A name that fills all 256 characters is read without overrunning.
    FakeSdk.UserName = QByteArray(256, 'x');
    QVERIFY(sdk.FK_GetUserName(44, name));
    QCOMPARE(name.size(), 256);

    FakeSdk.UserName = QByteArray("Veli");
    FakeSdk.Results[QStringLiteral("FK_GetUserName")] = -8;
    QVERIFY(!sdk.FK_GetUserName(45, name));
    QVERIFY(name.isEmpty());

    FakeSdk.Missing << QStringLiteral("FK_GetUserName");
    TFKAttendObject without(MakeFakeSdkLoader());
    name = QStringLiteral("old");
    QVERIFY(!without.FK_GetUserName(42, name));
    QVERIFY(name.isEmpty());
  }

  void isSupportedEnrollData_data() {
    QTest::addColumn<bool>("missing");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("outValue");
    QTest::addColumn<bool>("returned");
    QTest::addColumn<bool>("supported");
    QTest::newRow("supported") << false << 1 << 1 << true << true;
    QTest::newRow("not supported") << false << 1 << 0 << true << false;
    QTest::newRow("failed call still sets output") << false << -2 << 1 << false << true;
    QTest::newRow("missing entry point") << true << 1 << 1 << false << false;
  }
  void isSupportedEnrollData() {
    QFETCH(bool, missing);
    QFETCH(int, result);
    QFETCH(int, outValue);
    QFETCH(bool, returned);
    QFETCH(bool, supported);
    if (missing) FakeSdk.Missing << QStringLiteral("FK_IsSupportedEnrollData");
    FakeSdk.Results[QStringLiteral("FK_IsSupportedEnrollData")] = result;
    FakeSdk.Supported = outValue;
    TFKAttendObject sdk(MakeFakeSdkLoader());
    bool out = !supported;
    QCOMPARE(sdk.FK_IsSupportedEnrollData(12, out), returned);
    QCOMPARE(out, supported);
  }

  // The end of an action's bracket: a lost connection is opened once more
  // with the same request, and the terminal is enabled on the new one.
  void enableDeviceAgainReconnectsOnlyOnALostConnection_data() {
    QTest::addColumn<QList<int>>("enableResults");
    QTest::addColumn<int>("reconnect");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QStringList>("calls");
    using E = TFKAttendObject::TEnableAgain;
    QTest::newRow("enabled") << QList<int>{1} << 17 << int(E::Enabled)
                             << QStringList{"FK_EnableDevice(17,1)"};
    QTest::newRow("refused, not lost: no reconnect")
        << QList<int>{-6} << 17 << int(E::Failed) << QStringList{"FK_EnableDevice(17,1)"};
    for (int lost : {-2, -3, -4})
      QTest::addRow("lost %d, reconnected", lost)
          << QList<int>{lost, 1} << 18 << int(E::EnabledAfterReconnect)
          << QStringList{"FK_EnableDevice(17,1)", "FK_DisConnect(17)",
                         "FK_ConnectNet(3,10.0.0.9,5005,0,0,0)", "FK_EnableDevice(18,1)"};
    QTest::newRow("lost, reconnect fails")
        << QList<int>{-4} << -2 << int(E::Failed)
        << QStringList{"FK_EnableDevice(17,1)", "FK_DisConnect(17)",
                       "FK_ConnectNet(3,10.0.0.9,5005,0,0,0)"};
  }
  void enableDeviceAgainReconnectsOnlyOnALostConnection() {
    QFETCH(QList<int>, enableResults);
    QFETCH(int, reconnect);
    QFETCH(int, outcome);
    QFETCH(QStringList, calls);
    TFKAttendObject sdk(MakeFakeSdkLoader());
    TConnInfo info;
    info.MachineNumber = 3;
    info.Kind = QStringLiteral("LAN");
    info.IpAddress = QStringLiteral("10.0.0.9");
    info.TcpPort = 5005;
    QVERIFY(sdk.Connect(info));
    FakeSdk.Calls.clear();
    FakeSdk.Queued[QStringLiteral("FK_EnableDevice")] = enableResults;
    FakeSdk.Queued[QStringLiteral("FK_ConnectNet")] = {reconnect};
    QCOMPARE(int(sdk.EnableDeviceAgain()), outcome);
    QCOMPARE(FakeSdk.Calls, calls);
    if (outcome == int(TFKAttendObject::TEnableAgain::Failed))
      QVERIFY(sdk.SdkResult() != 1);
    else
      QCOMPARE(sdk.ConnectionHandle(), reconnect);
  }

  // The real loading path: a library built beside this test, found by name.
  void loadsLibraryByNameFromBesideTheProgram() {
    TFKAttendObject sdk(
        MakeLibraryLoader(QStringLiteral("FKPartialTest"), QStringLiteral("FKNoSuchLibrary")));
    QVERIFY(sdk.FirstLibraryLoaded());
    QVERIFY(!sdk.SecondLibraryLoaded());
    for (int i = 0; i < FK_SLOT_COUNT; ++i) {
      const auto slot = static_cast<FKSlot>(i);
      const bool exported = slot == FKSlot::FK_ConnectNet || slot == FKSlot::FK_DisConnect ||
                            slot == FKSlot::FK_EnableDevice;
      QVERIFY2(bool(sdk.Slot(slot)) == exported, SlotName(slot));
    }
    TConnInfo info;
    info.Kind = QStringLiteral("LAN");
    info.MachineNumber = 2;
    info.TcpPort = 5005;
    QVERIFY(sdk.Connect(info));
    QCOMPARE(sdk.ConnectionHandle(), 2005);
    QVERIFY(sdk.FK_EnableDevice(0));
    QVERIFY(!sdk.FK_EnableDevice(1));
    QCOMPARE(sdk.SdkResult(), 2);
    double dt;
    QVERIFY(!sdk.FK_GetDeviceTime(dt));  // not exported: nothing called
    QCOMPARE(sdk.SdkResult(), 2);
    sdk.Disconnect();
    QCOMPARE(sdk.ConnectionHandle(), 0);
  }
};

QTEST_MAIN(TestSdkBinding)
#include "tst_sdkbinding.moc"
