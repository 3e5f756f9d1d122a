// The terminal list and its editor: "Ekle", "Değiştir", "Sil" and Ctrl+Delete
// of the main window, the editor's save paths and its connection-type list.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include "TestProgram.h"

namespace {

const QString kUyari = QStringLiteral("UYARI");
const QString kNameMissing = QStringLiteral("Terminal Adını Giriniz.");

// Table Terminal as stored, in id order: Terminal, TerminalNo, Tip, ComPort,
// ComBaud, Ip, NetPort, Sifre as text ("<null>" for a missing value).
QList<QStringList> Stored(const TestFolder& Folder) {
  QList<QStringList> rows;
  const QString name = QStringLiteral("check");
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(Folder.File(QStringLiteral("Data.mdb")));
    if (!db.open()) qFatal("cannot open Data.mdb");
    QSqlQuery q(QStringLiteral("select Terminal,TerminalNo,Tip,ComPort,ComBaud,Ip,NetPort,Sifre "
                               "from Terminal order by id"),
                db);
    while (q.next()) {
      QStringList row;
      for (int i = 0; i < 8; ++i)
        row << (q.isNull(i) ? QStringLiteral("<null>") : q.value(i).toString());
      rows << row;
    }
  }
  QSqlDatabase::removeDatabase(name);
  return rows;
}

QStringList StoredNames(const TestFolder& Folder) {
  QStringList names;
  for (const QStringList& row : Stored(Folder)) names << row[0];
  return names;
}

// Three terminals; the list shows them by name: Ana, Bina, Depo.
void AddThree(TestProgram& t) {
  t.Folder.AddTerminal(QStringLiteral("Bina"), QStringLiteral("2"), QStringLiteral("usb"));
  t.Folder.AddTerminal(QStringLiteral("Ana"), QStringLiteral("1"), QStringLiteral("ethernet"),
                       QStringLiteral("1"), QStringLiteral("9600"), QStringLiteral("10.0.0.5"),
                       QStringLiteral("5005"), QStringLiteral("5678"));
  t.Folder.AddTerminal(QStringLiteral("Depo"), QStringLiteral("3"), QStringLiteral("com"),
                       QStringLiteral("COM3"), QStringLiteral("19200"));
}

// The operator picks an item of the connection-type list.
void Pick(Tfrmyeni& Editor, int Index) {
  Editor.ComboBox1->setCurrentIndex(Index);
  emit Editor.ComboBox1->activated(Index);
}

QString CurrentName() {
  return frmDM->qrycihaz.FieldByName(QStringLiteral("Terminal")).AsString();
}

}  // namespace

class TestEditor : public QObject {
  Q_OBJECT
 private slots:
  // "Ekle" then "Kaydet": every field trimmed, Tip by the picked item, the
  // editor closed and the list showing the new row.
  void addStoresTrimmedFields_data() {
    QTest::addColumn<int>("pick");  // -1: keep the item "Ekle" selected
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("stored");
    QTest::newRow("usb") << 2 << " Depo 2 " << QStringList{"Depo 2", "7",        "usb",  "COM2",
                                                           "19200",  "10.0.0.7", "5006", "1234"};
    QTest::newRow("tcp/ip as prepared")
        << -1 << "Kapı"
        << QStringList{"Kapı", "7", "ethernet", "COM2", "19200", "10.0.0.7", "5006", "1234"};
    QTest::newRow("comport") << 0 << "Kapı" << QStringList{"Kapı",  "7",        "com",  "COM2",
                                                           "19200", "10.0.0.7", "5006", "1234"};
    QTest::newRow("three blanks are a name")
        << 1 << "   "
        << QStringList{"", "7", "ethernet", "COM2", "19200", "10.0.0.7", "5006", "1234"};
  }
  void addStoresTrimmedFields() {
    QFETCH(int, pick);
    QFETCH(QString, name);
    QFETCH(QStringList, stored);
    TestProgram t;
    t.Start();
    Tfrmyeni& e = *t.Program->yeni;
    t.Main().BitBtn1->click();
    e.show();
    if (pick >= 0) Pick(e, pick);
    e.Edit1->setText(name);
    e.Edit7->setText(QStringLiteral(" 7 "));
    e.Edit2->setText(QStringLiteral(" COM2"));
    e.Edit3->setText(QStringLiteral("19200 "));
    e.Edit4->setText(QStringLiteral("10.0.0.7"));
    e.Edit5->setText(QStringLiteral("5006"));
    e.Edit6->setText(QStringLiteral(" 1234 "));
    e.BitBtn2->click();
    QCOMPARE(Stored(t.Folder), QList<QStringList>{stored});
    QVERIFY(!e.isVisible());
    QCOMPARE(t.Dialogs->Shown.size(), 1);  // the editor shown, nothing else
    QCOMPARE(t.Dialogs->Shown[0].Text, QStringLiteral("frmyeni"));
    auto* grid = t.Main().DBGrid1->model();
    QCOMPARE(grid->rowCount(), 1);
    QCOMPARE(grid->index(0, 1).data().toString(), stored[2]);
  }

