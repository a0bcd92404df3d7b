// Loads a dynamic library and finds its functions by name, as the log
// viewer host does: LoadLibrary and GetProcAddress on Windows, dlopen and
// dlsym elsewhere. Shared by the tkdec tool and the host test program.
#pragma once

#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace loader {

// A function found by name; callers cast it back to its declared type.
using RawFunction = void (*)();

#if defined(_WIN32)

inline void *openLibrary(const char *path) { return reinterpret_cast<void *>(LoadLibraryA(path)); }

inline RawFunction findFunction(void *library, const char *name) {
    return reinterpret_cast<RawFunction>(GetProcAddress(static_cast<HMODULE>(library), name));
}

inline void closeLibrary(void *library) { FreeLibrary(static_cast<HMODULE>(library)); }

// Why the last openLibrary failed: the system's text for its error code.
inline std::string loadError() {
    const DWORD code = GetLastError();
    char text[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                        text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
        message.pop_back();
    }
    return "error " + std::to_string(code) + (message.empty() ? "" : ": " + message);
}

#else

inline void *openLibrary(const char *path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }

inline RawFunction findFunction(void *library, const char *name) {
    return reinterpret_cast<RawFunction>(dlsym(library, name));
}

inline void closeLibrary(void *library) { dlclose(library); }

// Why the last openLibrary failed, as dlerror says it.
inline std::string loadError() {
    const char *text = dlerror();
    return text != nullptr ? text : "unknown error";
}

#endif

}  // namespace loader
