// The bell window against fake entry points: the rows bound to BellBlock,
// the read and send call sequences, and the count a send passes.
#include <QLabel>
#include <QTest>

#include "TestProgram.h"

namespace {

const QString kQuestion = QStringLiteral("Zil saatleri terminale gönderilsin mi...?");
const QString kRead = QStringLiteral("Terminalden Zil Saatleri Alındı..");
const QString kNotFound = QStringLiteral("Terminal Bulunamadı");
const QString kDisable = QStringLiteral("FK_EnableDevice(17,0)");
const QString kEnable = QStringLiteral("FK_EnableDevice(17,1)");
const QString kGet = QStringLiteral("FK_GetBellTime(17)");
const QString kSet24 = QStringLiteral("FK_SetBellTime(17,24)");

// The program connected to a USB terminal through the fakes, with the calls
// of the connect forgotten.
struct Connected {
  TestProgram t;
  Connected() {
    t.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("1"), QStringLiteral("usb"));
    t.Start();
    t.Main().BitBtn4->click();
    FakeSdk.Calls.clear();
  }
  Tfrmzil& Window() { return *t.Program->zil; }
};

// What the fake terminal holds: count 72, its own bytes 0-287, and three
// rows: 4 valid at 07:123, 5 marked 2 (not valid) at 23:59, 23 valid at 18:45.
void SeedFakeTerminal() {
  FakeSdk.BellCount = 72;
  for (int i = 0; i < BellValidOffset; ++i) FakeSdk.BellBlock[i] = char(i * 7 + 3);
  auto row = [](int Row, int Valid, int Hour, int Minute) {
    FakeSdk.BellBlock[BellValidOffset + Row] = char(Valid);
    FakeSdk.BellBlock[BellHourOffset + Row] = char(Hour);
    FakeSdk.BellBlock[BellMinuteOffset + Row] = char(Minute);
  };
  row(4, 1, 7, 123);
  row(5, 2, 23, 59);
  row(23, 1, 18, 45);
}

// The schedule the program's session keeps for the bell window.
TBellSchedule& Bells() {
  return Session().Bells;
}

QByteArray Block() {
  return QByteArray(reinterpret_cast<const char*>(Bells().BellBlock.data()), FK_BELL_BLOCK_SIZE);
}

// The label on the same line as a row's hour edit.
QString RowCaption(Tfrmzil& w, int Row) {
  QWidget* group = w.txtHour[Row]->parentWidget();
  for (QLabel* l : group->findChildren<QLabel*>())
    if (qAbs(l->y() - w.txtHour[Row]->y()) < 8 && l->x() < w.chkValid[Row]->x()) return l->text();
  return {};
}

}  // namespace

class TestBells : public QObject {
  Q_OBJECT
 private slots:
  // Opening shows 24 unticked rows at "00" : "00" and the stored count;
  // the terminal's own bytes stay as they were.
  void openingClearsRows() {
    Connected c;
    Tfrmzil& w = c.Window();
    c.t.Dialogs->OnModal = [](QDialog& Window) {
      Window.show();  // the window's show runs FormShow
      Window.hide();
      return 0;
    };
    c.t.Main().BitBtn9->click();
    QCOMPARE(w.txtBellCount->text(), QStringLiteral("0"));

    Bells().BellBlock.fill(0xAB);
    Bells().BellCount = 72;
    c.t.Main().BitBtn9->click();
    for (int i = 0; i < BellRowCount; ++i) {
      QVERIFY(!w.chkValid[i]->isChecked());
      QCOMPARE(w.txtHour[i]->text(), QStringLiteral("00"));
      QCOMPARE(w.txtMinute[i]->text(), QStringLiteral("00"));
    }
    QCOMPARE(w.txtBellCount->text(), QStringLiteral("72"));
    QCOMPARE(Block(), QByteArray(BellValidOffset, '\xAB') + QByteArray(72, '\0'));
    QCOMPARE(Bells().BellCount, 72);
  }

  void captionsAndNames() {
    Connected c;
    Tfrmzil& w = c.Window();
    QCOMPARE(w.windowTitle(), QStringLiteral("Zil Saatleri"));
    QCOMPARE(w.Button1->text(), QStringLiteral("<--- Terminalden Zil Saatlerini Oku"));
    QCOMPARE(w.Button2->text(), QStringLiteral("--->Terminale Zİl Saatlerini Gönder"));
    QCOMPARE(w.BitBtn1->text(), QStringLiteral("Kapat"));
    QVERIFY(w.txtBellCount->isHidden());
    QCOMPARE(RowCaption(w, 0), QStringLiteral("Zil 1:"));
    QCOMPARE(RowCaption(w, 4), QStringLiteral("Zil5:"));
    QCOMPARE(RowCaption(w, 11), QStringLiteral("Zil 12:"));
    QCOMPARE(RowCaption(w, 12), QStringLiteral("Zil 13:"));
    QCOMPARE(RowCaption(w, 22), QStringLiteral("Zil23:"));
    QCOMPARE(RowCaption(w, 23), QStringLiteral("Zil 24:"));
    QCOMPARE(w.txtHour[11]->parentWidget(), w.GroupBox1);
    QCOMPARE(w.txtHour[12]->parentWidget(), w.GroupBox3);
    QCOMPARE(w.findChild<QCheckBox*>(QStringLiteral("_chkValid_4")), w.chkValid[4]);
    QCOMPARE(w.findChild<QLineEdit*>(QStringLiteral("_txtHour_23")), w.txtHour[23]);
    QCOMPARE(w.findChild<QLineEdit*>(QStringLiteral("_txtMinute_0")), w.txtMinute[0]);
  }

