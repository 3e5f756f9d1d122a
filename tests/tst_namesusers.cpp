// The core of the names and users tabs: the letter replacement, the names
// sent to the terminal byte for byte, the old-password decoding, the user
// commands' walk over a user's stored rows, and the personnel-database
// settings.
#include <QTest>

#include "RecordingReport.h"
#include "TestFolder.h"
#include "common/Dialogs.h"
#include "common/Errors.h"
#include "data/DM.h"
#include "data/NameList.h"
#include "data/PdksSettings.h"
#include "enrolldata/EnrollStore.h"
#include "enrolldata/Names.h"
#include "enrolldata/Users.h"

class TestNamesUsers : public QObject {
  Q_OBJECT
  std::unique_ptr<TDatabasesAndFakeTerminal> t;

  void AddName(const QString& Card, const QString& Name) {
    ExecOn(t->Db.Folder.File(QStringLiteral("Log.mdb")),
           QStringLiteral("insert into temp (kartno, isim) values (?, ?)"), {Card, Name});
  }
  void AddItem(int User, int Backup, int Privilege, int Password = 0) {
    ExecOn(t->Db.Folder.File(QStringLiteral("Data.mdb")),
           QStringLiteral("insert into tblEnroll (EnrollNumber, FingerNumber, Privilige, Password, "
                          "FPdata) values (?, ?, ?, ?, ?)"),
           {User, Backup, Privilege, Password, QByteArray(TemplateSize(Backup), '\5')});
  }

 private slots:
  void init() { t = std::make_unique<TDatabasesAndFakeTerminal>(); }
  void cleanup() { t.reset(); }

