// A vterminal process on a free loopback port, for the simulator suites and
// the benchmarks: the one way they start it and learn its port.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <sys/resource.h>

#include <csignal>
#endif

#include "sdk/FKDefine.h"

class VTerminal {
 public:
  // With journal false no journal is written (the benchmarks time the bare loop).
  explicit VTerminal(const QString& dir, bool journal = true) : dir_(dir), journal_(journal) {}
  ~VTerminal() { kill(); }

  QString statePath() const { return dir_ + "/state.json"; }
  QString journalPath() const { return dir_ + "/journal.log"; }
  int port() const { return port_; }
  qint64 pid() const { return process_.processId(); }
  QString error() const { return error_; }

  // Starts it later with at most this many open files (0: the inherited limit).
  void setFileLimit(int files) { fileLimit_ = files; }

  // Starts on a free port with the state and journal in the folder; waits
  // (bounded; seeding a large terminal takes a while) for the line that
  // names the port.
  bool start(const QStringList& extra = {}) {
    port_ = 0;
    QStringList args{"--port", "0", "--state", statePath()};
    if (journal_) args << "--journal" << journalPath();
    process_.setProgram(QCoreApplication::applicationDirPath() + "/vterminal");
    process_.setArguments(args + extra);
    process_.setProcessChannelMode(QProcess::SeparateChannels);
#ifdef Q_OS_UNIX
    const rlim_t files = static_cast<rlim_t>(fileLimit_);
    process_.setChildProcessModifier([files] {
      rlimit limit{files, files};
      if (files > 0) ::setrlimit(RLIMIT_NOFILE, &limit);
    });
#endif
    process_.start();
    static const QRegularExpression listening("listening on [0-9.]+:(\\d+)");
    QByteArray out;
    for (int i = 0; i < 600 && port_ == 0; ++i) {
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

  // Asks it to stop and waits; true when it ended by itself, normally and
  // within the bound. A hard kill when it does not.
  bool stop(int withinMs = 5000) {
    if (process_.state() == QProcess::NotRunning) return true;
#ifdef Q_OS_UNIX
    ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
#else
    // A console program on Windows: the close request QProcess can send.
    process_.terminate();
#endif
    if (process_.waitForFinished(withinMs))
      return process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
    kill();
    return false;
  }

  void kill() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(5000);
  }

  // The calls received so far, without the event lines.
  QStringList journal() const {
    return journalLines(false);
  }
  // The event lines ("# ...") only.
  QStringList events() const {
    return journalLines(true);
  }

  QJsonObject state() const {
    QFile f(statePath());
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QJsonDocument::fromJson(f.readAll()).object();
  }

 private:
  QStringList journalLines(bool events) const {
    QFile f(journalPath());
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList lines;
    for (const QString& line : QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts))
      if (line.startsWith('#') == events) lines << line;
    return lines;
  }

  QString dir_;
  bool journal_ = true;
  int fileLimit_ = 0;
  QProcess process_;
  int port_ = 0;
  QString error_;
};

// The connection request for a network terminal on this computer's loopback,
// as a vterminal serves it.
inline TConnInfo LoopbackLan(int Port, int Machine = 1) {
  TConnInfo info;
  info.MachineNumber = Machine;
  info.Kind = QStringLiteral("LAN");
  info.IpAddress = QStringLiteral("127.0.0.1");
  info.TcpPort = Port;
  info.NetTimeout = 5000;
  return info;
}

// Copies a stopped vterminal's state folder into To, so a second terminal
// started there holds exactly what the first held.
inline bool CopyVTerminalState(const QString& From, const QString& To) {
  bool ok = QDir().mkpath(To + QStringLiteral("/state.json.d")) &&
            QFile::copy(From + QStringLiteral("/state.json"), To + QStringLiteral("/state.json"));
  const QDir data(From + QStringLiteral("/state.json.d"));
  for (const QString& f : data.entryList(QDir::Files))
    ok = ok && QFile::copy(data.filePath(f), To + QStringLiteral("/state.json.d/") + f);
  return ok;
}
