// Backup, restores and single records of the enrollment window against the
// fake terminal: the exact calls, questions, status texts and list lines.
#include <QTest>
#include <cstring>

#include "DamagedPage.h"
#include "EnrolFixture.h"
#include "TinyDisk.h"
#include "common/Cleanup.h"
#include "common/LibFunctions.h"
#include "data/DM.h"
#include "enrolldata/EnrollBackup.h"
#include "enrolldata/EnrollStore.h"
#include "widgets/ActionGuard.h"

namespace {

const QString kOn = QStringLiteral("FK_EnableDevice(17,1)");
const QString kOff = QStringLiteral("FK_EnableDevice(17,0)");

// The fake terminal delivers Pattern(size, n * 16 + b) for every item, with
// privilege 1 for user 1 and a password value of 99.
void TerminalHolds(const QList<std::array<int, 4>>& Items) {
  FakeSdk.UserIds = Items;
  FakeSdk.OnGetEnrollData = [](int n, int b, int* p, unsigned char* data, int* pw) {
    const QByteArray bytes = Pattern(TemplateSize(b), n * 16 + b);
    std::memcpy(data, bytes.constData(), bytes.size());
    *p = n == 1 ? 1 : 0;
    *pw = 99;
  };
}

struct SentItem {
  int N, B, P, Password;
  QByteArray Bytes;
};
QList<SentItem> sent;

// A store and name list from an earlier backup, which a backup that does
// not complete must leave exactly as they are.
void HoldsEarlierBackup(EnrolProgram& T) {
  T.Store(5, 0, 0, QStringLiteral("eski"), Pattern(1680, 5));
  T.Store(5, 12, 0, QStringLiteral("eski"), Pattern(20080, 6));
  T.AddName(QStringLiteral("00005"), QStringLiteral("eski"));
  T.AddName(QStringLiteral("00005"), QStringLiteral("eski"));
}

bool SameRows(const QList<StoredRow>& A, const QList<StoredRow>& B) {
  if (A.size() != B.size()) return false;
  for (int i = 0; i < A.size(); ++i)
    if (A[i].EnrollNumber != B[i].EnrollNumber || A[i].FingerNumber != B[i].FingerNumber ||
        A[i].Privilige != B[i].Privilige || A[i].Name != B[i].Name || A[i].FPdata != B[i].FPdata)
      return false;
  return true;
}

void RecordSends() {
  sent.clear();
  FakeSdk.OnPutEnrollData = [](int n, int b, int p, const unsigned char* data, int pw) {
    sent.append({n, b, p, pw, QByteArray(reinterpret_cast<const char*>(data), TemplateSize(b))});
  };
}

}  // namespace

class TestEnrolBackup : public QObject {
  Q_OBJECT
 private slots:
  void backupCopiesEveryItem() {
    EnrolProgram t;
    t.Store(5, 0, 0, QStringLiteral("eski"), Pattern(1680, 5));
    t.AddName(QStringLiteral("00005"), QStringLiteral("eski"));
    t.Show();
    t.W().Memo1->setPlainText(QStringLiteral("old log"));
    TerminalHolds({{1, 0, 0, 1}, {1, 1, 0, 1}, {2, 10, 0, 1}, {2, 10, 0, 1}});
    FakeSdk.UserNames = {{1, QByteArray("G\xFCl \xDE"
                                        "ahin ")},
                         {2, QByteArray("Ali")}};
    t.W().BitBtn1Click();

    QCOMPARE(FakeSdk.Calls,
             (QStringList{kOff, "FK_ReadAllUserID(17)", "FK_GetAllUserID(17)",
                          "FK_GetEnrollData(17,1,0,ptr,ptr,ptr)", "FK_GetUserName(17,1)",
                          "FK_GetAllUserID(17)", "FK_GetEnrollData(17,1,1,ptr,ptr,ptr)",
                          "FK_GetUserName(17,1)", "FK_GetAllUserID(17)",
                          "FK_GetEnrollData(17,2,10,ptr,ptr,ptr)", "FK_GetUserName(17,2)",
                          "FK_GetAllUserID(17)", "FK_GetEnrollData(17,2,10,ptr,ptr,ptr)",
                          "FK_GetUserName(17,2)", "FK_GetAllUserID(17)", kOn}));
    const QList<StoredRow> rows = t.StoredRows();
    QCOMPARE(rows.size(), 3);  // the earlier row is gone, the duplicate pair stored once
    QCOMPARE(rows[0].FPdata, Pattern(1680, 16));
    QCOMPARE(rows[1].FPdata, Pattern(1680, 17));
    QCOMPARE(rows[2].FPdata, Pattern(40, 42));
    QCOMPARE(rows[0].Privilige, 1);  // the one the item read gave
    QCOMPARE(rows[0].Name, QStringLiteral("Gül Şahin"));
    QCOMPARE(t.Names(),
             (QStringList{"00001|Gül Şahin ", "00001|Gül Şahin ", "00002|Ali", "00002|Ali"}));
    QCOMPARE(t.Lines(t.W().lstEnrollData), (QStringList{"1-0 ok", "1-1 ok", "2-10 ok"}));
    QCOMPARE(t.W().lblMessage->text(), QStringLiteral("GetEnrollData OK"));
    QVERIFY(t.W().Memo1->toPlainText().isEmpty());
    // The store view and the list hold exactly the new store.
    QCOMPARE(t.W().Store.Rows().RecordCount(), 3);
    QCOMPARE(t.W().DBGrid2->model()->rowCount(), 3);
    QVERIFY(t.W().BitBtn1->isEnabled());
    QVERIFY(!Session().Busy());
  }

