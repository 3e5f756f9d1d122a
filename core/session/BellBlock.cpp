#include "session/BellBlock.h"

#include <algorithm>

void TBellSchedule::ClearRows() {
  std::fill(BellBlock.begin() + BellValidOffset, BellBlock.end(), static_cast<unsigned char>(0));
}
