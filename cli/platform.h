// The few things the tool asks of the operating system.
#ifndef TKDEC_CLI_PLATFORM_H
#define TKDEC_CLI_PLATFORM_H

#include <cstdio>

namespace tkcli {

// Standard input and output carry bytes unchanged (no line-end translation).
void setBinaryMode(std::FILE *file);

bool isTerminal(std::FILE *file);

}  // namespace tkcli

#endif
