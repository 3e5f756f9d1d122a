// The grid that edits: a column typed into in place, a read-only column with
// its own background, the row stored when it is left (to every row of the
// user when the dataset has an update key) and dropped with Esc.
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QVBoxLayout>

#include "TestProgram.h"
#include "data/DM.h"
#include "widgets/DBGrid.h"

namespace {

QStringList Names(const QString& LogFile) {
  QStringList names;
  const QString connection = QStringLiteral("names-check");
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.setDatabaseName(LogFile);
    db.open();
    QSqlQuery q(QStringLiteral("select kartno, isim from temp order by rowid"), db);
    while (q.next()) names << q.value(0).toString() + QLatin1Char('=') + q.value(1).toString();
  }
  QSqlDatabase::removeDatabase(connection);
  return names;
}

}  // namespace

class TestEditGrid : public QObject {
  Q_OBJECT
  std::unique_ptr<TestFolder> folder;
  std::unique_ptr<TADOConnection> log;
  std::unique_ptr<ScopedScriptedDialogs> dialogs;
  std::unique_ptr<TDataSet> qryisim;
  std::unique_ptr<TDataSource> dsisim;

  QString LogFile() const { return folder->File(QStringLiteral("Log.mdb")); }
  QVariant Shown(int Row, int Column, int Role = Qt::DisplayRole) const {
    return dsisim->data(dsisim->index(Row, Column), Role);
  }

 private slots:
  void init() {
    folder = std::make_unique<TestFolder>();
    folder->CreateDatabases();
    for (const auto& [card, name] : {std::pair{"00001", "Ali Kaya"},
                                     {"00001", "Ali Kaya"},
                                     {"00002", "Veli Er"},
                                     {"00001", "Ali Kaya"}})
      ExecOn(LogFile(), QStringLiteral("insert into temp (kartno, isim) values (?, ?)"),
             {QString::fromLatin1(card), QString::fromLatin1(name)});
    log = std::make_unique<TADOConnection>(QStringLiteral("log"));
    log->Open(LogFile());
    dialogs = std::make_unique<ScopedScriptedDialogs>();
    qryisim = std::make_unique<TDataSet>(QStringLiteral("qryisim"), *log);
    qryisim->SetUpdateKey({QStringLiteral("kartno")});
    qryisim->OpenSQL(QStringLiteral("select * from temp order by kartno"));
    dsisim = std::make_unique<TDataSource>(QStringLiteral("dsisim"), qryisim.get());
    dsisim->SetColumns({{QStringLiteral("kartno"), QStringLiteral("kartno"), 55, false,
                         QColor(0xC0, 0xDC, 0xC0), true},
                        {QStringLiteral("isim"), QStringLiteral("isim"), 200, true, {}, true}});
  }
  void cleanup() {
    dsisim.reset();
    qryisim.reset();
    dialogs.reset();
    log.reset();
    folder.reset();
  }

  // With the key a name is the user's: every row of that card takes it, in
  // the file and in the rows shown. Without it only the edited row does.
  void postedEditReachesRowsOfTheKey_data() {
    QTest::addColumn<bool>("keyed");
    QTest::addColumn<QStringList>("stored");
    QTest::newRow("by kartno") << true
                               << QStringList{"00001=O'Neil Şükrü", "00001=O'Neil Şükrü",
                                              "00002=Veli Er", "00001=O'Neil Şükrü"};
    QTest::newRow("by row") << false
                            << QStringList{"00001=Ali Kaya", "00001=O'Neil Şükrü", "00002=Veli Er",
                                           "00001=Ali Kaya"};
  }
  void postedEditReachesRowsOfTheKey() {
    QFETCH(bool, keyed);
    QFETCH(QStringList, stored);
    if (!keyed) qryisim->SetUpdateKey({});
    qryisim->SetRecNo(1);
    qryisim->Edit();
    qryisim->FieldByName(QStringLiteral("ISIM")).SetAsString(QStringLiteral("O'Neil Şükrü"));
    qryisim->Post();
    QCOMPARE(Names(LogFile()), stored);
    int shown = 0;
    for (int r = 0; r < 4; ++r) shown += Shown(r, 1).toString() == QStringLiteral("O'Neil Şükrü");
    QCOMPARE(shown, keyed ? 3 : 1);
    QCOMPARE(qryisim->RecNo(), 1);
  }

