// Every name of one library (FK_STUB_LIBRARY_A or _B picks which) that the
// program only looks up, as a stub answering 0, "No support". The entry
// points the program calls are implemented in EntryPoints.cpp.
#include "lib/Export.h"
#include "sdk/FKEntryPoints.h"

#define FK_STUB(name)           \
  FK_EXPORT int FK_API name() { \
    return FKResult::NoSupport; \
  }

#ifdef FK_STUB_LIBRARY_A
#define FK_STUB_LISTED_A(name) FK_STUB(name)
#define FK_STUB_LISTED_B(name)
#else
#define FK_STUB_LISTED_A(name)
#define FK_STUB_LISTED_B(name) FK_STUB(name)
#endif
#define FK_STUB_CALLED_A(name)
#define FK_STUB_CALLED_B(name)
#define FK_STUB_WALK_A(name)
#define FK_STUB_WALK_B(name)

#define FK_STUB_FOR(name, library, use, params, kinds) FK_STUB_##use##_##library(name)
FK_ENTRY_POINTS_FULL(FK_STUB_FOR)
