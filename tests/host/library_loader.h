// Loads a dynamic library and finds its functions by name, as the log
// viewer host does: LoadLibrary and GetProcAddress on Windows, dlopen and
// dlsym elsewhere.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace host {

// A function found by name; callers cast it back to its declared type.
using RawFunction = void (*)();

#if defined(_WIN32)

inline void *openLibrary(const char *path) { return reinterpret_cast<void *>(LoadLibraryA(path)); }

inline RawFunction findFunction(void *library, const char *name) {
    return reinterpret_cast<RawFunction>(GetProcAddress(static_cast<HMODULE>(library), name));
}

#else

inline void *openLibrary(const char *path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }

inline RawFunction findFunction(void *library, const char *name) {
    return reinterpret_cast<RawFunction>(dlsym(library, name));
}

#endif

}  // namespace host
