// A request as the journal names it: the entry point behind it and its
// arguments in the journal's notation (PROTOCOL.md, "Journal").
#pragma once

#include "shared/Protocol.h"

#include <string>

namespace vt {

struct Call {
  std::string name;
  std::string text;  // name(arguments)
  Kind kind = Kind::Lan;
};

// Reads the request's arguments from r (which then tells whether they were all there).
Call describe(Op op, Reader& r);

}  // namespace vt
