// The program that runs the vendor's libraries beside this one, spoken to
// in frames over its standard input and output (sdk/FKWire.h): started,
// read with a deadline, the end of its standard error kept for the
// operator, stopped. The SDK's calls run with no event loop turning, so
// the process is only ever waited on directly, never through signals.
#pragma once
#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>

#include "sdk/FKWire.h"

// What to start: sdkhost itself on Windows, wine with sdkhost as its first
// argument on Linux.
struct THostCommand {
  QString Program;
  QStringList Arguments;
  QProcessEnvironment Environment;
};

// Milliseconds of a steady clock, for the deadlines below.
int64_t HostClockMs();

class THostProcess {
 public:
  THostProcess() = default;
  ~THostProcess() { Stop(); }
  THostProcess(const THostProcess&) = delete;
  THostProcess& operator=(const THostProcess&) = delete;

  // False with StartError() set when the system could not start it.
  bool Start(const THostCommand& Command);
  QString StartError() const { return startError_; }
  // Started and not yet stopped or given up on: a host that died is found
  // out by the next read or write, as a lost connection is.
  bool Running() const { return started_; }
  qint64 Pid() const { return started_ ? process_.processId() : 0; }

  enum class TRead {
    Done,
    Ended,     // the host ended (or closed its output) first
    TimedOut,  // nothing more came before the deadline
    Malformed  // a length word no frame can have
  };
  // Buffers the host's output until N bytes are there (Buffered() may then
  // hold more).
  TRead Fill(size_t N, int64_t Deadline);
  const char* Buffered() const { return buffer_.data() + start_; }
  size_t BufferedSize() const { return end_ - start_; }
  // The next frame's payload into Payload, valid until the next read.
  TRead ReadFrame(int64_t Deadline, fkwire::Reader& Payload);
  // The whole frame written; false when the host is gone or takes no input
  // before the deadline.
  bool Write(const std::string& Frame, int64_t Deadline);

  // The host ends when its input closes; one that does not within a few
  // seconds is killed.
  void Stop();
  // Kills the host at once (it broke the protocol or was lost).
  void Kill();
  // The last line the host wrote on standard error; empty when none.
  QString LastErrorLine();

 private:
  void KeepErrors();
  void Reap();

  QProcess process_;
  bool started_ = false;
  QString startError_;
  std::string buffer_;
  size_t start_ = 0, end_ = 0;
  QByteArray errors_;  // the end of what the host wrote on standard error
};