  void toAsciiName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("sent");
    QTest::newRow("all twelve letters") << "çğıöşüÇĞİÖŞÜ"
                                        << "cgiosuCGIOSU";
    QTest::newRow("Gül Şahin") << "Gül Şahin"
                               << "Gul Sahin";
    QTest::newRow("capitals") << "İSMAİL ÇAĞLAR"
                              << "ISMAIL CAGLAR";
    QTest::newRow("Ayşe Yılmaz") << "Ayşe Yılmaz"
                                 << "Ayse Yilmaz";
    QTest::newRow("Hüsnü Öztürk") << "Hüsnü Öztürk"
                                  << "Husnu Ozturk";
    QTest::newRow("circumflex letters stay") << "Hâlâ Îmren Ûlkü"
                                             << "Hâlâ Îmren Ûlku";
    QTest::newRow("digits, blanks, punctuation") << " D'Souza-2 (ş) "
                                                 << " D'Souza-2 (s) ";
    QTest::newRow("empty") << ""
                           << "";
  }
  void toAsciiName() {
    QFETCH(QString, name);
    QFETCH(QString, sent);
    QCOMPARE(ToAsciiName(name), sent);
    QCOMPARE(ToAsciiName(name).size(), name.size());
  }

  // What reaches the terminal: the number without leading zeros and the
  // Windows-1254 bytes of the plain name, whole; an empty name sends nothing.
  void sendUserName_data() {
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("number");  // -1: no call
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("leading zeros vanish") << "00042"
                                          << "Gül Şahin" << 42 << QByteArray("Gul Sahin");
    QTest::newRow("capitals") << "00007"
                              << "İSMAİL ÇAĞLAR" << 7 << QByteArray("ISMAIL CAGLAR");
    QTest::newRow("circumflex as 1254 bytes")
        << "12345"
        << "Hâlûk Kîrşan" << 12345 << QByteArray("H\xE2l\xFBk K\xEErsan");
    QTest::newRow("20 characters, no cut")
        << "00009"
        << "Abdurrahman Çelikkol" << 9 << QByteArray("Abdurrahman Celikkol");
    QTest::newRow("apostrophe") << "00011"
                                << "D'Souza Ömer" << 11 << QByteArray("D'Souza Omer");
    QTest::newRow("empty name skipped") << "00003"
                                        << "" << -1 << QByteArray();
  }
  void sendUserName() {
    QFETCH(QString, card);
    QFETCH(QString, name);
    QFETCH(int, number);
    QFETCH(QByteArray, bytes);
    AddName(card, name);
    TDataSet list(QStringLiteral("qryisim"), t->Db.Log);
    TNameList(list, list, list).Open({});
    const TSendResult result = SendUserName(t->Sdk, list);
    if (number < 0) {
      QCOMPARE(result, TSendResult::Skipped);
      QVERIFY(FakeSdk.Calls.isEmpty());
      QCOMPARE(SendStatus(result), QString());
      return;
    }
    QCOMPARE(result, TSendResult::Sent);
    QCOMPARE(FakeSdk.Calls.size(), 1);
    const QString prefix = QStringLiteral("FK_SetUserName(17,%1,").arg(number);
    const QString call = FakeSdk.Calls[0];
    QVERIFY2(call.startsWith(prefix), qPrintable(call));
    // The fake writes each received byte as one Latin-1 character.
    QCOMPARE(call.mid(prefix.size()).chopped(1).toLatin1(), bytes);
  }

  // Every row in list order; one refusal makes the last line "error" even
  // when later rows went through; an empty name leaves the line as it was.
  void sendAllUserNames() {
    AddName(QStringLiteral("00002"), QStringLiteral("Ayşe Yılmaz"));
    AddName(QStringLiteral("00001"), QStringLiteral("Gül Şahin"));
    AddName(QStringLiteral("00003"), QString());
    AddName(QStringLiteral("00004"), QStringLiteral("Hüsnü Öztürk"));
    FakeSdk.Queued[QStringLiteral("FK_SetUserName")] = {-8, 1, 1};
    TDataSet list(QStringLiteral("qryisim"), t->Db.Log);
    TNameList(list, list, list).Open({});
    QStringList lines;
    const int failed = SendAllUserNames(t->Sdk, list, [&](const QString& t) { lines << t; });
    QCOMPARE(failed, 1);
    QCOMPARE(FakeSdk.Calls,
             (QStringList{"FK_SetUserName(17,1,Gul Sahin)", "FK_SetUserName(17,2,Ayse Yilmaz)",
                          "FK_SetUserName(17,4,Husnu Ozturk)"}));
    QCOMPARE(lines, (QStringList{"error", "SetUserName OK", "SetUserName OK", "error"}));
    lines.clear();
    FakeSdk.Calls.clear();
    QCOMPARE(SendAllUserNames(t->Sdk, list, [&](const QString& t) { lines << t; }), 0);
    QCOMPARE(lines.last(), QStringLiteral("SetUserName OK"));
  }

  void cardThatIsNoNumberStopsTheSend() {
    AddName(QStringLiteral("12a"), QStringLiteral("Ali"));
    TDataSet list(QStringLiteral("qryisim"), t->Db.Log);
    TNameList(list, list, list).Open({});
    QVERIFY_THROWS_EXCEPTION(EConvertError, SendUserName(t->Sdk, list));
    QVERIFY(FakeSdk.Calls.isEmpty());
  }

  // The search text is bound: names that begin with it, apostrophes included,
  // blanks around it dropped, in card-number order.
  void nameListSearch_data() {
    QTest::addColumn<QString>("search");
    QTest::addColumn<QStringList>("cards");
    QTest::newRow("none") << "" << QStringList{"00001", "00002", "00003", "00004"};
    QTest::newRow("blanks only") << "   " << QStringList{"00001", "00002", "00003", "00004"};
    QTest::newRow("prefix") << " Ay " << QStringList{"00002", "00004"};
    QTest::newRow("apostrophe") << "O'N" << QStringList{"00003"};
    QTest::newRow("not inside the name") << "Yılmaz" << QStringList{};
  }
  void nameListSearch() {
    QFETCH(QString, search);
    QFETCH(QStringList, cards);
    AddName(QStringLiteral("00004"), QStringLiteral("Ayten Kaya"));
    AddName(QStringLiteral("00002"), QStringLiteral("Ayşe Yılmaz"));
    AddName(QStringLiteral("00003"), QStringLiteral("O'Neil Şükrü"));
    AddName(QStringLiteral("00001"), QStringLiteral("Gül Şahin"));
    TDataSet list(QStringLiteral("qryisim"), t->Db.Log);
    TNameList(list, list, list).Open(search);
    QStringList found;
    for (list.First(); !list.Eof(); list.Next())
      found << list.FieldByName(QStringLiteral("kartno")).AsString();
    QCOMPARE(found, cards);
  }

  void oldPasswordText_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("password");
    QTest::newRow("0") << 0 << "";
    QTest::newRow("negative") << -291 << "";
    QTest::newRow("one digit 0") << 0x1 << "0";
    QTest::newRow("one digit 9") << 0xA << "9";
    QTest::newRow("lowest group first") << 0x5432 << "1234";
    QTest::newRow("groups 11 to 15") << 0xFEDCB << "1011121314";
    QTest::newRow("zero group below a higher one") << 0x302 << "1-12";
  }
  void oldPasswordText() {
    QFETCH(int, stored);
    QFETCH(QString, password);
    QCOMPARE(OldPasswordText(stored), password);
  }

  void privilegeLists_data() {
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("passwordStatement");
    QTest::addColumn<QString>("listStatement");
    QTest::newRow("users") << int(TPrivilegeFilter::Users)
                           << "SELECT * FROM tblEnroll where FingerNumber=15  and (Privilige=0)"
                           << "SELECT * FROM tblEnroll where  (Privilige=0)";
    QTest::newRow("admins")
        << int(TPrivilegeFilter::Admins)
        << "SELECT * FROM tblEnroll where FingerNumber=15  and (Privilige=1 or Privilige=2)"
        << "SELECT * FROM tblEnroll where  (Privilige=1 or Privilige=2)";
  }
  void privilegeLists() {
    QFETCH(int, filter);
    QFETCH(QString, passwordStatement);
    QFETCH(QString, listStatement);
    TDataSet q(QStringLiteral("qryadmin"), t->Db.Data);
    OpenPasswordList(q, TPrivilegeFilter(filter));
    QCOMPARE(q.SQL(), passwordStatement);
    OpenActivePassiveList(q, TPrivilegeFilter(filter));
    QCOMPARE(q.SQL(), listStatement);
  }

  // A user with two fingerprints and a card: the terminal is disabled before
  // each row and enabled once; each command carries the row's backup number.
  void userCommandSendsEveryRow_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("call");
    QTest::newRow("enable") << int(TUserCommand::Enable) << "FK_EnableUser(17,5,%1,1)";
    QTest::newRow("disable") << int(TUserCommand::Disable) << "FK_EnableUser(17,5,%1,0)";
    QTest::newRow("admin") << int(TUserCommand::MakeAdmin) << "FK_ModifyPrivilege(17,5,%1,1)";
    QTest::newRow("user") << int(TUserCommand::MakeUser) << "FK_ModifyPrivilege(17,5,%1,0)";
  }
  void userCommandSendsEveryRow() {
    QFETCH(int, command);
    QFETCH(QString, call);
    AddItem(4, 0, 0);
    AddItem(5, 0, 0);
    AddItem(5, 1, 0);
    AddItem(5, 11, 0);
    TDataSet list(QStringLiteral("qryaktifpasif"), t->Db.Data);
    OpenActivePassiveList(list, TPrivilegeFilter::Users);
    list.SetRecNo(1);
    TDataSet rows(QStringLiteral("ADOEnroll"), t->Db.Data);
    TRecordingReport report;
    TWorkingTemplate working;
    RunUserCommand(t->Sdk, working, list, rows, TUserCommand(command), report);
    const QString off = QStringLiteral("FK_EnableDevice(17,0)");
    QCOMPARE(FakeSdk.Calls, (QStringList{off, call.arg(0), off, call.arg(1), off, call.arg(11),
                                         "FK_EnableDevice(17,1)"}));
    QCOMPARE(report.Lines, (QStringList{"Success!", "Success!", "Success!"}));
    QCOMPARE(report.Loaded, (QStringList{"5-0", "5-1", "5-11"}));
    QCOMPARE(report.ProcessMessagesCalls, 3);
    QCOMPARE(rows.RecordCount(), 3);  // the user's rows stay for the single-record tab
  }

  // Outcomes of the walk: refusals, a terminal that cannot be disabled, a
  // stored row with user number 0 (it cannot be loaded: Yes / No / Cancel).
  void userCommandOutcomes_data() {
    QTest::addColumn<int>("user");                  // the user selected: 5 (two rows) or 0
    QTest::addColumn<QList<int>>("enableResults");  // FK_EnableUser, queued
    QTest::addColumn<QList<int>>("deviceResults");  // FK_EnableDevice, queued
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("lines");
    const QString off = "FK_EnableDevice(17,0)";
    const QString on = "FK_EnableDevice(17,1)";
    QTest::newRow("first refused, last accepted")
        << 5 << QList<int>{-8, 1} << QList<int>{} << QList<int>{}
        << QStringList{off, "FK_EnableUser(17,5,0,1)", off, "FK_EnableUser(17,5,1,1)", on}
        << QStringList{"error", "Success!", "error"};
    QTest::newRow("no device") << 5 << QList<int>{} << QList<int>{-2} << QList<int>{}
                               << QStringList{off, on} << QStringList{"No Device"};
    QTest::newRow("no device at the second row")
        << 5 << QList<int>{} << QList<int>{1, -4} << QList<int>{}
        << QStringList{off, "FK_EnableUser(17,5,0,1)", off, on}
        << QStringList{"Success!", "No Device"};
    QTest::newRow("unloadable, No sends with numbers 0")
        << 0 << QList<int>{-8} << QList<int>{} << QList<int>{IDNO}
        << QStringList{off, "FK_EnableUser(17,0,0,1)", on} << QStringList{"error", "error"};
    QTest::newRow("unloadable, Cancel passes it over")
        << 0 << QList<int>{} << QList<int>{} << QList<int>{IDCANCEL} << QStringList{on}
        << QStringList{};
    QTest::newRow("unloadable, Yes asks again")
        << 0 << QList<int>{} << QList<int>{} << QList<int>{IDYES, IDYES, IDCANCEL}
        << QStringList{on} << QStringList{};
  }
  void userCommandOutcomes() {
    QFETCH(int, user);
    QFETCH(QList<int>, enableResults);
    QFETCH(QList<int>, deviceResults);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, lines);
    AddItem(user, 0, 0);
    if (user > 0) AddItem(user, 1, 0);
    FakeSdk.Queued[QStringLiteral("FK_EnableUser")] = enableResults;
    FakeSdk.Queued[QStringLiteral("FK_EnableDevice")] = deviceResults;
    TDataSet list(QStringLiteral("qryaktifpasif"), t->Db.Data);
    OpenActivePassiveList(list, TPrivilegeFilter::Users);
    TDataSet rows(QStringLiteral("ADOEnroll"), t->Db.Data);
    TRecordingReport report;
    report.Answers = answers;
    TWorkingTemplate working;
    RunUserCommand(t->Sdk, working, list, rows, TUserCommand::Enable, report);
    QCOMPARE(FakeSdk.Calls, calls);
    QCOMPARE(report.Lines, lines);
    QCOMPARE(report.Shown.size(), answers.size());
    for (const TAsked& d : report.Shown) {
      QCOMPARE(d.Text, QStringLiteral("Conv Error: Continue ?"));
      QCOMPARE(d.Title, QStringLiteral("ConvShToArm"));
      QCOMPARE(d.Flags, MB_YESNOCANCEL | MB_ICONQUESTION);
    }
  }

  // A stored item number past the range of int or with a fraction would
  // reach the terminal as another item (4294967296 as 0): the command is
  // refused with the conversion error before the terminal hears of it, even
  // when the user's first row is sound.
  void userCommandRefusesNumberOutOfRange_data() {
    QTest::addColumn<QString>("stored");
    QTest::newRow("2^32") << "4294967296";
    QTest::newRow("fraction") << "1.5";
  }
  void userCommandRefusesNumberOutOfRange() {
    QFETCH(QString, stored);
    AddItem(5, 0, 0);
    AddItem(5, 1, 0);
    ExecOn(t->Db.Folder.File(QStringLiteral("Data.mdb")),
           QStringLiteral("update tblEnroll set FingerNumber=%1 where FingerNumber=1").arg(stored));
    TDataSet list(QStringLiteral("qryaktifpasif"), t->Db.Data);
    OpenActivePassiveList(list, TPrivilegeFilter::Users);
    TDataSet rows(QStringLiteral("ADOEnroll"), t->Db.Data);
    TRecordingReport report;
    TWorkingTemplate working;
    QCOMPARE(ErrorOf([&] {
               RunUserCommand(t->Sdk, working, list, rows, TUserCommand::Disable, report);
             }),
             QStringLiteral("'%1' is not a valid integer value").arg(stored));
    QCOMPARE(FakeSdk.Calls, QStringList());
    QCOMPARE(report.Lines, QStringList());
  }

  void userCommandOnEmptyList() {
    TDataSet list(QStringLiteral("qryaktifpasif"), t->Db.Data);
    TDataSet rows(QStringLiteral("ADOEnroll"), t->Db.Data);
    TRecordingReport report;
    TWorkingTemplate working;
    RunUserCommand(t->Sdk, working, list, rows, TUserCommand::Enable, report);  // never opened
    OpenActivePassiveList(list, TPrivilegeFilter::Admins);
    RunUserCommand(t->Sdk, working, list, rows, TUserCommand::MakeUser, report);  // opened, empty
    QCOMPARE(report.Lines, (QStringList{EmptyListText(), EmptyListText()}));
    QVERIFY(FakeSdk.Calls.isEmpty());
    QVERIFY(!rows.Active());
  }

  void pdksSettings_data() {
    QTest::addColumn<QByteArray>("ini");  // empty: no file
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("caption");
    const QString head = "Parmakizi Datası Kopyalama / Yükleme / Personel İsimlendirme -  ";
    QTest::newRow("no file") << QByteArray() << QStringList{"", "", "", "", "3306"}
                             << head + "[server=] [veritabanı=]";
    QTest::newRow("all keys, any case")
        << QByteArray(
               "[LOGIN]\r\nserver = 10.0.0.2 \r\nDatabase=pdks\r\n"
               "[mysql]\r\nUser=okur\r\nPassword=gizli\r\nport=3307\r\n")
        << QStringList{"10.0.0.2", "pdks", "okur", "gizli", "3307"}
        << head + "[server=10.0.0.2] [veritabanı=pdks]";
    QTest::newRow("keys in the other section are not read")
        << QByteArray("[MySql]\r\nServer=x\r\n[Login]\r\nUser=y\r\nPort=1\r\n")
        << QStringList{"", "", "", "", "3306"} << head + "[server=] [veritabanı=]";
    QTest::newRow("empty port stays empty")
        << QByteArray("[MySql]\r\nPort=\r\n") << QStringList{"", "", "", "", ""}
        << head + "[server=] [veritabanı=]";
  }
  void pdksSettings() {
    QFETCH(QByteArray, ini);
    QFETCH(QStringList, values);
    QFETCH(QString, caption);
    if (!ini.isEmpty()) t->Db.Folder.WriteFile(QStringLiteral("Settings.ini"), ini);
    const TPdksSettings s = ReadPdksSettings(t->Db.Folder.File(QStringLiteral("Settings.ini")));
    QCOMPARE((QStringList{s.Server, s.Database, s.User, s.Password, s.Port}), values);
    QCOMPARE(PdksCaption(s), caption);
  }
};

QTEST_MAIN(TestNamesUsers)
#include "tst_namesusers.moc"
