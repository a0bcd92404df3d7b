// The main of the coverage build: runs a fuzz target once over every file
// named on the command line, and every file in a named folder, as libFuzzer
// replays a corpus, without libFuzzer's own instrumentation.
//
//     fuzz_get_text corpus-folder-or-file...
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

void replayFile(const std::filesystem::path &path) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

}  // namespace

int main(int argc, char **argv) {
    size_t inputs = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path = argv[i];
        if (!std::filesystem::exists(path)) continue;
        if (!std::filesystem::is_directory(path)) {
            replayFile(path);
            ++inputs;
            continue;
        }
        for (const auto &entry : std::filesystem::directory_iterator(path)) {
            if (!entry.is_regular_file()) continue;
            replayFile(entry.path());
            ++inputs;
        }
    }
    std::printf("%s: replayed %zu inputs\n", argc > 0 ? argv[0] : "replay", inputs);
    return 0;
}
