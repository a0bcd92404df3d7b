#include "base/platform.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <system_error>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#endif

namespace tkcli {

namespace {

// Set from the signal handler: a lock-free atomic is safe there.
std::atomic<bool> gInterrupted{false};

}  // namespace

bool interrupted() { return gInterrupted.load(std::memory_order_relaxed); }

#if defined(_WIN32)

namespace {

BOOL WINAPI onConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    gInterrupted.store(true);
    return TRUE;
}

}  // namespace

void setBinaryMode(std::FILE *file) { _setmode(_fileno(file), _O_BINARY); }
bool isTerminal(std::FILE *file) { return _isatty(_fileno(file)) != 0; }

std::filesystem::path executablePath() {
    wchar_t path[32768];
    const DWORD length = GetModuleFileNameW(nullptr, path, sizeof path / sizeof path[0]);
    if (length == 0 || length >= sizeof path / sizeof path[0]) return {};
    return std::filesystem::path(std::wstring(path, length));
}

const char kLibrarySuffix[] = ".dll";

int openForReading(const char *path) { return _open(path, _O_RDONLY | _O_BINARY); }
void closeDescriptor(int descriptor) { _close(descriptor); }
int standardInputDescriptor() { return _fileno(stdin); }

long readSome(int descriptor, void *buffer, size_t size) {
    const unsigned int count = size > INT_MAX ? INT_MAX : static_cast<unsigned int>(size);
    return _read(descriptor, buffer, count);
}

bool isRegularFile(int descriptor) {
    struct _stat64 status;
    return _fstat64(descriptor, &status) == 0 && (status.st_mode & _S_IFREG) != 0;
}

namespace {

FileIdentity identityOf(int result, const struct _stat64 &status) {
    if (result != 0) return {};
    return {true, static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino),
            static_cast<uint64_t>(status.st_size)};
}

}  // namespace

FileIdentity identifyPath(const char *path) {
    struct _stat64 status;
    return identityOf(_stat64(path, &status), status);
}

FileIdentity identifyDescriptor(int descriptor) {
    struct _stat64 status;
    return identityOf(_fstat64(descriptor, &status), status);
}

bool reopenAt(const char *path, int descriptor) {
    const int fresh = _open(path, _O_RDONLY | _O_BINARY);
    if (fresh < 0) return false;
    const bool moved = _dup2(fresh, descriptor) == 0;
    _close(fresh);
    return moved;
}

bool rewindDescriptor(int descriptor) { return _lseeki64(descriptor, 0, SEEK_SET) == 0; }

bool seekDescriptor(int descriptor, uint64_t offset) {
    const auto to = static_cast<__int64>(offset);
    return _lseeki64(descriptor, to, SEEK_SET) == to;
}

void catchInterrupt() { SetConsoleCtrlHandler(onConsoleEvent, TRUE); }
void pauseBriefly() { Sleep(100); }

#else

namespace {

void onInterrupt(int) { gInterrupted.store(true); }

}  // namespace

void setBinaryMode(std::FILE *) {}
bool isTerminal(std::FILE *file) { return isatty(fileno(file)) != 0; }

std::filesystem::path executablePath() {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error);
}

const char kLibrarySuffix[] = ".so";

int openForReading(const char *path) { return open(path, O_RDONLY); }
void closeDescriptor(int descriptor) { close(descriptor); }
int standardInputDescriptor() { return STDIN_FILENO; }

long readSome(int descriptor, void *buffer, size_t size) {
    return static_cast<long>(read(descriptor, buffer, size > SSIZE_MAX ? SSIZE_MAX : size));
}

bool isRegularFile(int descriptor) {
    struct stat status;
    return fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
}

namespace {

FileIdentity identityOf(int result, const struct stat &status) {
    if (result != 0) return {};
    return {true, static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino),
            static_cast<uint64_t>(status.st_size)};
}

}  // namespace

FileIdentity identifyPath(const char *path) {
    struct stat status;
    return identityOf(stat(path, &status), status);
}

FileIdentity identifyDescriptor(int descriptor) {
    struct stat status;
    return identityOf(fstat(descriptor, &status), status);
}

bool reopenAt(const char *path, int descriptor) {
    const int fresh = open(path, O_RDONLY);
    if (fresh < 0) return false;
    const bool moved = dup2(fresh, descriptor) == descriptor;
    close(fresh);
    return moved;
}

bool rewindDescriptor(int descriptor) { return lseek(descriptor, 0, SEEK_SET) == 0; }

bool seekDescriptor(int descriptor, uint64_t offset) {
    const auto to = static_cast<off_t>(offset);
    return lseek(descriptor, to, SEEK_SET) == to;
}

// Without SA_RESTART a read that waits for input returns EINTR on Ctrl-C.
void catchInterrupt() {
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

void pauseBriefly() {
    const timespec tenth = {0, 100'000'000};
    nanosleep(&tenth, nullptr);
}

#endif

}  // namespace tkcli
