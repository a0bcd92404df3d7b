// Messages of the tool: one line each on standard error.
#ifndef TKDEC_CLI_DIAGNOSTICS_H
#define TKDEC_CLI_DIAGNOSTICS_H

#include <string>
#include <string_view>

#include "base/platform.h"

namespace tkcli {

// printf into a string.
TKCLI_PRINTF_FORMAT(1, 2) std::string formatText(const char *format, ...);

// Writes "tkdec: " and the message as one line on standard error and
// returns code.
TKCLI_PRINTF_FORMAT(2, 3) int report(int code, const char *format, ...);

// A piece of input for a message: in double quotes, at most a few dozen
// characters, anything unprintable as \xNN.
std::string quoted(std::string_view text);

}  // namespace tkcli

#endif
