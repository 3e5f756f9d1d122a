// The terminal's network side: one client at a time on a TCP port, requests
// decoded and answered, every call written to the journal, the state saved
// before each answer that follows a change.
#pragma once

#include "shared/Protocol.h"
#include "vterminal/Faults.h"
#include "vterminal/StateFile.h"
#include "vterminal/Terminal.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

namespace vt {

class Journal {
 public:
  ~Journal();
  bool open(const std::string& path, std::string& error);
  void line(const std::string& text);

 private:
  FILE* f_ = nullptr;
};

class Server {
 public:
  Server(Terminal& t, StateFile* file, Journal& journal, Faults& faults)
      : t_(t), file_(file), journal_(journal), faults_(faults) {}
  ~Server();

  bool listen(const std::string& address, int port, std::string& error);
  int port() const { return port_; }
  // Serves until stop becomes non-zero (set from a signal handler).
  void run(volatile std::sig_atomic_t& stop);

 private:
  struct Waiting {  // a second client, refused once its hello has arrived
    int fd;
    std::string in;
  };

  void accept();
  void readClient();
  void readWaiting(Waiting& w);
  void closeClient(const char* why);
  // Handles one request; false when the connection is to be closed.
  bool handle(std::string_view payload);
  bool answer(const std::string& call, int32_t code, Writer& reply, const std::string& outs = {});
  void persist();
  void pause(volatile std::sig_atomic_t& stop) const;

  Terminal& t_;
  StateFile* file_;
  Journal& journal_;
  Faults& faults_;
  int listenFd_ = -1;
  int port_ = 0;
  int clientFd_ = -1;
  bool greeted_ = false;
  std::string in_;
  std::vector<Waiting> waiting_;
  volatile std::sig_atomic_t* stop_ = nullptr;
};

}  // namespace vt
