// The attendance line, the download through BitBtn5 against the fake SDK, and
// the memory-card conversion through Button1.
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include "AttendanceFixture.h"
#include "Fifo.h"
#include "TinyDisk.h"
#include "attendance/CardFile.h"
#include "attendance/Download.h"

namespace {

// A walk's report that only passes the count on.
struct TCountingReport final : TDownloadReport {
  explicit TCountingReport(std::function<void(int)> OnCounted) : OnCounted(std::move(OnCounted)) {}
  std::function<void(int)> OnCounted;
  void Started(int) override {}
  void Line(const QByteArray&) override {}
  void Counted(int Count) override { OnCounted(Count); }
  void Progress(int) override {}
  void Ended(int) override {}
};

// A tmpfs of 64 KB on a folder of its own, for a disk that fills up; not
// mounted where the system does not let us (mounting needs root).
class TSmallDisk {
 public:
  bool Mounted() const { return disk_.Mounted(); }
  QString Path() const { return dir_.path() + QLatin1Char('/'); }
  // Leaves no room at all.
  bool Fill() { return disk_.FillLeaving(0); }

 private:
  QTemporaryDir dir_;
  TinyDisk disk_{dir_.path(), 64};
};

QByteArray ReadBytes(const QString& Name) {
  QFile f(Name);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void WriteBytes(const QString& Name, const QByteArray& Bytes) {
  QFile f(Name);
  QVERIFY(f.open(QIODevice::WriteOnly) && f.write(Bytes) == Bytes.size() && f.flush());
}

// The number of lines in a file that holds exactly the first lines of
// Records(n) for terminal 7, whole; -1 for anything else.
int WholeLines(const QString& Name) {
  const QByteArray text = ReadBytes(Name);
  const int lines = static_cast<int>(text.count('\n'));
  return text == LinesOf(Records(lines), 7) ? lines : -1;
}

}  // namespace

class TestAttendance : public QObject {
  Q_OBJECT
 private slots:
  void attendanceLine_data() {
    QTest::addColumn<Record>("record");
    QTest::addColumn<int>("machine");
    QTest::addColumn<QByteArray>("line");
    auto row = [](const char* name, Record r, int machine, const char* line) {
      QTest::newRow(name) << r << machine << QByteArray(line);
    };
    row("the example", {42, 1, 0, 2024, 3, 5, 8, 7, 9}, 1, "00042 05/03/2024 08:07:09 01 00 Fp");
    row("enroll 7", {7, 3, 1, 2024, 12, 31, 23, 59, 59}, 1, "00007 31/12/2024 23:59:59 01 01 Card");
    row("long enroll kept whole", {1234567, 20, 0, 2024, 1, 1, 0, 0, 0}, 1,
        "1234567 01/01/2024 00:00:00 01 00 Face");
    row("machine 12", {1, 2, 0, 2024, 1, 1, 0, 0, 0}, 12,
        "00001 01/01/2024 00:00:00 12 00 Password");
    row("machine 123", {1, 2, 0, 2024, 1, 1, 0, 0, 0}, 123,
        "00001 01/01/2024 00:00:00 123 00 Password");
    row("short year, wide fields", {1, 9, 100, 24, 123, 5, 8, 7, 9}, 1,
        "00001 05/123/0024 08:07:09 01 100 Card+Pass");
    const char* names[] = {"Fp",          "Password", "Card",   "Fp+Password", "Fp+Card",
                           "Password+Fp", "Card+Fp",  "Job No", "Card+Pass"};
    for (int code = 1; code <= 9; ++code)
      row(qPrintable(QStringLiteral("verify %1").arg(code)), {1, code, 0, 2024, 1, 1, 0, 0, 0}, 1,
          qPrintable(QStringLiteral("00001 01/01/2024 00:00:00 01 00 ") +
                     QLatin1String(names[code - 1])));
    const std::pair<int, const char*> named[] = {
        {11, "Close Door"},  {12, "Hand Open"},    {14, "Prog Open"},  {15, "PC Close"},
        {16, "Iregal Open"}, {17, "Iregal Close"}, {18, "Cover Open"}, {19, "Cover Close"},
        {21, "Face+Card"},   {22, "Face+Pass"},    {30, "Vein"},       {31, "Vein+Card"},
        {32, "Vein+Pass"}};
    for (auto [code, name] : named)
      row(qPrintable(QStringLiteral("verify %1").arg(code)), {1, code, 0, 2024, 1, 1, 0, 0, 0}, 1,
          qPrintable(QStringLiteral("00001 01/01/2024 00:00:00 01 00 ") + QLatin1String(name)));
    for (int code : {0, 10, 13, 23, 24, 25, 26, 27, 28, 29, 33, -1})
      row(qPrintable(QStringLiteral("verify %1 has no name").arg(code)),
          {1, code, 0, 2024, 1, 1, 0, 0, 0}, 1, "00001 01/01/2024 00:00:00 01 00 --");
  }
  void attendanceLine() {
    QFETCH(Record, record);
    QFETCH(int, machine);
    QFETCH(QByteArray, line);
    const Record& r = record;
    QCOMPARE(AttendanceLine({r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7], r[8]}, machine), line);
  }

