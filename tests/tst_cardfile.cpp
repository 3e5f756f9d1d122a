// The memory-card conversion's reading of its source: lines split across
// read blocks, a line too long for any card file refused with its number
// before anything is written, and the progress of a file with more lines
// than a 32-bit count holds.
#include <QTest>
#include <limits>

#include "TestProgram.h"
#include "attendance/CardFile.h"
#include "attendance/DownloadLock.h"

namespace {

const QByteArray kHead = "No\tMchn\tEnNo\tName\tMode\tIOMd\tDateTime\r\n";

struct TNoReport : TCardReport {
  void Counted(qint64) override {}
  void Converted(qint64) override {}
};

// The veri.txt lines of the source's lines after the heading.
QByteArray Expected(const QList<QByteArray>& Lines) {
  QByteArray text;
  for (const QByteArray& l : Lines.mid(1)) text += CardOutputLine(l) + "\r\n";
  return text;
}

}  // namespace

class TestCardFile : public QObject {
  Q_OBJECT
 private slots:
  // Lines of every length up to the longest allowed, LF or CR LF, with line
  // breaks (and a CR LF split in two) on both sides of the reader's block
  // edges: each converts as on its own.
  void linesAcrossBlocks() {
    QList<QByteArray> lines{kHead.chopped(2)};
    QByteArray source = kHead;
    for (int i = 0; source.size() < 5 * 65536; ++i) {
      QByteArray l = QByteArray::number(i) + "\t" + QByteArray::number(i % 7) + "\t" +
                     QByteArray::number(i * 37) +
                     "\tx\t1\t0\t2024/03/05 08:07:" + QByteArray::number(10 + i % 50);
      l += QByteArray(i % 301, i % 2 ? ' ' : 'a');
      lines << l;
      source += l + (i % 3 ? "\r\n" : "\n");
    }
    // The longest line a card file may hold, and one that ends the file
    // without a line break.
    const QByteArray longest = "1\t1\t5\tx\t1\t0\t2024/03/05 08:07:09";
    lines << longest + QByteArray(kMaxCardLineBytes - longest.size(), 'z');
    QCOMPARE(lines.last().size(), kMaxCardLineBytes);
    source += lines.last() + "\r\n";
    lines << "2\t1\t6\tx\t1\t0\t2024/03/05 08:07:10";
    source += lines.last();

    ScopedScriptedDialogs dialogs;
    TestFolder folder;
    folder.WriteFile(QStringLiteral("card.txt"), source);
    TNoReport report;
    QCOMPARE(ConvertCardFile(folder.File(QStringLiteral("card.txt")), folder.Path(), report),
             lines.size() - 1);
    QCOMPARE(folder.ReadFile(QStringLiteral("veri.txt")), Expected(lines));
  }

  // A line longer than any card line is a format error naming the line,
  // found in the first pass: veri.txt keeps exactly what it held, and the
  // download lock is not left behind.
  void lineTooLong_data() {
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<int>("line");
    const QByteArray good = "1\t1\t42\tAli\t1\t0\t2024/03/05 08:07:09\r\n";
    const QByteArray over(kMaxCardLineBytes + 1, 'x');
    QTest::newRow("one byte over, CR LF") << kHead + good + over + "\r\n" + good << 3;
    QTest::newRow("one byte over, LF") << kHead + over + "\n" + good << 2;
    QTest::newRow("the last line, no break") << kHead + good + good + over << 4;
    QTest::newRow("a file of zeros") << QByteArray(3 * kMaxCardLineBytes, '\0') << 1;
    QTest::newRow("a long line after many")
        << kHead + good.repeated(5000) + over.repeated(40) << 5002;
  }
  void lineTooLong() {
    QFETCH(QByteArray, source);
    QFETCH(int, line);
    TestProgram t;
    t.Start();
    t.Folder.WriteFile(QStringLiteral("veri.txt"), "00001 01/01/2024 00:00:00 01 00 Fp\r\n");
    t.Folder.WriteFile(QStringLiteral("card.txt"), source);
    t.Dialogs->FileNames << t.Folder.File(QStringLiteral("card.txt"));
    t.Main().Button1->click();
    QCOMPARE(t.Dialogs->Shown.size(), 2);
    QCOMPARE(t.Dialogs->Shown[1].Flags, MB_OK | MB_ICONERROR);
    QCOMPARE(t.Dialogs->Shown[1].Text,
             QStringLiteral("\"%1\" dosyasının %2. satırı 65536 bayttan uzun: bu bir hafıza kartı "
                            "kayıt dosyası değil, hiçbir satır aktarılmadı.")
                 .arg(t.Folder.File(QStringLiteral("card.txt")))
                 .arg(line));
    QCOMPARE(t.Folder.ReadFile(QStringLiteral("veri.txt")),
             QByteArray("00001 01/01/2024 00:00:00 01 00 Fp\r\n"));
    QVERIFY(!QFile::exists(TDownloadLock::FileName(t.Folder.Path())));
    QVERIFY(t.Main().Button1->isEnabled());
  }

