// The enrollment window's name list and its two send buttons, the caption
// naming the personnel database, the password list and the four user
// commands, driven through the window's handlers over the fake terminal.
#include <QDir>
#include <QFile>
#include <QTest>

#include "EnrolFixture.h"
#include "data/DM.h"
#include "enrolldata/EnrollStore.h"
#include "session/TerminalSession.h"
#include "widgets/ActionGuard.h"

namespace {
const QString kOff = QStringLiteral("FK_EnableDevice(17,0)");
const QString kOn = QStringLiteral("FK_EnableDevice(17,1)");

void AddPasswordEntry(EnrolProgram& T, int User, int Privilege, int Password) {
  ExecOn(T.DataFile(),
         QStringLiteral("insert into tblEnroll (EnrollNumber,FingerNumber,Privilige,Password) "
                        "values (?,15,?,?)"),
         {User, Privilege, Password});
}

QStringList Column(TDataSet& List, const QString& Field) {
  QStringList values;
  for (int r = 0; r < List.RecordCount(); ++r)
    values << List.ValueAt(r, List.FieldIndex(Field)).toString();
  return values;
}
}  // namespace

class TestEnrolNames : public QObject {
  Q_OBJECT
 private slots:
  void captionNamesThePersonnelDatabase() {
    EnrolProgram t;
    t.Show();
    QCOMPARE(t.W().windowTitle(), QStringLiteral("Parmakizi Datası Kopyalama / Yükleme / Personel "
                                                 "İsimlendirme -  [server=] [veritabanı=]"));
    QCOMPARE(t.W().PdksSettings.Port, QStringLiteral("3306"));
    t.Folder.WriteFile(QStringLiteral("Settings.ini"),
                       "[Login]\r\nServer=pdks.local\r\nDatabase=personel_db\r\n"
                       "[MySql]\r\nUser=okur\r\nPort=3310\r\n");
    t.Show();  // read again at every show
    QCOMPARE(t.W().windowTitle(), QStringLiteral("Parmakizi Datası Kopyalama / Yükleme / Personel "
                                                 "İsimlendirme -  [server=pdks.local] "
                                                 "[veritabanı=personel_db]"));
    QCOMPARE(t.W().PdksSettings.User, QStringLiteral("okur"));
    QCOMPARE(t.W().PdksSettings.Port, QStringLiteral("3310"));
  }

