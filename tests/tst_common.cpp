#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>

#include "common/Cleanup.h"
#include "common/DurableFile.h"
#include "common/Encoding.h"
#include "common/Errors.h"
#include "common/LibFunctions.h"
#include "widgets/ActionGuard.h"
#include "widgets/BusyState.h"
#include "widgets/ScriptedDialogs.h"

class TestCommon : public QObject {
  Q_OBJECT
 private slots:
  void zeroFill_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("expected");
    QTest::newRow("short") << "42" << 5 << "00042";
    QTest::newRow("exact") << "12345" << 5 << "12345";
    QTest::newRow("longer kept") << "1234567" << 5 << "1234567";
    QTest::newRow("empty") << "" << 3 << "000";
  }
  void zeroFill() {
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QString, expected);
    QCOMPARE(ZeroFill(text, width), expected);
  }

  void padOrCut_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("fill");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("right");
    QTest::addColumn<QString>("expected");
    QTest::newRow("front") << "42"
                           << "0" << 5 << false << "00042";
    QTest::newRow("behind") << "42"
                            << "0" << 5 << true << "42000";
    QTest::newRow("cut to first") << "1234567"
                                  << "0" << 5 << false << "12345";
    QTest::newRow("exact") << "abcde"
                           << "0" << 5 << false << "abcde";
    QTest::newRow("fill text repeated") << "x"
                                        << "ab" << 3 << false << "ababx";
  }
  void padOrCut() {
    QFETCH(QString, text);
    QFETCH(QString, fill);
    QFETCH(int, width);
    QFETCH(bool, right);
    QFETCH(QString, expected);
    QCOMPARE(PadOrCut(text, fill, width, right), expected);
  }

  void win1254_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("turkish letters")
        << QStringLiteral("ĞğİıŞş") << QByteArray("\xD0\xF0\xDD\xFD\xDE\xFE");
    QTest::newRow("shared with latin-1")
        << QStringLiteral("ÇçÖöÜü") << QByteArray("\xC7\xE7\xD6\xF6\xDC\xFC");
    QTest::newRow("ascii") << QStringLiteral("Ali Veli 42") << QByteArray("Ali Veli 42");
    QTest::newRow("euro and quotes") << QStringLiteral("€‘’") << QByteArray("\x80\x91\x92");
  }
  void win1254() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(ToWin1254(text), bytes);
    QCOMPARE(FromWin1254(bytes), text);
  }
  void win1254UnmappableBecomesQuestionMark() {
    QCOMPARE(ToWin1254(QStringLiteral("a\u4E2Db")), QByteArray("a?b"));
  }

  void strToInt_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "5005" << true << 5005;
    QTest::newRow("negative") << "-12" << true << -12;
    QTest::newRow("leading blanks") << "  7" << true << 7;
    QTest::newRow("max") << "2147483647" << true << 2147483647;
    QTest::newRow("min") << "-2147483648" << true << int(-2147483648LL);
    QTest::newRow("overflow") << "2147483648" << false << 0;
    QTest::newRow("trailing blank") << "7 " << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
  }
  void strToInt() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    if (valid) {
      QCOMPARE(StrToInt(text), value);
    } else {
      try {
        StrToInt(text);
        QFAIL("no error");
      } catch (const EConvertError& e) {
        QCOMPARE(e.Text(), QStringLiteral("'%1' is not a valid integer value").arg(text));
      }
    }
  }

  void fullStop_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "Hata"
                            << "Hata.";
    QTest::newRow("digit") << "kod 5"
                           << "kod 5.";
    QTest::newRow("question") << "neden?"
                              << "neden?.";
    QTest::newRow("full stop") << "Bitti."
                               << "Bitti.";
    QTest::newRow("exclamation") << "Dur!"
                                 << "Dur!";
    QTest::newRow("parenthesis") << "(x)"
                                 << "(x)";
    QTest::newRow("blank") << "son "
                           << "son ";
    QTest::newRow("empty") << ""
                           << "";
  }
  void fullStop() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(WithFullStop(text), shown);
  }

  // The guard ends the action at the error and shows the standard error
  // box; a silent abort shows nothing; clean-up runs on every path.
  // The reason of a failed write in the system's words, the same on both
  // systems: Qt's own text reads the number as a Windows error code there,
  // where ENOSPC would say "Out of paper".
  void failedWriteReason_data() {
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("reason");
    QTest::newRow("full disk") << ENOSPC << "No space left on device";
    QTest::newRow("refused") << EACCES << "Permission denied";
  }
  void failedWriteReason() {
    QFETCH(int, error);
    QFETCH(QString, reason);
    QCOMPARE(ErrnoText(error), reason);
  }

  // A new file is there whole or not at all: a file already there is kept
  // as it is, and no temporary file is left beside it; a folder that is not
  // there is told with the step and the system's reason.
  void newFileIsWholeOrAbsent_data() {
    QTest::addColumn<QByteArray>("before");  // "-": no file there
    QTest::addColumn<bool>("written");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("new") << QByteArray("-") << true << QByteArray("new\r\n");
    QTest::newRow("one there is kept") << QByteArray("old") << false << QByteArray("old");
  }
  void newFileIsWholeOrAbsent() {
    QFETCH(QByteArray, before);
    QFETCH(bool, written);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString file = dir.filePath("note.txt");
    if (before != "-") {
      QFile f(file);
      QVERIFY(f.open(QIODevice::WriteOnly));
      QCOMPARE(f.write(before), before.size());
    }
    QCOMPARE(WriteNewFileSynced(dir.path(), "note.txt", "new\r\n", "Not yazılamadı"), written);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), after);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"note.txt"});

    try {
      WriteNewFileSynced(dir.filePath("gone"), "note.txt", "new", "Not yazılamadı");
      QFAIL("a file was made in a folder that is not there");
    } catch (const EInOutError& e) {
      const QString start =
          "Not yazılamadı: " + QDir::toNativeSeparators(dir.filePath("gone/note.txt")) + " (";
      QVERIFY2(e.Text().startsWith(start) && e.Text().size() > start.size() + 1,
               qPrintable(e.Text()));
    }
  }

  void guardShowsErrorAndRunsCleanup() {
    ScopedScriptedDialogs dialogs;
    QPushButton button;
    bool reachedEnd = false;
    RunGuarded([&] {
      TBusyState busy(&button);
      QVERIFY(!button.isEnabled());
      StrToInt(QStringLiteral("12a"));
      reachedEnd = true;
    });
    QVERIFY(!reachedEnd);
    QVERIFY(button.isEnabled());
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(dialogs->Shown.size(), 1);
    QCOMPARE(dialogs->Shown[0].Text, QStringLiteral("'12a' is not a valid integer value."));
    QCOMPARE(dialogs->Shown[0].Title, ApplicationTitle());
    QCOMPARE(dialogs->Shown[0].Flags, MB_OK | MB_ICONERROR);

    RunGuarded([] { throw EAbort(); });
    QCOMPARE(dialogs->Shown.size(), 1);
  }

  // The program file's name up to its first full stop; the first letter
  // keeps its case, the others are lowered.
  void applicationTitle_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("title");
    QTest::newRow("lower case") << "meridox"
                                << "meridox";
    QTest::newRow("upper case, extension") << "MERIDOX.EXE"
                                           << "Meridox";
    QTest::newRow("mixed") << "MeriDox.exe"
                           << "Meridox";
    QTest::newRow("first full stop") << "Meri.dox.exe"
                                     << "Meri";
    QTest::newRow("Turkish letters") << "İŞLEM.exe"
                                     << "İşlem";
    QTest::newRow("nothing before the stop") << ".meridox"
                                             << "";
  }
  void applicationTitle() {
    QFETCH(QString, file);
    QFETCH(QString, title);
    QCOMPARE(ApplicationTitleOf(file), title);
  }
  void applicationTitleIsTheProgramFile() {
    QCOMPARE(ApplicationTitle(), QStringLiteral("tst_common"));  // the test program's file
  }
};

QTEST_MAIN(TestCommon)
#include "tst_common.moc"