  // "Ekle" after "Değiştir": tcp/ip, password "0" and an empty name; the
  // other fields keep what the editor last held.
  void addKeepsOtherFields() {
    TestProgram t;
    AddThree(t);
    t.Start();
    Tfrmyeni& e = *t.Program->yeni;
    t.SelectTerminalRow(2);  // Depo, a serial terminal
    t.Main().BitBtn2->click();
    t.Main().BitBtn1->click();
    QCOMPARE(e.Mode(), Tfrmyeni::TMode::New);
    QCOMPARE(e.ComboBox1->currentIndex(), 1);
    QVERIFY(e.GroupBox1->isHidden());
    QVERIFY(!e.GroupBox2->isHidden());
    QCOMPARE(e.Edit6->text(), QStringLiteral("0"));
    QCOMPARE(e.Edit1->text(), QString());
    QCOMPARE(e.Edit7->text(), QStringLiteral("3"));
    QCOMPARE(e.Edit2->text(), QStringLiteral("COM3"));
    QCOMPARE(e.Edit3->text(), QStringLiteral("19200"));
    QCOMPARE(e.Edit4->text(), QStringLiteral("192.168.0.100"));
  }

  void emptyNameIsRefused_data() {
    QTest::addColumn<bool>("change");
    QTest::newRow("new terminal") << false;
    QTest::newRow("changed terminal") << true;
  }
  void emptyNameIsRefused() {
    QFETCH(bool, change);
    TestProgram t;
    AddThree(t);
    t.Start();
    Tfrmyeni& e = *t.Program->yeni;
    (change ? t.Main().BitBtn2 : t.Main().BitBtn1)->click();
    e.show();
    e.Edit1->clear();
    t.Dialogs->Clear();
    e.BitBtn2->click();
    QCOMPARE(t.Shown(), QStringList{kNameMissing});
    QCOMPARE(t.Dialogs->Shown[0].Title, kUyari);
    QCOMPARE(t.Dialogs->Shown[0].Flags, MB_OK);
    QVERIFY(e.isVisible());
    QCOMPARE(StoredNames(t.Folder), (QStringList{"Bina", "Ana", "Depo"}));
    QCOMPARE(frmDM->qrycihaz.State(), TDataSet::TState::Browse);
  }

