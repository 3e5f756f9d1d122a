// The terminal's network side: one client at a time on a TCP port, requests
// decoded and answered, every call written to the journal, the state saved
// before each answer that follows a change. No socket call ever waits: a
// client that does not send or does not read is dropped at its deadline.
#pragma once

#include "shared/Protocol.h"
#include "vterminal/Faults.h"
#include "vterminal/Files.h"
#include "vterminal/Net.h"
#include "vterminal/StateFile.h"
#include "vterminal/Terminal.h"

#include <string>
#include <vector>

namespace vt {

class Journal {
 public:
  bool open(const std::string& path, std::string& error);
  void line(const std::string& text);

 private:
  files::Appender f_;
};

// What the terminal puts up with from a client (PROTOCOL.md, "Limits").
struct Limits {
  int helloTimeoutMs = 5000;    // from accepting a connection to its whole hello
  int idleTimeoutMs = 1800000;  // between two requests of a session; 0: no limit
  int sendTimeoutMs = 10000;    // for the client to take one whole answer
  size_t maxWaiting = 8;        // connections kept waiting behind the client
};

class Server {
 public:
  Server(Terminal& t, StateFile* file, Journal& journal, Faults& faults, Limits limits)
      : t_(t), file_(file), journal_(journal), faults_(faults), limits_(limits) {}
  ~Server();

  bool listen(const std::string& address, int port, std::string& error);
  int port() const { return port_; }
  // Serves until a stop is requested (net::catchStopRequests must have been
  // called); a request arriving at any moment ends the wait at once.
  void run();

 private:
  struct Peer {
    net::Socket fd = net::kNone;
    std::string in;   // received bytes not handled yet
    std::string out;  // the answer, until the client has taken all of it
    size_t sent = 0;
    int64_t deadline = 0;  // of the hello, the answer or the next request
    bool greeted = false;
    bool closing = false;  // hang up once the answer is taken
    bool sending() const { return sent < out.size(); }
  };

  void accept();
  void refuseWithoutDescriptor();
  void readClient();
  void readWaiting(Peer& w);
  void handleInput();
  void sendAnswer();
  void expire();
  int64_t nextDeadline() const;
  void closeClient(const std::string& why);
  // Handles one request; false when the connection is to be closed.
  bool handle(std::string_view payload);
  bool limitWalk(size_t sent, size_t& max) const;
  bool answer(const std::string& call, int32_t code, Writer& reply, const std::string& outs = {});
  void queue(Writer& reply);
  void persist();
  void pause() const;

  Terminal& t_;
  StateFile* file_;
  Journal& journal_;
  Faults& faults_;
  Limits limits_;
  net::Socket listenFd_ = net::kNone;
  net::Socket spareFd_ = net::kNone;  // given up to refuse a connection when descriptors run out
  int64_t acceptPausedUntil_ = 0;
  int port_ = 0;
  Peer client_;
  std::vector<Peer> waiting_;
};

}  // namespace vt