  void backupFileName() {
    QCOMPARE(TAttendanceFiles::BackupFileName(QStringLiteral("/p/"), QDate(2024, 3, 31)),
             QStringLiteral("/p/yedek_K20/032024.txt"));
    QCOMPARE(TAttendanceFiles::BackupFileName(QStringLiteral("/p/"), QDate(2024, 4, 1)),
             QStringLiteral("/p/yedek_K20/042024.txt"));
  }

  // Two downloads append to the main and the backup file; veri2.txt is never
  // touched while CheckBox1 is unticked.
  void downloadsAppend() {
    Connected t;
    t.Folder.WriteFile(QStringLiteral("veri.txt"), "earlier\r\n");
    QDir(t.Folder.Path()).mkdir(QStringLiteral("yedek_K20"));
    t.Folder.WriteFile(BackupFile(), "backup\r\n");
    const QList<Record> first = Records(3);
    const QList<Record> second = {{1234567, 20, 1, 2024, 4, 1, 17, 30, 0}};
    FakeSdk.LogRecords = first;
    t.Main().BitBtn5->click();
    FakeSdk.LogRecords = second;
    t.Main().BitBtn5->click();
    const QByteArray lines = LinesOf(first, 7) + LinesOf(second, 7);
    QCOMPARE(t.File(QStringLiteral("veri.txt")), "earlier\r\n" + lines);
    QCOMPARE(t.File(BackupFile()), "backup\r\n" + lines);
    QVERIFY(!QFile::exists(t.Folder.File(QStringLiteral("veri2.txt"))));
    // Memo4 holds the last download only.
    QCOMPARE(t.Main().Memo4->toPlainText(), QString::fromLatin1(LinesOf(second, 7)).trimmed());
    QCOMPARE(t.Main().LabelTotal->text(), QStringLiteral("1"));
    QCOMPARE(t.Shown(), QStringList(2, QStringLiteral("Bilgiler Dosyaya Aktarıldı....")));
  }

  void secondDataFile() {
    Connected t;
    t.Main().CheckBox1->setChecked(true);
    FakeSdk.LogRecords = Records(2);
    t.Main().BitBtn5->click();
    const QByteArray lines = LinesOf(Records(2), 7);
    QCOMPARE(t.File(QStringLiteral("veri.txt")), lines);
    QCOMPARE(t.File(QStringLiteral("veri2.txt")), lines);
    QCOMPARE(t.File(BackupFile()), lines);
    QCOMPARE(t.Main().Memo4->toPlainText() + QLatin1String("\n"),
             QString::fromLatin1(lines).remove(QLatin1Char('\r')));
  }

  // The bar advances by the count plus one, wraps to 0 on reaching 500 and
  // stands at 500 at the end of a walk with records.
  void progress() {
    struct Report : TDownloadReport {
      QList<int> Positions;
      QList<int> Counts;
      QByteArrayList Lines;
      int Maximum = 0;
      void Started(int M) override { Maximum = M; }
      void Line(const QByteArray& Text) override { Lines << Text; }
      void Counted(int Count) override { Counts << Count; }
      void Progress(int Position) override { Positions << Position; }
      void Ended(int Count) override { Counts << -Count; }
      void Idle() override { Dlg().ProcessMessages(); }  // as the window answers it
    } report;
    ScopedScriptedDialogs dialogs;
    ScopedFakeSdk fake;
    TestFolder folder;
    FakeSdk.LogRecords = Records(32);
    TFKAttendObject sdk(MakeFakeSdkLoader());
    QCOMPARE(DownloadAttendance(sdk, {folder.Path(), 7, false, QDate(2024, 3, 5)}, report), 32);
    QCOMPARE(report.Maximum, 500);
    QCOMPARE(report.Positions.size(), 33);
    QCOMPARE(report.Positions.mid(0, 3), (QList<int>{2, 5, 9}));
    QCOMPARE(report.Positions[29], 495);  // after 30 records: 2 + 3 + ... + 31
    QCOMPARE(report.Positions[30], 0);    // the 31st reached 527: back to 0
    QCOMPARE(report.Positions[31], 33);
    QCOMPARE(report.Positions.last(), 500);
    QCOMPARE(report.Counts.last(), -32);
    QCOMPARE(report.Lines.value(0), QByteArray("00001 05/03/2024 08:07:01 07 00 Fp"));
    QVERIFY(dialogs->ProcessMessagesCalls >= 1);  // before the first record
    QCOMPARE(folder.ReadFile(QStringLiteral("yedek_K20/032024.txt")), LinesOf(Records(32), 7));
  }

