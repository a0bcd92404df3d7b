// tkdec view: the captures in a browser. The page (viewer/) and its server
// (tools/viewer/server.py), which the build puts beside the tool and the
// install into share/tkdec/viewer; the server is Python's own http.server
// and runs this tool's decode --format jsonl, so that decoding has one path.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

#include "base/diagnostics.h"
#include "base/exit_codes.h"
#include "base/platform.h"
#include "commands/command.h"
#include "commands/decoder_choice.h"

namespace tkcli {
namespace {

std::filesystem::path findServer(const std::filesystem::path &tool) {
    const std::filesystem::path folder = tool.parent_path();
    for (const std::filesystem::path &candidate :
         {folder / "viewer" / "server.py", folder / ".." / "share" / "tkdec" / "viewer" / "server.py"}) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) return candidate;
    }
    return {};
}

int runView(const Invocation &call) {
    const std::filesystem::path tool = executablePath();
    const std::filesystem::path server = tool.empty() ? tool : findServer(tool);
    if (server.empty()) return report(kExitUsage, "view: the viewer's files (viewer/server.py) are not beside the tool");
    std::vector<std::string> words = {"python3", server.string(), "--tool", tool.string()};
    for (const auto &[option, value] : call.options) {
        words.emplace_back(option->name);
        if (option->value != nullptr) words.emplace_back(value);
    }
    words.emplace_back("--");
    for (const char *capture : call.positionals) words.emplace_back(capture);
    std::vector<char *> argv;
    for (std::string &word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    std::fflush(stdout);
#if defined(_WIN32)
    const intptr_t status = _spawnvp(_P_WAIT, "python3", argv.data());
    if (status >= 0) return static_cast<int>(status);
#else
    execvp("python3", argv.data());
#endif
    return report(kExitUsage, "view: cannot run python3: %s", std::strerror(errno));
}

// The server reads these itself: the tool hands every option on by its row's name.
constexpr ValueOption kPort = {{"--port", nullptr, "N", "serve on port N (default: a free one)"}};
constexpr ValueOption kHost = {{"--host", nullptr, "HOST",
                                "serve on HOST instead of 127.0.0.1 (the page is then open to\n"
                                "whoever reaches HOST)"}};
constexpr FlagOption kOpen = {{"--open", nullptr, nullptr, "open the page in the default browser"}};
constexpr FlagOption kFollow = {{"--follow", "-f", nullptr, "keep reading FILE as it grows, as tail -f does"}};
constexpr const OptionDefinition *kViewOptions[] = {&kPort.row,          &kHost.row,           &kOpen.row,
                                                    &kFollow.row,        &kDecoderOption.row, &kDecodersOption.row,
                                                    &kStrictOption.row};

}  // namespace

extern const Command kViewCommand = {
    "view",
    "show captures in a browser, live as they grow",
    "[FILE|-]...",
    "Serves a page that shows the records of the captures (as decode reads\n"
    "them) with filters, a timeline and each record's structure, and prints\n"
    "its address. New records appear as they are decoded. The server is\n"
    "Python 3's http.server (python3 on the PATH); Ctrl-C stops it.\n",
    kViewOptions,
    0,
    static_cast<size_t>(-1),
    runView,
};

}  // namespace tkcli
