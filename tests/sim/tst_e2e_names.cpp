// The names and users tabs against a real vterminal: the names a backup read
// go back in plain Latin letters (a name typed into the grid among them),
// and the user commands change every item of the chosen user.
#include <QJsonArray>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "SimFixture.h"
#include "TestProgram.h"
#include "data/DM.h"

namespace {

// Privilege and enabled flag of every item of User, as "backup:privilege:enabled".
QStringList ItemsOf(const VTerminal& Vt, int User) {
  QStringList items;
  for (const QJsonValue& v : Vt.state().value("items").toArray()) {
    const QJsonArray item = v.toArray();
    if (item.at(0).toInt() != User) continue;
    items << QStringLiteral("%1:%2:%3")
                 .arg(item.at(1).toInt())
                 .arg(item.at(2).toInt())
                 .arg(item.at(3).toInt());
  }
  return items;
}

}  // namespace

class TestE2ENames : public QObject {
  Q_OBJECT
 private slots:
  void namesAndUserCommands() {
    QTemporaryDir dir;
    VTerminal vt(dir.path());
    QVERIFY2(vt.start({"--seed-users", "12"}), qPrintable(vt.error()));
    TestProgram t(true, TSdk::Library);
    t.Folder.AddTerminal(QStringLiteral("Ana Kapı"), QStringLiteral("1"),
                         QStringLiteral("ethernet"), {}, {}, QStringLiteral("127.0.0.1"),
                         QString::number(vt.port()));
    t.Start();
    t.Main().BitBtn4->click();
    TfrmEnrol& w = *t.Program->Enrol;
    w.FormShow();
    w.BitBtn1Click();
    QCOMPARE(w.lblMessage->text(), QStringLiteral("GetEnrollData OK"));
    const QJsonObject seeded = vt.state().value("names").toObject();
    static const QRegularExpression turkish(QStringLiteral("[çğıöşüÇĞİÖŞÜ]"));
    QCOMPARE(seeded.size(), 12);

    // A new name for user 3, typed into its first row and stored on leaving.
    TDataSet& list = frmDM->qryisim;
    int row = 0;
    while (list.ValueAt(row, list.FieldIndex(QStringLiteral("kartno"))).toString() !=
           QStringLiteral("00003"))
      ++row;
    QAbstractItemModel* model = w.DBGrid1->model();
    QVERIFY(
        model->setData(model->index(row, 1), QStringLiteral("Şükrü Çağlar Öğüt"), Qt::EditRole));
    w.DBGrid1->SelectRow(0);
    w.BitBtn5Click();
    QCOMPARE(w.lblMessage->text(), QStringLiteral("SetUserName OK"));
    const QJsonObject names = vt.state().value("names").toObject();
    QCOMPARE(names.value("3").toString(), QStringLiteral("Sukru Caglar Ogut"));
    int plain = 0;
    for (const QString& user : names.keys()) {
      QVERIFY2(!names.value(user).toString().contains(turkish), qPrintable(user));
      plain += seeded.value(user).toString().contains(turkish);
    }
    QVERIFY(plain > 0);  // the seeded names did hold Turkish letters

    // "Pasif Yap" then "Kullanıcıyı Admin Yap" for the user listed first
    // among plain users: each of its items changes, and the terminal is
    // enabled again.
    w.RadioButton3->click();
    w.DBGrid4->SelectRow(0);
    const int user = w.qryaktifpasif.FieldByName(QStringLiteral("EnrollNumber")).AsInteger();
    const QStringList before = ItemsOf(vt, user);
    QVERIFY(!before.isEmpty());
    w.Button2Click();
    QCOMPARE(w.lblMessage->text(), QStringLiteral("Success!"));
    w.Button4Click();
    QCOMPARE(w.lblMessage->text(), QStringLiteral("Success!"));
    QStringList expected;
    for (const QString& item : before) expected << item.section(':', 0, 0) + QStringLiteral(":1:0");
    QCOMPARE(ItemsOf(vt, user), expected);
    QVERIFY(vt.state().value("enabled").toBool());
    QVERIFY2(t.Shown().isEmpty(), qPrintable(t.Shown().join('|')));
  }
};

QTEST_MAIN(TestE2ENames)
#include "tst_e2e_names.moc"
