// Fuzzes record decoding. Input: channel u16, id u32, format u8 (low two
// bits; bit 7 set: the id is replaced by a known token, alarm or message id
// chosen by its value), output size u16 (up to 4096), then the payload.
#include <vector>

#include "build_ids.h"
#include "fuzz_input.h"
#include "guarded_buffer.h"
#include "tkdec.h"

using fuzzing::GuardedBuffer;
using fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::InputReader input(data, size);
    const uint16_t channel = static_cast<uint16_t>(input.take(2));
    uint32_t id = input.take(4);
    const uint32_t mode = input.take(1);
    const uint32_t outputSize = input.take(2) % 4097;
    if (mode & 0x80) id = fuzzing::knownId(id);
    // An exact-size copy, so that any read past the payload end is caught.
    const std::vector<uint8_t> bytes(input.rest(), input.rest() + input.restSize());
    const uint8_t *payload = bytes.empty() ? nullptr : bytes.data();
    const uint8_t *payloadEnd = payload == nullptr ? nullptr : payload + bytes.size();

    GuardedBuffer out(outputSize);
    char *pos = out.text();
    const int32_t result =
        tkdec_getText(payload, payloadEnd, &pos, out.textEnd(), static_cast<int32_t>(mode & 3), id, channel);
    require(result == 0 || result == 1);
    require(pos >= out.text() && pos <= out.textEnd());
    if (pos < out.textEnd()) require(*pos == '\0');
    out.checkGuards();
    return 0;
}