  // A read shows the rows: only a flag of 1 ticks, numbers get two digits.
  void readShowsRows() {
    Connected c;
    Tfrmzil& w = c.Window();
    SeedFakeTerminal();
    w.FormShow();
    w.Button1->click();
    QCOMPARE(FakeSdk.Calls, (QStringList{kDisable, kGet, kEnable}));
    QCOMPARE(c.t.Shown(), QStringList{kRead});
    QCOMPARE(c.t.Dialogs->Shown[0].Kind, QStringLiteral("ShowMessage"));
    QVERIFY(w.chkValid[4]->isChecked());
    QCOMPARE(w.txtHour[4]->text(), QStringLiteral("07"));
    QCOMPARE(w.txtMinute[4]->text(), QStringLiteral("123"));
    QVERIFY(!w.chkValid[5]->isChecked());
    QCOMPARE(w.txtHour[5]->text(), QStringLiteral("23"));
    QVERIFY(w.chkValid[23]->isChecked());
    QCOMPARE(w.txtMinute[23]->text(), QStringLiteral("45"));
    QVERIFY(!w.chkValid[0]->isChecked());
    QCOMPARE(w.txtBellCount->text(), QStringLiteral("72"));
    QCOMPARE(Block(), FakeSdk.BellBlock);
    QCOMPARE(Bells().BellCount, 72);
  }

