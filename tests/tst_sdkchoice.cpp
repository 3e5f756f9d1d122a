// Where the terminal libraries come from: which folders are looked in, which
// library of which folder is taken, whether it runs in the program, through
// a host or is the stand-in, and what the operator reads of it. The
// libraries are copies of the project's stand-ins: as they are (marked), or
// with their mark wiped, standing in for a vendor's library.
#include <QCoreApplication>
#include <QDir>
#include <QTest>

#include "TestFolder.h"
#include "ThirtyTwoBit.h"
#include "sdk/FKDefine.h"
#include "sdk/SdkChoice.h"
#include "sdk/SdkPlatform.h"

namespace {

const QString kFirst = QStringLiteral("FK623Attend");
const QString kSecond = QStringLiteral("FKAttend");

QString Bin() {
  return QCoreApplication::applicationDirPath();
}

// The folder of the build's stand-ins of the platform's own kind: beside
// the tests (libFK623Attend.so) or in stand-in/ (FK623Attend.dll).
QString NativeStandIns() {
  const QString name = SdkPlatform::NativeLibraryFile(kFirst);
  return QFileInfo::exists(Bin() + '/' + name) ? Bin() : Bin() + QStringLiteral("/stand-in");
}

// Copies From to To; Vendor wipes the stand-in's mark, so the copy passes
// for a vendor's library.
bool CopyLibrary(const QString& From, const QString& To, bool Vendor) {
  QFile in(From);
  if (!in.open(QIODevice::ReadOnly)) return false;
  QByteArray bytes = in.readAll();
  if (Vendor) {
    const QByteArray mark(FK_STAND_IN_MARK);
    if (!bytes.contains(mark)) return false;
    bytes.replace(mark, QByteArray(mark.size(), 'x'));  // also in the debugging data
  }
  QFile out(To);
  return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.flush();
}

// Places into Folder the pair What names: "stand-in" or "vendor" (the
// platform's own kind), "dll64", "dll32" (vendor DLLs, x86-64 and i386),
// "dll64 stand-in"; "" places nothing. Returns the first library's path,
// "!" when a file was missing (the DLLs need mingw-w64), "" for nothing.
QString Place(const QString& What, const QString& Folder) {
  if (What.isEmpty()) return {};
  QString from, first, second;
  bool vendor = true;
  if (What == QLatin1String("stand-in") || What == QLatin1String("vendor")) {
    from = NativeStandIns();
    first = SdkPlatform::NativeLibraryFile(kFirst);
    second = SdkPlatform::NativeLibraryFile(kSecond);
    vendor = What == QLatin1String("vendor");
  } else {
    from = Bin() + (What.startsWith(QLatin1String("dll32")) ? QStringLiteral("/wine-i686")
                                                            : QStringLiteral("/wine-x86_64"));
    first = kFirst + QStringLiteral(".dll");
    second = kSecond + QStringLiteral(".dll");
    vendor = !What.endsWith(QLatin1String("stand-in"));
  }
  if (!QFileInfo::exists(from + '/' + first)) return QStringLiteral("!");
  QDir().mkpath(Folder);
  if (!CopyLibrary(from + '/' + first, Folder + '/' + first, vendor) ||
      !QFile::copy(from + '/' + second, Folder + '/' + second))
    return QStringLiteral("!");
  return QDir(Folder).filePath(first);
}

}  // namespace

