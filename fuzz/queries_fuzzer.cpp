// Fuzzes the channel queries, the identity queries, the source reference
// query and the constant queries with any index (the whole int32 range),
// any size up to 64 KiB, any channel, and null output pointers.
#include <fuzzer/FuzzedDataProvider.h>

#include "guarded_buffer.h"
#include "tkdec.h"

using fuzzing::GuardedBuffer;
using fuzzing::require;

namespace {

using TextQuery = int32_t (*)(int32_t, uint32_t, char *);
using NumberQuery = int32_t (*)(int32_t, uint16_t *);
constexpr uint32_t kMaxSize = 65536;
constexpr int32_t kChannelRows = 166;
constexpr int32_t kUniqueIdLength = 32;

// Mostly indexes near the table, sometimes any int32.
int32_t takeIndex(FuzzedDataProvider &input) {
    return input.ConsumeBool() ? input.ConsumeIntegralInRange<int32_t>(-2, kChannelRows + 2)
                               : input.ConsumeIntegral<int32_t>();
}

uint32_t takeSize(FuzzedDataProvider &input) {
    return input.ConsumeBool() ? input.ConsumeIntegralInRange<uint32_t>(0, 80)
                               : input.ConsumeIntegralInRange<uint32_t>(0, kMaxSize);
}

bool isRow(int32_t index) { return index >= 0 && index < kChannelRows; }

void fuzzChannelTexts(FuzzedDataProvider &input) {
    const TextQuery queries[] = {tkdec_getSource, tkdec_getType, tkdec_getLabel};
    const TextQuery query = queries[input.ConsumeIntegralInRange<int>(0, 2)];
    const int32_t index = takeIndex(input);
    const uint32_t size = takeSize(input);
    const bool nullBuffer = input.ConsumeBool();
    GuardedBuffer out(size);
    const int32_t result = query(index, size, nullBuffer ? nullptr : out.text());
    require(result == 0 || result == 1);
    if (nullBuffer || size == 0 || !isRow(index)) require(result == 1 && out.untouched());
    else require(out.hasTerminatorWithin(size) == (result == 0));
}

void fuzzChannelNumbers(FuzzedDataProvider &input) {
    const NumberQuery query = input.ConsumeBool() ? tkdec_getSupportedChannels : tkdec_getChannelMaster;
    const int32_t index = takeIndex(input);
    const bool nullPointer = input.ConsumeBool();
    uint16_t value = 0x1234;
    const int32_t result = query(index, nullPointer ? nullptr : &value);
    require(result == (!nullPointer && isRow(index) ? 0 : 1));
    require(result == 0 || value == 0x1234);
}

void fuzzIdentity(FuzzedDataProvider &input) {
    const uint32_t size = takeSize(input);
    const bool nullBuffer = input.ConsumeBool();
    GuardedBuffer out(size);
    char *buffer = nullBuffer ? nullptr : out.text();
    if (input.ConsumeBool()) {
        const int32_t result = tkdec_getUniqueId(size, buffer);
        require(result == (!nullBuffer && size >= kUniqueIdLength ? kUniqueIdLength : -1));
        if (!nullBuffer) require(out.hasTerminatorWithin(size) == (size > kUniqueIdLength));
    } else {
        const int32_t result = tkdec_getTargetInformation(size, buffer);
        if (nullBuffer) require(result == -1);
        else require(result >= 0 && static_cast<uint32_t>(result) <= size);
        if (!nullBuffer && static_cast<uint32_t>(result) < size) require(out.text()[result] == '\0');
    }
    if (nullBuffer) require(out.untouched());
}

void fuzzSourceReference(FuzzedDataProvider &input) {
    const uint16_t channels[] = {48, 80, 208, 8209, 8241, 8433, 8465, 0x1234};
    const uint16_t channel = input.ConsumeBool() ? channels[input.ConsumeIntegralInRange<size_t>(0, 7)]
                                                 : input.ConsumeIntegral<uint16_t>();
    const uint32_t token = input.ConsumeBool() ? input.ConsumeIntegralInRange<uint32_t>(0, 12000)
                                               : input.ConsumeIntegral<uint32_t>();
    const uint32_t size = takeSize(input);
    const bool nullLine = input.ConsumeBool();
    const bool nullBuffer = input.ConsumeBool();
    GuardedBuffer out(size);
    uint32_t line = 7;
    const int32_t result =
        tkdec_getSourceReference(channel, token, nullLine ? nullptr : &line, size, nullBuffer ? nullptr : out.text());
    require(result == 0 || result == 1);
    if (nullLine || nullBuffer) require(result == 1 && line == 7 && out.untouched());
    else if (result == 1) require(line == 0xFFFFFFFFu);
}

void fuzzConstants() {
    require(tkdec_init() == 0);
    require(tkdec_getApiVersion() == 6);
    require(tkdec_getNrSupportedChannels() == kChannelRows);
    require(tkdec_exit() == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider input(data, size);
    switch (input.ConsumeIntegralInRange<int>(0, 4)) {
    case 0: fuzzChannelTexts(input); break;
    case 1: fuzzChannelNumbers(input); break;
    case 2: fuzzIdentity(input); break;
    case 3: fuzzSourceReference(input); break;
    default: fuzzConstants(); break;
    }
    return 0;
}
