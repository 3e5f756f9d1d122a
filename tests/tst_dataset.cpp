#include <QDir>
#include <QFile>
#include <QTest>

#include "DamagedPage.h"
#include "TestFolder.h"
#include "common/Errors.h"
#include "data/DM.h"

namespace {

// A local connection that opens FileName with its first statement, as the
// personnel connection opens its server.
class TOpensOnDemand : public TADOConnection {
 public:
  QString FileName;
  int Opened = 0;

 protected:
  void OpenOnDemand() override {
    ++Opened;
    Open(FileName);
  }
};

}  // namespace

class TestDataSet : public QObject {
  Q_OBJECT
  std::unique_ptr<TLocalDatabases> db;

  // The terminal list over rows with these names, as the main window opens it.
  void OpenTerminalList(TDataSet& q, const QStringList& names) {
    for (const QString& name : names)
      db->Folder.AddTerminal(name, QStringLiteral("1"), QStringLiteral("ethernet"));
    q.OpenSQL(QStringLiteral("select * from Terminal order by Terminal"));
  }

 private slots:
  void init() { db = std::make_unique<TLocalDatabases>(); }
  void cleanup() { db.reset(); }

  // Names sort in the Turkish alphabet without regard to case, and LIKE
  // matches Turkish case pairs, with the statements as the windows write them.
  void turkishOrderAndLike_data() {
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("order by name")
        << "select * from temp order by isim"
        << QStringList{"Ana",  "bina", "Çatı", "çay",   "ılık", "Irmak", "İdare",
                       "inci", "Öykü", "Şube", "Şükrü", "Ümit", "Zemin"};
    QTest::newRow("like ş%") << "select * from temp where isim like 'ş%' order by isim"
                             << QStringList{"Şube", "Şükrü"};
    QTest::newRow("like dotted İ")
        << "select * from temp where isim like 'İ%' order by isim" << QStringList{"İdare", "inci"};
    QTest::newRow("like dotless I") << "select * from temp where isim like '%ı%' order by isim"
                                    << QStringList{"Çatı", "ılık", "Irmak"};
    QTest::newRow("like inner, one char")
        << "select * from temp where isim like '_Ü%' order by isim" << QStringList{"Şükrü"};
    QTest::newRow("bound pattern")
        << "select * from temp where isim like ? order by isim" << QStringList{"Öykü"};
  }
  void turkishOrderAndLike() {
    QFETCH(QString, statement);
    QFETCH(QStringList, expected);
    const QStringList names = {"Zemin", "Şükrü", "İdare", "bina", "Ümit", "Çatı", "Ana",
                               "ılık",  "inci",  "Irmak", "Öykü", "çay",  "Şube"};
    TDataSet add(QStringLiteral("ADOQuery2"), db->Log);
    add.ExecuteSQL(QStringLiteral("insert into temp (kartno,isim) values ") +
                       QStringList(names.size(), QStringLiteral("('1',?)")).join(QLatin1Char(',')),
                   QVariantList(names.begin(), names.end()));
    TDataSet q(QStringLiteral("qryisim"), db->Log);
    q.OpenSQL(statement, statement.contains(QLatin1Char('?')) ? QVariantList{QStringLiteral("öY%")}
                                                              : QVariantList{});
    QStringList found;
    for (q.First(); !q.Eof(); q.Next()) found << q.FieldByName(QStringLiteral("isim")).AsString();
    QCOMPARE(found, expected);
  }

  // A new row gets its id from the database, text is stored as typed
  // (apostrophes included) and columns are found whatever their case.
  void insertPostAndColumnsByName() {
    TDataSet q(QStringLiteral("ADOQuery1"), db->Data);
    q.OpenSQL(QStringLiteral("select * from Terminal "));
    for (const QString& name : {QStringLiteral("Ahmet'in Kapısı"), QStringLiteral("Bina B")}) {
      q.Insert();
      q.FieldByName(QStringLiteral("terminal")).SetAsString(name);
      q.FieldByName(QStringLiteral("TERMINALNO")).SetAsString(QStringLiteral("3"));
      q.Post();
      QVERIFY(q.FieldByName(QStringLiteral("ID")).AsInteger() > 0);
    }
    TDataSet list(QStringLiteral("qrycihaz"), db->Data);
    list.OpenSQL(QStringLiteral("select * from Terminal order by Terminal"));
    QCOMPARE(list.RecordCount(), 2);
    QCOMPARE(list.FieldByName(QStringLiteral("Terminal")).AsString(),
             QStringLiteral("Ahmet'in Kapısı"));
    QCOMPARE(list.FieldByName(QStringLiteral("terminalno")).AsInteger(), 3);
    QVERIFY(list.FieldByName(QStringLiteral("Ip")).IsNull());
    QCOMPARE(list.FieldByName(QStringLiteral("Ip")).AsString(), QString());
    QCOMPARE(list.FieldByName(QStringLiteral("NetPort")).AsInteger(), 0);
    QCOMPARE(ErrorOf([&] { list.FieldByName(QStringLiteral("Nope")); }),
             QStringLiteral("qrycihaz: Field 'Nope' not found"));
  }