  // When the walk does not reach its end, the store and the name list keep
  // exactly what they held before, and the terminal is enabled again.
  void failedBackupKeepsStore_data() {
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QList<int>>("results");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("list");  // lstEnrollData afterwards
    QTest::newRow("no device") << "FK_EnableDevice" << QList<int>{-2} << "Bağlanamadı..."
                               << QStringList{};
    QTest::newRow("user list not readable")
        << "FK_ReadAllUserID" << QList<int>{-2}
        << "ReadAllUserID Error: No Open Comm - kayıtlar değiştirilmedi" << QStringList{};
    QTest::newRow("dropped after two users")
        << "FK_GetAllUserID" << QList<int>{1, 1, -2}
        << "ERROR, GetEnrollData :No Open Comm - kayıtlar değiştirilmedi"
        << QStringList{"1-0 ok", "2-0 ok", "kayıtlar değiştirilmedi"};
    QTest::newRow("no data after a user")
        << "FK_GetAllUserID" << QList<int>{1, -8}
        << "ERROR, GetEnrollData :None of data array - kayıtlar değiştirilmedi"
        << QStringList{"1-0 ok", "kayıtlar değiştirilmedi"};
  }
  void failedBackupKeepsStore() {
    QFETCH(QString, failing);
    QFETCH(QList<int>, results);
    QFETCH(QString, status);
    QFETCH(QStringList, list);
    EnrolProgram t;
    t.Store(5, 0, 0, QStringLiteral("eski"), Pattern(1680, 5));
    t.AddName(QStringLiteral("00005"), QStringLiteral("eski"));
    const QList<StoredRow> before = t.StoredRows();
    t.Show();
    TerminalHolds({{1, 0, 0, 1}, {2, 0, 0, 1}, {3, 0, 0, 1}});
    FakeSdk.Queued[failing] = results;
    t.W().BitBtn1Click();
    QCOMPARE(t.W().lblMessage->text(), status);
    QCOMPARE(t.Lines(t.W().lstEnrollData), list);
    QCOMPARE(t.StoredRows().size(), 1);
    QCOMPARE(t.StoredRows()[0].FPdata, before[0].FPdata);
    QCOMPARE(t.Names(), QStringList{"00005|eski"});
    QCOMPARE(t.W().Store.Rows().RecordCount(), 1);
    QCOMPARE(FakeSdk.Calls.last(), kOn);
    QVERIFY(t.Dialogs->Shown.isEmpty());
  }

  // A user list that ends at once with "no data" is the whole list of an
  // empty terminal: the store and the name list are replaced by nothing.
  void emptyTerminalEmptiesStore_data() {
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QList<int>>("results");
    QTest::addColumn<QString>("status");
    QTest::newRow("no data from the list") << "FK_ReadAllUserID" << QList<int>{-8} << "ok";
    QTest::newRow("no data at the walk's first step")
        << "FK_GetAllUserID" << QList<int>{-8} << "GetEnrollData OK";
    QTest::newRow("end of data at once") << QString() << QList<int>{} << "GetEnrollData OK";
  }
  void emptyTerminalEmptiesStore() {
    QFETCH(QString, failing);
    QFETCH(QList<int>, results);
    QFETCH(QString, status);
    EnrolProgram t;
    HoldsEarlierBackup(t);
    t.Show();
    TerminalHolds({});
    if (!failing.isEmpty()) FakeSdk.Queued[failing] = results;
    t.W().BitBtn1Click();
    QCOMPARE(t.W().lblMessage->text(), status);
    QVERIFY(t.StoredRows().isEmpty());
    QVERIFY(t.Names().isEmpty());
    QCOMPARE(t.W().Store.Rows().RecordCount(), 0);
    QCOMPARE(t.W().DBGrid2->model()->rowCount(), 0);
    QCOMPARE(FakeSdk.CallCount(QStringLiteral("FK_GetEnrollData")), 0);
    QCOMPARE(FakeSdk.Calls.last(), kOn);
    QVERIFY(t.Dialogs->Shown.isEmpty());
  }

