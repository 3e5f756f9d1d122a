// How the stand-in libraries export an entry point: only the entry-point
// names leave the library. On Windows the names carry no decoration (the
// DLLs are linked with --kill-at), as the vendor's have.
#pragma once

#ifdef _WIN32
#define FK_EXPORT extern "C" __declspec(dllexport)
#else
#define FK_EXPORT extern "C" __attribute__((visibility("default")))
#endif
