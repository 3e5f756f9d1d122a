// One open connection of the stand-in library to a vterminal, and the table
// of handles the entry points hand out.
#pragma once

#include "lib/Socket.h"
#include "shared/Protocol.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace fk {

struct Endpoint {
  std::string host;
  int port = 0;
};

// "host:port" or a bare port (meaning 127.0.0.1); false when malformed.
bool parseEndpoint(const std::string& text, Endpoint& out);

// Endpoint of the USB kind: $MERIDOX_USB_ENDPOINT or 127.0.0.1:47010.
Endpoint usbEndpoint();
// Endpoint of serial port n: $MERIDOX_COM<n>_ENDPOINT or 127.0.0.1:(47100 + n).
Endpoint commEndpoint(int port);

constexpr int kDefaultTimeoutMs = 5000;

class Connection {
 public:
  ~Connection();

  // Connects, sends the hello and waits for its answer. Returns 1 with the
  // connection in out, or the terminal's refusal code (-2 when nothing answers).
  static int32_t open(const Endpoint& ep, int timeoutMs, vt::Writer& hello,
                      std::shared_ptr<Connection>& out);

  // Sends one request and reads its answer into reply (result word consumed).
  // Transport failure or time-out closes the connection and gives -4.
  int32_t call(vt::Writer& request, vt::Reader& reply);

  bool isOpen() const { return fd_ != net::kNoSocket; }
  void close();

  std::mutex mutex;  // one call at a time on a connection

  // Bulk-fetched walks, handed out one entry per call.
  std::vector<int32_t> logs;
  size_t logPos = 0;
  std::vector<int32_t> users;
  size_t userPos = 0;

 private:
  Connection(net::Socket fd, int timeoutMs) : fd_(fd), timeoutMs_(timeoutMs) {}
  bool sendAll(const std::string& data, int64_t deadline);
  bool recvAll(char* p, size_t n, int64_t deadline);

  net::Socket fd_ = net::kNoSocket;
  int timeoutMs_ = kDefaultTimeoutMs;
  std::string reply_;
};

// Handles are positive and never reused within a process.
int registerConnection(std::shared_ptr<Connection> c);
std::shared_ptr<Connection> findConnection(int handle);
std::shared_ptr<Connection> takeConnection(int handle);

}  // namespace fk