  // The first store error ends the walk: no further item is read, the store
  // and the name list keep exactly what they held, one message says why, and
  // the terminal is enabled again. "rollback" is what SQLite does by itself
  // on a full disk: it ends the whole transaction, after which later rows
  // would be stored one by one.
  void storeErrorEndsBackup_data() {
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QString>("file");
    QTest::newRow("store refuses a row")
        << "on tblEnroll when new.EnrollNumber=2 begin select raise(abort,'disk full')"
        << "Data";
    QTest::newRow("store rolls back the transaction")
        << "on tblEnroll when new.EnrollNumber=2 begin select raise(rollback,'disk full')"
        << "Data";
    QTest::newRow("name list rolls back the transaction")
        << "on temp when new.kartno='00002' begin select raise(rollback,'disk full')"
        << "Log";
  }
  void storeErrorEndsBackup() {
    QFETCH(QString, trigger);
    QFETCH(QString, file);
    EnrolProgram t;
    HoldsEarlierBackup(t);
    const QList<StoredRow> before = t.StoredRows();
    ExecOn(
        file == QLatin1String("Data") ? t.DataFile() : t.LogFile(),
        QStringLiteral("create trigger refuse before insert ") + trigger + QStringLiteral("; end"));
    t.Show();
    TerminalHolds({{1, 0, 0, 1}, {2, 0, 0, 1}, {3, 0, 0, 1}, {4, 0, 0, 1}});
    RunGuarded([&] { t.W().BitBtn1Click(); });
    QCOMPARE(t.Shown().size(), 1);
    QVERIFY2(t.Shown()[0].contains(QStringLiteral("disk full")), qPrintable(t.Shown()[0]));
    QCOMPARE(t.Dialogs->Shown[0].Flags, MB_OK | MB_ICONERROR);
    QCOMPARE(FakeSdk.CallCount(QStringLiteral("FK_GetAllUserID")), 2);
    QVERIFY(SameRows(t.StoredRows(), before));
    QCOMPARE(t.Names(), (QStringList{"00005|eski", "00005|eski"}));
    QCOMPARE(t.W().Store.Rows().RecordCount(), 2);
    QCOMPARE(t.W().lblMessage->text(),
             QStringLiteral("ERROR, GetEnrollData :kayıtlar değiştirilmedi"));
    QCOMPARE(t.Lines(t.W().lstEnrollData).first(), QStringLiteral("1-0 ok"));
    QCOMPARE(t.Lines(t.W().lstEnrollData).last(), QStringLiteral("kayıtlar değiştirilmedi"));
    QCOMPARE(FakeSdk.Calls.last(), kOn);
    QVERIFY(t.W().BitBtn1->isEnabled());
  }