  void textThatIsNoNumberFailsAsInteger() {
    db->Folder.AddTerminal(QStringLiteral("T"), QStringLiteral("abc"), QStringLiteral("ethernet"));
    TDataSet q(QStringLiteral("qrycihaz"), db->Data);
    q.OpenSQL(QStringLiteral("select * from Terminal order by Terminal"));
    QCOMPARE(ErrorOf([&] { q.FieldByName(QStringLiteral("TerminalNo")).AsInteger(); }),
             QStringLiteral("'abc' is not a valid integer value"));
  }

  // A stored value is read as the whole number it is, or fails as text that
  // is no number does: never wrapped modulo 2^32 or cut to another number.
  // A column of INTEGER affinity keeps what it is given, as an edited store
  // or a terminal list with typed columns does.
  void storedValueAsInteger_data() {
    QTest::addColumn<QString>("stored");  // an SQL literal
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("error");
    QTest::newRow("integer") << "5005" << 5005 << "";
    QTest::newRow("largest int") << "2147483647" << 2147483647 << "";
    QTest::newRow("smallest int") << "-2147483648" << int(-2147483648LL) << "";
    QTest::newRow("whole real") << "5005.0" << 5005 << "";
    QTest::newRow("digits as text") << "'5005'" << 5005 << "";
    QTest::newRow("null") << "null" << 0 << "";
    QTest::newRow("2^32 + 5005") << "4294972301" << 0
                                 << "'4294972301' is not a valid integer value";
    QTest::newRow("one past int") << "2147483648" << 0
                                  << "'2147483648' is not a valid integer value";
    QTest::newRow("one below int")
        << "-2147483649" << 0 << "'-2147483649' is not a valid integer value";
    QTest::newRow("fraction") << "1.9" << 0 << "'1.9' is not a valid integer value";
    QTest::newRow("negative fraction") << "-0.5" << 0 << "'-0.5' is not a valid integer value";
    QTest::newRow("huge real") << "1e300" << 0 << "'1e+300' is not a valid integer value";
    QTest::newRow("64-bit text") << "'4294972301'" << 0
                                 << "'4294972301' is not a valid integer value";
  }
  void storedValueAsInteger() {
    QFETCH(QString, stored);
    QFETCH(int, expected);
    QFETCH(QString, error);
    ExecOn(db->Folder.File(QStringLiteral("Data.mdb")),
           QStringLiteral("insert into tblEnroll (EnrollNumber, Privilige) values (1, %1)")
               .arg(stored));
    TDataSet q(QStringLiteral("ads"), db->Data);
    q.OpenSQL(QStringLiteral("select * from tblEnroll"));
    const TField privilege = q.FieldByName(QStringLiteral("Privilige"));
    if (error.isEmpty()) {
      QCOMPARE(privilege.AsInteger(), expected);
    } else {
      QCOMPARE(ErrorOf([&] { privilege.AsInteger(); }), error);
    }
  }

  // Bytes are read only from a BLOB: the characters of a text value are not
  // the bytes that were stored.
  void bytesOnlyFromBlob() {
    ExecOn(db->Folder.File(QStringLiteral("Data.mdb")),
           QStringLiteral("insert into tblEnroll (EnrollNumber, FingerNumber, FPdata) values "
                          "(1, 0, x'00ff41'), (2, 0, 'ABCD'), (3, 0, null)"));
    TDataSet q(QStringLiteral("ads"), db->Data);
    q.OpenSQL(QStringLiteral("select * from tblEnroll order by EnrollNumber"));
    QList<QByteArray> bytes;
    QList<bool> blobs;
    for (q.First(); !q.Eof(); q.Next()) {
      bytes << q.FieldByName(QStringLiteral("FPdata")).AsBytes();
      blobs << q.FieldByName(QStringLiteral("FPdata")).IsBlob();
    }
    QCOMPARE(bytes, (QList<QByteArray>{QByteArray("\x00\xff\x41", 3), {}, {}}));
    QCOMPARE(blobs, (QList<bool>{true, false, false}));
  }

