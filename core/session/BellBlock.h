// The bell schedule exchanged with the terminal: one block and one count.
// The session keeps one for the whole program run and hands it to the bell
// window, so every showing of the window shares it. Widget-free, so a front
// end without windows can use it too.
#pragma once
#include <array>

#include "sdk/FKEntryPoints.h"

// The 24 rows the bell window shows live in the block's last 72 bytes; the
// bytes before them are the terminal's own and go back to it unchanged.
constexpr int BellRowCount = 24;
constexpr int BellValidOffset = 288;   // + row: 1 = valid, anything else not
constexpr int BellHourOffset = 312;    // + row: hour, unsigned 8-bit
constexpr int BellMinuteOffset = 336;  // + row: minute, unsigned 8-bit

struct TBellSchedule {
  // All zero at start.
  std::array<unsigned char, FK_BELL_BLOCK_SIZE> BellBlock{};
  // The count the last read returned (0 at start). A send passes it divided
  // by three and never stores the quotient back, so reading once and sending
  // any number of times passes the same count every time.
  int BellCount = 0;

  // Zeroes the rows' bytes 288-359; bytes 0-287 keep what the last read wrote.
  void ClearRows();
};