  // The same with a real full disk: both databases on a small tmpfs with
  // little room left, and a terminal holding far more face templates than
  // fit.
  void fullDiskDuringBackupKeepsStore() {
    QTemporaryDir parent;
    TinyDisk disk(parent.path(), 512);
    if (!disk.Mounted()) QSKIP(qPrintable(QStringLiteral("no small tmpfs here: ") + disk.Error()));
    // The program folder is made inside the tmpfs.
    const QByteArray tmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(parent.path()));
    std::optional<EnrolProgram> program;
    {
      TScopeExit restore([&tmp] { tmp.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", tmp); });
      program.emplace();
    }
    EnrolProgram& t = *program;
    QVERIFY(t.DataFile().startsWith(parent.path()));
    HoldsEarlierBackup(t);
    const QList<StoredRow> before = t.StoredRows();
    t.Show();
    QList<std::array<int, 4>> faces;
    for (int n = 1; n <= 150; ++n) faces.append({n, 12, 0, 1});
    TerminalHolds(faces);
    QVERIFY(disk.FillLeaving(64 * 1024));
    RunGuarded([&] { t.W().BitBtn1Click(); });
    QCOMPARE(t.Shown().size(), 1);
    QVERIFY2(t.Shown()[0].contains(QStringLiteral("full")), qPrintable(t.Shown()[0]));
    QVERIFY(SameRows(t.StoredRows(), before));
    QCOMPARE(t.Names(), (QStringList{"00005|eski", "00005|eski"}));
    QCOMPARE(t.W().Store.Rows().RecordCount(), 2);
    QCOMPARE(FakeSdk.Calls.last(), kOn);
    program.reset();
  }

  // A terminal whose user walk never ends is stopped at the bound, with
  // nothing replaced and the terminal enabled again.
  void endlessUserWalkStopsAtBound() {
    EnrolProgram t;
    HoldsEarlierBackup(t);
    const QList<StoredRow> before = t.StoredRows();
    t.Show();
    TerminalHolds({{1, 0, 0, 1}});
    const auto deliver = FakeSdk.OnGetEnrollData;
    FakeSdk.OnGetEnrollData = [deliver](int n, int b, int* p, unsigned char* data, int* pw) {
      deliver(n, b, p, data, pw);
      FakeSdk.UserIds.append({n + 1, 0, 0, 1});  // always one more
    };
    const TBackupOutcome outcome = BackupEnrollData(Session().TerminalSdk(), t.W().Working,
                                                    t.W().Store, frmDM->Names, t.W().Report(), 50);
    QCOMPARE(int(outcome), int(TBackupOutcome::TooManyItems));
    QCOMPARE(FakeSdk.CallCount(QStringLiteral("FK_GetAllUserID")), 51);
    QCOMPARE(FakeSdk.CallCount(QStringLiteral("FK_GetEnrollData")), 50);
    QCOMPARE(t.W().lblMessage->text(),
             QStringLiteral("ERROR, GetEnrollData :50 kayıttan fazla - kayıtlar değiştirilmedi"));
    QVERIFY(SameRows(t.StoredRows(), before));
    QCOMPARE(t.Names(), (QStringList{"00005|eski", "00005|eski"}));
    QCOMPARE(t.W().Store.Rows().RecordCount(), 2);
    QCOMPARE(FakeSdk.Calls.last(), kOn);
  }

  // The connection is lost in the middle of an action: the terminal is
  // connected once more and enabled; when even that fails, the status line
  // says so after the action's own text.
  void terminalEnabledAgainAfterLostConnection_data() {
    QTest::addColumn<int>("action");  // 0 backup, 1 full restore, 2 selected user
    QTest::addColumn<bool>("reconnects");
    const char* names[] = {"backup", "full restore", "selected user"};
    for (int action = 0; action < 3; ++action) {
      QTest::addRow("%s, reconnected", names[action]) << action << true;
      QTest::addRow("%s, not reconnected", names[action]) << action << false;
    }
  }
  void terminalEnabledAgainAfterLostConnection() {
    QFETCH(int, action);
    QFETCH(bool, reconnects);
    EnrolProgram t;
    t.Store(1, 0, 0, {}, Pattern(1680, 1));
    t.Store(1, 1, 0, {}, Pattern(1680, 2));
    t.Show();
    TerminalHolds({{1, 0, 0, 1}, {2, 0, 0, 1}});
    FakeSdk.Queued[QStringLiteral("FK_EnableDevice")] = {1, -4};  // disabled, then the link is gone
    FakeSdk.Queued[QStringLiteral("FK_GetAllUserID")] = {1, -4};
    FakeSdk.Queued[QStringLiteral("FK_PutEnrollData")] = {-4, -4};
    FakeSdk.Queued[QStringLiteral("FK_ConnectNet")] = {reconnects ? 18 : -2};
    QString ownStatus;
    if (action == 0) {
      t.W().BitBtn1Click();
      ownStatus = QStringLiteral("ERROR, GetEnrollData :Read Error - kayıtlar değiştirilmedi");
    } else if (action == 1) {
      t.Dialogs->Answers = {IDYES};
      t.W().BitBtn2Click();
      ownStatus = QStringLiteral("SetAllEnrollData Error : error");
    } else {
      t.W().DBGrid2->SelectRow(0);
      t.W().BitBtn7Click();
      ownStatus = QStringLiteral("SetAllEnrollData Error : error");
    }
    const QStringList tail = FakeSdk.Calls.mid(FakeSdk.Calls.size() - (reconnects ? 4 : 3));
    QCOMPARE(tail.mid(0, 2), (QStringList{kOn, "FK_DisConnect(17)"}));
    QVERIFY2(tail[2].startsWith(QStringLiteral("FK_ConnectNet(")), qPrintable(tail[2]));
    if (reconnects) {
      QCOMPARE(tail[3], QStringLiteral("FK_EnableDevice(18,1)"));
      QCOMPARE(t.W().lblMessage->text(), ownStatus);
    } else {
      QCOMPARE(t.W().lblMessage->text(),
               ownStatus + QStringLiteral(" - ") +
                   NotEnabledAgainText(Session().TerminalSdk().SdkResult()));
    }
    QVERIFY(t.W().BitBtn1->isEnabled() && t.W().BitBtn2->isEnabled() && t.W().BitBtn7->isEnabled());
    QVERIFY(!Session().Busy());
  }

  void databaseErrorKeepsStore() {
    EnrolProgram t;
    t.Store(5, 0, 0, {}, Pattern(1680, 5));
    t.AddName(QStringLiteral("00005"), QStringLiteral("eski"));
    ExecOn(t.LogFile(), QStringLiteral("create trigger refuse before insert on temp when "
                                       "new.kartno='00002' begin select raise(abort,'disk'); end"));
    t.Show();
    TerminalHolds({{1, 0, 0, 1}, {2, 0, 0, 1}, {3, 0, 0, 1}});
    RunGuarded([&] { t.W().BitBtn1Click(); });
    QCOMPARE(t.Dialogs->Shown.size(), 1);
    QCOMPARE(t.Dialogs->Shown[0].Flags, MB_OK | MB_ICONERROR);
    QCOMPARE(t.StoredRows().size(), 1);
    QCOMPARE(t.Names(), QStringList{"00005|eski"});
    QCOMPARE(FakeSdk.Calls.last(), kOn);
    QVERIFY(t.W().BitBtn1->isEnabled());
  }

  // Yes asks the terminal again with a fresh buffer; No passes the item
  // over: it is not stored, its name still goes to the list.
  void unreadableItem() {
    EnrolProgram t;
    t.Show();
    TerminalHolds({{1, 0, 0, 1}, {2, 0, 0, 1}});
    FakeSdk.Queued[QStringLiteral("FK_GetEnrollData")] = {-4, 1, -4};
    t.Dialogs->Answers = {IDYES, IDNO};
    t.W().BitBtn1Click();
    QCOMPARE(t.Dialogs->Shown.size(), 2);
    QCOMPARE(t.Dialogs->Shown[0].Text, QStringLiteral(": Continue ?"));
    QCOMPARE(t.Dialogs->Shown[0].Title, QStringLiteral("GetEnrollData"));
    QCOMPARE(t.Dialogs->Shown[0].Flags, MB_YESNO | MB_ICONQUESTION);
    QCOMPARE(FakeSdk.CallCount(QStringLiteral("FK_GetEnrollData")), 3);
    QCOMPARE(t.StoredRows().size(), 1);
    QCOMPARE(t.StoredRows()[0].EnrollNumber, 1);
    QCOMPARE(t.Names().size(), 2);
    QCOMPARE(t.W().lblMessage->text(), QStringLiteral("ERROR, GetEnrollData :1"));
  }

  void fullRestore() {
    EnrolProgram t;
    t.Store(1, 0, 1, {}, Pattern(1680, 1));
    t.Store(1, 1, 1, {}, Pattern(1680, 2));
    t.Store(2, 10, 0, {}, Pattern(40, 3));
    t.Show();
    RecordSends();
    t.Dialogs->Answers = {IDYES};
    bool lockedMeanwhile = true;
    t.Dialogs->OnProcessMessages = [&] {
      lockedMeanwhile = lockedMeanwhile && Session().Busy() && !t.W().BitBtn1->isEnabled() &&
                        !t.W().BitBtn3->isEnabled() && !t.W().Edit2->isEnabled();
    };
    t.W().Working.PasswordValue = 77;
    t.W().BitBtn2Click();
    QCOMPARE(t.Dialogs->Shown[0].Text,
             QStringLiteral("Seçili terminale parmakizi datası yüklensin mi...?"));
    QCOMPARE(t.Dialogs->Shown[0].Title, QStringLiteral("UYARI"));
    QCOMPARE(t.Dialogs->Shown[0].Flags, MB_YESNO);
    QCOMPARE(FakeSdk.Calls,
             (QStringList{kOff, "FK_IsSupportedEnrollData(17,0)",
                          "FK_PutEnrollData(17,1,0,1,ptr,0)", "FK_IsSupportedEnrollData(17,1)",
                          "FK_PutEnrollData(17,1,1,1,ptr,0)", "FK_IsSupportedEnrollData(17,10)",
                          "FK_PutEnrollData(17,2,10,0,ptr,0)", "FK_SaveEnrollData(17)", kOn}));
    QCOMPARE(sent[2].Bytes, Pattern(40, 3));
    QCOMPARE(t.W().Memo1->toPlainText(),
             QStringLiteral("00001 - Kayıt=0 ok\n00001 - Kayıt=1 ok\n00002 - Kayıt=10 ok"));
    QCOMPARE(t.W().lblMessage->text(),
             QStringLiteral("EMachine = 000, ID = 002, FpNo = 10, Count = 3"));
    QCOMPARE(t.W().Label2->text(), QStringLiteral("3"));
    QVERIFY(lockedMeanwhile);
    QVERIFY(t.W().BitBtn1->isEnabled() && t.W().BitBtn3->isEnabled() && t.W().BitBtn2->isEnabled());
    // The single-record tab shows the last row, ready to be sent again.
    QCOMPARE(t.W().txtEnrollNumber->text(), QStringLiteral("2"));
    QCOMPARE(t.W().cmbBackupNumber->currentText(), QStringLiteral("Pass"));
  }

  // Any failed row makes the final status an error, not only the last one;
  // a save the terminal refuses is the last failure. A stored template that
  // does not fit its item is not sent: the terminal keeps the user's own.
  void fullRestoreFailures_data() {
    QTest::addColumn<QList<int>>("putResults");
    QTest::addColumn<int>("saveResult");
    QTest::addColumn<QString>("middle");  // the middle row: ok, number 0, short, null
    QTest::addColumn<QList<int>>("sentUsers");
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("status");
    QTest::newRow("send rejected in the middle")
        << QList<int>{1, -11, 1} << 1 << "ok" << QList<int>{1, 2, 3}
        << "00001 - Kayıt=0 ok\n00002 - Kayıt=0 error\n00003 - Kayıt=0 ok"
        << "SetAllEnrollData Error : error";
    QTest::newRow("row that does not load")
        << QList<int>{1, 1} << 1 << "number 0" << QList<int>{1, 3}
        << "00001 - Kayıt=0 ok\n00000 - Kayıt=0 error\n00003 - Kayıt=0 ok"
        << "Conv Error : error";
    QTest::newRow("template cut short")
        << QList<int>{1, 1} << 1 << "short" << QList<int>{1, 3}
        << "00001 - Kayıt=0 ok\n00002 - Kayıt=0 error\n00003 - Kayıt=0 ok"
        << "Conv Error : error";
    QTest::newRow("template stored as hex text")
        << QList<int>{1, 1} << 1 << "hex" << QList<int>{1, 3}
        << "00001 - Kayıt=0 ok\n00002 - Kayıt=0 error\n00003 - Kayıt=0 ok"
        << "Conv Error : error";
    QTest::newRow("no template") << QList<int>{1, 1} << 1 << "null" << QList<int>{1, 3}
                                 << "00001 - Kayıt=0 ok\n00002 - Kayıt=0 error\n00003 - Kayıt=0 ok"
                                 << "Conv Error : error";
    QTest::newRow("save refused") << QList<int>{1, 1, 1} << -2 << "ok" << QList<int>{1, 2, 3}
                                  << "00001 - Kayıt=0 ok\n00002 - Kayıt=0 ok\n00003 - Kayıt=0 ok"
                                  << "SaveEnrollData Error : error";
    QTest::newRow("save refused after a failed row")
        << QList<int>{1, 1} << -2 << "short" << QList<int>{1, 3}
        << "00001 - Kayıt=0 ok\n00002 - Kayıt=0 error\n00003 - Kayıt=0 ok"
        << "SaveEnrollData Error : error";
  }
  void fullRestoreFailures() {
    QFETCH(QList<int>, putResults);
    QFETCH(int, saveResult);
    QFETCH(QString, middle);
    QFETCH(QList<int>, sentUsers);
    QFETCH(QString, log);
    QFETCH(QString, status);
    EnrolProgram t;
    t.Store(1, 0, 0, {}, Pattern(1680, 1));
    const QByteArray bytes = middle == QLatin1String("short")  ? Pattern(100, 2)
                             : middle == QLatin1String("null") ? QByteArray()
                                                               : Pattern(1680, 2);
    t.Store(middle == QLatin1String("number 0") ? 0 : 2, 0, 0, {}, bytes);
    t.Store(3, 0, 0, {}, Pattern(1680, 3));
    // Twice as many hex digits as the template has bytes: long enough, but
    // text, not the bytes the backup stored.
    if (middle == QLatin1String("hex"))
      ExecOn(t.DataFile(), QStringLiteral("update tblEnroll set FPdata=hex(FPdata) where "
                                          "EnrollNumber=2"));
    t.Show();
    RecordSends();
    FakeSdk.Queued[QStringLiteral("FK_PutEnrollData")] = putResults;
    FakeSdk.Queued[QStringLiteral("FK_SaveEnrollData")] = {saveResult};
    t.Dialogs->Answers = {IDYES};
    t.W().BitBtn2Click();
    QCOMPARE(t.W().Memo1->toPlainText(), log);
    QCOMPARE(t.W().lblMessage->text(), status);
    QList<int> users;
    for (const SentItem& item : sent) {
      users << item.N;
      QCOMPARE(item.Bytes, Pattern(1680, item.N));  // exactly what was stored
    }
    QCOMPARE(users, sentUsers);
    QCOMPARE(FakeSdk.CallCount(QStringLiteral("FK_SaveEnrollData")), 1);
    QCOMPARE(FakeSdk.Calls.last(), kOn);
  }

  // A store that cannot be read whole changes nothing on the terminal: it is
  // read and checked before the terminal is disabled, cleared or sent
  // anything, and the database's error is shown. Real faults: a damaged page
  // in the middle of the table, a renamed column, a value in the last row
  // that is no number or no number in range (any other fault is a change to
  // that row).
  void unreadableStoreChangesNothing_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("fullRestore");  // or the selected user's upload
    QTest::addColumn<QString>("error");
    QTest::newRow("damaged page, full restore") << "page" << true << "malformed";
    QTest::newRow("FPdata renamed, full restore") << "rename" << true << "Field 'FPdata' not found";
    QTest::newRow("FPdata renamed, selected user")
        << "rename" << false << "Field 'FPdata' not found";
    QTest::newRow("no number in the last row, full restore")
        << "FingerNumber='x'" << true << "'x' is not a valid integer value";
    QTest::newRow("no number in the user's last row, selected user")
        << "FingerNumber='x'" << false << "'x' is not a valid integer value";
    // Numbers past the range of int or with a fraction would reach the
    // terminal as other numbers: 4294967297 as user 1, 1.9 as user 1.
    QTest::newRow("64-bit user number, full restore")
        << "EnrollNumber=4294967297" << true << "'4294967297' is not a valid integer value";
    QTest::newRow("user number with a fraction, full restore")
        << "EnrollNumber=1.9" << true << "'1.9' is not a valid integer value";
    QTest::newRow("64-bit privilege, selected user")
        << "Privilige=4294967297" << false << "'4294967297' is not a valid integer value";
    QTest::newRow("negative 64-bit item number, selected user")
        << "FingerNumber=-4294967296" << false << "'-4294967296' is not a valid integer value";
  }
  void unreadableStoreChangesNothing() {
    QFETCH(QString, fault);
    QFETCH(bool, fullRestore);
    QFETCH(QString, error);
    EnrolProgram t;
    // Users 1 to 130 with a fingerprint each, user 2 with a second one last.
    for (int n = 1; n <= 130; ++n) t.Store(n, 0, 0, {}, Pattern(1680, n));
    t.Store(2, 1, 0, {}, Pattern(1680, 200));
    if (fault == QLatin1String("page")) {
      const TPageDamage damage = DamageMiddlePage(t.DataFile(), QStringLiteral("tblEnroll"));
      QVERIFY(damage.Page > 0 && !damage.Intact && damage.RowsBefore > 0);
      QVERIFY2(damage.Error.contains(error), qPrintable(damage.Error));
    } else if (fault == QLatin1String("rename")) {
      ExecOn(t.DataFile(), QStringLiteral("alter table tblEnroll rename column FPdata to Sablon"));
    } else {
      ExecOn(t.DataFile(), QStringLiteral("update tblEnroll set %1 where "
                                          "rowid=(select max(rowid) from tblEnroll)")
                               .arg(fault));
    }
    RunGuarded([&] { t.W().FormShow(); });  // a damaged store is told here already
    FakeSdk.Calls.clear();
    t.Dialogs->Shown.clear();
    t.W().Working.TemplateBuffer = QByteArray("kept");
    if (fullRestore) {
      t.W().CheckBox2->setChecked(true);
      t.Dialogs->Answers = {IDYES};
      RunGuarded([&] { t.W().BitBtn2Click(); });
      QCOMPARE(t.Dialogs->Shown.size(), 2);  // the question, then the error
    } else {
      t.W().DBGrid2->SelectRow(1);
      QCOMPARE(t.W().qryenroll.FieldByName(QStringLiteral("EnrollNumber")).AsInteger(), 2);
      RunGuarded([&] { t.W().BitBtn7Click(); });
      QCOMPARE(t.Dialogs->Shown.size(), 1);
    }
    const ShownDialog& shown = t.Dialogs->Shown.last();
    QVERIFY2(shown.Text.contains(error), qPrintable(shown.Text));
    QCOMPARE(shown.Flags, MB_OK | MB_ICONERROR);
    QCOMPARE(FakeSdk.Calls, QStringList());  // never disabled, cleared or sent to
    QVERIFY(t.W().Memo1->toPlainText().isEmpty());
    QCOMPARE(t.W().Working.TemplateBuffer, QByteArray("kept"));
    QVERIFY(t.W().BitBtn2->isEnabled() && t.W().BitBtn7->isEnabled());
    QVERIFY(!Session().Busy());
  }

