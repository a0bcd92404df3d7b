// Fuzzes record decoding: any channel (the table's, other log groups and
// random ones), any id (tokens, alarms, messages, random), any format,
// output size and payload.
#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

#include "build_ids.h"
#include "guarded_buffer.h"
#include "tkdec.h"

using fuzzing::GuardedBuffer;
using fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider input(data, size);
    const uint16_t channel = fuzzing::pickChannel(input);
    const uint32_t id = fuzzing::pickId(input);
    const int32_t format = input.ConsumeIntegralInRange<int32_t>(0, 3);
    const uint32_t outputSize = input.ConsumeIntegralInRange<uint32_t>(0, 4096);
    const bool nullPayload = input.ConsumeIntegralInRange<int>(0, 15) == 0;
    // An exact-size copy, so that any read past the payload end is caught.
    const std::vector<uint8_t> bytes = input.ConsumeRemainingBytes<uint8_t>();
    const uint8_t *payload = nullPayload || bytes.empty() ? nullptr : bytes.data();
    const uint8_t *payloadEnd = payload == nullptr ? nullptr : payload + bytes.size();

    GuardedBuffer out(outputSize);
    char *pos = out.text();
    const int32_t result = tkdec_getText(payload, payloadEnd, &pos, out.textEnd(), format, id, channel);
    require(result == 0 || result == 1);
    require(pos >= out.text() && pos <= out.textEnd());
    if (pos < out.textEnd()) require(*pos == '\0');
    out.checkGuards();
    return 0;
}
