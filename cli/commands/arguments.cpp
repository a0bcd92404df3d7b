#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <string>

#include "base/diagnostics.h"
#include "base/exit_codes.h"
#include "commands/command.h"
#include "tkdec.h"

namespace tkcli {

namespace {

const OptionDefinition *findOption(const Command &command, std::string_view name) {
    for (const OptionDefinition *option : command.options) {
        if (name == option->name || (option->shortName != nullptr && name == option->shortName)) return option;
    }
    return nullptr;
}

// Short options given together (-fq, -qj4): each letter is one, and the
// first that takes a value takes the rest of the word or the next one.
int takeShortOptions(const Command &command, int argc, char **argv, int &i, Invocation &call) {
    const char *argument = argv[i];
    for (size_t at = 1; argument[at] != '\0'; ++at) {
        const char name[] = {'-', argument[at], '\0'};
        const OptionDefinition *option = findOption(command, name);
        if (option == nullptr) return usageError(command.name, "unknown option %s", quoted(name).c_str());
        if (option->value == nullptr) {
            call.options.emplace_back(option, "");
            continue;
        }
        if (argument[at + 1] != '\0') {
            call.options.emplace_back(option, argument + at + 1);
        } else {
            if (i + 1 >= argc) return usageError(command.name, "option %s needs a value", option->name);
            call.options.emplace_back(option, argv[++i]);
        }
        break;
    }
    return kExitOk;
}

// One option at argv[i]; advances i past its value.
int takeOption(const Command &command, int argc, char **argv, int &i, Invocation &call) {
    const std::string_view argument = argv[i];
    if (!argument.starts_with("--") && argument.size() > 2) return takeShortOptions(command, argc, argv, i, call);
    const size_t equals = argument.starts_with("--") ? argument.find('=') : std::string_view::npos;
    const std::string_view name = argument.substr(0, equals);
    const OptionDefinition *option = findOption(command, name);
    if (option == nullptr) return usageError(command.name, "unknown option %s", quoted(name).c_str());
    const char *value = "";
    if (equals != std::string_view::npos) {
        if (option->value == nullptr) return usageError(command.name, "option %s takes no value", option->name);
        value = argv[i] + equals + 1;
    } else if (option->value != nullptr) {
        if (i + 1 >= argc) return usageError(command.name, "option %s needs a value", option->name);
        value = argv[++i];
    }
    call.options.emplace_back(option, value);
    return kExitOk;
}

}  // namespace

const char *Invocation::last(const OptionDefinition &row) const {
    const char *found = nullptr;
    for (const auto &[option, value] : options) {
        if (option == &row) found = value;
    }
    return found;
}

int Invocation::choiceValue(const OptionDefinition &row, int &value) const {
    const char *given = last(row);
    if (given == nullptr) return kExitOk;
    for (const OptionChoice &choice : row.choices) {
        if (std::strcmp(given, choice.name) == 0) {
            value = choice.value;
            return kExitOk;
        }
    }
    return usageError(command, "unknown %s %s (%s)", row.noun, quoted(given).c_str(), choiceList(row).c_str());
}

std::string choiceList(const OptionDefinition &row) {
    std::string list;
    for (size_t i = 0; i < row.choices.size(); ++i) {
        if (i != 0) list += i + 1 == row.choices.size() ? " or " : ", ";
        list += row.choices[i].name;
    }
    return list;
}

int parseArguments(const Command &command, int argc, char **argv, Invocation &call) {
    call.command = command.name;
    bool optionsEnded = false;
    for (int i = 0; i < argc; ++i) {
        const char *argument = argv[i];
        if (!optionsEnded && std::strcmp(argument, "--") == 0) {
            optionsEnded = true;
        } else if (!optionsEnded && argument[0] == '-' && argument[1] != '\0') {
            if (const int status = takeOption(command, argc, argv, i, call); status != kExitOk) return status;
        } else {
            call.positionals.push_back(argument);
        }
    }
    const size_t count = call.positionals.size();
    if (count < command.minPositionals) return usageError(command.name, "missing arguments");
    if (count > command.maxPositionals) {
        const char *extra = call.positionals[command.maxPositionals];
        return usageError(command.name, "unexpected argument %s", quoted(extra).c_str());
    }
    return kExitOk;
}

namespace {

// "  -o, --output FILE"
std::string optionColumn(const OptionDefinition &option) {
    std::string column = "  ";
    if (option.shortName != nullptr) column += std::string(option.shortName) + ", ";
    column += option.name;
    if (option.value != nullptr) column += std::string(" ") + option.value;
    return column;
}

// Appends text indented to the given column on every line but the first.
void appendIndented(std::string_view text, size_t column, std::string &out) {
    size_t newline;
    while ((newline = text.find('\n')) != std::string_view::npos) {
        out.append(text.substr(0, newline + 1));
        out.append(column, ' ');
        text.remove_prefix(newline + 1);
    }
    out.append(text);
    out += '\n';
}

}  // namespace

std::string commandHelp(const Command &command) {
    std::string help;
    std::string_view operands = command.operands;
    const char *lead = "usage:";
    for (;;) {
        const size_t newline = operands.find('\n');
        const std::string line(operands.substr(0, newline));
        help += formatText("%s tkdec %s%s%s%s\n", lead, command.name, command.options.empty() ? "" : " [OPTIONS]",
                           line.empty() ? "" : " ", line.c_str());
        if (newline == std::string_view::npos) break;
        operands.remove_prefix(newline + 1);
        lead = "      ";
    }
    help += formatText("\n%s", command.description);
    if (command.options.empty()) return help;
    help += "\noptions:\n";
    size_t width = 0;
    for (const OptionDefinition *option : command.options) width = std::max(width, optionColumn(*option).size());
    for (const OptionDefinition *option : command.options) {
        std::string column = optionColumn(*option);
        column.resize(width + 2, ' ');
        help += column;
        appendIndented(option->help, width + 2, help);
    }
    return help;
}

int usageError(const char *command, const char *format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    char message[512];
    std::vsnprintf(message, sizeof message, format, arguments);
    va_end(arguments);
    return report(kExitUsage, "%s: %s (see 'tkdec %s --help')", command, message, command);
}

}  // namespace tkcli
