// The few things the tool asks of the operating system.
#ifndef TKDEC_CLI_PLATFORM_H
#define TKDEC_CLI_PLATFORM_H

#include <cstdio>
#include <filesystem>

namespace tkcli {

// Standard input and output carry bytes unchanged (no line-end translation).
void setBinaryMode(std::FILE *file);

bool isTerminal(std::FILE *file);

// The file of the running program; empty when the system does not say.
std::filesystem::path executablePath();

// The file name ending of a dynamic library: ".dll" or ".so".
extern const char kLibrarySuffix[];

}  // namespace tkcli

#endif