  // The source changes between the counting pass and the conversion (a card
  // file still being copied, say), and the second pass meets a line too
  // long: nothing is written, neither the lines still gathered nor those
  // already handed to the system.
  void sourceFailingInSecondPassWritesNothing_data() {
    QTest::addColumn<int>("goodLines");
    QTest::addColumn<int>("line");
    QTest::newRow("lines still gathered") << 3 << 5;
    QTest::newRow("lines already in the file") << 5000 << 5002;
  }
  void sourceFailingInSecondPassWritesNothing() {
    QFETCH(int, goodLines);
    QFETCH(int, line);
    const QByteArray good = "1\t1\t42\tAli\t1\t0\t2024/03/05 08:07:09\r\n";
    const QByteArray before = "00001 01/01/2024 00:00:00 01 00 Fp\r\n";
    ScopedScriptedDialogs dialogs;
    TestFolder folder;
    folder.WriteFile(QStringLiteral("veri.txt"), before);
    folder.WriteFile(QStringLiteral("card.txt"), kHead + good);
    struct TChanging : TNoReport {
      std::function<void()> OnCounted;
      void Counted(qint64) override { OnCounted(); }
    } report;
    report.OnCounted = [&] {
      folder.WriteFile(QStringLiteral("card.txt"), kHead + good.repeated(goodLines) +
                                                       QByteArray(kMaxCardLineBytes + 1, 'x') +
                                                       "\r\n" + good);
    };
    const QString text = ErrorOf(
        [&] { ConvertCardFile(folder.File(QStringLiteral("card.txt")), folder.Path(), report); });
    QVERIFY2(text.contains(QStringLiteral("dosyasının %1. satırı").arg(line)), qPrintable(text));
    QCOMPARE(folder.ReadFile(QStringLiteral("veri.txt")), before);
    QVERIFY(!QFile::exists(TDownloadLock::FileName(folder.Path())));
  }

  // ProgressBar1 holds 32-bit positions: up to 2^31 - 1 lines the bar runs
  // over the lines themselves, beyond it over a scale that still ends at
  // the last line and never overflows.
  void progressAtTheBoundary_data() {
    QTest::addColumn<qint64>("lines");
    QTest::addColumn<int>("maximum");
    constexpr qint64 kMost = std::numeric_limits<int>::max();
    QTest::newRow("empty") << qint64(0) << 1;
    QTest::newRow("heading only") << qint64(1) << 1;
    QTest::newRow("a million") << qint64(1000000) << 1000000;
    QTest::newRow("2^31 - 1") << kMost << int(kMost);
    QTest::newRow("2^31") << kMost + 1 << int((kMost + 1) / 2);
    QTest::newRow("2^32 + 5") << (qint64(1) << 32) + 5 << int(((qint64(1) << 32) + 5) / 3);
    QTest::newRow("2^62") << (qint64(1) << 62) << -1;
  }
  void progressAtTheBoundary() {
    QFETCH(qint64, lines);
    QFETCH(int, maximum);
    const TCardProgress bar(lines);
    if (maximum > 0) QCOMPARE(bar.Maximum(), maximum);
    QVERIFY(bar.Maximum() >= 1);
    QCOMPARE(bar.Position(0), 0);
    if (lines < 2) return;
    const int last = bar.Position(lines - 1);
    QVERIFY(last <= bar.Maximum());
    QVERIFY2(last >= bar.Maximum() - 1, qPrintable(QString::number(last)));
    const int half = bar.Position(lines / 2);
    QVERIFY(qAbs(half - bar.Maximum() / 2) <= 1);
  }
};

QTEST_MAIN(TestCardFile)
#include "tst_cardfile.moc"