  // "Değiştir" fills the editor from the selected row; selecting the item
  // from code does not run the pick reaction, so the stored password stays.
  void changeLoadsRow_data() {
    QTest::addColumn<QString>("tip");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("comGroup");
    QTest::addColumn<bool>("netGroup");
    QTest::newRow("com") << "com" << 0 << true << false;
    QTest::newRow("ethernet") << "ethernet" << 1 << false << true;
    QTest::newRow("usb") << "usb" << 2 << false << false;
    QTest::newRow("other keeps the selection") << "USB" << 0 << false << false;
  }
  void changeLoadsRow() {
    QFETCH(QString, tip);
    QFETCH(int, index);
    QFETCH(bool, comGroup);
    QFETCH(bool, netGroup);
    TestProgram t;
    t.Folder.AddTerminal(QStringLiteral("Kapı"), QStringLiteral("4"), tip, QStringLiteral("COM2"),
                         QString(), QStringLiteral("10.0.0.9"), QStringLiteral("5010"),
                         QStringLiteral("5678"));
    t.Start();
    Tfrmyeni& e = *t.Program->yeni;
    e.ComboBox1->setCurrentIndex(0);
    t.Main().BitBtn2->click();
    QCOMPARE(e.Mode(), Tfrmyeni::TMode::Change);
    QCOMPARE(e.ComboBox1->currentIndex(), index);
    QCOMPARE(!e.GroupBox1->isHidden(), comGroup);
    QCOMPARE(!e.GroupBox2->isHidden(), netGroup);
    const QStringList fields{e.Edit1->text(), e.Edit7->text(), e.Edit2->text(), e.Edit3->text(),
                             e.Edit4->text(), e.Edit5->text(), e.Edit6->text()};
    QCOMPARE(fields, (QStringList{"Kapı", "4", "COM2", "", "10.0.0.9", "5010", "5678"}));
    QCOMPARE(t.Dialogs->Shown.last().Kind, QStringLiteral("Modal"));
  }

  // The operator's pick, also while changing a terminal.
  void pickShowsGroupAndResetsPassword_data() {
    QTest::addColumn<int>("pick");
    QTest::addColumn<bool>("comGroup");
    QTest::addColumn<bool>("netGroup");
    QTest::addColumn<QString>("password");
    QTest::newRow("comport") << 0 << true << false << "5678";
    QTest::newRow("tcp/ip") << 1 << false << true << "0";
    QTest::newRow("usb") << 2 << false << false << "0";
  }
  void pickShowsGroupAndResetsPassword() {
    QFETCH(int, pick);
    QFETCH(bool, comGroup);
    QFETCH(bool, netGroup);
    QFETCH(QString, password);
    TestProgram t;
    AddThree(t);
    t.Start();
    Tfrmyeni& e = *t.Program->yeni;
    t.Main().BitBtn2->click();  // Ana, password 5678
    Pick(e, pick);
    QCOMPARE(!e.GroupBox1->isHidden(), comGroup);
    QCOMPARE(!e.GroupBox2->isHidden(), netGroup);
    QCOMPARE(e.Edit6->text(), password);
  }

  // A change save writes the selected row and the grid stays on it, also
  // when the new name moves it in the list.
  void changeSaveKeepsRowSelected() {
    TestProgram t;
    AddThree(t);
    t.Start();
    Tfrmyeni& e = *t.Program->yeni;
    t.SelectTerminalRow(0);  // Ana
    t.Main().BitBtn2->click();
    e.show();
    e.Edit1->setText(QStringLiteral("Zemin"));
    e.Edit5->setText(QStringLiteral("6000"));
    e.BitBtn2->click();
    QCOMPARE(Stored(t.Folder)[1],
             (QStringList{"Zemin", "1", "ethernet", "1", "9600", "10.0.0.5", "6000", "5678"}));
    QCOMPARE(StoredNames(t.Folder), (QStringList{"Bina", "Zemin", "Depo"}));
    QVERIFY(!e.isVisible());
    QCOMPARE(CurrentName(), QStringLiteral("Zemin"));
    QCOMPARE(t.Main().DBGrid1->currentIndex().row(), 2);
    QCOMPARE(t.Main().DBGrid1->model()->index(2, 0).data().toString(), QStringLiteral("Zemin"));
  }

