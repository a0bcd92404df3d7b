// The subcommands of the tool and their argument parsing.
#ifndef TKDEC_CLI_COMMAND_H
#define TKDEC_CLI_COMMAND_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/platform.h"

namespace tkcli {

// One option of a command, declared once: the usage and the help are made
// from these rows.
struct OptionDefinition {
    const char *name;       // "--format"
    const char *shortName;  // "-o", or nullptr
    const char *value;      // the value's name in the help ("F"), nullptr for a flag
    const char *help;       // lines separated by '\n'
};

// A command line after its options were recognised.
struct Invocation {
    const char *command = nullptr;
    std::vector<std::pair<const OptionDefinition *, const char *>> options;
    std::vector<const char *> positionals;

    bool has(std::string_view name) const { return value(name) != nullptr; }
    // The option's value ("" for a flag), the last one when given twice, or
    // nullptr when absent.
    const char *value(std::string_view name) const;
};

struct Command {
    const char *name;
    const char *summary;      // one line for the tool's help
    const char *operands;     // "[FILE|-]"; alternatives separated by '\n'
    const char *description;  // the paragraph between usage and options
    std::span<const OptionDefinition> options;
    size_t minPositionals;
    size_t maxPositionals;
    int (*run)(const Invocation &call);
};

// The command's help: usage, description and one line per option.
std::string commandHelp(const Command &command);

// Recognises the options of argv (everything behind the command name).
// Returns kExitOk, or reports a usage error and returns its code.
int parseArguments(const Command &command, int argc, char **argv, Invocation &call);

// A usage error of a command: reports it with a pointer to the help.
TKCLI_PRINTF_FORMAT(2, 3) int usageError(const char *command, const char *format, ...);

// The value of the name given among the choices; false when none has it.
template <typename T, size_t N>
bool pick(const std::pair<std::string_view, T> (&choices)[N], std::string_view given, T &value) {
    for (const auto &[name, choice] : choices) {
        if (given == name) {
            value = choice;
            return true;
        }
    }
    return false;
}

// "text", "xml", "json" or "longjson" as an output format index.
bool parseFormatName(std::string_view name, int32_t &format);
// The --format option of a call (text when absent); a usage error for an
// unknown name.
int formatOption(const Invocation &call, int32_t &format);

// The capture argument of a call: FILE, or "-" (standard input) when absent.
inline const char *inputPath(const Invocation &call) {
    return call.positionals.empty() ? "-" : call.positionals[0];
}

extern const Command kDecodeCommand;
extern const Command kConvertCommand;
extern const Command kInspectCommand;
extern const Command kChannelsCommand;
extern const Command kInfoCommand;
extern const Command kSourceCommand;
extern const Command kTypeCommand;
extern const Command kEncodeCommand;
extern const Command kViewCommand;

}  // namespace tkcli

#endif