  void fullRestoreSpecialPaths() {
    EnrolProgram t;
    t.Show();
    // No at the question: no terminal call at all.
    t.W().BitBtn2Click();
    QVERIFY(FakeSdk.Calls.isEmpty());
    // Clearing first with an empty store: the terminal is left as it is, and
    // the status line says why.
    t.W().CheckBox2->setChecked(true);
    t.Dialogs->Answers = {IDYES};
    t.W().BitBtn2Click();
    QVERIFY(FakeSdk.Calls.isEmpty());
    QCOMPARE(t.W().lblMessage->text(), QStringLiteral("Datada kayıt yok - terminal silinmedi"));
    QVERIFY(t.W().BitBtn2->isEnabled());
    // The terminal not answering: nothing sent, and it was never disabled.
    t.W().CheckBox2->setChecked(false);
    FakeSdk.Queued[QStringLiteral("FK_EnableDevice")] = {-2};
    t.Dialogs->Answers = {IDYES};
    t.W().BitBtn2Click();
    QCOMPARE(FakeSdk.Calls, QStringList{kOff});
    QCOMPARE(t.W().lblMessage->text(), QStringLiteral("No Device"));
  }

  void selectedUserUpload() {
    EnrolProgram t;
    t.Store(1, 0, 0, {}, Pattern(1680, 1));
    t.Store(2, 0, 2, {}, Pattern(1680, 2));
    t.Store(2, 11, 2, {}, Pattern(40, 3));
    t.Show();
    RecordSends();
    t.W().DBGrid2->SelectRow(1);
    t.W().BitBtn7Click();
    QCOMPARE(FakeSdk.Calls, (QStringList{kOff, "FK_PutEnrollData(17,2,0,2,ptr,0)",
                                         "FK_PutEnrollData(17,2,11,2,ptr,0)", kOn}));
    QCOMPARE(sent[1].Bytes, Pattern(40, 3));
    QCOMPARE(t.W().Memo1->toPlainText(), QStringLiteral("00002\n00002"));
    QCOMPARE(t.W().lblMessage->text(),
             QStringLiteral("EMachine = 000, ID = 002, FpNo = 11, Count = 2"));
    QCOMPARE(t.W().Label2->text(), QStringLiteral("2"));
    // A send the terminal rejects is reported at the end.
    FakeSdk.Calls.clear();
    FakeSdk.Queued[QStringLiteral("FK_PutEnrollData")] = {-11, 1};
    t.W().BitBtn7Click();
    QCOMPARE(t.W().lblMessage->text(), QStringLiteral("SetAllEnrollData Error : error"));
  }

