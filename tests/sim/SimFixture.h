// Helpers of the simulator suites: a vterminal process on a free loopback
// port, and the stand-in library loaded by name from beside the executable.
#pragma once

#include "sdk/FKEntryPoints.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibrary>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTcpServer>

#include <csignal>

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

class VTerminal {
 public:
  explicit VTerminal(const QString& dir) : dir_(dir) {}
  ~VTerminal() { kill(); }

  QString statePath() const { return dir_ + "/state.json"; }
  QString journalPath() const { return dir_ + "/journal.log"; }
  int port() const { return port_; }
  QString error() const { return error_; }

  // Starts on a free port with the state and journal in the folder; waits
  // (bounded) for the line that names the port.
  bool start(const QStringList& extra = {}) {
    port_ = 0;
    process_.setProgram(QCoreApplication::applicationDirPath() + "/vterminal");
    process_.setArguments(QStringList{"--port", "0", "--state", statePath(), "--journal",
                                      journalPath()} +
                          extra);
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start();
    static const QRegularExpression listening("listening on [0-9.]+:(\\d+)");
    QByteArray out;
    for (int i = 0; i < 100 && port_ == 0; ++i) {
      if (!process_.waitForReadyRead(100) && process_.state() == QProcess::NotRunning) break;
      out += process_.readAllStandardOutput();
      auto m = listening.match(QString::fromUtf8(out));
      if (m.hasMatch()) port_ = m.captured(1).toInt();
    }
    if (port_ == 0) {
      error_ = QString::fromUtf8(process_.readAllStandardError());
      kill();
    }
    return port_ != 0;
  }

  // Asks it to stop and waits; a hard kill when it does not.
  void stop() {
    if (process_.state() == QProcess::NotRunning) return;
    ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
    if (!process_.waitForFinished(5000)) kill();
  }

  void kill() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(5000);
  }

  // The calls received so far, without the event lines.
  QStringList journal() const {
    QFile f(journalPath());
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList calls;
    for (const QString& line : QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts))
      if (!line.startsWith('#')) calls << line;
    return calls;
  }

  QJsonObject state() const {
    QFile f(statePath());
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QJsonDocument::fromJson(f.readAll()).object();
  }

 private:
  QString dir_;
  QProcess process_;
  int port_ = 0;
  QString error_;
};

// A loopback port with nothing listening on it (free a moment ago).
inline int deadPort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  int port = probe.serverPort();
  probe.close();
  return port;
}

// The journal's notation of a byte block: <size:FNV-1a 32 in hex>.
inline QString blob(const QByteArray& data) {
  quint32 h = 2166136261u;
  for (char c : data) {
    h ^= static_cast<quint8>(c);
    h *= 16777619u;
  }
  return QStringLiteral("<%1:%2>").arg(data.size()).arg(h, 8, 16, QLatin1Char('0'));
}
