#include "sdk/SdkPlatform.h"

namespace SdkPlatform {

namespace {
constexpr int kMachineAmd64 = 0x8664;
}  // namespace

QString NativeLibraryFile(const QString& Name) {
  return Name + QStringLiteral(".dll");
}

// A library of the program's own machine type loads into it, unless
// MERIDOX_SDK_HOST=1 asks for the host (for a DLL that misbehaves inside the
// program); any other goes to the host, which also says what is wrong.
bool LoadsInProgram(int Machine) {
  return Machine == kMachineAmd64 && qEnvironmentVariable("MERIDOX_SDK_HOST") != "1";
}

// The host is a Windows program: it runs directly.
bool HostThroughWine() {
  return false;
}
QString FindWine(int) {
  return {};
}
bool WinePrefixMissing() {
  return false;
}
QString WineInstallCommand(int) {
  return {};
}
QString WithWine() {
  return {};
}

QString HostWay(const QString& HostName) {
  return QStringLiteral("%1 ile").arg(HostName);
}

}  // namespace SdkPlatform
