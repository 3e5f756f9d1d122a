// Helpers of the simulator suites: a vterminal process on a free loopback
// port, the stand-in library loaded by name from beside the executable, a
// port where nothing listens.
#pragma once

#include "VTerminal.h"
#include "sdk/FKEntryPoints.h"

#include <QJsonArray>
#include <QLibrary>

#ifdef Q_OS_UNIX
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

// The called entry points, resolved the way the program resolves them.
struct FkApi {
#define FK_SLOT(name, params) name##_t name = nullptr;
  FK_CALLED_ENTRY_POINTS(FK_SLOT)
#undef FK_SLOT

  QLibrary library{QStringLiteral("FK623Attend")};

  bool load() {
    if (!library.load()) return false;
#define FK_RESOLVE(name, params) name = reinterpret_cast<name##_t>(library.resolve(#name));
    FK_CALLED_ENTRY_POINTS(FK_RESOLVE)
#undef FK_RESOLVE
    return true;
  }

  int connectLocal(int port, int machine = 1, int password = 0, int timeoutMs = 5000) {
    return FK_ConnectNet(machine, "127.0.0.1", port, timeoutMs, 0, password);
  }
};

#ifdef Q_OS_UNIX
// A loopback port with nothing listening on it. It stays bound (without
// listening) while the object lives, so no parallel test can take it.
class DeadPort {
 public:
  DeadPort() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof sa;
    if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&sa), len) == 0 &&
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&sa), &len) == 0)
      port_ = ntohs(sa.sin_port);
  }
  ~DeadPort() {
    if (fd_ >= 0) ::close(fd_);
  }
  DeadPort(const DeadPort&) = delete;
  DeadPort& operator=(const DeadPort&) = delete;
  int port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
};
#endif

// The journal's notation of a byte block: <size:FNV-1a 32 in hex>.
inline QString blob(const QByteArray& data) {
  quint32 h = 2166136261u;
  for (char c : data) {
    h ^= static_cast<quint8>(c);
    h *= 16777619u;
  }
  return QStringLiteral("<%1:%2>").arg(data.size()).arg(h, 8, 16, QLatin1Char('0'));
}
