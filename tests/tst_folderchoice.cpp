// Where the Windows program keeps its data, seen from the real program file
// started in a folder of the test's own: beside itself when it runs from a
// folder it may write that is not under Program Files (a copied portable
// folder), MERIDOX_HOME or --folder when given (a folder that is there),
// and %LOCALAPPDATA%\Meridox when it is installed under Program Files, which
// then gets the empty databases from the install folder once, whole.
#include <QProcess>
#include <QTest>

#include "ProgramCopy.h"
#include "TestFolder.h"

namespace {

struct TRun {
  int Exit = -1;
  QString Out, Err;
};

class TestFolderChoice : public QObject {
  Q_OBJECT

  TRun Run(const QString& Program, const QStringList& Arguments, const QStringList& Environment) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("MERIDOX_HOME"));
    const QString root = QDir::toNativeSeparators(folder_->Path());
    env.insert(QStringLiteral("LOCALAPPDATA"), root + QStringLiteral("\\local"));
    env.insert(QStringLiteral("ProgramFiles"), root + QStringLiteral("\\pf"));
    env.insert(QStringLiteral("ProgramW6432"), root + QStringLiteral("\\pf"));
    env.insert(QStringLiteral("ProgramFiles(x86)"), root + QStringLiteral("\\pf86"));
    for (const QString& setting : Environment)
      env.insert(setting.section(QLatin1Char('='), 0, 0),
                 QDir::toNativeSeparators(Resolved(setting.section(QLatin1Char('='), 1))));
    p.setProcessEnvironment(env);
    QStringList arguments;
    for (const QString& a : Arguments) arguments << Resolved(a);
    p.start(Program, arguments);
    TRun run;
    if (!p.waitForFinished(60000)) return run;
    run.Exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.Out = QString::fromUtf8(p.readAllStandardOutput());
    run.Err = QString::fromUtf8(p.readAllStandardError());
    return run;
  }
  // "@" stands for the test's folder.
  QString Resolved(QString Text) const { return Text.replace(QLatin1Char('@'), folder_->Path()); }
  QString FolderLine(const QString& Folder) const {
    return QStringLiteral("Program klasörü: %1\n")
        .arg(QDir::toNativeSeparators(QDir::cleanPath(Resolved(Folder)) + QLatin1Char('/')));
  }

  std::unique_ptr<TestFolder> folder_;

 private slots:
  void init() { folder_ = std::make_unique<TestFolder>(); }
  void cleanup() { folder_.reset(); }

  void chosenFolder_data() {
    QTest::addColumn<QString>("installed");  // where the program lies
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("seeded");  // gets the install folder's empty databases
    QTest::newRow("portable folder")
        << "@/portable" << QStringList{} << QStringList{} << "@/portable" << false;
    QTest::newRow("MERIDOX_HOME") << "@/portable" << QStringList{"MERIDOX_HOME=@/home"}
                                  << QStringList{} << "@/home" << false;
    QTest::newRow("--folder with Turkish letters")
        << "@/portable" << QStringList{"MERIDOX_HOME=@/home"}
        << QStringList{"--folder", "@/Şirket Verisi/ığüşöçİ"} << "@/Şirket Verisi/ığüşöçİ" << false;
    QTest::newRow("under Program Files")
        << "@/pf/Meridox" << QStringList{} << QStringList{} << "@/local/Meridox" << true;
    QTest::newRow("under Program Files (x86), other letter case")
        << "@/PF86/Meridox" << QStringList{} << QStringList{} << "@/local/Meridox" << true;
    QTest::newRow("installed, MERIDOX_HOME") << "@/pf/Meridox" << QStringList{"MERIDOX_HOME=@/home"}
                                             << QStringList{} << "@/home" << true;
  }
  void chosenFolder() {
    QFETCH(QString, installed);
    QFETCH(QStringList, environment);
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    QFETCH(bool, seeded);
    const QString place = Resolved(installed);
    QVERIFY(QDir().mkpath(place));
    QVERIFY(CopyProgram(QStringLiteral("meridox.com"), place));
    const QDir bin(QCoreApplication::applicationDirPath());
    for (const QString& name : {QStringLiteral("Data.mdb"), QStringLiteral("Log.mdb")})
      QVERIFY(QFile::copy(bin.filePath(name), place + QLatin1Char('/') + name));
    const QString program = place + QStringLiteral("/meridox.com");

    // A folder named by --folder or MERIDOX_HOME is the operator's to make.
    const QString data = Resolved(expected);
    const bool named =
        !arguments.isEmpty() || !environment.filter(QStringLiteral("MERIDOX_HOME=")).isEmpty();
    if (named) QVERIFY(QDir().mkpath(data));

    const TRun help = Run(program, QStringList{"--help"} + arguments, environment);
    QCOMPARE(help.Exit, 0);
    QCOMPARE(help.Out.section(QStringLiteral(". "), -1), FolderLine(expected));

    // A command makes the user's folder; an installed program's gets the
    // empty databases, byte for byte, the first time only.
    const TRun first = Run(program, QStringList{"--check"} + arguments, environment);
    const TRun second = Run(program, QStringList{"--check"} + arguments, environment);
    // The list of the empty database holds no terminal, which is said.
    const QString empty =
        QStringLiteral("meridox: terminal listesi boş, hiçbir terminalle işlem yapılmadı: %1\n")
            .arg(QDir::toNativeSeparators(QDir::cleanPath(data) + QStringLiteral("/Data.mdb")));
    if (expected == installed) {
      QCOMPARE(first.Exit, 0);
      QCOMPARE(first.Err, empty);
      return;
    }
    QVERIFY(QFileInfo(data).isDir());
    if (!seeded) {
      // Nothing to seed from: the missing database is said.
      QCOMPARE(first.Exit, 2);
      QVERIFY2(first.Err.contains(QStringLiteral("Data dosyası bulunamadı")),
               qPrintable(first.Err));
      return;
    }
    QCOMPARE(first.Exit, 0);
    QCOMPARE(first.Err,
             QStringLiteral("meridox: boş Data.mdb, Log.mdb şuraya kopyalandı: %1\n")
                     .arg(QDir::toNativeSeparators(QDir::cleanPath(data) + QLatin1Char('/'))) +
                 empty);
    QCOMPARE(second.Exit, 0);
    QCOMPARE(second.Err, empty);
    for (const QString& name : {QStringLiteral("Data.mdb"), QStringLiteral("Log.mdb")}) {
      QFile a(place + QLatin1Char('/') + name), b(data + QLatin1Char('/') + name);
      QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
      QCOMPARE(b.readAll(), a.readAll());
    }
    QCOMPARE(QDir(data).entryList(QDir::Files, QDir::Name), (QStringList{"Data.mdb", "Log.mdb"}));
  }

  // A folder named by --folder or MERIDOX_HOME that is not there (a typing
  // error) is not made into a new program folder: status 2 and the reason.
  void namedFolderMustExist_data() {
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("--folder") << QStringList{} << QStringList{"--folder", "@/meridx"}
                              << "--folder ile verilen program klasörü yok: ";
    QTest::newRow("MERIDOX_HOME") << QStringList{"MERIDOX_HOME=@/meridx"} << QStringList{}
                                  << "MERIDOX_HOME ile verilen program klasörü yok: ";
  }
  void namedFolderMustExist() {
    QFETCH(QStringList, environment);
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const QString place = Resolved(QStringLiteral("@/pf/Meridox"));
    QVERIFY(QDir().mkpath(place));
    QVERIFY(CopyProgram(QStringLiteral("meridox.com"), place));
    const QDir bin(QCoreApplication::applicationDirPath());
    QVERIFY(QFile::copy(bin.filePath(QStringLiteral("Data.mdb")), place + "/Data.mdb"));
    const TRun run = Run(place + QStringLiteral("/meridox.com"), QStringList{"--check"} + arguments,
                         environment);
    QCOMPARE(run.Exit, 2);
    const QString missing = QDir::cleanPath(Resolved(QStringLiteral("@/meridx")));
    QVERIFY2(run.Err.startsWith(QStringLiteral("meridox: ") + message +
                                QDir::toNativeSeparators(missing)),
             qPrintable(run.Err));
    QVERIFY(!QFileInfo::exists(missing));
    QVERIFY(!QFileInfo::exists(Resolved(QStringLiteral("@/local"))));
  }
};

}  // namespace

QTEST_GUILESS_MAIN(TestFolderChoice)
#include "tst_folderchoice.moc"
