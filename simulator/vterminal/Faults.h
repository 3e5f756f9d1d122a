// Faults injected from the command line: failing entry points, a walk that
// breaks off, slow answers.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace vt {

struct Fault {
  bool drop = false;  // hang up instead of answering
  int32_t code = 0;   // the result given instead, when not dropping
  int64_t left = -1;  // calls still to fail; -1 for every call
};

class Faults {
 public:
  // "NAME:CODE[:K]" or "NAME:drop[:K]"; false with error set when malformed.
  bool add(const std::string& rule, std::string& error);
  // The fault for this call of the entry point, counting it down.
  std::optional<Fault> take(const std::string& entryPoint);

  int64_t dropWalkAfter = -1;  // records (entries) of a walk before hanging up
  int latencyMs = 0;           // delay before every answer

 private:
  std::map<std::string, Fault> byName_;
};

}  // namespace vt
