// Where the terminal libraries come from, decided in one place: the folders
// in their order, then which library of which folder, and whether it is
// loaded into the program, run through a host (sdkhost-i686.exe or
// sdkhost-x86_64.exe), or is the project's stand-in that talks to demo
// terminals only. The session, the command line and the windows all take
// the choice from here, and say which library is in use with its texts.
#pragma once
#include <QString>
#include <QStringList>
#include <memory>

#include "sdk/HostSdk.h"
#include "sdk/SdkLoader.h"

enum class TSdkKind {
  InProgram,  // a library loaded into the program by its full path
  Host,       // a Windows library run by a host process
  StandIn,    // the project's stand-in, loaded into the program
  None        // nothing found: the platform's search by name, as a last resort
};

struct TSdkChoice {
  TSdkKind Kind = TSdkKind::None;
  QString File;         // FK623Attend's library, its full path; empty for None
  QString SecondFile;   // FKAttend's, from the same folder; empty when it has none
  QString Host;         // for Host: sdkhost-i686.exe or sdkhost-x86_64.exe
  QStringList Folders;  // the folders looked in, in order
};

// The folders to look in, in order: the program folder, the program file's
// folder (when a QCoreApplication exists), then the stand-ins' folder
// beside the program. ProgramFolder: empty when there is none.
QStringList SdkFolders(const QString& ProgramFolder);

// The first folder that holds FK623Attend.dll (any letter case) gives a
// Windows library; without one, the first that holds the platform's own
// library file gives that. A library that is not a stand-in is taken before
// any stand-in, wherever the stand-in lies.
TSdkChoice ChooseSdk(const QStringList& Folders);

// "Terminal kitaplığı: ..." for the main window and the first line of
// --check.
QString SdkDescription(const TSdkChoice& Choice);

// The line added to a failed connect while no vendor library is in use:
// which files to put where. Empty when a vendor library is in use.
QString VendorLibraryHint(const TSdkChoice& Choice);

// The loader of the choice; Base gives a host's folder, wine program and
// time-out.
std::unique_ptr<SdkLoader> MakeChosenLoader(const TSdkChoice& Choice,
                                            const THostSdkOptions& Base = {});

// The file named Name in Folder, its letters in any case; empty when none.
QString FindLibraryFile(const QString& Folder, const QString& Name);

// The machine type in a Windows library's PE header (0x14c i386, 0x8664
// x86-64, ...); 0 when the file cannot be read or is no PE file.
int PeMachine(const QString& File);

// Whether File is one of the project's stand-in libraries, which carry the
// mark FK_STAND_IN_MARK (sdk/FKEntryPoints.h) in their file.
bool IsStandInLibrary(const QString& File);
