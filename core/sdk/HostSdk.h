// The vendor's Windows SDK libraries on Linux: when the program folder holds
// FK623Attend.dll, the binding's slots are filled with the forwarding
// functions of the host bridge (sdk/HostBridge.h), which reach the libraries
// through sdkhost, a small Windows program run by Wine (sdkhost/PROTOCOL.md).
// This is the set-up: finding Wine and the host, the library's machine type,
// and what the operator reads when they cannot be used. The rest of the
// program does not know: it is one more SdkLoader.
//
// On Windows the same loader starts sdkhost-<type>.exe directly (no Wine),
// for a 32-bit library, or for any when MERIDOX_SDK_HOST=1; a 64-bit
// library is loaded into the program itself (MakeProgramLoader). The texts
// then leave Wine out.
#pragma once
#include <QString>
#include <QStringList>
#include <memory>

#include "sdk/SdkLoader.h"

struct TWineSdkOptions {
  QString FirstLibrary;   // the FK623Attend.dll file
  QString SecondLibrary;  // FKAttend.dll beside it; empty when there is none
  // Where sdkhost-i686.exe and sdkhost-x86_64.exe are; empty: the program's folder.
  QString HostFolder;
  // The wine program; empty: wine64 for a 64-bit library, wine otherwise,
  // looked for on PATH (and where Debian keeps wine64).
  QString Wine;
  // How long the host may take to say which names it found; 0: 20 s, or
  // 3 minutes while Wine still has to create its prefix.
  int HelloTimeoutMs = 0;
};

// The file named Name in Folder, its letters in any case; empty when none.
QString FindLibraryFile(const QString& Folder, const QString& Name);

// The machine type in a Windows library's PE header (0x14c i386, 0x8664
// x86-64, ...); 0 when the file cannot be read or is no PE file.
int PeMachine(const QString& File);

// The loader that runs the libraries of Options through Wine.
std::unique_ptr<SdkLoader> MakeWineLoader(const TWineSdkOptions& Options);

// The program's loader: through Wine when the first of Folders that holds
// FK623Attend.dll (any letter case) does (Base gives the host folder, the
// wine program and the time-out), otherwise the .so libraries by name. On
// Windows that folder's DLLs are loaded by full path when they are 64-bit,
// through the host otherwise; with none found, FK623Attend.dll by name.
std::unique_ptr<SdkLoader> MakeProgramLoader(const QStringList& Folders,
                                             const TWineSdkOptions& Base = {});

// The process id of the running host of the Wine loader in use; 0 when none.
qint64 WineHostPid();
