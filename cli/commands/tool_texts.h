// The tool's texts for shells and man: completions and the manual page,
// made from the commands' option rows.
#ifndef TKDEC_CLI_TOOL_TEXTS_H
#define TKDEC_CLI_TOOL_TEXTS_H

#include <span>
#include <string>
#include <string_view>

#include "commands/command.h"

namespace tkcli {

std::string bashCompletion(std::span<const Command *const> commands);
std::string zshCompletion(std::span<const Command *const> commands);
// The manual page in roff: the tool's help, then each command's.
std::string manPage(std::span<const Command *const> commands, std::string_view toolHelp);

}  // namespace tkcli

#endif
