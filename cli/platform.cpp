#include "platform.h"

#include <system_error>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace tkcli {

#if defined(_WIN32)
void setBinaryMode(std::FILE *file) { _setmode(_fileno(file), _O_BINARY); }
bool isTerminal(std::FILE *file) { return _isatty(_fileno(file)) != 0; }

std::filesystem::path executablePath() {
    wchar_t path[32768];
    const DWORD length = GetModuleFileNameW(nullptr, path, sizeof path / sizeof path[0]);
    if (length == 0 || length >= sizeof path / sizeof path[0]) return {};
    return std::filesystem::path(std::wstring(path, length));
}

const char kLibrarySuffix[] = ".dll";
#else
void setBinaryMode(std::FILE *) {}
bool isTerminal(std::FILE *file) { return isatty(fileno(file)) != 0; }

std::filesystem::path executablePath() {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error);
}

const char kLibrarySuffix[] = ".so";
#endif

}  // namespace tkcli