  void likeOnEnrollNumberMatchesItsDecimalText() {
    TDataSet q(QStringLiteral("qryenroll"), db->Data);
    for (int n : {21, 123, 1, 12})
      ExecOn(db->Folder.File(QStringLiteral("Data.mdb")),
             QStringLiteral("insert into tblEnroll (EnrollNumber, FingerNumber) values (?, 0)"),
             {n});
    q.OpenSQL(
        QStringLiteral("SELECT * FROM tblEnroll where EnrollNumber like ? order by EnrollNumber"),
        {QStringLiteral("12%")});
    QList<int> found;
    for (q.First(); !q.Eof(); q.Next())
      found << q.FieldByName(QStringLiteral("EnrollNumber")).AsInteger();
    QCOMPARE(found, (QList<int>{12, 123}));
  }

  void jetDeleteStarEmptiesTable() {
    ExecOn(db->Folder.File(QStringLiteral("Data.mdb")),
           QStringLiteral("insert into tblEnroll (EnrollNumber) values (1), (2)"));
    TDataSet q(QStringLiteral("ADOEnroll"), db->Data);
    q.ExecuteSQL(QStringLiteral("delete * from tblEnroll"));
    q.OpenSQL(QStringLiteral("SELECT * FROM tblEnroll"));
    QVERIFY(q.IsEmpty());
    QVERIFY(q.Eof());
  }

  // Names with apostrophes go in and are found again through bound values.
  void boundTextValuesKeepApostrophes() {
    TDataSet ins(QStringLiteral("ADOQuery2"), db->Log);
    ins.ExecuteSQL(QStringLiteral("insert into temp(kartno,isim) values (?,?)"),
                   {QStringLiteral("00042"), QStringLiteral("D'Souza Ömer")});
    TDataSet upd(QStringLiteral("qry3"), db->Log);
    upd.ExecuteSQL(QStringLiteral("update temp set isim=? where kartno=?"),
                   {QStringLiteral("O'Neil Şükrü"), QStringLiteral("00042")});
    TDataSet q(QStringLiteral("qryisim"), db->Log);
    q.OpenSQL(QStringLiteral("select * from temp where isim like ? order by kartno"),
              {QStringLiteral("O'N%")});
    QCOMPARE(q.RecordCount(), 1);
    QCOMPARE(q.FieldByName(QStringLiteral("kartno")).AsString(), QStringLiteral("00042"));
    QCOMPARE(q.FieldByName(QStringLiteral("isim")).AsString(), QStringLiteral("O'Neil Şükrü"));
  }

  void templateBytesRoundTrip() {
    QByteArray bytes(20080, '\0');
    for (int i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 7);
    TDataSet ads(QStringLiteral("ads"), db->Data);
    ads.OpenSQL(QStringLiteral("SELECT * FROM tblEnroll"));
    ads.Append();
    ads.FieldByName(QStringLiteral("EnrollNumber")).SetAsInteger(42);
    ads.FieldByName(QStringLiteral("FingerNumber")).SetAsInteger(12);
    ads.FieldByName(QStringLiteral("FPdata")).SetAsBytes(bytes);
    ads.Post();
    TDataSet again(QStringLiteral("ADOEnroll"), db->Data);
    again.OpenSQL(QStringLiteral("SELECT * FROM tblEnroll where EnrollNumber=42"));
    QCOMPARE(again.FieldByName(QStringLiteral("FPdata")).AsBytes(), bytes);
  }

  // Editing the selected row, re-querying and returning to it by bookmark.
  void editRequeryAndReturnToRow() {
    TDataSet q(QStringLiteral("qrycihaz"), db->Data);
    OpenTerminalList(q, {"Alfa", "Bravo", "Charlie"});
    q.SetRecNo(1);
    const TDataSet::TBookmark mark = q.GetBookmark();
    q.Edit();
    q.FieldByName(QStringLiteral("Terminal")).SetAsString(QStringLiteral("Zulu"));
    q.Post();
    q.Requery();
    QCOMPARE(q.RecNo(), 0);
    QVERIFY(q.GotoBookmark(mark));
    QCOMPARE(q.RecNo(), 2);
    QCOMPARE(q.FieldByName(QStringLiteral("Terminal")).AsString(), QStringLiteral("Zulu"));
  }

