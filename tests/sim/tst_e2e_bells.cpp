// The bell window against a seeded vterminal through the stand-in library:
// read the schedule, edit it, send it, and read it back after reopening.
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "SimFixture.h"
#include "TestProgram.h"

class TestE2EBells : public QObject {
  Q_OBJECT
 private slots:
  void readEditSendReadBack() {
    QTemporaryDir dir;  // state and journal of this terminal alone
    VTerminal vt(dir.path());
    QVERIFY2(vt.start({"--seed-users", "3"}), qPrintable(vt.error()));
    TestProgram t(true, TSdk::Library);
    t.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("1"),
                         QStringLiteral("ethernet"), {}, {}, QStringLiteral("127.0.0.1"),
                         QString::number(vt.port()), QStringLiteral("0"));
    t.Start();
    t.Main().BitBtn4->click();
    QCOMPARE(t.Main().BitBtn4->text(), QStringLiteral("BAGLANTI_KES"));
    Tfrmzil& w = *t.Program->zil;

    // Each opening of the window runs one step of the operator's work.
    std::function<void()> step;
    t.Dialogs->OnModal = [&](QDialog& Window) {
      Window.show();
      step();
      w.BitBtn1->click();
      return 0;
    };
    QByteArray terminalsOwn;

    step = [&] {
      w.Button1->click();
      QCOMPARE(w.txtBellCount->text(), QStringLiteral("72"));
      QVERIFY(w.chkValid[0]->isChecked());
      QCOMPARE(w.txtHour[0]->text() + ':' + w.txtMinute[0]->text(), QStringLiteral("08:00"));
      QCOMPARE(w.txtHour[7]->text() + ':' + w.txtMinute[7]->text(), QStringLiteral("17:30"));
      QVERIFY(!w.chkValid[8]->isChecked());
      terminalsOwn = QByteArray(reinterpret_cast<const char*>(Session().Bells.BellBlock.data()),
                                BellValidOffset);
      w.chkValid[1]->setChecked(false);
      w.txtHour[2]->setText(QStringLiteral("300"));
      w.chkValid[8]->setChecked(true);
      w.txtHour[8]->setText(QStringLiteral("18"));
      w.txtMinute[8]->setText(QStringLiteral("45"));
      t.Dialogs->Answers << IDYES;
      w.Button2->click();
    };
    t.Main().BitBtn9->click();
    QCOMPARE(t.Shown().mid(1),
             (QStringList{"Terminalden Zil Saatleri Alındı..",
                          "Zil saatleri terminale gönderilsin mi...?", "Gönderildi."}));

    t.Dialogs->Clear();
    step = [&] {
      QVERIFY(!w.chkValid[0]->isChecked());  // reopened: rows cleared until read
      QCOMPARE(w.txtHour[0]->text(), QStringLiteral("00"));
      w.Button1->click();
      QCOMPARE(w.txtBellCount->text(), QStringLiteral("72"));
      QVERIFY(w.chkValid[0]->isChecked());
      QVERIFY(!w.chkValid[1]->isChecked());
      QCOMPARE(w.txtHour[2]->text(), QStringLiteral("44"));
      QVERIFY(w.chkValid[8]->isChecked());
      QCOMPARE(w.txtHour[8]->text() + ':' + w.txtMinute[8]->text(), QStringLiteral("18:45"));
      QCOMPARE(QByteArray(reinterpret_cast<const char*>(Session().Bells.BellBlock.data()),
                          BellValidOffset),
               terminalsOwn);
      t.Dialogs->Answers << IDYES;
      w.Button2->click();  // a second send of the same count keeps the schedule
    };
    t.Main().BitBtn9->click();
    QCOMPARE(t.Shown().last(), QStringLiteral("Gönderildi."));

    const QStringList journal = vt.journal();
    const QStringList sends = journal.filter(QStringLiteral("FK_SetBellTime("));
    QCOMPARE(sends.size(), 2);
    for (const QString& line : sends)
      QVERIFY2(line.startsWith("FK_SetBellTime(24, "), qPrintable(line));
    QCOMPARE(journal.filter(QStringLiteral("FK_GetBellTime() = 1 count=72 ")).size(), 2);
    QCOMPARE(journal.filter(QStringLiteral("FK_EnableDevice(0) = 1")).size(), 4);
    QCOMPARE(journal.filter(QStringLiteral("FK_EnableDevice(1) = 1")).size(), 4);
    QCOMPARE(vt.state().value("bellCount").toInt(), 24);
    QVERIFY(vt.state().value("enabled").toBool());
  }
};

QTEST_MAIN(TestE2EBells)
#include "tst_e2e_bells.moc"