  void selectedUserUploadEmptyList() {
    EnrolProgram t;
    t.Show();
    t.W().BitBtn7Click();
    QVERIFY(FakeSdk.Calls.isEmpty());
    QCOMPARE(t.W().lblMessage->text(), EmptyListText());
    QVERIFY(t.Dialogs->Shown.isEmpty());
  }

  // Yes asks again for the same row, No logs the row and goes on, Cancel
  // stops. Neither row is sent: one has number 0, the other a template that
  // is cut short or missing.
  void selectedUserRowThatDoesNotLoad_data() {
    QTest::addColumn<int>("user");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::newRow("number 0") << 0 << Pattern(1680, 1) << Pattern(1680, 2);
    QTest::newRow("short, then no template") << 4 << Pattern(100, 1) << QByteArray();
    QTest::newRow("empty, then one byte short") << 4 << QByteArray("") << Pattern(1679, 2);
  }
  void selectedUserRowThatDoesNotLoad() {
    QFETCH(int, user);
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    EnrolProgram t;
    t.Store(user, 0, 0, {}, first);
    t.Store(user, 1, 0, {}, second);
    t.Show();
    t.Dialogs->Answers = {IDYES, IDNO, IDCANCEL};
    t.W().BitBtn7Click();
    QCOMPARE(t.Dialogs->Shown.size(), 3);
    QCOMPARE(t.Dialogs->Shown[0].Text, QStringLiteral("Conv Error: Continue ?"));
    QCOMPARE(t.Dialogs->Shown[0].Title, QStringLiteral("ConvShToArm"));
    QCOMPARE(t.Dialogs->Shown[0].Flags, MB_YESNOCANCEL | MB_ICONQUESTION);
    QCOMPARE(t.W().Memo1->toPlainText(), ZeroFill(QString::number(user), 5));
    QCOMPARE(FakeSdk.Calls, (QStringList{kOff, kOn}));
    QCOMPARE(t.W().lblMessage->text(), QStringLiteral("Conv Error : error"));
  }

