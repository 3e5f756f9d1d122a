#include "session/BellBlock.h"

#include <algorithm>

std::array<unsigned char, FK_BELL_BLOCK_SIZE> BellBlock{};
int BellCount = 0;

void ClearBellRows() {
  std::fill(BellBlock.begin() + BellValidOffset, BellBlock.end(), static_cast<unsigned char>(0));
}