  void progressBarInTheWindow() {
    Connected t;
    FakeSdk.LogRecords = Records(31);
    int atStart = -1;
    t.Dialogs->OnProcessMessages = [&] {
      if (atStart < 0) atStart = t.Main().ProgressBar1->value();
    };
    t.Main().BitBtn5->click();
    QCOMPARE(atStart, 0);
    QCOMPARE(t.Main().ProgressBar1->maximum(), 500);
    QCOMPARE(t.Main().ProgressBar1->value(), 500);
    QCOMPARE(t.Main().LabelTotal->text(), QStringLiteral("31"));
  }

  // How a download ends, with its exact calls and messages. Handle 17 comes
  // from the fake connect.
  void downloadEnds_data() {
    QTest::addColumn<QList<int>>("enable");  // results of FK_EnableDevice, in order
    QTest::addColumn<int>("load");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("walkEnd");  // result after the records
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("flags");
    const QString e0 = QStringLiteral("FK_EnableDevice(17,0)");
    const QString e1 = QStringLiteral("FK_EnableDevice(17,1)");
    const QString load = QStringLiteral("FK_LoadGeneralLogData(17,1)");
    const QString get = QStringLiteral("FK_GetGeneralLogData_1(17)");
    const QString app = ApplicationTitle();
    QTest::newRow("records written")
        << QList<int>{} << 1 << 2 << -7 << QStringList{e0, load, get, get, get, e1} << "ShowMessage"
        << "Bilgiler Dosyaya Aktarıldı...." << app << int(MB_OK);
    QTest::newRow("no records") << QList<int>{} << 1 << 0 << -7 << QStringList{e0, load, get, e1}
                                << "MessageBox"
                                << "Cihazdan Alınacak Veri Yok..."
                                << "Terminal İşlemleri" << (MB_OK | MB_ICONINFORMATION);
    QTest::newRow("none of data, no records")
        << QList<int>{} << 1 << 0 << -8 << QStringList{e0, load, get, e1} << "MessageBox"
        << "Cihazdan Alınacak Veri Yok..."
        << "Terminal İşlemleri" << (MB_OK | MB_ICONINFORMATION);
    QTest::newRow("load fails") << QList<int>{} << -8 << 0 << -7 << QStringList{e0, load, e1}
                                << "ShowMessage"
                                << "Cihazdan alınacak veri yok....." << app << int(MB_OK);
    QTest::newRow("disable fails: silent, enabled all the same")
        << QList<int>{-2} << 1 << 2 << -7 << QStringList{e0, e1} << ""
        << ""
        << "" << 0;
    // A broken walk is an error, never "saved" and never "no data"; its
    // second line says what reached the files.
    QTest::newRow("walk breaks after records")
        << QList<int>{} << 1 << 3 << -2 << QStringList{e0, load, get, get, get, get, e1}
        << "MessageBox"
        << "No Open Comm.\n3 kayıt dosyalara yazıldı." << app << (MB_OK | MB_ICONERROR);
    QTest::newRow("walk breaks at once")
        << QList<int>{} << 1 << 0 << -4 << QStringList{e0, load, get, e1} << "MessageBox"
        << "Read Error.\n0 kayıt dosyalara yazıldı." << app << (MB_OK | MB_ICONERROR);
    QTest::newRow("none of data after records is an error")
        << QList<int>{} << 1 << 1 << -8 << QStringList{e0, load, get, get, e1} << "MessageBox"
        << "None of data array.\n1 kayıt dosyalara yazıldı." << app << (MB_OK | MB_ICONERROR);
  }
  void downloadEnds() {
    QFETCH(QList<int>, enable);
    QFETCH(int, load);
    QFETCH(int, records);
    QFETCH(int, walkEnd);
    QFETCH(QStringList, calls);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(int, flags);
    Connected t;
    FakeSdk.Queued[QStringLiteral("FK_EnableDevice")] = enable;
    FakeSdk.Results[QStringLiteral("FK_LoadGeneralLogData")] = load;
    QList<int> walk(records, 1);
    walk << walkEnd;
    FakeSdk.Queued[QStringLiteral("FK_GetGeneralLogData_1")] = walk;
    FakeSdk.LogRecords = Records(records);
    qsizetype callsAtMessage = -1;
    t.Dialogs->OnShown = [&](const ShownDialog&) { callsAtMessage = FakeSdk.Calls.size(); };
    t.Main().BitBtn5->click();

    QCOMPARE(FakeSdk.Calls, calls);
    QCOMPARE(t.Dialogs->Shown.size(), kind.isEmpty() ? 0 : 1);
    if (!kind.isEmpty()) {
      const ShownDialog& shown = t.Dialogs->Shown[0];
      QCOMPARE(shown.Kind, kind);
      QCOMPARE(shown.Text, text);
      QCOMPARE(shown.Title, title);
      QCOMPARE(shown.Flags, flags);
      // The closing message comes while the terminal is still disabled, the
      // error box of a broken walk only after the terminal is enabled again.
      const bool error = (flags & 0xF0) == MB_ICONERROR;
      QCOMPARE(callsAtMessage, error ? calls.size() : calls.size() - 1);
    }
    // The lines read stay written, in all files and in the box; the files
    // exist even when nothing came.
    const QByteArray lines = LinesOf(Records(enable.isEmpty() && load == 1 ? records : 0), 7);
    QCOMPARE(t.File(QStringLiteral("veri.txt")), lines);
    QCOMPARE(t.File(BackupFile()), lines);
    QCOMPARE(t.Main().Memo4->toPlainText(), QString::fromLatin1(lines).remove('\r').trimmed());
    QVERIFY(t.Main().BitBtn5->isEnabled());
    QVERIFY(t.Main().BitBtn4->isEnabled());
  }

