#include "sdk/HostProcess.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

constexpr int kStopWaitMs = 3000;
constexpr qsizetype kErrorsKept = 4096;

int WaitMs(int64_t Deadline) {
  return static_cast<int>(std::clamp<int64_t>(Deadline - HostClockMs(), 0, 1 << 30));
}

}  // namespace

int64_t HostClockMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool THostProcess::Start(const THostCommand& Command) {
  Stop();
  process_.setProgram(Command.Program);
  process_.setArguments(Command.Arguments);
  process_.setProcessEnvironment(Command.Environment);
  process_.setProcessChannelMode(QProcess::SeparateChannels);
  start_ = end_ = 0;
  errors_.clear();
  startError_.clear();
  process_.start(QIODevice::ReadWrite);
  if (!process_.waitForStarted(-1)) {
    startError_ = process_.errorString();
    return false;
  }
  started_ = true;
  return true;
}

void THostProcess::KeepErrors() {
  if (!process_.isOpen()) return;
  const QByteArray more = process_.readAllStandardError();
  if (more.isEmpty()) return;
  errors_ += more;
  if (errors_.size() > 2 * kErrorsKept) errors_.remove(0, errors_.size() - kErrorsKept);
}

QString THostProcess::LastErrorLine() {
  KeepErrors();
  const QStringList lines = QString::fromLocal8Bit(errors_).split('\n', Qt::SkipEmptyParts);
  return lines.isEmpty() ? QString() : lines.last().trimmed();
}

THostProcess::TRead THostProcess::Fill(size_t N, int64_t Deadline) {
  while (end_ - start_ < N) {
    if (start_ > 0 && start_ == end_) start_ = end_ = 0;
    if (buffer_.size() < start_ + N) buffer_.resize(start_ + N + 65536);
    if (!process_.isOpen()) return TRead::Ended;
    const qint64 got =
        process_.read(buffer_.data() + end_, static_cast<qint64>(buffer_.size() - end_));
    if (got > 0) {
      end_ += static_cast<size_t>(got);
      continue;
    }
    if (got < 0 || process_.state() == QProcess::NotRunning) return TRead::Ended;
    if (HostClockMs() >= Deadline) return TRead::TimedOut;
    // Standard error is read meanwhile, so a host that writes much there
    // never blocks.
    const bool more = process_.waitForReadyRead(WaitMs(Deadline));
    KeepErrors();
    if (!more && process_.bytesAvailable() == 0) {
      if (process_.state() == QProcess::NotRunning) return TRead::Ended;
      if (HostClockMs() >= Deadline) return TRead::TimedOut;
      // Still running, nothing to read and no time-out: its output closed.
      return TRead::Ended;
    }
  }
  return TRead::Done;
}

THostProcess::TRead THostProcess::ReadFrame(int64_t Deadline, fkwire::Reader& Payload) {
  Payload = fkwire::Reader();
  if (const TRead r = Fill(4, Deadline); r != TRead::Done) return r;
  uint32_t length = 0;
  std::memcpy(&length, Buffered(), 4);
  if (length > fkwire::kMaxFrame) return TRead::Malformed;
  if (const TRead r = Fill(4 + size_t(length), Deadline); r != TRead::Done) return r;
  Payload = fkwire::Reader(Buffered() + 4, length);
  start_ += 4 + size_t(length);
  return TRead::Done;
}

bool THostProcess::Write(const std::string& Frame, int64_t Deadline) {
  if (process_.write(Frame.data(), static_cast<qint64>(Frame.size())) !=
      static_cast<qint64>(Frame.size()))
    return false;
  while (process_.bytesToWrite() > 0)
    if (!process_.waitForBytesWritten(WaitMs(Deadline))) return false;
  return true;
}

void THostProcess::Reap() {
  if (process_.state() != QProcess::NotRunning && !process_.waitForFinished(kStopWaitMs)) {
    process_.kill();
    process_.waitForFinished(-1);
  }
  KeepErrors();
  started_ = false;
}

void THostProcess::Stop() {
  if (process_.state() != QProcess::NotRunning) process_.closeWriteChannel();
  Reap();
}

void THostProcess::Kill() {
  if (process_.state() != QProcess::NotRunning) process_.kill();
  Reap();
}
