// Plausible terminal content for demos, tests and benchmarks: users with
// Turkish names, fingerprints, cards, passwords and a few faces; attendance
// records over the last months; a bell schedule. Deterministic for a seed.
#pragma once

#include "vterminal/Terminal.h"

#include <cstdint>

namespace vt {

// Replaces the enroll items, names and bells with users 1..users.
void seedUsers(Terminal& t, int users, uint32_t seed);
// Appends count records of the terminal's users (of users 1..25 when it has
// none), in time order, spread over the 90 days up to now.
void seedRecords(Terminal& t, int count, uint32_t seed);

}  // namespace vt
