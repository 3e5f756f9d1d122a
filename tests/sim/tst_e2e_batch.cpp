// The batch download, the full download with clearing and the command-line
// mode against real vterminals through the stand-in library.
#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "CommandLineFixture.h"
#include "E2EFixture.h"
#include "Fifo.h"
#include "SimFixture.h"
#include "attendance/DownloadLock.h"

namespace {

int RecordsHeld(const VTerminal& Vt) {
  return Vt.state().value("records").toObject().value("count").toInt(-1);
}

// Terminals "T1", "T2", "T3" with machine numbers 1 to 3 on the given ports.
void AddTerminals(TestFolder& Folder, const QList<int>& Ports) {
  for (int i = 0; i < Ports.size(); ++i)
    Folder.AddTerminal(QStringLiteral("T%1").arg(i + 1), QString::number(i + 1),
                       QStringLiteral("ethernet"), {}, {}, QStringLiteral("127.0.0.1"),
                       QString::number(Ports[i]));
}

}  // namespace

class TestE2EBatch : public QObject {
  Q_OBJECT
 private slots:
  // Two terminals deliver every record once with their machine numbers;
  // the third, where nothing listens, is reported and the batch goes on.
  void batchInTheWindow() {
    QTemporaryDir d1, d2;
    VTerminal vt1(d1.path()), vt3(d2.path());
    QVERIFY2(vt1.start({"--machine", "1", "--seed-users", "4", "--seed-records", "30"}),
             qPrintable(vt1.error()));
    QVERIFY2(vt3.start({"--machine", "3", "--seed-users", "4", "--seed-records", "20"}),
             qPrintable(vt3.error()));
    DeadPort dead;
    TestProgram t(true, TSdk::Library);
    AddTerminals(t.Folder, {vt1.port(), dead.port(), vt3.port()});
    t.Start();
    t.Main().BitBtn11->click();

    const QByteArray text = FileText(TerminalLines(vt1, 1) + TerminalLines(vt3, 3));
    QCOMPARE(t.Folder.ReadFile("veri.txt"), text);
    QCOMPARE(t.Folder.ReadFile(BackupFile()), text);
    QCOMPARE(
        t.Main().Memo3->toPlainText(),
        QStringLiteral("T1: 30 kayıt aktarıldı\nT2: HATA - No Open Comm\nT3: 20 kayıt "
                       "aktarıldı\nİşlem tamamlandı. Terminal: 3, Hatalı: 1, Toplam Kayıt: 50"));
    QCOMPARE(t.Shown(), QStringList{});
    QVERIFY(vt1.state().value("enabled").toBool());
    QCOMPARE(vt3.journal().last(), QStringLiteral("FK_DisConnect() = 1"));
  }

  // A cancel during the first terminal's walk lets that walk finish and
  // stops before the second terminal is even connected.
  void cancelStopsBeforeTheNextTerminal() {
    QTemporaryDir d1, d2;
    VTerminal vt1(d1.path()), vt2(d2.path());
    QVERIFY(vt1.start({"--machine", "1", "--seed-users", "4", "--seed-records", "30"}));
    QVERIFY(vt2.start({"--machine", "2", "--seed-users", "4", "--seed-records", "30"}));
    TestProgram t(true, TSdk::Library);
    AddTerminals(t.Folder, {vt1.port(), vt2.port()});
    t.Start();
    t.Dialogs->OnProcessMessages = [&] {
      if (t.Main().BitBtn13->isEnabled() && vt1.journal().size() > 2) t.Main().BitBtn13->click();
    };
    t.Main().BitBtn11->click();
    QCOMPARE(t.Folder.ReadFile("veri.txt"), FileText(TerminalLines(vt1, 1)));
    QVERIFY(t.Main().Memo3->toPlainText().endsWith(
        QStringLiteral("İşlem iptal edildi. Terminal: 1, Hatalı: 0, Toplam Kayıt: 30")));
    QCOMPARE(vt2.journal(), QStringList{});
  }

