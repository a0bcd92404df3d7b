// tkdec: command-line front end of the decoder library.
#include <cstdio>
#include <cstring>
#include <span>
#include <string_view>

#include "base/diagnostics.h"
#include "base/exit_codes.h"
#include "commands/command.h"
#include "commands/decoder_choice.h"

namespace tkcli {
namespace {

constexpr const Command *kCommands[] = {
    &kDecodeCommand, &kConvertCommand, &kInspectCommand, &kChannelsCommand, &kInfoCommand,
    &kSourceCommand, &kTypeCommand,    &kEncodeCommand, &kViewCommand,
};

constexpr const char kToolHelp[] =
    "usage: tkdec [--help] [--version] COMMAND [ARGUMENTS]\n"
    "\n"
    "Decodes captures of the tokenised log stream of the PTP modem firmware\n"
    "and answers questions about the firmware build that the decoder library\n"
    "was generated for.\n"
    "\n"
    "commands:\n";

constexpr const char kToolHelpEnd[] =
    "\n"
    "'tkdec COMMAND --help' describes a command.\n"
    "\n"
    "exit status: 0 success, 1 data error (malformed capture or value, nothing\n"
    "found), 2 usage error, 3 a file that cannot be read or written.\n";

const Command *findCommand(std::string_view name) {
    for (const Command *command : kCommands) {
        if (name == command->name) return command;
    }
    return nullptr;
}

int unknownCommand(std::string_view name) {
    return report(kExitUsage, "unknown command %s (see 'tkdec --help')", quoted(name).c_str());
}

int printToolHelp() {
    std::fputs(kToolHelp, stdout);
    for (const Command *command : kCommands) std::printf("  %-9s %s\n", command->name, command->summary);
    std::fputs(kToolHelpEnd, stdout);
    return kExitOk;
}

// The tool's version, then the interface version and build of the library
// installed beside it.
int printVersion() {
    std::printf("tkdec %s\n", TKDEC_TOOL_VERSION);
    std::fflush(stdout);
    DecoderLibrary library;
    if (const int status = loadDecoder(nullptr, library); status != kExitOk) return status;
    std::printf("API version %d\nbuild UUID %s\n", library.getApiVersion(), library.uuid().c_str());
    return kExitOk;
}

// "--help" or "-h" anywhere among a command's options asks for its help.
bool asksForHelp(std::span<char *> arguments) {
    for (const char *argument : arguments) {
        if (std::strcmp(argument, "--") == 0) return false;
        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) return true;
    }
    return false;
}

int runCommand(const Command &command, int argc, char **argv) {
    if (asksForHelp({argv, static_cast<size_t>(argc)})) {
        std::fputs(commandHelp(command).c_str(), stdout);
        return kExitOk;
    }
    Invocation call;
    if (const int status = parseArguments(command, argc, argv, call); status != kExitOk) return status;
    return command.run(call);
}

int run(int argc, char **argv) {
    if (argc < 2) {
        return report(kExitUsage, "no command given (see 'tkdec --help')");
    }
    const std::string_view first = argv[1];
    if (first == "--help" || first == "-h") return printToolHelp();
    if (first == "--version") return printVersion();
    if (first == "help") {
        if (argc < 3) return printToolHelp();
        const Command *command = findCommand(argv[2]);
        if (command == nullptr) return unknownCommand(argv[2]);
        std::fputs(commandHelp(*command).c_str(), stdout);
        return kExitOk;
    }
    if (first.starts_with("-")) {
        return report(kExitUsage, "unknown option %s (see 'tkdec --help')", quoted(first).c_str());
    }
    const Command *command = findCommand(first);
    if (command == nullptr) return unknownCommand(first);
    return runCommand(*command, argc - 2, argv + 2);
}

}  // namespace
}  // namespace tkcli

int main(int argc, char **argv) { return tkcli::run(argc, argv); }