  void readFailures_data() {
    QTest::addColumn<QList<int>>("enableResults");
    QTest::addColumn<int>("getResult");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<bool>("rowsRead");
    QTest::newRow("disable fails")
        << QList<int>{-2} << 1 << QStringList{kDisable} << QStringList{kNotFound} << false;
    QTest::newRow("read fails") << QList<int>{} << -4 << QStringList{kDisable, kGet, kEnable}
                                << QStringList{kNotFound} << false;
    QTest::newRow("enable after read fails")
        << QList<int>{1, -2} << 1 << QStringList{kDisable, kGet, kEnable} << QStringList{} << true;
  }
  void readFailures() {
    QFETCH(QList<int>, enableResults);
    QFETCH(int, getResult);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, shown);
    QFETCH(bool, rowsRead);
    Connected c;
    Tfrmzil& w = c.Window();
    SeedFakeTerminal();
    FakeSdk.Queued[QStringLiteral("FK_EnableDevice")] = enableResults;
    FakeSdk.Results[QStringLiteral("FK_GetBellTime")] = getResult;
    w.FormShow();
    w.Button1->click();
    QCOMPARE(FakeSdk.Calls, calls);
    QCOMPARE(c.t.Shown(), shown);
    QCOMPARE(w.chkValid[4]->isChecked(), rowsRead);
    QCOMPARE(w.txtBellCount->text(), rowsRead ? QStringLiteral("72") : QStringLiteral("0"));
    // A failed read keeps what the program held, whatever the library wrote.
    QCOMPARE(Bells().BellCount, rowsRead ? 72 : 0);
    QCOMPARE(Block() == FakeSdk.BellBlock, rowsRead);
  }

  void sendPaths_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<QList<int>>("enableResults");
    QTest::addColumn<int>("setResult");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("No") << int(IDNO) << QList<int>{} << 1 << QStringList{} << QString();
    QTest::newRow("disable fails")
        << int(IDYES) << QList<int>{-2} << 1 << QStringList{kDisable} << "hata";
    QTest::newRow("send fails") << int(IDYES) << QList<int>{} << -2
                                << QStringList{kDisable, kSet24, kEnable} << "hata";
    QTest::newRow("sent") << int(IDYES) << QList<int>{} << 1
                          << QStringList{kDisable, kSet24, kEnable} << "Gönderildi.";
  }
  void sendPaths() {
    QFETCH(int, answer);
    QFETCH(QList<int>, enableResults);
    QFETCH(int, setResult);
    QFETCH(QStringList, calls);
    QFETCH(QString, outcome);
    Connected c;
    Tfrmzil& w = c.Window();
    Bells().BellCount = 72;
    w.FormShow();
    FakeSdk.Queued[QStringLiteral("FK_EnableDevice")] = enableResults;
    FakeSdk.Results[QStringLiteral("FK_SetBellTime")] = setResult;
    c.t.Dialogs->Answers << answer;
    w.Button2->click();
    QCOMPARE(FakeSdk.Calls, calls);
    QStringList shown{kQuestion};
    if (!outcome.isEmpty()) shown << outcome;
    QCOMPARE(c.t.Shown(), shown);
    QCOMPARE(c.t.Dialogs->Shown[0].Title, QStringLiteral("UYARI"));
    QCOMPARE(c.t.Dialogs->Shown[0].Flags, MB_YESNO);
    if (!outcome.isEmpty()) QCOMPARE(c.t.Dialogs->Shown[1].Kind, QStringLiteral("ShowMessage"));
  }

  // The send stores the rows into bytes 288-359 (an hour of 300 as its low
  // 8 bits, 44) and hands the terminal's own bytes back as they were read.
  void sendCollectsRows() {
    Connected c;
    Tfrmzil& w = c.Window();
    SeedFakeTerminal();
    const QByteArray read = FakeSdk.BellBlock;
    w.FormShow();
    w.Button1->click();
    w.chkValid[0]->setChecked(true);
    w.txtHour[0]->setText(QStringLiteral("300"));
    w.txtMinute[0]->setText(QStringLiteral("5"));
    w.chkValid[4]->setChecked(false);
    w.txtHour[23]->setText(QStringLiteral("-1"));
    c.t.Dialogs->Answers << IDYES;
    w.Button2->click();
    QCOMPARE(c.t.Shown().last(), QStringLiteral("Gönderildi."));
    const QByteArray sent = FakeSdk.BellBlock;
    QCOMPARE(sent.left(BellValidOffset), read.left(BellValidOffset));
    QCOMPARE(quint8(sent[BellValidOffset + 0]), quint8(1));
    QCOMPARE(quint8(sent[BellHourOffset + 0]), quint8(44));
    QCOMPARE(quint8(sent[BellMinuteOffset + 0]), quint8(5));
    QCOMPARE(quint8(sent[BellValidOffset + 4]), quint8(0));
    QCOMPARE(quint8(sent[BellMinuteOffset + 4]), quint8(123));
    QCOMPARE(quint8(sent[BellValidOffset + 5]), quint8(0));  // 2 is sent back as not valid
    QCOMPARE(quint8(sent[BellHourOffset + 23]), quint8(255));
    QCOMPARE(w.txtHour[0]->text(), QStringLiteral("300"));  // no refresh after a send
  }

  // A read of 72 passes 24 on every send, also after the window is closed
  // and opened again; the schedule keeps count 72.
  void countStaysAcrossSends() {
    Connected c;
    Tfrmzil& w = c.Window();
    SeedFakeTerminal();
    w.FormShow();
    w.Button1->click();
    c.t.Dialogs->Answers << IDYES << IDYES << IDYES;
    w.Button2->click();
    w.Button2->click();
    w.BitBtn1->click();
    w.FormShow();
    QCOMPARE(w.txtBellCount->text(), QStringLiteral("72"));
    w.Button2->click();
    QCOMPARE(FakeSdk.CallCount(QStringLiteral("FK_SetBellTime")), 3);
    QCOMPARE(FakeSdk.Calls.filter(QStringLiteral("FK_SetBellTime")),
             (QStringList{kSet24, kSet24, kSet24}));
    QCOMPARE(Bells().BellCount, 72);
  }

  // The schedule lives as long as the program run that read it: a program
  // started afterwards opens the window with count 0 and a zero block.
  void newProgramStartsEmpty() {
    {
      Connected c;
      SeedFakeTerminal();
      c.Window().FormShow();
      c.Window().Button1->click();
      QCOMPARE(Bells().BellCount, 72);
    }
    Connected c;
    c.Window().FormShow();
    QCOMPARE(c.Window().txtBellCount->text(), QStringLiteral("0"));
    QCOMPARE(Block(), QByteArray(FK_BELL_BLOCK_SIZE, '\0'));
  }

  // A row that is no integer ends the send before anything is sent; the
  // rows before it are stored, and the terminal is enabled again.
  void badNumberStopsSend() {
    Connected c;
    Tfrmzil& w = c.Window();
    w.FormShow();
    w.txtHour[2]->setText(QStringLiteral("9"));
    w.chkValid[3]->setChecked(true);
    w.txtHour[3]->clear();
    c.t.Dialogs->Answers << IDYES;
    w.Button2->click();
    QCOMPARE(FakeSdk.Calls, (QStringList{kDisable, kEnable}));
    QCOMPARE(c.t.Shown(), (QStringList{kQuestion, "'' is not a valid integer value."}));
    QCOMPARE(c.t.Dialogs->Shown[1].Flags, MB_OK | MB_ICONERROR);
    QCOMPARE(int(Bells().BellBlock[BellHourOffset + 2]), 9);
    QCOMPARE(int(Bells().BellBlock[BellValidOffset + 3]), 1);
  }
};

QTEST_MAIN(TestBells)
#include "tst_bells.moc"
