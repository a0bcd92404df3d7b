// Fuzzes the four decoding wrappers against tkdec_getText: for the same
// record, each must write the same bytes as tkdec_getText in its format
// and return the same result.
//
// Input: mode u8 (bits 0-1: the wrapper; bit 2: a null payload with a
// size; bit 3: a null output with a size; bit 7: the id is replaced by a
// known token, alarm or message id), channel u16, id u32, output size u24
// (up to 65,536), then the payload.
#include "build_ids.h"
#include "fuzz_input.h"
#include "guarded_buffer.h"
#include "tkdec.h"

using fuzzing::GuardedBuffer;
using fuzzing::require;

namespace {

using Wrapper = int32_t (*)(uint16_t, uint32_t, uint32_t, const uint8_t *, uint32_t, char *);

struct FixedFormat {
    Wrapper wrapper;
    int32_t format;
};

constexpr FixedFormat kWrappers[] = {
    {tkdec_getShortText, UF_AsText},
    {tkdec_getXml, UF_AsXml},
    {tkdec_getLongJson, UF_AsLongJson},
    {tkdec_getJson, UF_AsJson},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::InputReader input(data, size);
    const uint32_t mode = input.take(1);
    const uint16_t channel = static_cast<uint16_t>(input.take(2));
    uint32_t id = input.take(4);
    if (mode & 0x80) id = fuzzing::knownId(id);
    const uint32_t outputSize = fuzzing::takeSize(input);
    const fuzzing::ExactBytes payload(input.rest(), input.restSize());
    const FixedFormat &fixed = kWrappers[mode & 3];
    const bool nullPayload = (mode & 4) != 0;
    const bool nullOutput = (mode & 8) != 0;

    // tkdec_getText over the same record: a null payload reads as none.
    GuardedBuffer expected(outputSize);
    char *position = expected.text();
    const int32_t expectedResult =
        nullPayload ? tkdec_getText(nullptr, nullptr, &position, expected.textEnd(), fixed.format, id, channel)
                    : tkdec_getText(payload.data(), payload.data() != nullptr ? payload.end() : nullptr, &position,
                                    expected.textEnd(), fixed.format, id, channel);

    GuardedBuffer out(outputSize);
    const uint32_t payloadSize = static_cast<uint32_t>(payload.size());
    const uint8_t *payloadStart = nullPayload ? nullptr : payload.data();
    const int32_t result =
        fixed.wrapper(channel, id, payloadSize, payloadStart, outputSize, nullOutput ? nullptr : out.text());
    require(result == expectedResult);
    if (nullOutput) require(out.untouched());
    else require(out.sameBytes(expected));
    out.checkGuards();
    return 0;
}
