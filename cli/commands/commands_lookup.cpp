// tkdec source, tkdec type: a token's source line, a value of a named type.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "base/exit_codes.h"
#include "base/hex.h"
#include "commands/command.h"
#include "commands/decoder_choice.h"

namespace tkcli {
namespace {

constexpr ChoiceOption<int32_t> kFormat = {
    {"--format", nullptr, "F", "output format: text (default), xml, json or longjson", kRecordFormats, "format"}};

// Runs fill(size, buffer) with a zeroed buffer that doubles while the text
// reaches its last byte (the library then wrote no terminator, so the text
// may have been cut). Returns the last result of fill.
template <typename Fill>
auto withWholeText(std::string &text, Fill fill) {
    std::vector<char> buffer(4096);
    for (;;) {
        std::fill(buffer.begin(), buffer.end(), '\0');
        const auto result = fill(static_cast<uint32_t>(buffer.size()), buffer.data());
        if (buffer.back() == '\0' || buffer.size() >= (size_t{256} << 20)) {
            text.assign(buffer.begin(), std::find(buffer.begin(), buffer.end(), '\0'));
            return result;
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool numberArgument(const Invocation &call, size_t index, const char *what, uint64_t maximum, uint64_t &value) {
    if (parseUnsigned(call.positionals[index], maximum, value)) return true;
    report(kExitDataError, "%s: %s %s is not a number from 0 to %llu", call.command, what,
           quoted(call.positionals[index]).c_str(), static_cast<unsigned long long>(maximum));
    return false;
}

int runSource(const Invocation &call) {
    uint64_t channel = 0, token = 0;
    if (!numberArgument(call, 0, "channel", 0xFFFF, channel)) return kExitDataError;
    if (!numberArgument(call, 1, "token", 0xFFFFFFFF, token)) return kExitDataError;
    DecoderLibrary library;
    if (const int status = loadDecoder(call, library); status != kExitOk) return status;
    std::string file;
    uint32_t line = 0;
    const int32_t result = withWholeText(file, [&](uint32_t size, char *buffer) {
        return library.getSourceReference(static_cast<uint16_t>(channel), static_cast<uint32_t>(token), &line, size,
                                          buffer);
    });
    if (result != 0) return report(kExitDataError, "source: %s", file.c_str());
    std::printf("%s:%u\n", file.c_str(), line);
    return kExitOk;
}

int runType(const Invocation &call) {
    int32_t format = UF_AsText;
    if (const int status = call.choice(kFormat, format); status != kExitOk) return status;
    std::vector<uint8_t> bytes;
    for (size_t i = 1; i < call.positionals.size(); ++i) {
        std::string_view bad;
        if (!parseHexBytes(call.positionals[i], bytes, bad)) {
            return report(kExitDataError, "type: bad hexadecimal %s", quoted(bad).c_str());
        }
    }
    DecoderLibrary library;
    if (const int status = loadDecoder(call, library); status != kExitOk) return status;
    const uint8_t none = 0;
    const uint8_t *data = bytes.empty() ? &none : bytes.data();
    std::string text;
    const uint32_t result = withWholeText(text, [&](uint32_t size, char *buffer) {
        return library.decodeType(call.positionals[0], static_cast<uint32_t>(bytes.size()), data, size, buffer, format);
    });
    if (result != 0) {
        return report(kExitDataError,
                      "type: no type or message named %s (a message also needs a PTP task in its bytes 4 to 7)",
                      quoted(call.positionals[0]).c_str());
    }
    std::printf("%s\n", text.c_str());
    return kExitOk;
}

constexpr const OptionDefinition *kTypeOptions[] = {&kFormat.row, &kDecoderOption.row};
constexpr const OptionDefinition *kSourceOptions[] = {&kDecoderOption.row};

}  // namespace

extern const Command kSourceCommand = {
    "source",
    "show the source file and line of a token",
    "CHANNEL TOKEN",
    "Prints FILE:LINE of the log point that sends TOKEN on CHANNEL (numbers\n"
    "in decimal or with 0x). Log-group channels look in the print tokens,\n"
    "the two alarm channels in the alarm tokens.\n",
    kSourceOptions,
    2,
    2,
    runSource,
};

extern const Command kTypeCommand = {
    "type",
    "print a value of a named type or message from its bytes",
    "NAME HEXBYTES...",
    "Prints the value whose raw bytes (as the target holds it in memory) are\n"
    "given in hexadecimal, as type or message NAME: a type name, a message\n"
    "name, or a message id as 0x and eight lower-case digits or in decimal.\n"
    "A message is found only when its bytes 4 to 7 (the source task) name a\n"
    "PTP task. Bytes may be grouped freely: \"07 00 c4 2c\" or 0700c42c.\n",
    kTypeOptions,
    1,
    static_cast<size_t>(-1),
    runType,
};

}  // namespace tkcli
