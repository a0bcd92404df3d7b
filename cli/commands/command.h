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
#include "tkdec.h"

namespace tkcli {

// A choice of an option that takes one of a few names, and what it means.
struct OptionChoice {
    const char *name;
    int value;
};

// One option of a command, declared once: the usage, the help, the error
// for a bad value and the parsing are made from this row. Commands read a
// value through the row itself (see the handles below), never by its name.
struct OptionDefinition {
    const char *name;       // "--format"
    const char *shortName;  // "-o", or nullptr
    const char *value;      // the value's name in the help ("F"), nullptr for a flag
    const char *help;       // lines separated by '\n'
    std::span<const OptionChoice> choices = {};  // the names that the value may be, when it is one of a few
    const char *noun = nullptr;                  // the value in the error for a bad choice: "format"
};

// The typed handles of the rows: a flag, a free value, one of the choices.
struct FlagOption {
    OptionDefinition row;
};
struct ValueOption {
    OptionDefinition row;
};
template <typename T>
struct ChoiceOption {
    OptionDefinition row;
};

// A command line after its options were recognised.
struct Invocation {
    const char *command = nullptr;
    std::vector<std::pair<const OptionDefinition *, const char *>> options;
    std::vector<const char *> positionals;

    bool has(const FlagOption &flag) const { return last(flag.row) != nullptr; }
    // The option's value, the last one when given twice, or nullptr when absent.
    const char *value(const ValueOption &option) const { return last(option.row); }
    // The choice given (value unchanged when absent); a usage error for a
    // name that is not among the row's choices.
    template <typename T>
    int choice(const ChoiceOption<T> &option, T &value) const {
        int chosen = 0;
        const int status = choiceValue(option.row, chosen);
        if (status == 0 && last(option.row) != nullptr) value = static_cast<T>(chosen);
        return status;
    }

    const char *last(const OptionDefinition &row) const;
    int choiceValue(const OptionDefinition &row, int &value) const;
};

struct Command {
    const char *name;
    const char *summary;      // one line for the tool's help
    const char *operands;     // "[FILE|-]"; alternatives separated by '\n'
    const char *description;  // the paragraph between usage and options
    std::span<const OptionDefinition *const> options;
    size_t minPositionals;
    size_t maxPositionals;
    int (*run)(const Invocation &call);
};

// The choices of a row as a sentence: "text, xml or json".
std::string choiceList(const OptionDefinition &row);

// The command's help: usage, description and one line per option.
std::string commandHelp(const Command &command);

// Recognises the options of argv (everything behind the command name).
// Returns kExitOk, or reports a usage error and returns its code.
int parseArguments(const Command &command, int argc, char **argv, Invocation &call);

// A usage error of a command: reports it with a pointer to the help.
TKCLI_PRINTF_FORMAT(2, 3) int usageError(const char *command, const char *format, ...);

// The library's four record formats, the choices of --format for the
// commands that print one value.
inline constexpr OptionChoice kRecordFormats[] = {
    {"text", UF_AsText}, {"xml", UF_AsXml}, {"json", UF_AsJson}, {"longjson", UF_AsLongJson}};

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
