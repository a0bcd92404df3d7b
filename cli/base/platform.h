// The few things the tool asks of the operating system. Everything that
// differs between POSIX systems and Windows stays behind these functions.
#ifndef TKDEC_CLI_PLATFORM_H
#define TKDEC_CLI_PLATFORM_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>

// printf-style checking of the tool's message functions. The tool formats
// with the C standard's conversions ("%zu", "%llu"), which MinGW's C
// library provides when __USE_MINGW_ANSI_STDIO is set; there the "printf"
// archetype would check Microsoft's older library instead.
#if defined(__MINGW32__)
#define TKCLI_PRINTF_FORMAT(index, first) [[gnu::format(gnu_printf, index, first)]]
#else
#define TKCLI_PRINTF_FORMAT(index, first) [[gnu::format(printf, index, first)]]
#endif

namespace tkcli {

// Standard input and output carry bytes unchanged (no line-end translation).
void setBinaryMode(std::FILE *file);

bool isTerminal(std::FILE *file);

// The file of the running program; empty when the system does not say.
std::filesystem::path executablePath();

// The file name ending of a dynamic library: ".dll" or ".so".
extern const char kLibrarySuffix[];

// A file opened for reading by descriptor, or -1 with errno set.
int openForReading(const char *path);
void closeDescriptor(int descriptor);
int standardInputDescriptor();

// Reads what is there, up to size bytes, waiting only until some bytes
// arrive: 0 at the end of the input, -1 with errno set on failure (EINTR
// when a signal interrupted the wait).
long readSome(int descriptor, void *buffer, size_t size);

// Which file a path or descriptor is, for following a file through
// rotation: exists false when there is none; inode 0 when the system does
// not say.
struct FileIdentity {
    bool exists = false;
    uint64_t device = 0;
    uint64_t inode = 0;
    uint64_t size = 0;
};
FileIdentity identifyPath(const char *path);
FileIdentity identifyDescriptor(int descriptor);
// Opens path again on the same descriptor number, reading from its start;
// false (the descriptor unchanged) when it cannot be opened.
bool reopenAt(const char *path, int descriptor);
// Reads the descriptor's file from its start again.
bool rewindDescriptor(int descriptor);
// Reads the descriptor's file from this byte offset on.
bool seekDescriptor(int descriptor, uint64_t offset);

// Whether the descriptor is a regular file (not a pipe, socket or device).
bool isRegularFile(int descriptor);

// Ctrl-C sets a flag instead of ending the process, so that a live decode
// can stop cleanly and print its summary.
void catchInterrupt();
bool interrupted();

// Waits a short while (a tenth of a second) for a growing file.
void pauseBriefly();

}  // namespace tkcli

#endif
