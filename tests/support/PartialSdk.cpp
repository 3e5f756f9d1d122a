// A library with only three of the SDK's entry points, for the test that
// the binding loads a library by name and leaves missing slots empty.
#include "sdk/FKEntryPoints.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

EXPORT int FK_API FK_ConnectNet(int MachineNumber, const char*, int TcpPort, int, int, int) {
  return MachineNumber * 1000 + TcpPort % 1000;
}
EXPORT int FK_API FK_DisConnect(int) {
  return 1;
}
EXPORT int FK_API FK_EnableDevice(int Handle, int EnableFlag) {
  return Handle > 0 ? EnableFlag + 1 : -2;
}