  // A save the database refuses shows its error and leaves the editor open;
  // the list drops the unsaved change instead of showing it and trying to
  // write it again at the next move.
  void refusedChangeIsDropped() {
    TestProgram t;
    AddThree(t);
    ExecOn(t.Folder.File(QStringLiteral("Data.mdb")),
           QStringLiteral("create trigger locked before update on Terminal "
                          "begin select raise(abort, 'kayit kilitli'); end"));
    t.Start();
    Tfrmyeni& e = *t.Program->yeni;
    t.SelectTerminalRow(0);
    t.Main().BitBtn2->click();
    e.show();
    e.Edit1->setText(QStringLiteral("Zemin"));
    t.Dialogs->Clear();
    e.BitBtn2->click();
    QCOMPARE(t.Dialogs->Shown.size(), 1);
    QVERIFY2(t.Dialogs->Shown[0].Text.contains(QStringLiteral("kayit kilitli")),
             qPrintable(t.Dialogs->Shown[0].Text));
    QCOMPARE(t.Dialogs->Shown[0].Flags, MB_OK | MB_ICONERROR);
    QVERIFY(e.isVisible());
    QCOMPARE(frmDM->qrycihaz.State(), TDataSet::TState::Browse);
    QCOMPARE(t.Main().DBGrid1->model()->index(0, 0).data().toString(), QStringLiteral("Ana"));
    t.SelectTerminalRow(1);
    QCOMPARE(t.Dialogs->Shown.size(), 1);
    QCOMPARE(StoredNames(t.Folder), (QStringList{"Bina", "Ana", "Depo"}));
  }

  // "Sil" asks, deletes by id and re-queries (the grid back on the first
  // row); Ctrl+Delete confirms, deletes through the list and keeps its
  // place on the neighbouring row.
  void deleteRow_data() {
    QTest::addColumn<bool>("keyboard");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QString>("current");
    const QStringList all{"Bina", "Ana", "Depo"};
    QTest::newRow("Sil, Yes") << false << 1 << int(IDYES) << QStringList{"Ana", "Depo"} << "Ana";
    QTest::newRow("Sil, No") << false << 1 << int(IDNO) << all << "Bina";
    QTest::newRow("Ctrl+Delete, OK")
        << true << 1 << int(IDOK) << QStringList{"Ana", "Depo"} << "Depo";
    QTest::newRow("Ctrl+Delete last row, OK")
        << true << 2 << int(IDOK) << QStringList{"Bina", "Ana"} << "Bina";
    QTest::newRow("Ctrl+Delete, Cancel") << true << 1 << int(IDCANCEL) << all << "Bina";
  }
  void deleteRow() {
    QFETCH(bool, keyboard);
    QFETCH(int, row);
    QFETCH(int, answer);
    QFETCH(QStringList, stored);
    QFETCH(QString, current);
    TestProgram t;
    AddThree(t);
    t.Start();
    t.SelectTerminalRow(row);
    t.Dialogs->Answers << answer;
    if (keyboard) {
      QTest::keyClick(t.Main().DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
    } else {
      t.Main().BitBtn3->click();
    }
    QCOMPARE(t.Dialogs->Shown.size(), 1);
    const ShownDialog& asked = t.Dialogs->Shown[0];
    if (keyboard) {
      QCOMPARE(asked.Kind, QStringLiteral("Confirm"));
      QCOMPARE(asked.Text, QStringLiteral("Delete record?"));
    } else {
      QCOMPARE(asked.Text, QStringLiteral("Seçili kaydı Silmek İstiyor musunuz...?"));
      QCOMPARE(asked.Title, kUyari);
      QCOMPARE(asked.Flags, MB_YESNO);
    }
    QCOMPARE(StoredNames(t.Folder), stored);
    QCOMPARE(t.Main().DBGrid1->model()->rowCount(), stored.size());
    QCOMPARE(CurrentName(), current);
    QCOMPARE(t.Main().DBGrid1->model()->index(t.Main().DBGrid1->currentIndex().row(), 0).data(),
             QVariant(current));
  }

  // With no row to act on, "Değiştir", "Sil" and Ctrl+Delete do nothing.
  void emptyListDoesNothing_data() {
    QTest::addColumn<bool>("dataFile");
    QTest::newRow("empty list") << true;
    QTest::newRow("no Data.mdb") << false;
  }
  void emptyListDoesNothing() {
    QFETCH(bool, dataFile);
    TestProgram t(false);
    t.Folder.CreateDatabases(dataFile, true);
    t.Start();
    t.Dialogs->Clear();
    t.Dialogs->Answers << IDYES << IDOK;
    t.Main().BitBtn2->click();
    t.Main().BitBtn3->click();
    QTest::keyClick(t.Main().DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(t.Shown(), QStringList());
    QCOMPARE(t.Program->yeni->Mode(), Tfrmyeni::TMode::None);
  }
};

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
