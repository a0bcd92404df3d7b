// tkdec encode: the payload of a message from its textual description.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "base/exit_codes.h"
#include "base/hex.h"
#include "base/platform.h"
#include "commands/command.h"
#include "commands/decoder_choice.h"

namespace tkcli {
namespace {

constexpr FlagOption kJson = {{"--json", nullptr, nullptr, "TEXT holds the whole description as JSON"}};
constexpr ValueOption kOutput = {{"--output", "-o", "FILE", "write the raw payload bytes to FILE"}};

// Larger than any message or type of a build.
constexpr size_t kPayloadCapacity = size_t{1} << 20;

int writeRaw(const char *path, const std::vector<uint8_t> &payload) {
    std::FILE *file = std::fopen(path, "wb");
    if (file == nullptr) return report(kExitIoError, "cannot write %s: %s", path, std::strerror(errno));
    const bool written = std::fwrite(payload.data(), 1, payload.size(), file) == payload.size();
    const int error = errno;
    if (std::fclose(file) != 0 || !written) {
        return report(kExitIoError, "cannot write %s: %s", path, std::strerror(written ? errno : error));
    }
    return kExitOk;
}

// The parse error at the negated result: the index of the character
// before the one where parsing stopped.
int parseFailure(int32_t result, const char *what, std::string_view text) {
    const size_t stop = static_cast<size_t>(-static_cast<int64_t>(result)) + 1;
    const std::string_view rest = stop < text.size() ? text.substr(stop) : std::string_view();
    return report(kExitDataError, "encode: %s does not parse at offset %llu: %s", what,
                  static_cast<unsigned long long>(stop), quoted(rest).c_str());
}

int runEncode(const Invocation &call) {
    const bool json = call.has(kJson);
    const size_t wanted = json ? 1 : 3;
    if (call.positionals.size() != wanted) {
        return usageError(call.command, json ? "--json takes one TEXT" : "needs NAME DESTINATION BODY");
    }
    DecoderLibrary library;
    if (const int status = loadDecoder(call, library); status != kExitOk) return status;
    std::vector<uint8_t> payload(kPayloadCapacity);
    const char *name = call.positionals[0];
    const int32_t result =
        json ? library.createMessagePayload(payload.data(), static_cast<uint32_t>(payload.size()), name, nullptr, nullptr)
             : library.createMessagePayload(payload.data(), static_cast<uint32_t>(payload.size()), name,
                                            call.positionals[1], call.positionals[2]);
    if (result == -1) {
        return report(kExitDataError, "encode: no payload: unknown name, malformed description, "
                                      "or a destination that is not a PTP task");
    }
    if (result <= 0) return parseFailure(result, json ? "the text" : "the body", call.positionals[json ? 0 : 2]);
    payload.resize(static_cast<size_t>(result));
    if (const char *path = call.value(kOutput)) return writeRaw(path, payload);
    std::string text;
    appendHexBytes(payload.data(), payload.size(), text);
    std::printf("%s\n", text.c_str());
    return kExitOk;
}

constexpr const OptionDefinition *kEncodeOptions[] = {&kJson.row, &kOutput.row, &kDecoderOption.row};

}  // namespace

extern const Command kEncodeCommand = {
    "encode",
    "build the payload of a message",
    "NAME DESTINATION BODY\n--json TEXT",
    "Builds the payload that injects message NAME into the target and prints\n"
    "it in hexadecimal (or writes the raw bytes to FILE). NAME is a message\n"
    "name, a message id or a structure name; DESTINATION the destination task\n"
    "(a CKI_TaskId name or number, a PTP task); BODY the members as a\n"
    "designated initialiser, for example {.m_status=1}. With --json, TEXT is\n"
    "the whole description as JSON:\n"
    "  {\"CkiTestAppQueryStatusCnfMessage\": {\"m_dstTask\": \"CKI_TIMER_PTP_TASK_ID\", \"m_status\": 1}}\n",
    kEncodeOptions,
    1,
    3,
    runEncode,
};

}  // namespace tkcli
