// The few things the tool asks of the operating system.
#ifndef TKDEC_CLI_PLATFORM_H
#define TKDEC_CLI_PLATFORM_H

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

}  // namespace tkcli

#endif