  // "Parmakizi Al" then "Parmakizi Yükle" under another number copies the
  // template from one user to another.
  void singleRecordReadAndWrite() {
    EnrolProgram t;
    TerminalHolds({});
    RecordSends();
    TfrmEnrol& w = t.W();
    w.cmdGetEnrollDataClick();
    QCOMPARE(FakeSdk.Calls, (QStringList{kOff, "FK_GetEnrollData(17,1,0,ptr,ptr,ptr)", kOn}));
    QCOMPARE(w.lblMessage->text(), QStringLiteral("GetEnrollData OK"));
    QCOMPARE(w.lstEnrollData->count(), 210);
    QCOMPARE(w.cmbPrivilege->currentText(), QStringLiteral("1"));
    QCOMPARE(w.Working.PasswordValue, 99);
    FakeSdk.Calls.clear();
    w.txtEnrollNumber->setText(QStringLiteral("2"));
    w.cmdSetEnrollDataClick();
    QCOMPARE(FakeSdk.Calls, (QStringList{kOff, "FK_PutEnrollData(17,2,0,1,ptr,99)",
                                         "FK_SaveEnrollData(17)", kOn}));
    QCOMPARE(sent[0].Bytes, Pattern(1680, 16));
    QCOMPARE(w.lblMessage->text(), QStringLiteral("SetEnrollData OK"));
    QCOMPARE(w.txtCardNumber->text(), QStringLiteral("0"));
    // Sent as a face, the template is first sized to a face's bytes.
    w.cmbBackupNumber->setCurrentText(QStringLiteral("Face"));
    w.cmdSetEnrollDataClick();
    QCOMPARE(sent[1].Bytes, Pattern(1680, 16) + QByteArray(20080 - 1680, '\0'));
    // A refused write names the terminal's result.
    FakeSdk.Calls.clear();
    FakeSdk.Queued[QStringLiteral("FK_PutEnrollData")] = {-11};
    w.cmdSetEnrollDataClick();
    QCOMPARE(w.lblMessage->text(),
             QStringLiteral("SetEnrollData Error: full enrolldata & can`t put enrolldata"));
    QCOMPARE(FakeSdk.Calls.last(), kOn);
    // "Pass" shows five lines.
    w.cmbBackupNumber->setCurrentText(QStringLiteral("Pass"));
    w.cmdGetEnrollDataClick();
    QCOMPARE(w.lstEnrollData->count(), 5);
  }