  // An output file that cannot be opened stops the download before the
  // terminal is disabled; one that cannot be written stops the walk at the
  // first line it cannot take, before the next terminal call. Either way the
  // error box shows the reason and the terminal is enabled again. Only a
  // regular file is an output file: a FIFO (which would hold the open until
  // a reader comes), a folder or a device is refused without waiting.
  void outputFileFails_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("what");  // stands at file: folder, file, fifo, device, full
    QTest::addColumn<int>("records");
    QTest::addColumn<QString>("reason");
#ifdef Q_OS_WIN
    const QString notFolder = QStringLiteral("Path not found.");
#else
    const QString notFolder = QStringLiteral("Not a directory.");
#endif
    const QString isFolder = QStringLiteral("Is a directory.");
    const QString fifo = QStringLiteral("Is a FIFO (named pipe), not a regular file.");
    QTest::newRow("folder as veri.txt") << "veri.txt"
                                        << "folder" << 3 << isFolder;
    QTest::newRow("folder as veri2.txt") << "veri2.txt"
                                         << "folder" << 3 << isFolder;
    QTest::newRow("folder as the backup") << BackupFile() << "folder" << 3 << isFolder;
    QTest::newRow("file as yedek_K20") << "yedek_K20"
                                       << "file" << 3 << notFolder;
    QTest::newRow("FIFO as veri.txt") << "veri.txt"
                                      << "fifo" << 3 << fifo;
    QTest::newRow("FIFO as veri2.txt") << "veri2.txt"
                                       << "fifo" << 3 << fifo;
    QTest::newRow("FIFO as the backup") << BackupFile() << "fifo" << 3 << fifo;
    QTest::newRow("device as veri.txt") << "veri.txt"
                                        << "device" << 3 << "Is a device, not a regular file.";
    QTest::newRow("veri.txt full") << "veri.txt"
                                   << "full" << 3 << "No space left on device.";
    QTest::newRow("veri2.txt full") << "veri2.txt"
                                    << "full" << 3 << "No space left on device.";
    QTest::newRow("veri.txt full, long walk") << "veri.txt"
                                              << "full" << 5000 << "No space left on device.";
  }
  void outputFileFails() {
    QFETCH(QString, file);
    QFETCH(QString, what);
    QFETCH(int, records);
    QFETCH(QString, reason);
    const bool full = what == QLatin1String("full");
    std::optional<TSmallDisk> disk;
    if (full && !disk.emplace().Mounted())
      QSKIP("a small tmpfs cannot be mounted here (it needs root)");
    if (what == QLatin1String("device") && !QFile::exists(QStringLiteral("/dev/null")))
      QSKIP("no /dev/null");
    Connected t;
    t.Main().CheckBox1->setChecked(true);
    QVERIFY(QDir().mkpath(QFileInfo(t.Folder.File(file)).path()));
    std::optional<TFifoGuard> guard;
    if (full) {
      // The file lies on a disk with no room left.
      QVERIFY(disk->Fill());
      QVERIFY(QFile::link(disk->Path() + QStringLiteral("file"), t.Folder.File(file)));
    } else if (what == QLatin1String("fifo")) {
      if (!MakeFifo(t.Folder.File(file))) QSKIP("no FIFO can be made here");
      guard.emplace(t.Folder.File(file));
    } else if (what == QLatin1String("device")) {
      QVERIFY(QFile::link(QStringLiteral("/dev/null"), t.Folder.File(file)));
    } else if (what == QLatin1String("file")) {
      t.Folder.WriteFile(file, "x");
    } else {
      QVERIFY(QDir().mkpath(t.Folder.File(file)));
    }
    FakeSdk.LogRecords = Records(records);
    t.Main().BitBtn5->click();

    if (guard) QVERIFY2(!guard->Fired(), "the download waited on the FIFO");
    const int read = FakeSdk.CallCount(QStringLiteral("FK_GetGeneralLogData_1"));
    if (!full && what != QLatin1String("file")) {
      // Refused before the download lock: the terminal is not even enabled.
      QCOMPARE(FakeSdk.Calls, QStringList{});
      QVERIFY(!QFile::exists(t.Folder.File(QStringLiteral("download.lock"))));
    } else if (!full) {
      QCOMPARE(FakeSdk.Calls, QStringList{QStringLiteral("FK_EnableDevice(17,1)")});
    } else {
      QCOMPARE(FakeSdk.Calls.first(), QStringLiteral("FK_EnableDevice(17,0)"));
      QCOMPARE(FakeSdk.Calls.last(), QStringLiteral("FK_EnableDevice(17,1)"));
      QCOMPARE(read, 1);  // the first line found the file full
    }
    QCOMPARE(t.Dialogs->Shown.size(), 1);
    QCOMPARE(t.Dialogs->Shown[0].Flags, MB_OK | MB_ICONERROR);
    QVERIFY2(t.Dialogs->Shown[0].Text.endsWith(reason), qPrintable(t.Dialogs->Shown[0].Text));
    QVERIFY(t.Dialogs->Shown[0].Text.contains(file.section(QLatin1Char('/'), -1)));
    QVERIFY(t.Main().BitBtn5->isEnabled());
    // The files written before the full one hold the line read.
    if (full && file == QLatin1String("veri2.txt")) {
      QCOMPARE(t.File(QStringLiteral("veri.txt")), LinesOf(Records(1), 7));
      QCOMPARE(t.File(BackupFile()), LinesOf(Records(1), 7));
    }
    // A refused file is left as it was, and no other output file is made.
    if (!full && what != QLatin1String("file"))
      QVERIFY(!QFile::exists(t.Folder.File(file == QLatin1String("veri.txt")
                                               ? QStringLiteral("veri2.txt")
                                               : QStringLiteral("veri.txt"))));
  }

  // Each line is in every file, as far as the system is concerned, before
  // the walk goes on: the next call may make the terminal count the record
  // as delivered, and a program killed then must not hold it in a buffer.
  void lineReachesTheFilesBeforeTheNextCall() {
    ScopedScriptedDialogs dialogs;
    ScopedFakeSdk fake;
    TestFolder folder;
    FakeSdk.LogRecords = Records(40);
    TFKAttendObject sdk(MakeFakeSdkLoader());
    QStringList behind;
    TCountingReport report([&](int Count) {
      const QByteArray expected = LinesOf(Records(Count), 7);
      for (const QString& f :
           {QStringLiteral("veri.txt"), QStringLiteral("veri2.txt"), BackupFile()})
        if (folder.ReadFile(f) != expected) behind << QStringLiteral("%1 at %2").arg(f).arg(Count);
    });
    QCOMPARE(DownloadAttendance(sdk, {folder.Path(), 7, true, QDate::currentDate()}, report), 40);
    QCOMPARE(behind, QStringList{});
  }

  // A full disk: the line that did not fit is cut off again, so each file
  // ends with its last whole line, the error gives the system's reason and
  // the walk stops before the next call. Once there is room again, the next
  // download starts on a line of its own.
  void fullDiskLeavesWholeLines() {
    TSmallDisk disk;
    if (!disk.Mounted()) QSKIP("a small tmpfs cannot be mounted here (it needs root)");
    ScopedScriptedDialogs dialogs;
    ScopedFakeSdk fake;
    TFKAttendObject sdk(MakeFakeSdkLoader());
    // The filler leaves room for a few hundred lines; removing it makes room.
    const QString filler = disk.Path() + QStringLiteral("filler");
    WriteBytes(filler, QByteArray(40 * 1024, 'x'));
    FakeSdk.LogRecords = Records(3000);
    TSilentDownloadReport silent;
    const TDownloadRequest request{disk.Path(), 7, false, QDate(2024, 3, 5)};
    const QString error = ErrorOf([&] { DownloadAttendance(sdk, request, silent); });
    QVERIFY2(error.endsWith(QStringLiteral("No space left on device")), qPrintable(error));

    const QString backup = disk.Path() + QStringLiteral("yedek_K20/032024.txt");
    const int mainLines = WholeLines(disk.Path() + QStringLiteral("veri.txt"));
    const int backupLines = WholeLines(backup);
    QVERIFY(mainLines >= 0 && backupLines >= 0);  // whole lines only, in order
    // The record whose line found the disk full was the last one read.
    QCOMPARE(FakeSdk.CallCount(QStringLiteral("FK_GetGeneralLogData_1")),
             std::min(mainLines, backupLines) + 1);
    QVERIFY(FakeSdk.Calls.last().endsWith(QStringLiteral(",1)")));  // enabled again

    QVERIFY(QFile::remove(filler));
    FakeSdk.LogRecords = Records(2);
    QCOMPARE(DownloadAttendance(sdk, request, silent), 2);
    QCOMPARE(ReadBytes(disk.Path() + QStringLiteral("veri.txt")),
             LinesOf(Records(mainLines), 7) + LinesOf(Records(2), 7));
    QCOMPARE(ReadBytes(backup), LinesOf(Records(backupLines), 7) + LinesOf(Records(2), 7));
  }

  // The card conversion appends through the same file: on a full disk it
  // too leaves only whole lines and the system's reason.
  void fullDiskDuringCardConversion() {
    TSmallDisk disk;
    if (!disk.Mounted()) QSKIP("a small tmpfs cannot be mounted here (it needs root)");
    ScopedScriptedDialogs dialogs;
    TestFolder source;
    QByteArray card = "No\tMchn\tEnNo\tName\tMode\tIOMd\tDateTime\r\n";
    QByteArray converted;
    for (int i = 1; i <= 5000; ++i) {
      card += QStringLiteral("%1\t1\t%1\t\t1\t0\t2024/03/05 08:07:09\r\n").arg(i).toLatin1();
      converted += QStringLiteral("%1 05/03/2024 08:07:09 01\r\n")
                       .arg(i, 5, 10, QLatin1Char('0'))
                       .toLatin1();
    }
    source.WriteFile(QStringLiteral("card.txt"), card);
    struct : TCardReport {
      void Counted(qint64) override {}
      void Converted(qint64) override {}
    } report;
    const QString error = ErrorOf(
        [&] { ConvertCardFile(source.File(QStringLiteral("card.txt")), disk.Path(), report); });
    QVERIFY2(error.endsWith(QStringLiteral("No space left on device")), qPrintable(error));
    const QByteArray text = ReadBytes(disk.Path() + QStringLiteral("veri.txt"));
    QVERIFY(text.size() > 0 && text.endsWith("\r\n"));
    QCOMPARE(text, converted.left(text.size()));
  }

  // A terminal that never ends its walk is stopped at the bound with a clear
  // error; what it gave stays written, nothing is cleared, and the terminal
  // is enabled again.
  void walkWithoutEnd() {
    ScopedScriptedDialogs dialogs;
    ScopedFakeSdk fake;
    TestFolder folder;
    TFKAttendObject sdk(MakeFakeSdkLoader());
    TSilentDownloadReport silent;
    TDownloadRequest request{folder.Path(), 7, false, QDate(2024, 3, 5)};
    request.MaxRecords = 50;
    FakeSdk.LogRecords = Records(1000);  // stands for a walk without end
    QCOMPARE(ErrorOf([&] { DownloadAttendance(sdk, request, silent); }),
             WalkBoundText(50) + QStringLiteral("\n50 kayıt dosyalara yazıldı."));
    QCOMPARE(FakeSdk.CallCount(QStringLiteral("FK_GetGeneralLogData_1")), 50);
    QCOMPARE(folder.ReadFile(QStringLiteral("veri.txt")), LinesOf(Records(50), 7));
    QCOMPARE(FakeSdk.Calls.last(), QStringLiteral("FK_EnableDevice(0,1)"));

    FakeSdk.Calls.clear();
    request.ClearLog = true;
    const TDownloadOutcome outcome = WalkAttendance(sdk, request, silent);
    QVERIFY(!outcome.Complete);
    QCOMPARE(outcome.Records, 50);
    QCOMPARE(outcome.ErrorText, WalkBoundText(50));
    QCOMPARE(FakeSdk.CallCount(QStringLiteral("FK_EmptyGeneralLogData")), 0);
    QCOMPARE(FakeSdk.Calls.last(), QStringLiteral("FK_EnableDevice(0,1)"));
    QCOMPARE(folder.ReadFile(QStringLiteral("veri.txt")), LinesOf(Records(100), 7));
  }

  // The operator's download tells its front end how it ended while the
  // terminal is still disabled, and opens no message box itself.
  void closingToldBeforeTheEnable_data() {
    QTest::addColumn<int>("load");  // result of FK_LoadGeneralLogData
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("end");  // TDownloadEnd
    QTest::newRow("nothing to load") << -8 << 0 << int(TDownloadEnd::NothingToLoad);
    QTest::newRow("no records") << 1 << 0 << int(TDownloadEnd::NoRecords);
    QTest::newRow("saved") << 1 << 3 << int(TDownloadEnd::Saved);
  }
  void closingToldBeforeTheEnable() {
    QFETCH(int, load);
    QFETCH(int, records);
    QFETCH(int, end);
    struct Report : TDownloadReport {
      QList<int> Ends;
      qsizetype CallsAtClosing = -1;
      void Started(int) override {}
      void Line(const QByteArray&) override {}
      void Counted(int) override {}
      void Progress(int) override {}
      void Ended(int) override {}
      void Closing(TDownloadEnd End) override {
        Ends << int(End);
        CallsAtClosing = FakeSdk.Calls.size();
      }
    } report;
    ScopedScriptedDialogs dialogs;
    ScopedFakeSdk fake;
    TestFolder folder;
    FakeSdk.Results[QStringLiteral("FK_LoadGeneralLogData")] = load;
    FakeSdk.LogRecords = Records(records);
    TFKAttendObject sdk(MakeFakeSdkLoader());
    QCOMPARE(DownloadAttendance(sdk, {folder.Path(), 7, false, QDate(2024, 3, 5)}, report),
             records);
    QCOMPARE(report.Ends, QList<int>{end});
    QCOMPARE(FakeSdk.Calls.mid(report.CallsAtClosing),
             QStringList{QStringLiteral("FK_EnableDevice(0,1)")});
    QCOMPARE(dialogs->Shown.size(), 0);
  }

  // The enable after the walk finds the connection gone: the terminal is
  // connected once more and enabled on the new connection; when even that
  // fails, the operator is told after the closing message, or with the error.
  void enableAgainAfterLostConnection_data() {
    QTest::addColumn<int>("walkEnd");
    QTest::addColumn<int>("reconnect");  // result of the new FK_ConnectUSB
    QTest::addColumn<QStringList>("shown");
    const QString notEnabled = NotEnabledAgainText(-2);
    QTest::newRow("enabled over a new connection")
        << -7 << 17 << QStringList{QStringLiteral("Bilgiler Dosyaya Aktarıldı....")};
    QTest::newRow("saved, then not enabled")
        << -7 << -2 << QStringList{QStringLiteral("Bilgiler Dosyaya Aktarıldı...."), notEnabled};
    QTest::newRow("walk broken, then not enabled")
        << -4 << -2
        << QStringList{QStringLiteral("Read Error.\n2 kayıt dosyalara yazıldı.\n") + notEnabled};
  }
  void enableAgainAfterLostConnection() {
    QFETCH(int, walkEnd);
    QFETCH(int, reconnect);
    QFETCH(QStringList, shown);
    Connected t;
    FakeSdk.LogRecords = Records(2);
    FakeSdk.Queued[QStringLiteral("FK_GetGeneralLogData_1")] = {1, 1, walkEnd};
    FakeSdk.Queued[QStringLiteral("FK_EnableDevice")] = {1, -4};  // disable, then the lost enable
    FakeSdk.Queued[QStringLiteral("FK_ConnectUSB")] = {reconnect};
    t.Main().BitBtn5->click();
    QStringList tail{QStringLiteral("FK_EnableDevice(17,1)"), QStringLiteral("FK_DisConnect(17)"),
                     QStringLiteral("FK_ConnectUSB(7)")};
    if (reconnect > 0) tail << QStringLiteral("FK_EnableDevice(17,1)");
    QCOMPARE(FakeSdk.Calls.mid(FakeSdk.Calls.size() - tail.size()), tail);
    QCOMPARE(t.Shown(), shown);
    QCOMPARE(t.File(QStringLiteral("veri.txt")), LinesOf(Records(2), 7));
    QVERIFY(t.Main().BitBtn5->isEnabled());
  }

  // While the walk runs nothing can disconnect, open a window or close the
  // main window; all of it comes back afterwards.
  void busyWhileWalking() {
    Connected t;
    t.Main().show();
    FakeSdk.LogRecords = Records(2);
    bool locked = true;
    bool closeRefused = true;
    t.Dialogs->OnProcessMessages = [&] {
      for (QWidget* w :
           QList<QWidget*>{t.Main().BitBtn4, t.Main().BitBtn5, t.Main().BitBtn9, t.Main().BitBtn10,
                           t.Main().BitBtn6, t.Main().Button1, t.Main().DBGrid1})
        locked = locked && !w->isEnabled();
      locked = locked && !t.Main().mnuParmakYuzSil->isEnabled();
      closeRefused = closeRefused && !t.Main().close();
    };
    t.Main().BitBtn5->click();
    QVERIFY(locked);
    QVERIFY(closeRefused);
    QVERIFY(t.Main().isVisible());
    for (QWidget* w : QList<QWidget*>{t.Main().BitBtn4, t.Main().BitBtn5, t.Main().BitBtn10,
                                      t.Main().Button1, t.Main().DBGrid1})
      QVERIFY(w->isEnabled());
    QCOMPARE(FakeSdk.Calls.last(), QStringLiteral("FK_EnableDevice(17,1)"));
  }

  // The card conversion through Button1: the file-open dialog opens at the
  // program folder, the lines are appended to veri.txt.
  void cardConversion_data() {
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QByteArray>("appended");
    const QByteArray head = "No\tMchn\tEnNo\tName\tMode\tIOMd\tDateTime\r\n";
    QTest::newRow("the example") << head + "1\t1\t42\tAli\t1\t0\t2024/03/05 08:07:09\r\n"
                                 << QByteArray("00042 05/03/2024 08:07:09 01\r\n");
    QTest::newRow("last five characters")
        << head + "1\t3\t1234567\tx\t1\t0\t2024/03/05 08:07:09\r\n"
        << QByteArray("34567 05/03/2024 08:07:09 03\r\n");
    QTest::newRow("short enroll, blanks dropped")
        << head + "1\t 1 2\t 7 \tA B\t1\t0\t  2024/12/31   23:59:58\r\n"
        << QByteArray("00007 31/12/2024 23:59:58 12\r\n");
    QTest::newRow("blanks inside a long field, text after the seconds")
        << head + "1\t1\t12 345 67\tx\t1\t0\t2024/03/05 08:07:09 Giris  Kapisi\r\n"
        << QByteArray("34567 05/03/2024 08:07:09 01\r\n");
    QTest::newRow("LF only, no final break")
        << QByteArray("h\n1\t1\t42\t\t\t\t2024/03/05 08:07:09\n2\t1\t43\t\t\t\t2024/03/05 08:07:10")
        << QByteArray("00042 05/03/2024 08:07:09 01\r\n00043 05/03/2024 08:07:10 01\r\n");
    QTest::newRow("empty line after the heading") << head + "\r\n" << QByteArray(" // :: \r\n");
    QTest::newRow("short line: only what exists") << head + "1\t1\t42\r\n"
                                                  << QByteArray("42 // :: 01\r\n");
    QTest::newRow("heading only") << head << QByteArray();
    QTest::newRow("empty file") << QByteArray() << QByteArray();
  }
  void cardConversion() {
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, appended);
    TestProgram t;
    t.Start();  // no terminal connected
    t.Folder.WriteFile(QStringLiteral("card.txt"), source);
    t.Dialogs->FileNames << t.Folder.File(QStringLiteral("card.txt"));
    t.Main().Button1->click();
    QCOMPARE(t.Dialogs->Shown[0].Kind, QStringLiteral("OpenFile"));
    QCOMPARE(t.Dialogs->Shown[0].Title, t.Folder.Path());  // the starting folder
    QCOMPARE(t.Shown().mid(1), QStringList{QStringLiteral("Aktarım işlemi tamamlandı..")});
    QCOMPARE(t.Folder.ReadFile(QStringLiteral("veri.txt")), appended);
    QVERIFY(QFile::exists(t.Folder.File(QStringLiteral("veri.txt"))));
    QCOMPARE(t.Main().Edit1->text(), t.Folder.File(QStringLiteral("card.txt")));
    QCOMPARE(t.Main().ProgressBar1->value(), 0);
    QVERIFY(FakeSdk.Calls.isEmpty());
  }

  // Converting twice appends twice, after what veri.txt held.
  void cardConversionAppends() {
    TestProgram t;
    t.Start();
    t.Folder.WriteFile(QStringLiteral("veri.txt"), "00001 01/01/2024 00:00:00 01 00 Fp\r\n");
    t.Folder.WriteFile(QStringLiteral("card.txt"), "h\r\n1\t1\t42\t\t\t\t2024/03/05 08:07:09\r\n");
    t.Dialogs->FileNames << t.Folder.File(QStringLiteral("card.txt"))
                         << t.Folder.File(QStringLiteral("card.txt"));
    t.Main().Button1->click();
    t.Main().Button1->click();
    QCOMPARE(t.Folder.ReadFile(QStringLiteral("veri.txt")),
             "00001 01/01/2024 00:00:00 01 00 Fp\r\n00042 05/03/2024 08:07:09 01\r\n"
             "00042 05/03/2024 08:07:09 01\r\n");
  }

  // A source that cannot be read writes nothing, not even an empty veri.txt;
  // cancelling the dialog does nothing at all.
  void cardConversionUnreadable_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("reason");