  // Deleting moves to the row that followed, or the one before the last.
  // Events run inside the call that moved the row, after the dataset is
  // consistent; an error a handler throws leaves that call to the caller.
  void eventErrorsReachTheCaller() {
    TDataSet q(QStringLiteral("qrycihaz"), db->Data);
    QStringList seen;
    q.AfterOpen = [&] { seen << QStringLiteral("open"); };
    q.AfterScroll = [&] {
      seen << q.FieldByName(QStringLiteral("Terminal")).AsString() + (q.Eof() ? "+eof" : "");
      if (q.RecNo() == 1) q.FieldByName(QStringLiteral("Terminal")).AsInteger();
    };
    OpenTerminalList(q, {QStringLiteral("A"), QStringLiteral("B")});
    QCOMPARE(ErrorOf([&] { q.Next(); }), QStringLiteral("'B' is not a valid integer value"));
    QCOMPARE(q.RecNo(), 1);
    q.Next();  // already on the last row: no move, no event
    QVERIFY(q.Eof());
    QCOMPARE(seen, (QStringList{"open", "A", "B"}));
  }

  void deleteMovesToNeighbour() {
    TDataSet q(QStringLiteral("qrycihaz"), db->Data);
    OpenTerminalList(q, {"A", "B", "C"});
    q.SetRecNo(1);
    const TDataSet::TBookmark gone = q.GetBookmark();
    q.Delete();
    QCOMPARE(q.FieldByName(QStringLiteral("Terminal")).AsString(), QStringLiteral("C"));
    q.Delete();
    QCOMPARE(q.FieldByName(QStringLiteral("Terminal")).AsString(), QStringLiteral("A"));
    q.Requery();
    QCOMPARE(q.RecordCount(), 1);
    QVERIFY(!q.GotoBookmark(gone));
  }

  void databaseErrorsCarryDriverText() {
    TDataSet q(QStringLiteral("ADOQuery1"), db->Data);
    QVERIFY(ErrorOf([&] {
              q.OpenSQL(QStringLiteral("select * from Nowhere"));
            }).contains(QStringLiteral("no such table")));
    TADOConnection closed(QStringLiteral("closed"));
    TDataSet c(QStringLiteral("qrycihaz"), closed);
    QVERIFY(!ErrorOf([&] { c.OpenSQL(QStringLiteral("select * from Terminal")); }).isEmpty());
    QVERIFY(!ErrorOf([&] { c.FieldByName(QStringLiteral("Terminal")); }).isEmpty());
  }

  // A page the engine cannot read ends every read of the table with the
  // engine's error, never with the rows before that page passed off as the
  // whole result.
  void damagedTableFailsEveryRead_data() {
    QTest::addColumn<QString>("statement");
    QTest::newRow("whole table") << "SELECT * FROM tblEnroll";
    QTest::newRow("filtered") << "SELECT * FROM tblEnroll where FingerNumber=0";
    QTest::newRow("some columns") << "select EnrollNumber, Name from tblEnroll";
    QTest::newRow("sorted by name") << "SELECT * FROM tblEnroll order by Name";
    QTest::newRow("counted") << "select count(*) from tblEnroll where length(FPdata)>0";
  }
  void damagedTableFailsEveryRead() {
    QFETCH(QString, statement);
    const QString file = db->Folder.File(QStringLiteral("Data.mdb"));
    for (int n = 1; n <= 130; ++n)
      ExecOn(file,
             QStringLiteral("insert into tblEnroll (EnrollNumber,FingerNumber,Name,FPdata) "
                            "values (?,0,?,?)"),
             {n, QStringLiteral("Kişi %1").arg(n), QByteArray(1680, char(n))});
    const TPageDamage damage = DamageMiddlePage(file, QStringLiteral("tblEnroll"));
    QVERIFY(damage.Page > 0);
    QVERIFY(!damage.Intact);
    QVERIFY2(damage.RowsBefore > 0 && damage.RowsBefore < 130, qPrintable(damage.Error));
    QVERIFY(damage.Error.contains(QStringLiteral("malformed")));
    TDataSet q(QStringLiteral("ads"), db->Data);
    const QString error = ErrorOf([&] { q.OpenSQL(statement); });
    QVERIFY2(
        error.startsWith(QStringLiteral("ads: ")) && error.contains(QStringLiteral("malformed")),
        qPrintable(error));
    QVERIFY(!q.Active());
    QCOMPARE(q.RecordCount(), 0);
    // The other tables of the file read as before.
    q.OpenSQL(QStringLiteral("select * from Terminal"));
    QVERIFY(q.Active());
  }