  // The full download with clearing: every record in the files, none left
  // on the terminal; a second one finds nothing and writes nothing.
  void fullDownloadClears() {
    QTemporaryDir dir;
    VTerminal vt(dir.path());
    QVERIFY(vt.start({"--machine", "3", "--seed-users", "5", "--seed-records", "40"}));
    const QList<QByteArray> lines = TerminalLines(vt, 3);
    TestProgram t(true, TSdk::Library);
    AddTerminals(t.Folder, {0, 0, vt.port()});
    t.Start();
    t.SelectTerminalRow(2);
    t.Main().BitBtn4->click();
    t.Main().BitBtn5->click();  // the usual download first: the full one takes those too
    t.Dialogs->Clear();
    t.Dialogs->Answers = {IDYES};
    t.Main().mnuTumVerileriAlSil->trigger();

    QCOMPARE(t.Shown().value(1),
             QStringLiteral("40 kayıt dosyaya aktarıldı, cihazdaki kayıtlar silindi...."));
    QCOMPARE(t.Folder.ReadFile("veri.txt"), FileText(lines + lines));
    QCOMPARE(RecordsHeld(vt), 0);
    QVERIFY(vt.state().value("enabled").toBool());
    const QStringList calls = vt.journal();
    QCOMPARE(calls.mid(calls.size() - 2),
             (QStringList{"FK_EmptyGeneralLogData() = 1", "FK_EnableDevice(1) = 1"}));

    t.Dialogs->Clear();
    t.Dialogs->Answers = {IDYES};
    t.Main().mnuTumVerileriAlSil->trigger();
    QCOMPARE(t.Shown().value(1), QStringLiteral("Cihazdan Alınacak Veri Yok..."));
    t.Main().mnuTumVerileriAl->trigger();
    QCOMPARE(t.Folder.ReadFile("veri.txt"), FileText(lines + lines));
  }

  // A walk dropped in the middle or a clear that fails: the terminal keeps
  // its log, the lines written stay, and the message says what happened.
  void clearingThatCannotFinish_data() {
    QTest::addColumn<QStringList>("fault");
    QTest::addColumn<int>("written");
    QTest::addColumn<QString>("text");
    QTest::newRow("dropped walk")
        << QStringList{"--drop-walk-after", "25"} << 25
        << "HATA...veriler alınamadı (Read Error). Dosyaya aktarılan kayıt sayısı: 25. Cihazdaki "
           "kayıtlar silinmedi....";
    QTest::newRow("clear fails")
        << QStringList{"--fail", "FK_EmptyGeneralLogData:-5"} << 40
        << "40 kayıt dosyaya aktarıldı, fakat cihazdaki kayıtlar silinemedi (Parameter Error). "
           "Aktarılan kayıtlar dosyalarda duruyor....";
  }
  void clearingThatCannotFinish() {
    QFETCH(QStringList, fault);
    QFETCH(int, written);
    QFETCH(QString, text);
    QTemporaryDir dir;
    VTerminal vt(dir.path());
    QVERIFY(vt.start(QStringList{"--machine", "3", "--seed-users", "5", "--seed-records", "40"} +
                     fault));
    const QList<QByteArray> lines = TerminalLines(vt, 3);
    TestProgram t(true, TSdk::Library);
    AddTerminals(t.Folder, {0, 0, vt.port()});
    t.Start();
    t.SelectTerminalRow(2);
    t.Main().BitBtn4->click();
    t.Dialogs->Answers = {IDYES};
    t.Main().mnuTumVerileriAlSil->trigger();
    QCOMPARE(t.Shown().value(1), text);
    QCOMPARE(t.Folder.ReadFile("veri.txt"), FileText(lines.mid(0, written)));
    QCOMPARE(RecordsHeld(vt), 40);
  }

