// tkdec_host: loads the decoder library by name as the log viewer host
// does, finds the functions named on the command line, makes the calls of
// tests/support/library_calls.cpp and writes what they returned and wrote
// to a report file.
//
//   tkdec_host LIBRARY REPORT FUNCTION...
//
// Exit status: 0 when every function was found, 1 when one was not, 2 when
// the library or the report could not be opened.
#include <cstdio>
#include <cstring>
#include <string>

#include "output/library_loader.h"
#include "support/library_calls.h"

namespace {

void complain(const std::string &text) { std::fputs(("tkdec_host: " + text + "\n").c_str(), stderr); }

// One line per call, then its output with the bytes that are not printable
// escaped, so that the reports of two platforms compare as text.
class Report : public calls::Sink {
public:
    void call(const std::string &text, int64_t result, std::string_view output) override {
        contents += text + " = " + std::to_string(result) + "\n";
        if (output.empty()) return;
        contents += "  out: ";
        for (const char c : output) {
            const auto byte = static_cast<unsigned char>(c);
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, byte >= 0x20 && byte < 0x7f && c != '\\' ? "%c" : "\\x%02x", byte);
            contents += escaped;
        }
        contents += "\n";
    }
    std::string contents;
};

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
    Report report;
    calls::Api api;
    bool complete = true;
    for (int i = 3; i < argc; ++i) {
        const loader::RawFunction function = loader::findFunction(library, argv[i]);
        report.contents += std::string(argv[i]) + (function != nullptr ? ": found\n" : ": not found\n");
        complete = complete && function != nullptr;
#define TKDEC_FIND(name) \
    if (std::strcmp(argv[i], #name) == 0) api.name = reinterpret_cast<decltype(api.name)>(function);
        TKDEC_FUNCTIONS(TKDEC_FIND)
#undef TKDEC_FIND
    }
    if (!complete) complain(std::string("a function is not exported by ") + argv[1]);
    calls::runCalls(api, report);

    std::FILE *file = std::fopen(argv[2], "wb");  // binary: the same bytes on every platform
    const bool written = file != nullptr &&
                         std::fwrite(report.contents.data(), 1, report.contents.size(), file) == report.contents.size();
    if (file == nullptr || std::fclose(file) != 0 || !written) {
        complain(std::string("cannot write ") + argv[2]);
        return 2;
    }
    return complete ? 0 : 1;
}
