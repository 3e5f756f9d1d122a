// The socket layer under Connection: POSIX sockets in the Linux stand-ins
// (SocketPosix.cpp), Winsock in their Windows build (SocketWin.cpp). Every
// socket is non-blocking and every wait has a deadline.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fk::net {

using Socket = intptr_t;
constexpr Socket kNoSocket = -1;

// Milliseconds of a steady clock, for deadlines.
int64_t nowMs();

// A TCP connection to host:port opened before the deadline (TCP_NODELAY);
// kNoSocket when it cannot be had.
Socket connectWithin(const std::string& host, int port, int64_t deadline);

// Sends or receives exactly n bytes before the deadline; false on error,
// time-out or (receiving) the peer closing.
bool sendAll(Socket s, const char* data, size_t n, int64_t deadline);
bool recvAll(Socket s, char* p, size_t n, int64_t deadline);

void closeSocket(Socket s);

}  // namespace fk::net
