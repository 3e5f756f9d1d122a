// How the Windows program loads the terminal libraries it finds: a 64-bit
// FK623Attend.dll (any letter case) into its own process by its full path,
// FKAttend.dll from the same folder; a 32-bit one through sdkhost-i686.exe
// started directly; any through sdkhost-x86_64.exe when MERIDOX_SDK_HOST=1.
// The first folder that holds the library decides. The libraries are the
// stand-ins built as Windows DLLs.
#include <QCoreApplication>
#include <QDir>
#include <QTest>

#include "TestFolder.h"
#include "ThirtyTwoBit.h"
#include "sdk/FKDefine.h"
#include "sdk/FolderLoader.h"
#include "sdk/WineSdk.h"

namespace {

// Copies the stand-in pair of Kind (wine-x86_64, wine-i686) into Folder
// under the names given.
bool PlacePair(const QString& Kind, const QString& Folder, const QString& First,
               const QString& Second) {
  const QDir from(QCoreApplication::applicationDirPath() + QLatin1Char('/') + Kind);
  return QDir().mkpath(Folder) &&
         QFile::copy(from.filePath(QStringLiteral("FK623Attend.dll")), Folder + '/' + First) &&
         (Second.isEmpty() ||
          QFile::copy(from.filePath(QStringLiteral("FKAttend.dll")), Folder + '/' + Second));
}

}  // namespace

class TestSdkChoice : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { qunsetenv("MERIDOX_SDK_HOST"); }

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
    QFETCH(QString, kind);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(bool, forceHost);
    QFETCH(bool, host);
    QFETCH(bool, secondLoaded);
    TestFolder folder;
    const QString chosen = folder.File(QStringLiteral("program"));
    const QString later = folder.File(QStringLiteral("later"));
    QVERIFY(PlacePair(kind, chosen, first, second));
    // A folder further down the list is not looked at.
    QVERIFY(PlacePair(QStringLiteral("wine-x86_64"), later, QStringLiteral("FK623Attend.dll"),
                      QStringLiteral("FKAttend.dll")));
    if (forceHost) qputenv("MERIDOX_SDK_HOST", "1");

    TFKAttendObject sdk(MakeProgramLoader({chosen, later}));
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
    QCOMPARE(WineHostPid() != 0, host);
    // The libraries of the folder chosen are the ones in use, here or in the
    // host: neither copy can be deleted while they are.
    QVERIFY(!QFile::remove(chosen + '/' + first));
    QVERIFY(QFile::remove(later + QStringLiteral("/FK623Attend.dll")));
  }

  // A 64-bit FK623Attend.dll that is there but cannot be loaded (cut short)
  // is reported with the system's reason, and the stand-ins further down the
  // list do not take its place.
  void brokenLibraryIsNotReplaced() {
    TestFolder folder;
    const QString chosen = folder.File(QStringLiteral("program"));
    const QString standIns = folder.File(QStringLiteral("stand-in"));
    QVERIFY(PlacePair(QStringLiteral("wine-x86_64"), chosen, QStringLiteral("FK623Attend.dll"),
                      QStringLiteral("FKAttend.dll")));
    QVERIFY(PlacePair(QStringLiteral("wine-x86_64"), standIns, QStringLiteral("FK623Attend.dll"),
                      QStringLiteral("FKAttend.dll")));
    QFile cut(chosen + QStringLiteral("/FK623Attend.dll"));
    QVERIFY(cut.resize(4096));

    TFKAttendObject sdk(MakeLoaderWithFolders(MakeProgramLoader({chosen}), {standIns}));
    QVERIFY(!sdk.FirstLibraryLoaded());
    const QString text = sdk.LastErrorText();
    QVERIFY2(text.startsWith(QDir::toNativeSeparators(cut.fileName()) +
                             QStringLiteral(" yüklenemedi: ")),
             qPrintable(text));
    // Nothing holds the stand-in: it was never loaded.
    QVERIFY(QFile::remove(standIns + QStringLiteral("/FK623Attend.dll")));
  }
};

QTEST_GUILESS_MAIN(TestSdkChoice)
#include "tst_sdkchoice.moc"
