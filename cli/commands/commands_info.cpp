// tkdec info, tkdec channels: the build's target information and channels.
#include <cstdio>
#include <string>
#include <vector>

#include "base/exit_codes.h"
#include "commands/command.h"
#include "commands/decoder_choice.h"
#include "output/json_text.h"

namespace tkcli {
namespace {

constexpr FlagOption kPretty = {{"--pretty", nullptr, nullptr, "indent the document, one member per line"}};

// The whole document, however long: the buffer grows while the library
// fills it to the last byte.
std::string targetInformation(const DecoderLibrary &library) {
    std::vector<char> buffer(16384);
    for (;;) {
        const int32_t length = library.getTargetInformation(static_cast<uint32_t>(buffer.size()), buffer.data());
        if (length >= 0 && static_cast<size_t>(length) < buffer.size()) {
            return std::string(buffer.data(), static_cast<size_t>(length));
        }
        buffer.resize(buffer.size() * 2);
    }
}

int runInfo(const Invocation &call) {
    DecoderLibrary library;
    if (const int status = loadDecoder(call, library); status != kExitOk) return status;
    const std::string document = targetInformation(library);
    const std::string text = call.has(kPretty) ? prettyJson(document) : document;
    std::printf("%s\n", text.c_str());
    return kExitOk;
}

std::string channelText(decltype(&tkdec_getSource) query, int32_t index) {
    char text[512] = {};
    query(index, sizeof text - 1, text);
    return text;
}

int runChannels(const Invocation &call) {
    DecoderLibrary library;
    if (const int status = loadDecoder(call, library); status != kExitOk) return status;
    const int32_t count = library.getNrSupportedChannels();
    std::printf("%-6s %-6s %-6s %-10s %-16s %s\n", "index", "id", "master", "source", "type", "label");
    for (int32_t i = 0; i < count; ++i) {
        uint16_t id = 0, master = 0;
        library.getSupportedChannels(i, &id);
        library.getChannelMaster(i, &master);
        std::printf("%-6d %-6u %-6u %-10s %-16s %s\n", i, id, master, channelText(library.getSource, i).c_str(),
                    channelText(library.getType, i).c_str(), channelText(library.getLabel, i).c_str());
    }
    return kExitOk;
}

constexpr const OptionDefinition *kInfoOptions[] = {&kPretty.row, &kDecoderOption.row};
constexpr const OptionDefinition *kChannelsOptions[] = {&kDecoderOption.row};

}  // namespace

extern const Command kInfoCommand = {
    "info",
    "print the target information document",
    "",
    "Prints the target information document of the firmware build (JSON, one\n"
    "line), by which a log viewer matches the decoder with the target.\n",
    kInfoOptions,
    0,
    0,
    runInfo,
};

extern const Command kChannelsCommand = {
    "channels",
    "list the channel table",
    "",
    "Lists the channels of the decoder's build: index, channel id, master\n"
    "CPU, source, type and label, one channel per line.\n",
    kChannelsOptions,
    0,
    0,
    runChannels,
};

}  // namespace tkcli
