// How the stand-in libraries export an entry point: only the entry-point
// names leave the library. On Windows the names carry no decoration (the
// DLLs are linked with --kill-at), as the vendor's have.
#pragma once

#if defined(_WIN32) && defined(FK_EXPORT_BY_LIST)
// The names are exported by the library's export list (.def) alone.
#define FK_EXPORT extern "C"
#elif defined(_WIN32)
#define FK_EXPORT extern "C" __declspec(dllexport)
#else
#define FK_EXPORT extern "C" __attribute__((visibility("default")))
#endif
