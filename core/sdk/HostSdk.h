// The loader that runs the vendor's Windows libraries in a host process:
// sdkhost-i686.exe or sdkhost-x86_64.exe, a small Windows program that
// loads them and answers the binding's calls (sdkhost/PROTOCOL.md). On
// Linux the host is started through Wine, on Windows directly
// (sdk/SdkPlatform.h says which). The binding's slots are filled with the
// forwarding functions of the host bridge (sdk/HostBridge.h). This is the
// set-up: the library's machine type, finding Wine and the host, and what
// the operator reads when they cannot be used. The rest of the program does
// not know: it is one more SdkLoader. Which library is run this way is
// decided in sdk/SdkChoice.h.
#pragma once
#include <QString>
#include <memory>

#include "sdk/SdkLoader.h"

struct THostSdkOptions {
  QString FirstLibrary;   // the FK623Attend.dll file
  QString SecondLibrary;  // FKAttend.dll beside it; empty when there is none
  // Where sdkhost-i686.exe and sdkhost-x86_64.exe are; empty: the program's folder.
  QString HostFolder;
  // The wine program on Linux; empty: wine64 for a 64-bit library, wine
  // otherwise, looked for on PATH (and where Debian keeps wine64).
  QString Wine;
  // How long the host may take to say which names it found; 0: 20 s (or
  // MERIDOX_HOST_START_SECONDS), at least 3 minutes while Wine still has to
  // create its prefix.
  int HelloTimeoutMs = 0;
};

// The host for a library of this machine type (PE header): sdkhost-i686.exe
// for i386, sdkhost-x86_64.exe otherwise.
QString HostProgram(int Machine);

// The loader that runs the libraries of Options in a host.
std::unique_ptr<SdkLoader> MakeHostLoader(const THostSdkOptions& Options);

// The process id of the running host of the host loader in use; 0 when none.
qint64 HostPid();