  // Only "select * from" one table reads rows that can be written back; any
  // other statement gives a read-only dataset.
  void writableOnlyWhenReadingAWholeTable_data() {
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("table");
    QTest::newRow("terminal list") << "select * from Terminal order by Terminal"
                                   << "Terminal";
    QTest::newRow("blanks and case") << "  SELECT  *  FROM   tblEnroll where EnrollNumber>0"
                                     << "tblEnroll";
    QTest::newRow("some columns") << "select kartno,isim from temp"
                                  << "";
    QTest::newRow("a count") << "select count(*) as n from temp"
                             << "";
  }
  void writableOnlyWhenReadingAWholeTable() {
    QFETCH(QString, statement);
    QFETCH(QString, table);
    ExecOn(db->Folder.File(QStringLiteral("Data.mdb")),
           QStringLiteral("insert into tblEnroll (EnrollNumber) values (7)"));
    ExecOn(db->Folder.File(QStringLiteral("Log.mdb")),
           QStringLiteral("insert into temp (kartno,isim) values ('1','A')"));
    db->Folder.AddTerminal(QStringLiteral("T"), QStringLiteral("1"), QStringLiteral("ethernet"));
    TDataSet q(QStringLiteral("q"),
               statement.contains(QStringLiteral("temp")) ? db->Log : db->Data);
    q.OpenSQL(statement);
    QCOMPARE(q.TableName(), table);
    QCOMPARE(q.CanModify(), !table.isEmpty());
    const QString error = ErrorOf([&] { q.Edit(); });
    QCOMPARE(error,
             table.isEmpty() ? QStringLiteral("q: Cannot modify a read-only dataset") : QString());
    // The hidden identity column never shows as a column.
    QVERIFY(!q.FieldNames().contains(QStringLiteral("__rowid__")));
  }

  // Each connection keeps its own prepared statements: the same text on two
  // open connections reads each its own file, and a connection opened on
  // another file reads that file, not the statement kept from the first.
  void connectionsKeepTheirOwnStatements() {
    TLocalDatabases other;
    db->Folder.AddTerminal(QStringLiteral("Here"), QStringLiteral("1"), QStringLiteral("ethernet"));
    other.Folder.AddTerminal(QStringLiteral("There"), QStringLiteral("2"),
                             QStringLiteral("ethernet"));
    const QString list = QStringLiteral("select * from Terminal order by Terminal");
    auto first = [&](TConnection& Connection) {
      TDataSet q(QStringLiteral("qrycihaz"), Connection);
      q.OpenSQL(list);
      return q.FieldByName(QStringLiteral("Terminal")).AsString();
    };
    QCOMPARE(first(db->Data), QStringLiteral("Here"));
    QCOMPARE(first(other.Data), QStringLiteral("There"));
    QCOMPARE(first(db->Data), QStringLiteral("Here"));
    db->Data.Open(other.Folder.File(QStringLiteral("Data.mdb")));
    QCOMPARE(first(db->Data), QStringLiteral("There"));
    db->Data.Close();
    QVERIFY(!ErrorOf([&] { first(db->Data); }).isEmpty());
    QCOMPARE(first(other.Data), QStringLiteral("There"));
  }

  // A connection that opens with its first statement: an error opening it
  // fails that statement with the error's text and is tried again with the
  // next; once open it stays open.
  void connectionOpensWithItsFirstStatement() {
    TOpensOnDemand c;
    c.FileName = db->Folder.File(QStringLiteral("Settings.ini"));
    db->Folder.WriteFile(QStringLiteral("Settings.ini"), "[x]\n");
    TDataSet q(QStringLiteral("qryisim"), c);
    QCOMPARE(ErrorOf([&] { q.OpenSQL(QStringLiteral("select * from temp")); }),
             QStringLiteral("qryisim: ") + QDir::toNativeSeparators(c.FileName) +
                 QStringLiteral(": file is not a database"));
    QVERIFY(!q.Active());
    c.FileName = db->Folder.File(QStringLiteral("Log.mdb"));
    q.ExecuteSQL(QStringLiteral("insert into temp (kartno,isim) values ('1','A')"));
    q.OpenSQL(QStringLiteral("select * from temp"));
    QCOMPARE(q.RecordCount(), 1);
    QCOMPARE(c.Opened, 2);
    QVERIFY(c.Connected());
  }

  void openingMissingFileCreatesNothing() {
    TADOConnection c(QStringLiteral("missing"));
    const QString file = db->Folder.File(QStringLiteral("Yok.mdb"));
    QVERIFY(!ErrorOf([&] { c.Open(file); }).isEmpty());
    QVERIFY(!QFile::exists(file));
  }
};

QTEST_MAIN(TestDataSet)
#include "tst_dataset.moc"