  void columnsShowTheirLook() {
    QVERIFY(!(dsisim->flags(dsisim->index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(dsisim->flags(dsisim->index(0, 1)) & Qt::ItemIsEditable);
    QCOMPARE(Shown(0, 0, Qt::BackgroundRole).value<QColor>(), QColor(0xC0, 0xDC, 0xC0));
    QVERIFY(!Shown(0, 1, Qt::BackgroundRole).isValid());
    QVERIFY(dsisim->headerData(1, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());
    QCOMPARE(Shown(2, 1, Qt::EditRole).toString(), QStringLiteral("Ali Kaya"));
    QVERIFY(!dsisim->setData(dsisim->index(0, 0), QStringLiteral("99999"), Qt::EditRole));
    // A list read through a statement that cannot be written back is not
    // offered for typing.
    qryisim->OpenSQL(QStringLiteral("select kartno, isim from temp"));
    QVERIFY(!(dsisim->flags(dsisim->index(0, 1)) & Qt::ItemIsEditable));
  }

  // Typing puts the row into edit state; the file changes only when the
  // operator moves to another row, and the grid stays on that row.
  void rowIsStoredWhenLeft() {
    TDBGrid grid(QStringLiteral("DBGrid1"));
    grid.SetDataSource(dsisim.get());
    QCOMPARE(grid.editTriggers() & QAbstractItemView::AnyKeyPressed,
             QAbstractItemView::AnyKeyPressed);
    grid.setCurrentIndex(dsisim->index(2, 1));
    QVERIFY(dsisim->setData(dsisim->index(2, 1), QStringLiteral("Gül Şahin"), Qt::EditRole));
    QCOMPARE(qryisim->State(), TDataSet::TState::Edit);
    QCOMPARE(qryisim->RecNo(), 2);
    QCOMPARE(Shown(2, 1).toString(), QStringLiteral("Gül Şahin"));
    QCOMPARE(Names(LogFile())[0], QStringLiteral("00001=Ali Kaya"));
    grid.SelectRow(3);
    QCOMPARE(qryisim->State(), TDataSet::TState::Browse);
    QCOMPARE(Names(LogFile()), (QStringList{"00001=Gül Şahin", "00001=Gül Şahin", "00002=Veli Er",
                                            "00001=Gül Şahin"}));
    QCOMPARE(grid.currentIndex(), dsisim->index(3, 1));
    QCOMPARE(qryisim->RecNo(), 3);
    QVERIFY((*dialogs)->Shown.isEmpty());
  }

  void escDropsTheChange() {
    TDBGrid grid(QStringLiteral("DBGrid1"));
    grid.SetDataSource(dsisim.get());
    dsisim->setData(dsisim->index(0, 1), QStringLiteral("Yanlış"), Qt::EditRole);
    QTest::keyClick(&grid, Qt::Key_Escape);
    QCOMPARE(qryisim->State(), TDataSet::TState::Browse);
    QCOMPARE(Shown(0, 1).toString(), QStringLiteral("Ali Kaya"));
    grid.SelectRow(1);
    QCOMPARE(Names(LogFile())[0], QStringLiteral("00001=Ali Kaya"));
  }

  // A row the file refuses stays in edit state with its text; the error
  // box shows why and the selection returns to it.
  void refusedRowKeepsTheSelection() {
    ExecOn(LogFile(), QStringLiteral("create trigger locked before update on temp "
                                     "begin select raise(abort, 'kilitli'); end"));
    TDBGrid grid(QStringLiteral("DBGrid1"));
    grid.SetDataSource(dsisim.get());
    grid.setCurrentIndex(dsisim->index(1, 1));
    dsisim->setData(dsisim->index(1, 1), QStringLiteral("Gül Şahin"), Qt::EditRole);
    grid.SelectRow(2);
    QCOMPARE((*dialogs)->Shown.size(), 1);
    QCOMPARE((*dialogs)->Shown[0].Flags, MB_OK | MB_ICONERROR);
    QVERIFY2((*dialogs)->Shown[0].Text.contains(QStringLiteral("kilitli")),
             qPrintable((*dialogs)->Shown[0].Text));
    QCOMPARE(qryisim->State(), TDataSet::TState::Edit);
    QCOMPARE(qryisim->RecNo(), 1);
    QTRY_COMPARE(grid.currentIndex().row(), 1);
    QCOMPARE(Shown(1, 1).toString(), QStringLiteral("Gül Şahin"));
  }

  // Moving to another control of the window (a button, the search box)
  // stores the row, so the action started there reads what was typed.
  void rowIsStoredWhenTheGridIsLeft() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* grid = new TDBGrid(QStringLiteral("DBGrid1"));
    auto* search = new QLineEdit;
    layout->addWidget(grid);
    layout->addWidget(search);
    grid->SetDataSource(dsisim.get());
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    grid->setFocus();
    QTRY_VERIFY(grid->hasFocus());
    dsisim->setData(dsisim->index(2, 1), QStringLiteral("Gül Şahin"), Qt::EditRole);
    QCOMPARE(Names(LogFile())[0], QStringLiteral("00001=Ali Kaya"));
    search->setFocus();
    QTRY_VERIFY(search->hasFocus());
    QCOMPARE(qryisim->State(), TDataSet::TState::Browse);
    QCOMPARE(Names(LogFile())[0], QStringLiteral("00001=Gül Şahin"));
  }
};

QTEST_MAIN(TestEditGrid)
#include "tst_editgrid.moc"