  // A Settings.ini that cannot be read is told when the window is shown;
  // nothing of an earlier showing is used in its place, and the store's
  // list is open all the same. Written as UTF-8, the user reads as written.
  void settingsAsTheOperatorSavedThem() {
    EnrolProgram t;
    t.Store(7, 0, 0, QStringLiteral("Gül"), Pattern(1680, 7));
    t.Folder.WriteFile(QStringLiteral("Settings.ini"),
                       "\xEF\xBB\xBF[Login]\r\nServer=pdks.local\r\n"
                       "[MySql]\r\nUser=çalışan\r\n");  // UTF-8, as this source file
    t.Show();
    QCOMPARE(t.W().PdksSettings.Server, QStringLiteral("pdks.local"));
    QCOMPARE(t.W().PdksSettings.User, QStringLiteral("çalışan"));

    const QString path = t.Folder.File(QStringLiteral("Settings.ini"));
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkdir(path));
    RunGuarded([&] { t.W().FormShow(); });
    QCOMPARE(t.Dialogs->Texts(),
             QStringList{QStringLiteral("Cannot read file \"%1\". Is a directory.")
                             .arg(QDir::toNativeSeparators(path))});
    QCOMPARE(t.W().PdksSettings.Server, QString());
    QCOMPARE(t.W().PdksSettings.User, QString());
    QCOMPARE(t.W().windowTitle(), QStringLiteral("Parmakizi Datası Kopyalama / Yükleme / Personel "
                                                 "İsimlendirme -  [server=] [veritabanı=]"));
    QCOMPARE(t.W().qryenroll.RecordCount(), 1);
  }

  // The list opens with the first change of the search box; the count
  // follows the rows shown; a quote in the search text is just a character.
  void searchFiltersTheList() {
    EnrolProgram t;
    t.AddName(QStringLiteral("00003"), QStringLiteral("O'Neil Şükrü"));
    t.AddName(QStringLiteral("00001"), QStringLiteral("Gül Şahin"));
    t.AddName(QStringLiteral("00002"), QStringLiteral("Gülay Er"));
    t.Show();
    TfrmEnrol& w = t.W();
    QVERIFY(!frmDM->qryisim.Active());
    QCOMPARE(w.Label7->text(), QString());
    w.Edit8->setText(QStringLiteral(" Gül"));
    QCOMPARE(Column(frmDM->qryisim, QStringLiteral("kartno")), (QStringList{"00001", "00002"}));
    QCOMPARE(w.Label7->text(), QStringLiteral("2"));
    w.Edit8->setText(QStringLiteral("O'N"));
    QCOMPARE(Column(frmDM->qryisim, QStringLiteral("isim")), QStringList{"O'Neil Şükrü"});
    w.Edit8->clear();
    QCOMPARE(w.Label7->text(), QStringLiteral("3"));
    QCOMPARE(w.DBGrid1->model()->headerData(0, Qt::Horizontal).toString(),
             QStringLiteral("kartno"));
    QVERIFY(t.Shown().isEmpty());
  }

  // The selected row's name, in plain letters, under the number without its
  // zeros; no enable bracket; the terminal's refusal shows as "error".
  void sendSelectedName_data() {
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("status");
    QTest::newRow("accepted") << 1 << "SetUserName OK";
    QTest::newRow("refused") << -8 << "error";
  }
  void sendSelectedName() {
    QFETCH(int, result);
    QFETCH(QString, status);
    EnrolProgram t;
    t.AddName(QStringLiteral("00001"), QStringLiteral("Ayşe Yılmaz"));
    t.AddName(QStringLiteral("00042"), QStringLiteral("İSMAİL ÇAĞLAR"));
    t.Show();
    TfrmEnrol& w = t.W();
    w.RefreshNameList();
    w.DBGrid1->SelectRow(1);
    FakeSdk.Results[QStringLiteral("FK_SetUserName")] = result;
    w.BitBtn4->click();
    QCOMPARE(FakeSdk.Calls, QStringList{"FK_SetUserName(17,42,ISMAIL CAGLAR)"});
    QCOMPARE(w.lblMessage->text(), status);
    QVERIFY(w.BitBtn4->isEnabled());
    QVERIFY(!Session().Busy());
  }

  void sendButtonsOnEmptyOrUnopenedList() {
    EnrolProgram t;
    t.AddName(QStringLiteral("00001"), QString());
    t.Show();
    TfrmEnrol& w = t.W();
    w.BitBtn4->click();  // never opened: the data layer's error
    QCOMPARE(t.Dialogs->Shown.size(), 1);
    QCOMPARE(t.Dialogs->Shown[0].Flags, MB_OK | MB_ICONERROR);
    QVERIFY(w.BitBtn4->isEnabled());
    w.lblMessage->setText(QStringLiteral("önceki"));
    w.RefreshNameList();
    w.BitBtn4->click();  // an empty name: no call, the line stays
    QCOMPARE(w.lblMessage->text(), QStringLiteral("önceki"));
    w.Edit8->setText(QStringLiteral("Kimse"));
    for (QPushButton* b : {w.BitBtn4, w.BitBtn5}) {
      w.lblMessage->clear();
      b->click();
      QCOMPARE(w.lblMessage->text(), EmptyListText());
    }
    QVERIFY(FakeSdk.Calls.isEmpty());
  }

  // Every listed row in card order (the search limits them); one refusal
  // makes the final line "error".
  void sendAllListedNames() {
    EnrolProgram t;
    t.AddName(QStringLiteral("00002"), QStringLiteral("Hüsnü Öztürk"));
    t.AddName(QStringLiteral("00001"), QStringLiteral("Hülya Koç"));
    t.AddName(QStringLiteral("00003"), QStringLiteral("Ali Veli"));
    t.Show();
    TfrmEnrol& w = t.W();
    w.Edit8->setText(QStringLiteral("Hü"));
    FakeSdk.Queued[QStringLiteral("FK_SetUserName")] = {-8, 1};
    w.BitBtn5->click();
    QCOMPARE(FakeSdk.Calls,
             (QStringList{"FK_SetUserName(17,1,Hulya Koc)", "FK_SetUserName(17,2,Husnu Ozturk)"}));
    QCOMPARE(w.lblMessage->text(), QStringLiteral("error"));
    QVERIFY(w.BitBtn5->isEnabled());
    FakeSdk.Calls.clear();
    w.Edit8->clear();
    w.BitBtn5->click();
    QCOMPARE(FakeSdk.Calls.size(), 3);
    QCOMPARE(w.lblMessage->text(), QStringLiteral("SetUserName OK"));
  }

  // A name typed into the grid belongs to the user: every row of that card
  // takes it when the row is left, and that is the name sent.
  void typedNameIsStoredForTheUserAndSent() {
    EnrolProgram t;
    for (int i = 0; i < 3; ++i) t.AddName(QStringLiteral("00005"), QStringLiteral("Ahmet"));
    t.AddName(QStringLiteral("00006"), QStringLiteral("Mehmet"));
    t.Show();
    TfrmEnrol& w = t.W();
    w.RefreshNameList();
    QAbstractItemModel* model = w.DBGrid1->model();
    QVERIFY(!(model->flags(model->index(1, 0)) & Qt::ItemIsEditable));
    QVERIFY(model->setData(model->index(1, 1), QStringLiteral("Ahmet O'Brien Şen"), Qt::EditRole));
    w.DBGrid1->SelectRow(3);
    QCOMPARE(t.Names(), (QStringList{"00005|Ahmet O'Brien Şen", "00005|Ahmet O'Brien Şen",
                                     "00005|Ahmet O'Brien Şen", "00006|Mehmet"}));
    w.Edit8->setText(QStringLiteral("Ahmet O'"));
    QCOMPARE(w.Label7->text(), QStringLiteral("3"));
    w.BitBtn5->click();
    QCOMPARE(FakeSdk.Calls,
             QStringList(3, QStringLiteral("FK_SetUserName(17,5,Ahmet O'Brien Sen)")));
  }

  // The filters' statements, the old password of the selected entry, and the
  // list back on its first row when the new-password box changes.
  void passwordList() {
    EnrolProgram t;
    AddPasswordEntry(t, 1, 0, 0x432);
    AddPasswordEntry(t, 2, 1, 0x1);
    AddPasswordEntry(t, 3, 2, 0);
    AddPasswordEntry(t, 4, 0, 0xB0A);
    t.Store(1, 0, 0, QStringLiteral("Ali"), QByteArray(1680, '\0'));
    t.Show();
    TfrmEnrol& w = t.W();
    QVERIFY(w.RadioButton2->isChecked());
    QCOMPARE(Column(w.qryadmin, QStringLiteral("EnrollNumber")), (QStringList{"2", "3"}));
    QCOMPARE(w.Label32->text(), QStringLiteral("0"));
    w.DBGrid3->SelectRow(1);
    QCOMPARE(w.Label32->text(), QString());  // a stored 0
    w.RadioButton1->click();
    QCOMPARE(w.qryadmin.SQL(),
             QStringLiteral("SELECT * FROM tblEnroll where FingerNumber=15  and (Privilige=0)"));
    QCOMPARE(w.Label32->text(), QStringLiteral("123"));
    w.DBGrid3->SelectRow(1);
    QCOMPARE(w.Label32->text(), QStringLiteral("9-110"));
    QCOMPARE(w.Edit4->text(), QStringLiteral("9-110"));
    w.Edit3->setText(QStringLiteral("5"));
    QCOMPARE(w.qryadmin.RecNo(), 0);
    QCOMPARE(w.Label32->text(), QStringLiteral("123"));
    w.BitBtn8->click();
    QVERIFY(FakeSdk.Calls.isEmpty());
    QVERIFY(t.Shown().isEmpty());
  }

  // "Aktif Yap" on a user with two fingerprints and a card: three commands,
  // the terminal disabled before each and enabled once; the store keeps its
  // privileges, so the user stays under its old filter.
  void userCommandButtons_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("call");
    QTest::newRow("Aktif Yap") << 1 << "FK_EnableUser(17,7,%1,1)";
    QTest::newRow("Pasif Yap") << 2 << "FK_EnableUser(17,7,%1,0)";
    QTest::newRow("Kullanıcıyı Admin Yap") << 4 << "FK_ModifyPrivilege(17,7,%1,1)";
    QTest::newRow("Admini Kullanıcı Yap") << 5 << "FK_ModifyPrivilege(17,7,%1,0)";
  }
  void userCommandButtons() {
    QFETCH(int, button);
    QFETCH(QString, call);
    EnrolProgram t;
    t.Store(3, 0, 1, QStringLiteral("Admin"), QByteArray(1680, '\1'));
    for (int b : {0, 1, 11})
      t.Store(7, b, 0, QStringLiteral("Ayşe"), QByteArray(TemplateSize(b), '\2'));
    t.Show();
    TfrmEnrol& w = t.W();
    w.RadioButton3->click();
    w.DBGrid4->SelectRow(0);
    QPushButton* pressed = button == 1   ? w.Button1
                           : button == 2 ? w.Button2
                           : button == 4 ? w.Button4
                                         : w.Button5;
    // While the walk lets messages run, nothing else can start or close.
    QStringList whileRunning;
    int busyPumps = 0;
    t.Dialogs->OnProcessMessages = [&] {
      if (!Session().Busy()) return;
      ++busyPumps;
      for (QWidget* c : QList<QWidget*>{w.Button1, w.Button5, w.BitBtn3, w.DBGrid4, w.BitBtn1})
        if (c->isEnabled()) whileRunning << c->objectName();
    };
    pressed->click();
    QCOMPARE(FakeSdk.Calls,
             (QStringList{kOff, call.arg(0), kOff, call.arg(1), kOff, call.arg(11), kOn}));
    QCOMPARE(w.lblMessage->text(), QStringLiteral("Success!"));
    QCOMPARE(busyPumps, 3);
    QCOMPARE(whileRunning, QStringList());
    QVERIFY(pressed->isEnabled() && w.BitBtn3->isEnabled() && w.DBGrid4->isEnabled());
    QCOMPARE(w.txtEnrollNumber->text(), QStringLiteral("7"));  // the last row loaded
    QCOMPARE(w.cmbBackupNumber->currentText(), QStringLiteral("Card"));
    w.RadioButton3->click();
    QCOMPARE(Column(w.qryaktifpasif, QStringLiteral("EnrollNumber")), (QStringList{"7", "7", "7"}));
  }

  void userCommandOnEmptyList() {
    EnrolProgram t;
    t.Store(7, 0, 0, QStringLiteral("Ayşe"), QByteArray(1680, '\0'));
    t.Show();  // lists administrators: none
    t.W().Button4->click();
    QCOMPARE(t.W().lblMessage->text(), EmptyListText());
    QVERIFY(FakeSdk.Calls.isEmpty());
    QVERIFY(t.Shown().isEmpty());
  }
};

QTEST_MAIN(TestEnrolNames)
#include "tst_enrolnames.moc"
