// Fuzzes the channel queries, the identity queries and the source
// reference query with any index, size and channel.
#include <fuzzer/FuzzedDataProvider.h>

#include "guarded_buffer.h"
#include "tkdec.h"

using fuzzing::GuardedBuffer;
using fuzzing::require;

namespace {

using TextQuery = int32_t (*)(int32_t, uint32_t, char *);

void fuzzChannelTexts(FuzzedDataProvider &input) {
    const TextQuery queries[] = {tkdec_getSource, tkdec_getType, tkdec_getLabel};
    const TextQuery query = queries[input.ConsumeIntegralInRange<int>(0, 2)];
    const int32_t index = input.ConsumeIntegralInRange<int32_t>(-2, 170);
    const uint32_t size = input.ConsumeIntegralInRange<uint32_t>(0, 80);
    GuardedBuffer out(size);
    const int32_t result = query(index, size, out.text());
    require(result == 0 || result == 1);
    if (result == 0) require(out.hasTerminatorWithin(size));
}

void fuzzChannelNumbers(FuzzedDataProvider &input) {
    const int32_t index = input.ConsumeIntegral<int32_t>();
    uint16_t value = 0x1234;
    const int32_t result = input.ConsumeBool() ? tkdec_getSupportedChannels(index, &value)
                                               : tkdec_getChannelMaster(index, &value);
    require(result == 0 || result == 1);
    require(result == 0 || value == 0x1234);
}

void fuzzIdentity(FuzzedDataProvider &input) {
    const uint32_t size = input.ConsumeIntegralInRange<uint32_t>(0, 4096);
    GuardedBuffer out(size);
    if (input.ConsumeBool()) {
        const int32_t result = tkdec_getUniqueId(size, out.text());
        require(result == (size >= 32 ? 32 : -1));
    } else {
        const int32_t result = tkdec_getTargetInformation(size, out.text());
        require(result >= 0 && static_cast<uint32_t>(result) <= size);
        if (static_cast<uint32_t>(result) < size) require(out.text()[result] == '\0');
    }
}

void fuzzSourceReference(FuzzedDataProvider &input) {
    const uint16_t channels[] = {48, 80, 208, 8209, 8241, 8433, 8465, 0x1234};
    const uint16_t channel = input.ConsumeBool() ? channels[input.ConsumeIntegralInRange<size_t>(0, 7)]
                                                 : input.ConsumeIntegral<uint16_t>();
    const uint32_t token = input.ConsumeBool() ? input.ConsumeIntegralInRange<uint32_t>(0, 12000)
                                               : input.ConsumeIntegral<uint32_t>();
    const uint32_t size = input.ConsumeIntegralInRange<uint32_t>(0, 300);
    GuardedBuffer out(size);
    uint32_t line = 7;
    const int32_t result = tkdec_getSourceReference(channel, token, &line, size, out.text());
    require(result == 0 || result == 1);
    if (result == 1) require(line == 0xFFFFFFFFu);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider input(data, size);
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: fuzzChannelTexts(input); break;
    case 1: fuzzChannelNumbers(input); break;
    case 2: fuzzIdentity(input); break;
    default: fuzzSourceReference(input); break;
    }
    return 0;
}
