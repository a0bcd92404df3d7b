// Exit statuses of the tkdec tool (documented in docs/cli.md).
#ifndef TKDEC_CLI_EXIT_CODES_H
#define TKDEC_CLI_EXIT_CODES_H

namespace tkcli {

enum ExitCode : int {
    kExitOk = 0,
    kExitDataError = 1,  // malformed capture or hexadecimal, nothing found, payload not built
    kExitUsage = 2,      // unknown subcommand or option, wrong arguments
    kExitIoError = 3,    // a file that cannot be opened, read or written
};

}  // namespace tkcli

#endif
