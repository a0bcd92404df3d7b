// tkdec_host: loads the decoder library by name as the log viewer host
// does, finds the functions named on the command line, calls them and
// writes what they returned and wrote to a report file.
//
//   tkdec_host LIBRARY REPORT FUNCTION...
//
// Exit status: 0 when every function was found, 1 when one was not, 2 when
// the library or the report could not be opened.
#include <cstdio>
#include <string>
#include <vector>

#include "host_calls.h"

namespace {

void complain(const std::string &text) {
    const std::string line = "tkdec_host: " + text + "\n";
    std::fputs(line.c_str(), stderr);
}

bool writeFile(const char *path, const std::string &contents) {
    std::FILE *file = std::fopen(path, "wb");  // binary: the same bytes on every platform
    if (file == nullptr) return false;
    const bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        complain("usage: tkdec_host LIBRARY REPORT FUNCTION...");
        return 2;
    }
    void *library = loader::openLibrary(argv[1]);
    if (library == nullptr) {
        complain(std::string("cannot load ") + argv[1]);
        return 2;
    }

    host::Report report;
    std::vector<host::Api::Entry> found;
    bool complete = true;
    for (int i = 3; i < argc; ++i) {
        const loader::RawFunction function = loader::findFunction(library, argv[i]);
        report.line(std::string(argv[i]) + (function != nullptr ? ": found" : ": not found"));
        if (function != nullptr) {
            found.push_back({argv[i], function});
        } else {
            complain(std::string(argv[i]) + " is not exported by " + argv[1]);
            complete = false;
        }
    }
    const host::Api api(std::move(found));
    host::runCalls(api, report);
    host::runFormats(report);

    if (!writeFile(argv[2], report.contents())) {
        complain(std::string("cannot write ") + argv[2]);
        return 2;
    }
    return complete ? 0 : 1;
}
