// What differs between Linux and Windows in where the terminal libraries are
// looked for and how a host runs them, one source per platform
// (SdkPlatformPosix.cpp, SdkPlatformWin.cpp, picked by the build). The
// choice itself is made once, in sdk/SdkChoice.cpp; the host is started by
// sdk/HostSdk.cpp.
#pragma once
#include <QString>
#include <QStringList>

namespace SdkPlatform {

// The file a library of the platform's own kind has: libX.so, X.dll.
QString NativeLibraryFile(const QString& Name);

// Whether a Windows library of this machine type (PE header) is loaded into
// the program itself rather than through a host.
bool LoadsInProgram(int Machine);

// Whether a host is started through Wine (Linux) or directly (Windows).
bool HostThroughWine();

// The wine program for a library of this machine type; empty when none is
// found (and always on Windows, where none is needed).
QString FindWine(int Machine);

// Whether Wine still has to create its prefix, which takes minutes.
bool WinePrefixMissing();

// What root runs to install Wine for this machine type; empty on Windows.
QString WineInstallCommand(int Machine);

// "Wine ile " in the texts of a host that cannot be used; empty on Windows.
QString WithWine();

// How the host reaches the library, for the library in use:
// "Wine ve sdkhost-i686.exe ile", on Windows "sdkhost-i686.exe ile".
QString HostWay(const QString& HostName);

}  // namespace SdkPlatform