  // The command line writes the same files and lines as the window and
  // fails with 1 while a terminal is unreachable, 0 once it is up; with no
  // database it ends with 2.
  void commandLine() {
    QTemporaryDir d1, d2, d3;
    VTerminal vt1(d1.path()), vt2(d2.path()), vt3(d3.path());
    QVERIFY(vt1.start({"--machine", "1", "--seed-users", "4", "--seed-records", "30"}));
    QVERIFY(vt3.start({"--machine", "3", "--seed-users", "4", "--seed-records", "20"}));
    auto dead = std::make_unique<DeadPort>();
    const int port2 = dead->port();
    TestProgram t(false, TSdk::Library);
    InstallProgram(t.Folder);
    TRun run = RunCommandLine(t.Folder, {"--download-all"});
    QCOMPARE(run.Exit, 2);
    QVERIFY2(run.Err.contains(QStringLiteral("Data dosyası bulunamadı")), qPrintable(run.Err));

    t.Folder.CreateDatabases();
    AddTerminals(t.Folder, {vt1.port(), port2, vt3.port()});
    run = RunCommandLine(t.Folder, {"--download-all"});
    QCOMPARE(run.Exit, 1);
    QCOMPARE(run.Out,
             QStringLiteral("T1: 30 kayıt aktarıldı\nT2: HATA - No Open Comm\nT3: 20 kayıt "
                            "aktarıldı\nİşlem tamamlandı. Terminal: 3, Hatalı: 1, "
                            "Toplam Kayıt: 50\n"));
    const QList<QByteArray> first = TerminalLines(vt1, 1) + TerminalLines(vt3, 3);
    QCOMPARE(t.Folder.ReadFile("veri.txt"), FileText(first));
    QCOMPARE(t.Folder.ReadFile(BackupFile()), FileText(first));
    // The check names the library in use first; the stand-in is, so the
    // failed connect says once where the vendor's files go (the first
    // folder looked in: the program's own).
    run = RunCommandLine(t.Folder, {"--check"});
    QCOMPARE(run.Exit, 1);
    QVERIFY2(run.Out.startsWith(
                 QStringLiteral("Terminal kitaplığı: deneme kitaplığı (yalnızca deneme "
                                "terminalleriyle konuşur)\nT1: bağlantı başarılı\nT2: HATA - No "
                                "Open Comm\nÜreticinin kitaplığı bulunamadı: FK623Attend.dll ve "
                                "FKAttend.dll dosyalarını %1 klasörüne koyun.\nT3: bağlantı "
                                "başarılı\n")
                     .arg(QDir::cleanPath(t.Folder.Path()))),
             qPrintable(run.Out));

    dead.reset();
    QVERIFY(vt2.start({"--port", QString::number(port2), "--machine", "2", "--seed-users", "4",
                       "--seed-records", "10"}));
    run = RunCommandLine(t.Folder, {"--download-all", "--retries", "1"});
    QCOMPARE(run.Exit, 0);
    QVERIFY2(run.Out.contains(QStringLiteral("T2: 10 kayıt aktarıldı\n")), qPrintable(run.Out));
    QCOMPARE(t.Folder.ReadFile("veri.txt"), FileText(first + TerminalLines(vt2, 2)));
    QCOMPARE(RunCommandLine(t.Folder, {"--set-time-all"}).Exit, 0);
    QVERIFY(vt2.journal().contains(QStringLiteral("FK_EnableDevice(1) = 1")));
    QCOMPARE(RunCommandLine(t.Folder, {"--download-all", "--retries", "x"}).Exit, 2);
  }

  // Settings.ini as Notepad saves it, UTF-8 with a BOM before [Options]:
  // veriDosya2=1 sends every record to veri2.txt too. One that cannot be
  // read stops the download before any terminal is touched, so no record
  // is counted as delivered without having reached veri2.txt.
  void commandLineReadsSettingsAsSaved() {
    QTemporaryDir dir;
    VTerminal vt(dir.path());
    QVERIFY2(vt.start({"--machine", "1", "--seed-users", "4", "--seed-records", "30"}),
             qPrintable(vt.error()));
    TestProgram t(true, TSdk::Library);
    InstallProgram(t.Folder);
    AddTerminals(t.Folder, {vt.port()});
    const QString settings = t.Folder.File("Settings.ini");
    QVERIFY(QDir().mkdir(settings));
    TRun run = RunCommandLine(t.Folder, {"--download-all"});
    QCOMPARE(run.Exit, 2);
    QCOMPARE(run.Err,
             QStringLiteral("meridox: Ayarlar okunamadı, hiçbir terminalden veri alınmadı: Cannot "
                            "read file \"%1\". Is a directory\n")
                 .arg(QDir::toNativeSeparators(settings)));
    QCOMPARE(vt.journal(), QStringList{});
    QVERIFY(!QFile::exists(t.Folder.File("veri.txt")));

    QVERIFY(QDir().rmdir(settings));
    t.Folder.WriteFile("Settings.ini",
                       "\xEF\xBB\xBF[Options]\r\nveriDosya2=1\r\nveriSil=0\r\n"
                       "[MySql]\r\nUser=çalışan\r\n");
    run = RunCommandLine(t.Folder, {"--download-all"});
    QCOMPARE(run.Exit, 0);
    const QByteArray text = FileText(TerminalLines(vt, 1));
    QCOMPARE(t.Folder.ReadFile("veri.txt"), text);
    QCOMPARE(t.Folder.ReadFile("veri2.txt"), text);
  }

