// The server's sockets and its one wait, which a stop request ends: POSIX
// sockets, signals and ppoll on Linux (NetPosix.cpp); Winsock, WSAPoll and
// the console's control events on Windows (NetWin.cpp). Every socket is
// non-blocking, so no call here waits except wait().
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vt::net {

using Socket = intptr_t;
constexpr Socket kNone = -1;
// What receive and send return when the socket has nothing or takes nothing now.
constexpr long kAgain = -1;

// Turns the stop requests (SIGTERM and SIGINT; on Windows Ctrl+C, Ctrl+Break,
// closing the console and WM_CLOSE) into stopRequested(). Called once, before
// listen() (on Windows it also starts Winsock).
void catchStopRequests();
bool stopRequested();

struct Watch {
  Socket s = kNone;    // kNone: left out of this wait
  bool write = false;  // wait until writable rather than readable
  bool ready = false;  // set by wait(): ready as asked, hung up or failed
};

// Waits until a watched socket is ready, timeoutMs passes (negative: no
// limit) or a stop is requested; a stop requested at any moment, even just
// before the call, ends it at once. False when no socket is ready.
bool wait(std::vector<Watch>& watches, int64_t timeoutMs);

// A listening socket on address:port (IPv4; port 0 picks a free one).
bool listen(const std::string& address, int port, Socket& s, int& boundPort, std::string& error);

enum class Accepted { Socket, Again, NoDescriptor, NoMemory };
// One pending connection, non-blocking and with TCP_NODELAY; Again when there
// is none or the peer gave up before it was taken.
Accepted accept(Socket listening, Socket& s);
// A descriptor kept in reserve, given up to accept and refuse one connection
// when none is left otherwise; kNone when not to be had.
Socket holdSpare();
void acceptAndClose(Socket listening);

// Bytes received (> 0), 0 when the peer closed or the connection failed, or kAgain.
long receive(Socket s, char* buf, size_t size);
// Bytes taken (> 0), 0 when the connection failed, or kAgain when none fit now.
long send(Socket s, const char* data, size_t size);
void close(Socket s);

}  // namespace vt::net
