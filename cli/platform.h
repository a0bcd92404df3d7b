// The few things the tool asks of the operating system. Everything that
// differs between POSIX systems and Windows stays behind these functions.
#ifndef TKDEC_CLI_PLATFORM_H
#define TKDEC_CLI_PLATFORM_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace tkcli {

// Standard input and output carry bytes unchanged (no line-end translation).
void setBinaryMode(std::FILE *file);

bool isTerminal(std::FILE *file);

// A file opened for reading by descriptor, or -1 with errno set.
int openForReading(const char *path);
void closeDescriptor(int descriptor);
int standardInputDescriptor();

// Reads what is there, up to size bytes, waiting only until some bytes
// arrive: 0 at the end of the input, -1 with errno set on failure (EINTR
// when a signal interrupted the wait).
long readSome(int descriptor, void *buffer, size_t size);

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