  // The connection drops during the walk: the command line connects once
  // more and enables the terminal, so a scheduled run never leaves it with
  // its keypad and reader locked; the lines read stay written, and a walk
  // that broke says on a line of its own how many reached the files.
  void commandLineEnablesAfterDrop_data() {
    QTest::addColumn<QStringList>("fault");
    QTest::addColumn<QString>("out");
    QTest::addColumn<int>("written");
    QTest::newRow("load dropped") << QStringList{"--fail", "FK_LoadGeneralLogData:drop"}
                                  << "T1: HATA - Read Error\nİşlem tamamlandı." << 0;
    QTest::newRow("walk dropped at once")
        << QStringList{"--drop-walk-after", "0"}
        << "T1: HATA - Read Error\nT1: 0 kayıt dosyalara yazıldı.\nİşlem tamamlandı." << 0;
    QTest::newRow("walk dropped")
        << QStringList{"--drop-walk-after", "25"}
        << "T1: HATA - Read Error (25 kayıt aktarıldı)\nT1: 25 kayıt dosyalara yazıldı.\n"
           "İşlem tamamlandı."
        << 25;
  }
  void commandLineEnablesAfterDrop() {
    QFETCH(QStringList, fault);
    QFETCH(QString, out);
    QFETCH(int, written);
    QTemporaryDir dir;
    VTerminal vt(dir.path());
    QVERIFY2(vt.start(QStringList{"--machine", "1", "--seed-users", "4", "--seed-records", "40"} +
                      fault),
             qPrintable(vt.error()));
    TestProgram t(true, TSdk::Library);
    InstallProgram(t.Folder);
    AddTerminals(t.Folder, {vt.port()});
    const TRun run = RunCommandLine(t.Folder, {"--download-all"});
    QCOMPARE(run.Exit, 1);
    QVERIFY2(run.Out.startsWith(out), qPrintable(run.Out));
    QCOMPARE(t.Folder.ReadFile("veri.txt"), FileText(TerminalLines(vt, 1).mid(0, written)));
    QVERIFY(vt.state().value("enabled").toBool());
    const QStringList calls = vt.journal();
    QCOMPARE(calls.filter(QRegularExpression("^FK_ConnectNet\\(.*\\) = 1$")).size(), 2);
    QCOMPARE(calls.mid(calls.size() - 2),
             (QStringList{"FK_EnableDevice(1) = 1", "FK_DisConnect() = 1"}));
  }

  // A file where the folder DevreDisi should be: the note that a terminal is
  // being disabled cannot be kept, and a terminal disabled without its note
  // would stay locked should the run be killed, so none is disabled. Each
  // terminal fails on its own line, the totals follow, the terminals keep
  // their records; once the file is gone the next run collects them.
  void commandLineWithoutNotes() {
    QTemporaryDir d1, d2;
    VTerminal vt1(d1.path()), vt2(d2.path());
    QVERIFY(vt1.start({"--machine", "1", "--seed-users", "4", "--seed-records", "12"}));
    QVERIFY(vt2.start({"--machine", "2", "--seed-users", "4", "--seed-records", "7"}));
    TestProgram t(true, TSdk::Library);
    InstallProgram(t.Folder);
    AddTerminals(t.Folder, {vt1.port(), vt2.port()});
    t.Folder.WriteFile("DevreDisi", "x");
    const QString failed =
        QStringLiteral(
            "HATA - Terminalin devre dışı bırakıldığı not edilemedi: %1 bir klasör değil")
            .arg(t.Folder.File("DevreDisi"));

    TRun run = RunCommandLine(t.Folder, {"--download-all", "--retries", "1"});
    QCOMPARE(run.Exit, 1);
    QCOMPARE(run.Err, QString());
    QCOMPARE(run.Out, QStringLiteral("T1: %1\nT2: %1\nİşlem tamamlandı. Terminal: 2, Hatalı: 2, "
                                     "Toplam Kayıt: 0\n")
                          .arg(failed));
    run = RunCommandLine(t.Folder, {"--set-time-all"});
    QCOMPARE(run.Exit, 1);
    QCOMPARE(
        run.Out,
        QStringLiteral("T1: %1\nT2: %1\nİşlem tamamlandı. Terminal: 2, Hatalı: 2\n").arg(failed));
    for (const VTerminal* vt : {&vt1, &vt2}) {
      QCOMPARE(vt->journal().filter(QRegularExpression("^FK_EnableDevice\\(0\\)")), QStringList{});
      QVERIFY(vt->state().value("enabled").toBool());
    }
    QCOMPARE(t.Folder.ReadFile("veri.txt"), QByteArray());

    QVERIFY(QFile::remove(t.Folder.File("DevreDisi")));
    run = RunCommandLine(t.Folder, {"--download-all"});
    QCOMPARE(run.Exit, 0);
    QCOMPARE(t.Folder.ReadFile("veri.txt"),
             FileText(TerminalLines(vt1, 1) + TerminalLines(vt2, 2)));
  }