#ifdef Q_OS_WIN
    QTest::newRow("missing") << "nothing.txt"
                             << "File not found.";
    QTest::newRow("a folder") << "folder"
                              << "Access denied.";
#else
    QTest::newRow("missing") << "nothing.txt"
                             << "No such file or directory.";
    QTest::newRow("a folder") << "folder"
                              << "directory.";
#endif
    QTest::newRow("cancelled") << ""
                               << "";
  }
  void cardConversionUnreadable() {
    QFETCH(QString, chosen);
    QFETCH(QString, reason);
    TestProgram t;
    t.Start();
    QDir().mkpath(t.Folder.File(QStringLiteral("folder")));
    t.Dialogs->FileNames << (chosen.isEmpty() ? QString() : t.Folder.File(chosen));
    t.Main().Button1->click();
    QCOMPARE(t.Dialogs->Shown.size(), reason.isEmpty() ? 1 : 2);
    if (!reason.isEmpty()) {
      QVERIFY2(t.Dialogs->Shown[1].Text.endsWith(reason), qPrintable(t.Dialogs->Shown[1].Text));
      QCOMPARE(t.Dialogs->Shown[1].Flags, MB_OK | MB_ICONERROR);
    }
    QVERIFY(!QFile::exists(t.Folder.File(QStringLiteral("veri.txt"))));
    QCOMPARE(t.Main().Edit1->text(), chosen.isEmpty() ? QString() : t.Folder.File(chosen));
  }

  // The core routine reports the line count, then every converted index.
  void cardConversionReports() {
    struct Report : TCardReport {
      QList<qint64> Seen;
      void Counted(qint64 Lines) override { Seen << -Lines; }
      void Converted(qint64 Index) override { Seen << Index; }
    } report;
    ScopedScriptedDialogs dialogs;
    TestFolder folder;
    folder.WriteFile(QStringLiteral("card.txt"), "h\r\na\r\nb\r\nc");
    QCOMPARE(ConvertCardFile(folder.File(QStringLiteral("card.txt")), folder.Path(), report), 3);
    QCOMPARE(report.Seen, (QList<qint64>{-4, 1, 2, 3}));
  }
};

QTEST_MAIN(TestAttendance)
#include "tst_attendance.moc"
