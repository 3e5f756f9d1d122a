// Where the program keeps its data, run as a process: a copied program folder
// writes nothing outside itself; an installed program (its folder with the
// package's empty databases two levels up, as the package lays it out) keeps
// its data in the user's data folder and copies the empty databases there;
// bad arguments and bad files at start are reported, never hung on or
// written.
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include "E2EFixture.h"
#include "SimFixture.h"
#include "TinyDisk.h"
#include "session/ProgramFolder.h"

namespace {

struct TRun {
  int Exit = -1;  // -1: crashed or did not end within the bound
  QString Out, Err;
};

QString Bin(const char* Name) {
  return QCoreApplication::applicationDirPath() + "/" + Name;
}

// A hard link (a copy on another file system): the program finds its folder
// through the path it was started by.
void PlaceProgram(const QString& Folder) {
  QVERIFY(QDir().mkpath(Folder));
  if (::link(QFile::encodeName(Bin("meridox")).constData(),
             QFile::encodeName(Folder + "/meridox").constData()) != 0)
    QVERIFY(QFile::copy(Bin("meridox"), Folder + "/meridox"));
}

void PlaceLibraries(const QString& Folder) {
  QVERIFY(QDir().mkpath(Folder));
  for (const char* lib : {"libFK623Attend.so", "libFKAttend.so"})
    QVERIFY(QFile::link(Bin(lib), Folder + "/" + lib));
}

QByteArray Read(const QString& File) {
  QFile f(File);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every entry under Folder (hidden ones too) with its size and time.
QStringList Tree(const QString& Folder) {
  QStringList entries;
  QDirIterator it(Folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    it.next();
    const QFileInfo& f = it.fileInfo();
    entries << QDir(Folder).relativeFilePath(f.filePath()) +
                   QStringLiteral(" %1 %2").arg(f.size()).arg(f.lastModified().toMSecsSinceEpoch());
  }
  entries.sort();
  return entries;
}

// A sandbox: a home, a working folder and a temporary folder of its own,
// watched for anything written into them.
struct TSandbox {
  TSandbox() {
    for (const char* d : {"home", "work", "tmp"}) QDir().mkpath(Path(d));
    // Every desktop session has a private runtime folder; without one, Qt
    // makes one in the temporary folder.
    QDir().mkpath(Path("runtime"));
    QFile::setPermissions(Path("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  QString Path(const QString& Name) const { return Root.path() + "/" + Name; }
  // The folder "seed" with empty Data.mdb and Log.mdb, as a package has it.
  QString Seed() const {
    const QString seed = Path("seed");
    QDir().mkpath(seed);
    CreateDatabase(seed + "/Data.mdb", "Data");
    CreateDatabase(seed + "/Log.mdb", "Log");
    return seed;
  }
  // The environment of a user with this home and no display.
  QProcessEnvironment Environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "MERIDOX_HOME",
                          "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
      env.remove(v);
    env.insert("HOME", Path("home"));
    env.insert("TMPDIR", Path("tmp"));
    env.insert("XDG_RUNTIME_DIR", Path("runtime"));
    return env;
  }
  TRun Run(const QString& Program, const QStringList& Arguments, const QProcessEnvironment& Env,
           int WithinMs = 60000) const {
    QProcess p;
    p.setProcessEnvironment(Env);
    p.setWorkingDirectory(Path("work"));
    p.start(Program, Arguments);
    TRun run;
    if (!p.waitForFinished(WithinMs)) {
      p.kill();
      p.waitForFinished();
      run.Err = QStringLiteral("did not end within %1 ms").arg(WithinMs);
      return run;
    }
    run.Exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.Out = QString::fromUtf8(p.readAllStandardOutput());
    run.Err += QString::fromUtf8(p.readAllStandardError());
    return run;
  }
  TRun Run(const QString& Program, const QStringList& Arguments) const {
    return Run(Program, Arguments, Environment());
  }
  QTemporaryDir Root;
};

// An installed program as the package lays it out under Root/usr: the
// program in lib/meridox, the stand-ins in lib/meridox/stand-in, the empty
// databases in share/meridox.
QString InstallUnder(const TSandbox& Box, bool StandIns = true) {
  const QString lib = Box.Path("usr/lib/meridox");
  PlaceProgram(lib);
  if (StandIns) PlaceLibraries(lib + "/stand-in");
  QDir().mkpath(Box.Path("usr/share/meridox"));
  CreateDatabase(Box.Path("usr/share/meridox/Data.mdb"), "Data");
  CreateDatabase(Box.Path("usr/share/meridox/Log.mdb"), "Log");
  return lib + "/meridox";
}

void AddTerminal(const QString& DataMdb, int Port) {
  ExecOn(DataMdb,
         "insert into Terminal (Terminal,TerminalNo,Tip,ComPort,ComBaud,Ip,NetPort,Sifre) "
         "values ('T1','1','ethernet','1','9600','127.0.0.1',?,'0')",
         {QString::number(Port)});
}

// What the program says of a folder that lost its Data.mdb.
QString LostDataText(const QString& Folder) {
  return QStringLiteral(
             "Program klasöründe Data.mdb yoktu; boş bir Data.mdb oluşturuldu. Terminal listesi "
             "ve parmak izi yedeği boş. Bir klasör yedeğiniz varsa programı kapatın ve Data.mdb "
             "dosyasını yedekten %1 klasörüne geri kopyalayın.")
      .arg(QDir::toNativeSeparators(Folder));
}

int LineCount(const QByteArray& Bytes) {
  return static_cast<int>(Bytes.count("\r\n"));
}

}  // namespace

class TestProgramFolder : public QObject {
  Q_OBJECT
 private slots:
  // A program folder copied anywhere works as it always has: the download,
  // the check, the help and the window touch nothing outside it (not the
  // home, the working folder or the temporary folder).
  void copiedFolderWritesNothingOutsideIt() {
    TSandbox box;
    QTemporaryDir vtDir;
    VTerminal vt(vtDir.path());
    QVERIFY2(vt.start({"--machine", "1", "--seed-users", "3", "--seed-records", "20"}),
             qPrintable(vt.error()));
    const QString prog = box.Path("prog");
    PlaceProgram(prog);
    PlaceLibraries(prog);
    CreateDatabase(prog + "/Data.mdb", "Data");
    CreateDatabase(prog + "/Log.mdb", "Log");
    AddTerminal(prog + "/Data.mdb", vt.port());

    TRun run = box.Run(prog + "/meridox", {"--download-all"});
    QVERIFY2(run.Exit == 0, qPrintable(run.Out + run.Err));
    QCOMPARE(LineCount(Read(prog + "/veri.txt")), 20);
    run = box.Run(prog + "/meridox", {"--check"});
    QVERIFY2(run.Exit == 0, qPrintable(run.Out + run.Err));
    run = box.Run(prog + "/meridox", {"--help"});
    QCOMPARE(run.Exit, 0);
    QVERIFY2(run.Out.contains("Program klasörü: " + prog + "/"), qPrintable(run.Out));
    QProcessEnvironment window = box.Environment();
    window.insert("QT_QPA_PLATFORM", "offscreen");
    run = box.Run(prog + "/meridox", {"--quit-after-start"}, window);
    QVERIFY2(run.Exit == 0, qPrintable(run.Err));

    for (const char* d : {"home", "work", "tmp"})
      QVERIFY2(Tree(box.Path(d)).isEmpty(), qPrintable(Tree(box.Path(d)).join("\n")));
  }

  // The installed program's folder: where it is, that --help names it
  // without making anything, and that the first command makes the user's
  // folder (a named one is made by the operator) with exactly the package's
  // empty databases and nothing written under usr/.
  void installedProgramUsesDataFolder_data() {
    QTest::addColumn<QStringList>("env");    // NAME=VALUE, relative to the sandbox
    QTest::addColumn<QStringList>("extra");  // arguments after the command
    QTest::addColumn<QString>("folder");     // expected, relative to the sandbox
    QTest::addColumn<bool>("named");         // by --folder or MERIDOX_HOME: made beforehand
    QTest::newRow("the home's data folder")
        << QStringList{} << QStringList{} << "home/.local/share/meridox" << false;
    QTest::newRow("XDG_DATA_HOME")
        << QStringList{"XDG_DATA_HOME=@/xdg"} << QStringList{} << "xdg/meridox" << false;
    QTest::newRow("a relative XDG_DATA_HOME is ignored")
        << QStringList{"XDG_DATA_HOME=xdg"} << QStringList{} << "home/.local/share/meridox"
        << false;
    QTest::newRow("MERIDOX_HOME") << QStringList{"MERIDOX_HOME=@/m/data"} << QStringList{}
                                  << "m/data" << true;
    QTest::newRow("--folder before MERIDOX_HOME")
        << QStringList{"MERIDOX_HOME=@/m/data"} << QStringList{"--folder", "@/given"} << "given"
        << true;
  }
  void installedProgramUsesDataFolder() {
    QFETCH(QStringList, env);
    QFETCH(QStringList, extra);
    QFETCH(QString, folder);
    QFETCH(bool, named);
    TSandbox box;
    const QString program = InstallUnder(box);
    const QStringList usr = Tree(box.Path("usr"));
    QProcessEnvironment e = box.Environment();
    for (const QString& v : env)
      e.insert(v.section('=', 0, 0), v.section('=', 1).replace("@", box.Root.path()));
    for (QString& a : extra) a.replace("@", box.Root.path());
    const QString data = box.Path(folder);
    if (named) QVERIFY(QDir().mkpath(data));

    TRun run = box.Run(program, QStringList{"--help"} + extra, e);
    QCOMPARE(run.Exit, 0);
    QVERIFY2(run.Out.contains("Program klasörü: " + data + "/"), qPrintable(run.Out));
    QVERIFY2(run.Out.contains("meridox " MERIDOX_TEST_VERSION), qPrintable(run.Out));
    QCOMPARE(QFileInfo::exists(data), named);
    QVERIFY(Tree(data).isEmpty());

    run = box.Run(program, QStringList{"--check"} + extra, e);
    QVERIFY2(run.Exit == 0, qPrintable(run.Out + run.Err));
    QVERIFY2(run.Out.contains("Terminal: 0, Hatalı: 0"), qPrintable(run.Out));
    QVERIFY2(run.Err.contains("terminal listesi boş"), qPrintable(run.Err));
    QCOMPARE(QDir(data).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{"Data.mdb", "Log.mdb"}));
    // Data.mdb was opened by the check (which may mark its header); the
    // untouched Log.mdb shows the copy is the package's file, byte for byte.
    QCOMPARE(QFileInfo(data + "/Data.mdb").size(),
             QFileInfo(box.Path("usr/share/meridox/Data.mdb")).size());
    QCOMPARE(Read(data + "/Log.mdb"), Read(box.Path("usr/share/meridox/Log.mdb")));
    QCOMPARE(Tree(box.Path("usr")), usr);
    QVERIFY(Tree(box.Path("work")).isEmpty());
  }

  // A folder named by --folder or MERIDOX_HOME that is not there (a typing
  // error) is not made into a new, empty program folder: every command ends
  // with status 2 and the reason, and nothing is made anywhere.
  void namedFolderMustExist_data() {
    QTest::addColumn<bool>("installed");  // else a copied program folder
    QTest::addColumn<QStringList>("env");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");  // "@" stands for the sandbox
    QTest::newRow("--folder mistyped, installed")
        << true << QStringList{} << QStringList{"--download-all", "--folder", "@/meridx"}
        << "--folder ile verilen program klasörü yok: @/meridx";
    QTest::newRow("--folder mistyped, copied")
        << false << QStringList{} << QStringList{"--folder", "@/m/meridx", "--check"}
        << "--folder ile verilen program klasörü yok: @/m/meridx";
    QTest::newRow("MERIDOX_HOME mistyped")
        << true << QStringList{"MERIDOX_HOME=@/meridx/"} << QStringList{"--set-time-all"}
        << "MERIDOX_HOME ile verilen program klasörü yok: @/meridx";
    QTest::newRow("--folder names a file")
        << true << QStringList{} << QStringList{"--download-all", "--folder", "@/work/notes"}
        << "--folder ile verilen program klasörü bir klasör değil: @/work/notes";
  }
  void namedFolderMustExist() {
    QFETCH(bool, installed);
    QFETCH(QStringList, env);
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    TSandbox box;
    QString program;
    if (installed) {
      program = InstallUnder(box);
    } else {
      PlaceProgram(box.Path("prog"));
      PlaceLibraries(box.Path("prog"));
      CreateDatabase(box.Path("prog/Data.mdb"), "Data");
      program = box.Path("prog/meridox");
    }
    QFile notes(box.Path("work/notes"));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.close();
    QProcessEnvironment e = box.Environment();
    for (const QString& v : env)
      e.insert(v.section('=', 0, 0), v.section('=', 1).replace("@", box.Root.path()));
    for (QString& a : args) a.replace("@", box.Root.path());
    const QStringList before = Tree(box.Root.path());

    const TRun run = box.Run(program, args, e);
    QCOMPARE(run.Exit, 2);
    QCOMPARE(run.Out, QString());
    QVERIFY2(run.Err.startsWith("meridox: " + message.replace("@", box.Root.path())),
             qPrintable(run.Err));
    QCOMPARE(Tree(box.Root.path()), before);
  }

  // Each command over an empty terminal list ends as before (status 0, the
  // totals of no terminal) and says on standard error that nothing was
  // tried, so a scheduled run that collects nothing is seen in its log.
  void emptyTerminalListIsTold_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("--download-all") << "--download-all";
    QTest::newRow("--check") << "--check";
    QTest::newRow("--set-time-all") << "--set-time-all";
  }
  void emptyTerminalListIsTold() {
    QFETCH(QString, command);
    TSandbox box;
    const QString prog = box.Path("prog");
    PlaceProgram(prog);
    PlaceLibraries(prog);
    CreateDatabase(prog + "/Data.mdb", "Data");
    CreateDatabase(prog + "/Log.mdb", "Log");

    const TRun run = box.Run(prog + "/meridox", {command});
    QCOMPARE(run.Exit, 0);
    // The check names the library in use first.
    const bool check = command == QLatin1String("--check");
    QVERIFY2(!check || run.Out.startsWith("Terminal kitaplığı: "), qPrintable(run.Out));
    QVERIFY2((check ? run.Out.section('\n', 1) : run.Out)
                 .startsWith("İşlem tamamlandı. Terminal: 0, Hatalı: 0"),
             qPrintable(run.Out));
    QCOMPARE(run.Err, "meridox: terminal listesi boş, hiçbir terminalle işlem yapılmadı: " + prog +
                          "/Data.mdb\n");
  }

  // A download with the installed program: the terminal list already in the
  // data folder is kept (only the missing Log.mdb is copied in), the files
  // land there, and the terminal library is found among the stand-ins or,
  // put there by the operator, in the data folder.
  void installedProgramDownloadsIntoDataFolder_data() {
    QTest::addColumn<bool>("standIns");
    QTest::newRow("stand-ins of the package") << true;
    QTest::newRow("libraries in the data folder") << false;
  }
  void installedProgramDownloadsIntoDataFolder() {
    QFETCH(bool, standIns);
    TSandbox box;
    QTemporaryDir vtDir;
    VTerminal vt(vtDir.path());
    QVERIFY2(vt.start({"--machine", "1", "--seed-users", "3", "--seed-records", "25"}),
             qPrintable(vt.error()));
    const QString program = InstallUnder(box, standIns);
    const QString data = box.Path("home/.local/share/meridox");
    QVERIFY(QDir().mkpath(data));
    CreateDatabase(data + "/Data.mdb", "Data");
    AddTerminal(data + "/Data.mdb", vt.port());
    if (!standIns) PlaceLibraries(data);

    const TRun run = box.Run(program, {"--download-all"});
    QVERIFY2(run.Exit == 0, qPrintable(run.Out + run.Err));
    QVERIFY2(run.Out.contains("T1: 25 kayıt"), qPrintable(run.Out));
    QCOMPARE(LineCount(Read(data + "/veri.txt")), 25);
    QCOMPARE(Read(data + "/Log.mdb"), Read(box.Path("usr/share/meridox/Log.mdb")));
    QVERIFY(!QFileInfo::exists(box.Path("usr/lib/meridox/veri.txt")));
  }

  // The empty databases are never copied over a file that is there, and a
  // copy that cannot be completed (a full disk) leaves no database and no
  // temporary file behind.
  void copyIsWholeOrNothing() {
    TSandbox box;
    const QString seed = box.Seed();
    const QString own = box.Path("own");
    QDir().mkpath(own);
    QFile mine(own + "/Data.mdb");
    QVERIFY(mine.open(QIODevice::WriteOnly));
    mine.write("the operator's");
    mine.close();
    QCOMPARE(CopyMissingDatabases(seed, own), QStringList{"Log.mdb"});
    QCOMPARE(Read(own + "/Data.mdb"), QByteArray("the operator's"));
    QCOMPARE(CopyMissingDatabases(seed, own), QStringList{});

    const QString full = box.Path("full");
    QDir().mkpath(full);
    TinyDisk disk(full, 16);
    if (!disk.Mounted())
      QSKIP(qPrintable("a small tmpfs for a full disk needs root: " + disk.Error()));
    const QString error = ErrorOf([&] { CopyMissingDatabases(seed, full); });
    const QStringList left = QDir(full).entryList(QDir::Files | QDir::Hidden);
    disk.Unmount();
    QVERIFY2(error.contains("No space left on device"), qPrintable(error));
    // Data.mdb, which does not fit, is neither there nor half-written under
    // a temporary name.
    QVERIFY2(left.isEmpty(), qPrintable(left.join(' ')));
  }

  // A folder the program has run on before (it holds Log.mdb or
  // Settings.ini) that lost its Data.mdb gets an empty one and says so, once;
  // a folder's first use gets its empty databases silently.
  void lostDataIsTold_data() {
    QTest::addColumn<QStringList>("there");  // in the folder before
    QTest::addColumn<bool>("told");
    QTest::newRow("first use") << QStringList{} << false;
    QTest::newRow("Log.mdb there") << QStringList{"Log.mdb"} << true;
    QTest::newRow("Settings.ini there") << QStringList{"Settings.ini"} << true;
    QTest::newRow("Data.mdb there") << QStringList{"Data.mdb", "Settings.ini"} << false;
  }
  void lostDataIsTold() {
    QFETCH(QStringList, there);
    QFETCH(bool, told);
    TSandbox box;
    const QString seed = box.Seed();
    const QString folder = box.Path("data");
    QDir().mkpath(folder);
    for (const QString& name : there) {
      if (name.endsWith(".mdb")) {
        CreateDatabase(folder + "/" + name, name.chopped(4));
      } else {
        QFile f(folder + "/" + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Genel]\r\n");
      }
    }

    TProgramFolder first;
    first.Path = folder + "/";
    FillProgramFolder(seed, first);
    QVERIFY2(first.Error.isEmpty(), qPrintable(first.Error));
    QVERIFY(QFileInfo(folder + "/Data.mdb").isFile());
    QCOMPARE(first.Notice, told ? LostDataText(folder) : QString());

    TProgramFolder next;
    next.Path = first.Path;
    FillProgramFolder(seed, next);
    QCOMPARE(next.Notice, QString());
    QCOMPARE(next.Copied, QStringList{});
  }

  // The command line tells it on the standard error, and only the first time.
  void lostDataIsToldOnTheCommandLine() {
    TSandbox box;
    const QString program = InstallUnder(box);
    const QString data = box.Path("home/.local/share/meridox");
    QVERIFY(QDir().mkpath(data));
    CreateDatabase(data + "/Log.mdb", "Log");

    TRun run = box.Run(program, {"--check"});
    QVERIFY2(run.Exit == 0, qPrintable(run.Out + run.Err));
    QVERIFY2(run.Err.contains("meridox: " + LostDataText(data) + "\n"), qPrintable(run.Err));
    QVERIFY(QFileInfo(data + "/Data.mdb").isFile());

    run = box.Run(program, {"--check"});
    QVERIFY2(run.Exit == 0, qPrintable(run.Out + run.Err));
    QVERIFY2(!run.Err.contains("Data.mdb yoktu"), qPrintable(run.Err));
  }

  // Faults at start: a single-dash argument no longer opens a window that
  // aborts without a display; a file named Data.mdb that is not a database
  // is reported and left as it was; a FIFO named Settings.ini does not hang
  // the start (a command that needs no settings runs, a download is refused
  // with the reason); a window without a display says so.
  void badStart_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("setup");  // "", "empty", "text", "folder", "fifo"
    QTest::addColumn<bool>("offscreen");
    QTest::addColumn<int>("exit");
    QTest::addColumn<QString>("message");
    QTest::newRow("-h") << QStringList{"-h"} << "" << false << 2 << "bilinmeyen seçenek: -h";
    QTest::newRow("-h in a session")
        << QStringList{"-h"} << "" << true << 2 << "bilinmeyen seçenek: -h";
    QTest::newRow("a word") << QStringList{"check"} << "" << false << 2
                            << "bilinmeyen seçenek: check";
    QTest::newRow("--folder without a folder")
        << QStringList{"--folder"} << "" << false << 2 << "--folder için bir klasör gerekli";
    QTest::newRow("window without a display")
        << QStringList{} << "" << false << 2 << "ekran bulunamadı";
    QTest::newRow("empty Data.mdb")
        << QStringList{"--check"} << "empty" << false << 2 << "file is not a database";
    QTest::newRow("text in Data.mdb")
        << QStringList{"--check"} << "text" << false << 2 << "file is not a database";
    QTest::newRow("a folder named Data.mdb")
        << QStringList{"--check"} << "folder" << false << 2 << "file is not a database";
    QTest::newRow("FIFO Settings.ini, command")
        << QStringList{"--check"} << "fifo" << false << 0 << "";
    QTest::newRow("FIFO Settings.ini, download") << QStringList{"--download-all"} << "fifo" << false
                                                 << 2 << "Settings.ini\". Not a regular file";
  }
  void badStart() {
    QFETCH(QStringList, args);
    QFETCH(QString, setup);
    QFETCH(bool, offscreen);
    QFETCH(int, exit);
    QFETCH(QString, message);
    TSandbox box;
    const QString prog = box.Path("prog");
    PlaceProgram(prog);
    PlaceLibraries(prog);
    const QString data = prog + "/Data.mdb";
    if (setup == "empty") {
      QFile f(data);
      QVERIFY(f.open(QIODevice::WriteOnly));
    } else if (setup == "text") {
      QFile f(data);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("T1;ethernet;127.0.0.1\n");
    } else if (setup == "folder") {
      QVERIFY(QDir().mkpath(data));
    } else {
      CreateDatabase(data, "Data");
    }
    CreateDatabase(prog + "/Log.mdb", "Log");
    if (setup == "fifo")
      QCOMPARE(::mkfifo(QFile::encodeName(prog + "/Settings.ini").constData(), 0600), 0);
    const QByteArray before = QFileInfo(data).isFile() ? Read(data) : QByteArray();
    QProcessEnvironment env = box.Environment();
    if (offscreen) env.insert("QT_QPA_PLATFORM", "offscreen");

    const TRun run = box.Run(prog + "/meridox", args, env, 30000);
    QVERIFY2(run.Exit == exit, qPrintable(QStringLiteral("exit %1: ").arg(run.Exit) + run.Err));
    QVERIFY2(run.Err.contains(message), qPrintable(run.Err));
    if (QFileInfo(data).isFile()) QCOMPARE(Read(data), before);
    QCOMPARE(QFileInfo(data).isDir(), setup == "folder");
  }
};

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "tst_programfolder.moc"
