// Every entry-point name of one library (FK_STUB_LIBRARY_A or _B picks which)
// as a weak stub answering 0, "No support". The implemented entry points of
// EntryPoints.cpp are strong definitions and take their place at link time.
#include "sdk/FKEntryPoints.h"

#define FK_STUB(name) \
  extern "C" __attribute__((weak, visibility("default"))) int FK_API name() { return 0; }

#ifdef FK_STUB_LIBRARY_A
#define FK_STUB_A(name) FK_STUB(name)
#define FK_STUB_B(name)
#else
#define FK_STUB_A(name)
#define FK_STUB_B(name) FK_STUB(name)
#endif

#define FK_STUB_FOR(name, library) FK_STUB_##library(name)
FK_ENTRY_POINTS(FK_STUB_FOR)
