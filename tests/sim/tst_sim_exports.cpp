// Each stand-in library exports exactly its names of the slot list.
#include "sdk/FKEntryPoints.h"

#include <QCoreApplication>
#include <QProcess>
#include <QtTest>

class TestSimExports : public QObject {
  Q_OBJECT

 private slots:
  void exportsExactlyItsNames_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("names");
    QStringList a, b;
#define FK_SORT(name, library) (QStringLiteral(#library) == "A" ? a : b) << QStringLiteral(#name);
    FK_ENTRY_POINTS(FK_SORT)
#undef FK_SORT
    QCOMPARE(a.size() + b.size(), 88);
    QTest::newRow("FK623Attend") << "libFK623Attend.so" << a;
    QTest::newRow("FKAttend") << "libFKAttend.so" << b;
  }

  void exportsExactlyItsNames() {
    QFETCH(QString, file);
    QFETCH(QStringList, names);
    QProcess nm;
    nm.start("nm", {"-D", "--defined-only", QCoreApplication::applicationDirPath() + "/" + file});
    QVERIFY(nm.waitForFinished(30000));
    QCOMPARE(nm.exitCode(), 0);
    QStringList exported;
    for (const QString& line : QString::fromLatin1(nm.readAllStandardOutput()).split('\n')) {
      QStringList fields = line.split(' ', Qt::SkipEmptyParts);
      if (fields.size() == 3) exported << fields[2];
    }
    exported.sort();
    names.sort();
    QCOMPARE(exported, names);
  }
};

QTEST_GUILESS_MAIN(TestSimExports)
#include "tst_sim_exports.moc"
