// tkdec: command-line front end of the decoder library.
#include <cstdio>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "base/diagnostics.h"
#include "base/exit_codes.h"
#include "commands/command.h"
#include "commands/decoder_choice.h"
#include "commands/tool_texts.h"

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

std::string toolHelp() {
    std::string help = kToolHelp;
    for (const Command *command : kCommands) help += formatText("  %-9s %s\n", command->name, command->summary);
    return help + kToolHelpEnd;
}

int printToolHelp() {
    std::fputs(toolHelp().c_str(), stdout);
    return kExitOk;
}

// The hidden options that the build uses to write the completions and the
// manual page that it installs.
int printToolText(std::string_view option, int argc, char **argv) {
    std::string text;
    if (option == "--man") {
        text = manPage(kCommands, toolHelp());
    } else if (argc == 3 && std::string_view(argv[2]) == "bash") {
        text = bashCompletion(kCommands);
    } else if (argc == 3 && std::string_view(argv[2]) == "zsh") {
        text = zshCompletion(kCommands);
    } else {
        return report(kExitUsage, "--completion needs the shell: bash or zsh");
    }
    std::fputs(text.c_str(), stdout);
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
    if (first == "--completion" || first == "--man") return printToolText(first, argc, argv);
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
