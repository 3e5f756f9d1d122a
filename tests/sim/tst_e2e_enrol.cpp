// The enrollment window's backup and full restore against real vterminals:
// what one terminal held arrives on another byte for byte, and a backup cut
// off in the middle of the user walk leaves the earlier store as it was and
// the terminal enabled.
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include "EnrollItems.h"
#include "SimFixture.h"
#include "TestProgram.h"

namespace {

void AddTerminal(TestProgram& T, const QString& Name, int Port) {
  T.Folder.AddTerminal(Name, QStringLiteral("1"), QStringLiteral("ethernet"), {}, {},
                       QStringLiteral("127.0.0.1"), QString::number(Port));
}

}  // namespace

class TestE2EEnrol : public QObject {
  Q_OBJECT
 private slots:
  void backupAndRestoreToAnotherTerminal() {
    QTemporaryDir dirA, dirB;
    VTerminal source(dirA.path()), target(dirB.path());
    QVERIFY2(source.start({"--seed-users", "40"}), qPrintable(source.error()));
    QVERIFY2(target.start(), qPrintable(target.error()));
    TestProgram t(true, TSdk::Library);
    AddTerminal(t, QStringLiteral("A Kaynak"), source.port());
    AddTerminal(t, QStringLiteral("B Hedef"), target.port());
    t.Start();
    BackupAndRestore(t);
    if (QTest::currentTestFailed()) return;
    QVERIFY2(t.Shown().size() == 1, qPrintable(t.Shown().join('|')));  // the confirmation only

    CompareItems(source.port(), target.port(), 40);
    if (QTest::currentTestFailed()) return;
    QVERIFY(target.state().value("enabled").toBool());
  }

  void droppedUserWalkKeepsStore() {
    QTemporaryDir dir;
    VTerminal vt(dir.path());
    QVERIFY2(vt.start({"--seed-users", "10", "--drop-walk-after", "5"}), qPrintable(vt.error()));
    TestProgram t(true, TSdk::Library);
    AddTerminal(t, QStringLiteral("Ana Kapı"), vt.port());
    ExecOn(t.Folder.File(QStringLiteral("Data.mdb")),
           QStringLiteral("insert into tblEnroll (EnrollNumber,FingerNumber,Privilige,Name,FPdata) "
                          "values (77,0,0,'eski',?)"),
           {QByteArray(1680, '\x5A')});
    ExecOn(t.Folder.File(QStringLiteral("Log.mdb")),
           QStringLiteral("insert into temp (kartno,isim) values ('00077','eski')"));
    t.Start();
    TfrmEnrol& w = *t.Program->Enrol;
    t.Main().BitBtn4->click();
    w.FormShow();
    w.BitBtn1Click();
    QCOMPARE(w.lblMessage->text(),
             QStringLiteral("ERROR, GetEnrollData :Read Error - kayıtlar değiştirilmedi"));
    // Read and listed, then thrown away, which the list says last.
    QCOMPARE(w.lstEnrollData->count(), 6);
    QCOMPARE(w.lstEnrollData->item(5)->text(), QStringLiteral("kayıtlar değiştirilmedi"));
    QCOMPARE(w.Store.Rows().RecordCount(), 1);
    QCOMPARE(w.Store.Rows().FieldByName(QStringLiteral("EnrollNumber")).AsInteger(), 77);
    QCOMPARE(w.Store.Rows().FieldByName(QStringLiteral("FPdata")).AsBytes(),
             QByteArray(1680, '\x5A'));
    frmDM->qryisim.OpenSQL(QStringLiteral("select * from temp"));
    QCOMPARE(frmDM->qryisim.RecordCount(), 1);
    QCOMPARE(frmDM->qryisim.FieldByName(QStringLiteral("kartno")).AsString(),
             QStringLiteral("00077"));
    // The hang-up took the connection: the terminal was connected once more
    // and enabled, not left locked.
    QVERIFY(vt.state().value("enabled").toBool());
  }
};

QTEST_MAIN(TestE2EEnrol)
#include "tst_e2e_enrol.moc"