  // veri.txt is a FIFO: opening it for writing would wait for a reader for
  // ever, holding the download lock. It is refused with the reason before
  // any terminal is touched, and before the lock another download holds is
  // waited for; the terminal keeps its records for the next run.
  void commandLineRefusesAFifo() {
    QTemporaryDir dir;
    VTerminal vt(dir.path());
    QVERIFY(vt.start({"--machine", "1", "--seed-users", "4", "--seed-records", "6"}));
    TestProgram t(true, TSdk::Library);
    InstallProgram(t.Folder);
    AddTerminals(t.Folder, {vt.port()});
    const QString veri = t.Folder.File("veri.txt");
    if (!MakeFifo(veri)) QSKIP("no FIFO can be made here");
    const QString told =
        QStringLiteral(
            "meridox: Cannot open file \"%1\". Is a FIFO (named pipe), not a regular "
            "file\n")
            .arg(veri);
    {
      TFifoGuard guard(veri);
      const TRun run = RunCommandLine(t.Folder, {"--download-all"});
      QVERIFY(!guard.Fired());
      QCOMPARE(run.Exit, 1);
      QCOMPARE(run.Out, QString());
      QCOMPARE(run.Err, told);
    }
    {
      TFifoGuard guard(veri);
      QLockFile other(TDownloadLock::FileName(t.Folder.Path()));
      QVERIFY(other.tryLock(0));
      const TRun run = RunCommandLine(t.Folder, {"--download-all", "--lock-wait", "60"});
      QVERIFY(!guard.Fired());
      QCOMPARE(run.Exit, 1);
      QCOMPARE(run.Err, told);  // no wait for the lock was begun
    }
    QVERIFY(vt.journal().filter(QRegularExpression("^FK_(EnableDevice|Connect)")).isEmpty());

    QVERIFY(QFile::remove(veri));
    QCOMPARE(RunCommandLine(t.Folder, {"--download-all"}).Exit, 0);
    QCOMPARE(t.Folder.ReadFile("veri.txt"), FileText(TerminalLines(vt, 1)));
  }

  // Two command-line downloads started together: the second waits for the
  // first, so every record is written exactly once and no line is cut or
  // interleaved.
  void twoCommandLinesTogether() {
    QTemporaryDir d1, d2;
    VTerminal vt1(d1.path(), false), vt2(d2.path(), false);
    QVERIFY(vt1.start({"--machine", "1", "--seed-users", "50", "--seed-records", "20000"}));
    QVERIFY(vt2.start({"--machine", "2", "--seed-users", "50", "--seed-records", "20000"}));
    TestProgram t(true, TSdk::Library);
    InstallProgram(t.Folder);
    AddTerminals(t.Folder, {vt1.port(), vt2.port()});
    QProcess* a = Launch(t.Folder, {"--download-all"});
    QProcess* b = Launch(t.Folder, {"--download-all"});
    const TRun ra = Finish(a), rb = Finish(b);
    QCOMPARE(ra.Exit, 0);
    QCOMPARE(rb.Exit, 0);

    QList<QByteArray> expected = TerminalLines(vt1, 1) + TerminalLines(vt2, 2);
    QByteArray text = t.Folder.ReadFile("veri.txt");
    QVERIFY(text.endsWith("\r\n"));
    QList<QByteArray> written = text.split('\n');
    written.removeLast();
    for (QByteArray& l : written) {
      QVERIFY2(l.endsWith('\r'), l.constData());
      l.chop(1);
    }
    std::sort(expected.begin(), expected.end());
    std::sort(written.begin(), written.end());
    QCOMPARE(written.size(), 40000);
    QVERIFY(written == expected);
    QCOMPARE(t.Folder.ReadFile(BackupFile()), text);
  }
};

QTEST_MAIN(TestE2EBatch)
#include "tst_e2e_batch.moc"