class TestSdkChoice : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { qunsetenv("MERIDOX_SDK_HOST"); }

  // The program folder, then the program file's folder, each once, and the
  // stand-ins' folder once, last.
  void foldersInOrder() {
    TestFolder folder;
    const QString program = QDir::cleanPath(folder.Path());
    QCOMPARE(SdkFolders(folder.Path()),
             (QStringList{program, Bin(), Bin() + QStringLiteral("/stand-in")}));
    QCOMPARE(SdkFolders(Bin() + '/'), (QStringList{Bin(), Bin() + QStringLiteral("/stand-in")}));
  }

  // Three folders in their order, what each holds, and what is chosen:
  // the folder taken (-1: none), and the description on Linux and on
  // Windows (%1: the chosen library's full path).
  void choice_data() {
    QTest::addColumn<QStringList>("places");
    QTest::addColumn<bool>("forceHost");
    QTest::addColumn<int>("taken");
    QTest::addColumn<QString>("posix");
    QTest::addColumn<QString>("windows");
    const QString inProgram = QStringLiteral("Terminal kitaplığı: %1 (programın içinde)");
    const QString standIn = QStringLiteral(
        "Terminal kitaplığı: deneme kitaplığı (yalnızca deneme terminalleriyle konuşur)");
    const QString host64 = QStringLiteral("Terminal kitaplığı: %1 (sdkhost-x86_64.exe ile)");
    const QString wine64 =
        QStringLiteral("Terminal kitaplığı: %1 (Wine ve sdkhost-x86_64.exe ile)");
    QTest::newRow("nothing") << QStringList{"", "", ""} << false << -1
                             << "Terminal kitaplığı: bulunamadı"
                             << "Terminal kitaplığı: bulunamadı";
    QTest::newRow("stand-in only")
        << QStringList{"", "", "stand-in"} << false << 2 << standIn << standIn;
    QTest::newRow("vendor's own kind")
        << QStringList{"", "vendor", "stand-in"} << false << 1 << inProgram << inProgram;
    QTest::newRow("a stand-in in front does not hide a vendor's")
        << QStringList{"stand-in", "vendor", ""} << false << 1 << inProgram << inProgram;
    QTest::newRow("64-bit DLL") << QStringList{"", "dll64", "stand-in"} << false << 1 << wine64
                                << inProgram;
    QTest::newRow("64-bit DLL, host asked for")
        << QStringList{"", "dll64", "stand-in"} << true << 1 << wine64 << host64;
    QTest::newRow("32-bit DLL") << QStringList{"dll32", "dll64", "stand-in"} << false << 0
                                << "Terminal kitaplığı: %1 (Wine ve sdkhost-i686.exe ile)"
                                << "Terminal kitaplığı: %1 (sdkhost-i686.exe ile)";
    // The stand-ins built as DLLs: in the program on Windows, so the
    // stand-in; through the host on Linux, which then names the file.
    QTest::newRow("64-bit stand-in DLL")
        << QStringList{"", "dll64 stand-in", ""} << false << 1 << wine64 << standIn;
  }
  void choice() {
    QFETCH(QStringList, places);
    QFETCH(bool, forceHost);
    QFETCH(int, taken);
    QFETCH(QString, posix);
    QFETCH(QString, windows);
    TestFolder folder;
    QStringList folders, files;
    for (int i = 0; i < places.size(); ++i) {
      folders << folder.File(QStringLiteral("f%1").arg(i));
      files << Place(places[i], folders[i]);
      if (files[i] == QLatin1String("!")) QSKIP("the stand-ins of this row were not built");
    }
    if (forceHost) qputenv("MERIDOX_SDK_HOST", "1");

    const TSdkChoice choice = ChooseSdk(folders);
    const QString file = taken < 0 ? QString() : files[taken];
    QCOMPARE(choice.File, file);
    QCOMPARE(choice.Folders, folders);
    // The second library comes from the folder of the first.
    if (taken >= 0) QCOMPARE(QFileInfo(choice.SecondFile).absolutePath(), folders[taken]);
    const QString description = SdkPlatform::HostThroughWine() ? posix : windows;
    QCOMPARE(SdkDescription(choice), description.contains(QLatin1String("%1"))
                                         ? description.arg(QDir::toNativeSeparators(file))
                                         : description);
    // The vendor's files and where to put them, unless a vendor's library
    // (or anything through a host) is in use.
    const bool vendorMissing = choice.Kind == TSdkKind::StandIn || choice.Kind == TSdkKind::None;
    QCOMPARE(VendorLibraryHint(choice),
             vendorMissing ? QStringLiteral("Üreticinin kitaplığı bulunamadı: FK623Attend.dll ve "
                                            "FKAttend.dll dosyalarını %1 klasörüne koyun.")
                                 .arg(QDir::toNativeSeparators(folders[0]))
                           : QString());
  }

  // A vendor's library that is there but cannot be loaded (a DLL cut short,
  // a .so that is no ELF file: the dynamic loader maps a cut one and
  // faults) is reported with the system's reason, and the stand-in further
  // down the list does not take its place.
  void brokenLibraryIsNotReplaced() {
    TestFolder folder;
    const QString chosen = folder.File(QStringLiteral("program"));
    const QString standIns = folder.File(QStringLiteral("stand-in"));
    const QString file = Place(QStringLiteral("vendor"), chosen);
    QVERIFY(!file.isEmpty() && file != QLatin1String("!"));
    QVERIFY(Place(QStringLiteral("stand-in"), standIns) != QLatin1String("!"));
    QFile broken(file);
    if (file.endsWith(QLatin1String(".so"))) {
      QVERIFY(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
      QVERIFY(broken.write("no library\n") > 0);
      broken.close();
    } else {
      QVERIFY(broken.resize(4096));
    }

    const TSdkChoice choice = ChooseSdk({chosen, standIns});
    QCOMPARE(choice.File, file);
    TFKAttendObject sdk(MakeChosenLoader(choice));
    QVERIFY(!sdk.FirstLibraryLoaded());
    const QString text = sdk.LastErrorText();
    QVERIFY2(text.startsWith(QDir::toNativeSeparators(file) + QStringLiteral(" yüklenemedi: ")),
             qPrintable(text));
  }

  // On Windows, the libraries chosen are loaded: a 64-bit DLL into the
  // program, a 32-bit one through sdkhost-i686.exe, any through
  // sdkhost-x86_64.exe when MERIDOX_SDK_HOST=1; a folder further down the
  // list is not looked at.
  void chosenLoader_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("forceHost");
    QTest::addColumn<bool>("host");  // through a host process
    QTest::addColumn<bool>("secondLoaded");
    QTest::newRow("64-bit, in-process") << "wine-x86_64"
                                        << "FK623Attend.dll"
                                        << "FKAttend.dll" << false << false << true;
    QTest::newRow("64-bit, other letter case") << "wine-x86_64"
                                               << "fk623attend.DLL"
                                               << "fkattend.dll" << false << false << true;
    QTest::newRow("64-bit, no FKAttend.dll") << "wine-x86_64"
                                             << "FK623Attend.dll"
                                             << "" << false << false << false;
    QTest::newRow("64-bit, host asked for") << "wine-x86_64"
                                            << "FK623Attend.dll"
                                            << "FKAttend.dll" << true << true << true;
    QTest::newRow("32-bit, host") << "wine-i686"
                                  << "FK623Attend.dll"
                                  << "FKAttend.dll" << false << true << true;
  }
  void chosenLoader() {
    if (SdkPlatform::HostThroughWine())
      QSKIP("the Windows program's loading; the Linux host path is tested by the wine suites");
    QFETCH(QString, kind);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(bool, forceHost);
    QFETCH(bool, host);
    QFETCH(bool, secondLoaded);
    TestFolder folder;
    const QString chosen = folder.File(QStringLiteral("program"));
    const QString later = folder.File(QStringLiteral("later"));
    const QDir from(Bin() + '/' + kind);
    QVERIFY(QDir().mkpath(chosen) && QDir().mkpath(later));
    // A vendor's library (the stand-in's mark wiped): a stand-in would give
    // way to the vendor's library further down the list.
    QVERIFY(
        CopyLibrary(from.filePath(QStringLiteral("FK623Attend.dll")), chosen + '/' + first, true));
    if (!second.isEmpty())
      QVERIFY(QFile::copy(from.filePath(QStringLiteral("FKAttend.dll")), chosen + '/' + second));
    QVERIFY(Place(QStringLiteral("dll64"), later) != QLatin1String("!"));
    if (forceHost) qputenv("MERIDOX_SDK_HOST", "1");

    TFKAttendObject sdk(MakeChosenLoader(ChooseSdk({chosen, later})));
    if (kind == QLatin1String("wine-i686") && !sdk.FirstLibraryLoaded() &&
        !No32BitReason().isEmpty()) {
      // The host was chosen and started, and ended at once: the system runs
      // no 32-bit code.
      const QString text = sdk.LastErrorText();
      QVERIFY2(text.contains(QStringLiteral("sdkhost-i686.exe başlar başlamaz kapandı")) ||
                   text.contains(QStringLiteral("sdkhost-i686.exe başlatılamadı")),
               qPrintable(text));
      QSKIP(qPrintable(No32BitReason()));
    }
    QVERIFY2(sdk.FirstLibraryLoaded(), qPrintable(sdk.LastErrorText()));
    QCOMPARE(sdk.SecondLibraryLoaded(), secondLoaded);
    QCOMPARE(HostPid() != 0, host);
    // The libraries of the folder chosen are the ones in use, here or in the
    // host: neither copy can be deleted while they are.
    QVERIFY(!QFile::remove(chosen + '/' + first));
    QVERIFY(QFile::remove(later + QStringLiteral("/FK623Attend.dll")));
  }
};

QTEST_GUILESS_MAIN(TestSdkChoice)
#include "tst_sdkchoice.moc"
