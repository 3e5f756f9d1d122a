// The enroll-data store: backup-number codes, storing and loading records,
// the byte display of the working template, the selective-upload list.
#include <QTest>
#include <algorithm>

#include "EnrolFixture.h"
#include "enrolldata/EnrollStore.h"

class TestEnrolStore : public QObject {
  Q_OBJECT
 private slots:
  void templateSize_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("size");
    for (int fp = 0; fp <= 9; ++fp) QTest::addRow("Fp-%d", fp) << fp << 1680;
    QTest::newRow("password") << 10 << 40;
    QTest::newRow("card") << 11 << 40;
    QTest::newRow("face") << 12 << 20080;
    QTest::newRow("vein") << 13 << 1680;
    QTest::newRow("15") << 15 << 1680;
    QTest::newRow("20") << 20 << 3080;
    QTest::newRow("negative") << -1 << 1680;
    QTest::newRow("other") << 14 << 1680;
  }
  void templateSize() {
    QFETCH(int, code);
    QFETCH(int, size);
    QCOMPARE(TemplateSize(code), size);
  }

  void backupNumberBox_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("item");  // BackupItemIndex of the code
    QTest::newRow("Fp-0") << "Fp-0" << 0 << 0;
    QTest::newRow("Fp-9") << "Fp-9" << 9 << 9;
    QTest::newRow("Pass") << "Pass" << 10 << 10;
    QTest::newRow("Card") << "Card" << 11 << 11;
    QTest::newRow("Face") << "Face" << 12 << 12;
    QTest::newRow("Vein") << "Vein" << 13 << 13;
    QTest::newRow("case matters") << "face" << -1 << -1;
    QTest::newRow("typed text") << "Fp-10" << -1 << -1;
    QTest::newRow("empty") << "" << -1 << -1;
  }
  void backupNumberBox() {
    QFETCH(QString, name);
    QFETCH(int, code);
    QFETCH(int, item);
    QCOMPARE(BackupNumberFromName(name), code);
    if (code >= 0) QCOMPARE(BackupItemIndex(code), item);
  }
  void backupItemIndexWithoutItem() {
    for (int code : {14, 15, 20, -1}) QCOMPARE(BackupItemIndex(code), -1);
    EnrolProgram t;
    QCOMPARE(t.W().cmbBackupNumber->count(), 14);
    QCOMPARE(t.W().cmbBackupNumber->currentText(), QStringLiteral("Fp-0"));
  }

  // Rows stored hold exactly the template bytes; a pair already stored is not
  // stored again.
  void storeRecord_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("backup");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("boxText");
    QTest::newRow("fingerprint") << 7 << 0 << "0007-0"
                                 << "Fp-0";
    QTest::newRow("no cut") << 12345 << 1 << "12345-1"
                            << "Fp-1";
    QTest::newRow("password") << 3 << 10 << "0003-10"
                              << "Pass";
    QTest::newRow("face") << 4 << 12 << "0004-12"
                          << "Face";
    QTest::newRow("no item") << 5 << 15 << "0005-15"
                             << "";
  }
  void storeRecord() {
    QFETCH(int, number);
    QFETCH(int, backup);
    QFETCH(QString, status);
    QFETCH(QString, boxText);
    EnrolProgram t;
    t.Show();
    const QByteArray bytes = Pattern(TemplateSize(backup), number);
    StoreEnrollRecord(t.W().Store, t.W().Report(), number, backup, 2,
                      QStringLiteral("  Gül Şahin\t"), bytes);
    QCOMPARE(t.W().lblMessage->text(), status);
    QCOMPARE(t.Lines(t.W().lstEnrollData),
             QStringList{QStringLiteral("%1-%2 ok").arg(number).arg(backup)});
    QCOMPARE(t.W().txtEnrollNumber->text(), QString::number(number));
    QCOMPARE(t.W().cmbBackupNumber->currentText(), boxText);
    QCOMPARE(t.W().cmbPrivilege->currentText(), QStringLiteral("2"));
    StoreEnrollRecord(t.W().Store, t.W().Report(), number, backup, 0, QStringLiteral("other"),
                      bytes);
    QCOMPARE(t.W().lblMessage->text(), QStringLiteral("Double ID : ") + status);
    const QList<StoredRow> rows = t.StoredRows();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].Name, QStringLiteral("Gül Şahin"));
    QCOMPARE(rows[0].Privilige, 2);
    QCOMPARE(rows[0].FPdata, Pattern(TemplateSize(backup), number));
    QCOMPARE(t.W().Store.Rows().RecordCount(), 1);
    QVERIFY(t.Dialogs->Shown.isEmpty());
  }

  // A database error reaches the caller, which must end its walk there;
  // nothing of the refused row stays behind in the store view.
  void storeErrorIsThrownWithNothingStored() {
    EnrolProgram t;
    t.Show();
    ExecOn(t.DataFile(),
           QStringLiteral("create trigger refuse before insert on tblEnroll when "
                          "new.EnrollNumber=9 begin select raise(abort,'full'); end"));
    const QByteArray zeros(TemplateSize(0), '\0');
    QVERIFY(ErrorOf([&] {
              StoreEnrollRecord(t.W().Store, t.W().Report(), 9, 0, 0, {}, zeros);
            }).contains(QStringLiteral("full")));
    QVERIFY(t.Dialogs->Shown.isEmpty());
    QCOMPARE(t.W().Store.Rows().RecordCount(), 0);
    StoreEnrollRecord(t.W().Store, t.W().Report(), 8, 0, 0, {},
                      zeros);  // the refused row is not written by the next one
    QCOMPARE(t.StoredRows().size(), 1);
    QCOMPARE(t.W().Store.Rows().RecordCount(), 1);
  }

  // Loading cuts a longer stored value and always gives PasswordValue 0. A
  // value shorter than the template, or none, was damaged or edited by hand:
  // it does not load, and the working template and the boxes keep what they
  // held, so a restore never sends zeros in place of a real template.
  void loadRecord_data() {
    QTest::addColumn<int>("backup");
    QTest::addColumn<int>("storedSize");  // -1: null
    QTest::addColumn<int>("privilege");
    QTest::addColumn<QString>("boxText");
    QTest::addColumn<QString>("privilegeText");
    QTest::addColumn<bool>("loads");
    QTest::newRow("longer") << 0 << 2000 << 1 << "Fp-0"
                            << "1" << true;
    QTest::newRow("face") << 12 << 20080 << 2 << "Face"
                          << "2" << true;
    QTest::newRow("15, privilege 5") << 15 << 1680 << 5 << ""
                                     << "" << true;
    QTest::newRow("password") << 10 << 40 << 0 << "Pass"
                              << "0" << true;
    QTest::newRow("shorter") << 0 << 100 << 0 << "Fp-0"
                             << "0" << false;
    QTest::newRow("one byte short") << 0 << 1679 << 0 << "Fp-0"
                                    << "0" << false;
    QTest::newRow("face with a fingerprint's size") << 12 << 1680 << 0 << "Face"
                                                    << "0" << false;
    QTest::newRow("password one byte short") << 10 << 39 << 0 << "Pass"
                                             << "0" << false;
    QTest::newRow("empty") << 0 << 0 << 0 << "Fp-0"
                           << "0" << false;
    QTest::newRow("null") << 0 << -1 << 0 << "Fp-0"
                          << "0" << false;
  }
  void loadRecord() {
    QFETCH(int, backup);
    QFETCH(int, storedSize);
    QFETCH(int, privilege);
    QFETCH(QString, boxText);
    QFETCH(QString, privilegeText);
    QFETCH(bool, loads);
    EnrolProgram t;
    const QByteArray stored = storedSize < 0 ? QByteArray() : Pattern(storedSize, 1);
    t.Store(42, backup, privilege, QStringLiteral("Ayşe"), stored);
    t.Show();
    TWorkingTemplate& working = t.W().Working;
    working.TemplateBuffer = QByteArray("kept");
    working.PasswordValue = 1234;
    t.W().txtEnrollNumber->setText(QStringLiteral("7"));
    EnrollRecord r;
    QCOMPARE(LoadEnrollRecord(t.W().Store.Rows(), t.W().Report(), r, working), loads);
    QCOMPARE(r.EnrollNumber, 42);  // the numbers are read either way
    QCOMPARE(r.BackupNumber, backup);
    if (!loads) {
      QCOMPARE(working.TemplateBuffer, QByteArray("kept"));
      QCOMPARE(working.PasswordValue, 1234);
      QCOMPARE(t.W().txtEnrollNumber->text(), QStringLiteral("7"));
      return;
    }
    QCOMPARE(r.Privilege, privilege);
    QCOMPARE(r.Name, QStringLiteral("Ayşe"));
    QCOMPARE(working.PasswordValue, 0);
    QCOMPARE(working.TemplateBuffer, stored.left(TemplateSize(backup)));
    QCOMPARE(t.W().txtEnrollNumber->text(), QStringLiteral("42"));
    QCOMPARE(t.W().cmbBackupNumber->currentText(), boxText);
    QCOMPARE(t.W().cmbPrivilege->currentText(), privilegeText);
  }

  void loadRefusesUnusableRow() {
    EnrolProgram t;
    t.Store(0, 0, 0, {}, Pattern(1680, 3));
    t.Show();
    TWorkingTemplate& working = t.W().Working;
    working.TemplateBuffer = QByteArray("kept");
    EnrollRecord r;
    QVERIFY(!LoadEnrollRecord(t.W().Store.Rows(), t.W().Report(), r, working));
    QCOMPARE(working.TemplateBuffer, QByteArray("kept"));
    QCOMPARE(t.W().txtEnrollNumber->text(), QStringLiteral("1"));
    t.W().Store.Rows().Close();
    QVERIFY(!LoadEnrollRecord(t.W().Store.Rows(), t.W().Report(), r, working));
  }

  void showTemplateBytes_data() {
    QTest::addColumn<int>("backup");
    QTest::addColumn<int>("bufferSize");
    QTest::addColumn<int>("lines");
    QTest::newRow("password") << 10 << 40 << 5;
    QTest::newRow("fingerprint") << 0 << 1680 << 210;
    QTest::newRow("20") << 20 << 3080 << 385;
    QTest::newRow("face") << 12 << 20080 << 2510;
    QTest::newRow("short buffer") << 0 << 13 << 2;
    QTest::newRow("longer buffer, password box") << 10 << 1680 << 5;
    QTest::newRow("empty") << 0 << 0 << 0;
  }
  void showTemplateBytes() {
    QFETCH(int, backup);
    QFETCH(int, bufferSize);
    QFETCH(int, lines);
    EnrolProgram t;
    QByteArray& buffer = t.W().Working.TemplateBuffer;
    buffer = Pattern(bufferSize, 0);
    if (bufferSize > 1) buffer[1] = char(0xAB);
    t.W().ShowTemplateBytes(backup);
    QCOMPARE(t.W().lstEnrollData->count(), lines);
    if (lines == 0) return;
    const QString first = t.W().lstEnrollData->item(0)->text();
    if (bufferSize >= 8) {
      QCOMPARE(first, QStringLiteral("00 AB 0E 15 1C 23 2A 31 "));
    }
    const int lastCount = qMin(bufferSize, TemplateSize(backup)) - (lines - 1) * 8;
    QCOMPARE(t.W().lstEnrollData->item(lines - 1)->text().size(), lastCount * 3);
  }

  // The number filter lists the users whose number begins with the text, in
  // number order, and takes any text as a value.
  void numberFilter_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QList<int>>("listed");
    QTest::newRow("12") << "12" << QList<int>{12, 120, 125, 129, 1200};
    QTest::newRow("blanks") << "   " << QList<int>{1, 12, 21, 120, 125, 129, 1200};
    QTest::newRow("quote") << "1'" << QList<int>{};
  }
  void numberFilter() {
    QFETCH(QString, filter);
    QFETCH(QList<int>, listed);
    EnrolProgram t;
    for (int n : {1200, 125, 12, 21, 129, 1, 120}) t.Store(n, 0, 0, {}, {});
    t.Show();
    t.W().Edit2->setText(filter);  // runs the refresh through its change handler
    QList<int> shown;
    auto* model = t.W().DBGrid2->model();
    for (int r = 0; r < model->rowCount(); ++r) shown << model->index(r, 0).data().toInt();
    QCOMPARE(shown, listed);
    QVERIFY(t.Dialogs->Shown.isEmpty());
    // The password tab's box shares the handler and keeps Edit2's filter.
    t.W().Edit3->setText(QStringLiteral("9"));
    QCOMPARE(model->rowCount(), listed.size());
  }

  // "Parmakizi Yükle" sends the first TemplateSize bytes of the working
  // template; a send under a smaller item, by mistake, must not cut it, and a
  // short template is padded with zeros.
  void singleRecordSendKeepsTheTemplate_data() {
    QTest::addColumn<QString>("read");       // the item "Parmakizi Al" reads
    QTest::addColumn<QStringList>("sends");  // "Pmkizi No :" at each "Parmakizi Yükle"
    QTest::addColumn<QList<int>>("real");    // template bytes in each send, then zeros
    QTest::newRow("face sent as Fp-0, then as Face")
        << "Face" << QStringList{"Fp-0", "Face"} << QList<int>{1680, 20080};
    QTest::newRow("face sent as Pass, Fp-0, Face")
        << "Face" << QStringList{"Pass", "Fp-0", "Face"} << QList<int>{40, 1680, 20080};
    QTest::newRow("Fp-0 sent as Face, then as Fp-0")
        << "Fp-0" << QStringList{"Face", "Fp-0"} << QList<int>{1680, 1680};
  }
  void singleRecordSendKeepsTheTemplate() {
    QFETCH(QString, read);
    QFETCH(QStringList, sends);
    QFETCH(QList<int>, real);
    EnrolProgram t;
    TfrmEnrol& w = t.W();
    const QByteArray item = Pattern(TemplateSize(BackupNumberFromName(read)), 5);
    FakeSdk.OnGetEnrollData = [&](int, int, int*, unsigned char* Data, int*) {
      std::copy(item.begin(), item.end(), Data);
    };
    QList<QByteArray> sent;
    FakeSdk.OnPutEnrollData = [&](int, int b, int, const unsigned char* Data, int) {
      sent << QByteArray(reinterpret_cast<const char*>(Data), TemplateSize(b));
    };
    w.cmbBackupNumber->setCurrentText(read);
    w.cmdGetEnrollDataClick();
    QCOMPARE(w.lblMessage->text(), QStringLiteral("GetEnrollData OK"));
    for (const QString& b : sends) {
      w.cmbBackupNumber->setCurrentText(b);
      w.cmdSetEnrollDataClick();
      QCOMPARE(w.lblMessage->text(), QStringLiteral("SetEnrollData OK"));
    }
    QCOMPARE(sent.size(), sends.size());
    for (int i = 0; i < sends.size(); ++i) {
      const int size = TemplateSize(BackupNumberFromName(sends[i]));
      QCOMPARE(sent[i], item.left(real[i]) + QByteArray(size - real[i], '\0'));
    }
  }

  // The working template outlives an action and a closing of the window:
  // after a full restore, "Parmakizi Yükle" sends the last row restored,
  // under the number in the box.
  void restoredItemIsWrittenAgain() {
    EnrolProgram t;
    t.Store(3, 0, 1, QStringLiteral("Ali"), Pattern(1680, 3));
    t.Store(4, 0, 0, QStringLiteral("Can"), Pattern(1680, 4));
    t.Show();
    TfrmEnrol& w = t.W();
    QList<QPair<int, QByteArray>> sent;
    FakeSdk.OnPutEnrollData = [&](int n, int b, int, const unsigned char* Data, int) {
      sent.append({n, QByteArray(reinterpret_cast<const char*>(Data), TemplateSize(b))});
    };
    t.Dialogs->Answers = {IDYES};
    w.BitBtn2Click();
    QCOMPARE(sent.size(), 2);
    t.Show();  // closed and opened again
    w.txtEnrollNumber->setText(QStringLiteral("9"));
    w.cmbBackupNumber->setCurrentText(QStringLiteral("Fp-0"));
    w.cmdSetEnrollDataClick();
    QCOMPARE(w.lblMessage->text(), QStringLiteral("SetEnrollData OK"));
    QCOMPARE(sent.size(), 3);
    QCOMPARE(sent[2].first, 9);
    QCOMPARE(sent[2].second, Pattern(1680, 4));
  }

  // The user lists' column widths, and the member tab's warning in its five
  // CR-separated lines.
  void listColumnsAndWarning() {
    EnrolProgram t;
    TfrmEnrol& w = t.W();
    t.Show();
    auto widths = [](QTableView* Grid) {
      QList<int> list;
      for (int i = 0; i < Grid->model()->columnCount(); ++i) list << Grid->columnWidth(i);
      return list;
    };
    QCOMPARE(widths(w.DBGrid2), (QList<int>{100, 55, 110}));
    QCOMPARE(widths(w.DBGrid3), (QList<int>{100, 55}));
    QCOMPARE(widths(w.DBGrid4), (QList<int>{100, 55}));
    QCOMPARE(w.Label33->text().split(QLatin1Char('\r')),
             (QStringList{"DİKKAT!:", "", "1-Sadece R7 model cihazlarda çalışır",
                          "2-Üye programı olacak.Üyenin başlama ve üye bitiş tarihi yükler.O "
                          "tarihler arası üyeliği aktifleştirir.",
                          "3-"}));
  }

  void frame() {
    EnrolProgram t;
    t.Folder.WriteFile(QStringLiteral("Settings.ini"), "[System]\r\nProgramTipi=Varnok\r\n");
    TfrmEnrol& w = t.W();
    QCOMPARE(w.PageControl1->count(), 6);
    QCOMPARE(w.PageControl1->tabText(2), QStringLiteral("Seçili Kayıt Yükleme(Parmak/Kart/Şifre)"));
    w.PageControl1->setTabVisible(5, true);
    t.Show();
    QVERIFY(!w.PageControl1->isTabVisible(5));
    QCOMPARE(w.Label12->text(), QStringLiteral("Varnok"));
    QCOMPARE(w.BitBtn6->text(),
             QStringLiteral("Terminale Parmakizi Datası Yükle\r\n(işten çıkanları "
                            "silerek yükler)\r\nmysql"));
    QCOMPARE(w.lblMessage->text(), QString());
    const QStringList legend = w.Label27->text().split(QLatin1Char('\r'));
    QCOMPARE(legend.size(), 17);
    QCOMPARE(legend[1], QString(16, QLatin1Char('-')));
    QCOMPARE(legend[2], QStringLiteral("0  parmak"));
    QCOMPARE(legend[16], QStringLiteral("15 şifre"));
    QVERIFY(!w.Label27->text().contains(QLatin1Char('\n')));
  }
};

QTEST_MAIN(TestEnrolStore)
#include "tst_enrolstore.moc"
