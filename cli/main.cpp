// tkdec: command-line front end of the decoder library.
#include <cstdio>
#include <cstring>
#include <string>

#include "tkdec.h"

namespace {

// Indents a compact JSON document, two blanks per level.
std::string prettyJson(const char *text) {
    std::string out;
    int depth = 0;
    bool inString = false;
    auto newline = [&] { out += '\n'; out.append(static_cast<size_t>(depth) * 2, ' '); };
    for (const char *p = text; *p; ++p) {
        const char c = *p;
        if (inString) {
            out += c;
            if (c == '\\' && p[1]) out += *++p;
            else if (c == '"') inString = false;
            continue;
        }
        switch (c) {
        case '"': inString = true; out += c; break;
        case '{':
        case '[': out += c; ++depth; newline(); break;
        case '}':
        case ']': --depth; newline(); out += c; break;
        case ',': out += c; newline(); break;
        case ' ': break;
        case ':': out += ": "; break;
        default: out += c; break;
        }
    }
    return out;
}

int commandInfo(int argc, char **argv) {
    const bool pretty = argc > 0 && std::strcmp(argv[0], "--pretty") == 0;
    static char document[65536];
    const int32_t length = tkdec_getTargetInformation(sizeof document - 1, document);
    document[length < 0 ? 0 : length] = '\0';
    std::printf("%s\n", pretty ? prettyJson(document).c_str() : document);
    return 0;
}

int commandChannels() {
    const int32_t count = tkdec_getNrSupportedChannels();
    std::printf("%-6s %-6s %-6s %-10s %-16s %s\n", "index", "id", "master", "source", "type", "label");
    for (int32_t i = 0; i < count; ++i) {
        uint16_t id = 0, master = 0;
        char source[128], type[128], label[256];
        tkdec_getSupportedChannels(i, &id);
        tkdec_getChannelMaster(i, &master);
        tkdec_getSource(i, sizeof source, source);
        tkdec_getType(i, sizeof type, type);
        tkdec_getLabel(i, sizeof label, label);
        std::printf("%-6d %-6u %-6u %-10s %-16s %s\n", i, id, master, source, type, label);
    }
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc >= 2 && std::strcmp(argv[1], "info") == 0) return commandInfo(argc - 2, argv + 2);
    if (argc >= 2 && std::strcmp(argv[1], "channels") == 0) return commandChannels();
    std::fprintf(stderr, "usage: tkdec info [--pretty] | tkdec channels\n");
    return 2;
}