  void singleRecordDelete() {
    EnrolProgram t;
    TfrmEnrol& w = t.W();
    w.txtEnrollNumber->setText(QStringLiteral("3"));
    w.cmbBackupNumber->setCurrentText(QStringLiteral("Card"));
    FakeSdk.Queued[QStringLiteral("FK_DeleteEnrollData")] = {-8};
    w.cmdDeleteEnrollDataClick();
    QCOMPARE(FakeSdk.Calls, (QStringList{kOff, "FK_DeleteEnrollData(17,3,11)", kOn}));
    QCOMPARE(w.lblMessage->text(), QStringLiteral("DeleteEnrollData Error: None of data array"));
    w.cmdDeleteEnrollDataClick();
    QCOMPARE(w.lblMessage->text(), QStringLiteral("DeleteEnrollData OK"));
  }

  // Boxes that hold no number or no backup-number name end the action
  // before the terminal is touched.
  void singleRecordBadBoxes_data() {
    QTest::addColumn<int>("action");  // 0 read, 1 write, 2 delete
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");  // error box text, or the status line
    QTest::newRow("read, typed backup name") << 0 << "cmbBackupNumber"
                                             << "Fp-12"
                                             << "Geçersiz Pmkizi No : Fp-12";
    QTest::newRow("write, typed backup name") << 1 << "cmbBackupNumber"
                                              << "parmak"
                                              << "Geçersiz Pmkizi No : parmak";
    QTest::newRow("delete, machine x") << 2 << "cmbEMachineNumber"
                                       << "x"
                                       << "'x' is not a valid integer value";
    QTest::newRow("read, number x") << 0 << "txtEnrollNumber"
                                    << "x"
                                    << "'x' is not a valid integer value";
    QTest::newRow("write, privilege y") << 1 << "cmbPrivilege"
                                        << "y"
                                        << "'y' is not a valid integer value";
  }
  void singleRecordBadBoxes() {
    QFETCH(int, action);
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(QString, message);
    EnrolProgram t;
    TfrmEnrol& w = t.W();
    if (auto* edit = w.findChild<QLineEdit*>(box)) edit->setText(text);
    if (auto* combo = w.findChild<QComboBox*>(box)) combo->setCurrentText(text);
    void (TfrmEnrol::*handlers[])() = {&TfrmEnrol::cmdGetEnrollDataClick,
                                       &TfrmEnrol::cmdSetEnrollDataClick,
                                       &TfrmEnrol::cmdDeleteEnrollDataClick};
    RunGuarded([&] { (w.*handlers[action])(); });
    QVERIFY(FakeSdk.Calls.isEmpty());
    if (message.startsWith(QLatin1Char('\''))) {
      QCOMPARE(t.Shown(), QStringList{message + QLatin1Char('.')});
    } else {
      QCOMPARE(w.lblMessage->text(), message);
    }
  }

  void closingRefusedWhileBusy() {
    EnrolProgram t;
    t.Show();
    t.W().show();
    {
      TTerminalBusy busy;
      t.W().BitBtn3Click();
      QVERIFY(t.W().isVisible());
    }
    t.W().BitBtn3Click();
    QVERIFY(!t.W().isVisible());
    QVERIFY(!t.W().Store.Rows().Active());  // FormClose
  }
};

QTEST_MAIN(TestEnrolBackup)
#include "tst_enrolbackup.moc"
