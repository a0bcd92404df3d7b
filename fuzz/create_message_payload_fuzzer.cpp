// Fuzzes building a message payload. Input: buffer size u16 (up to 2048),
// form u8 (0: three texts, 1: JSON text alone, 2: name and body without
// destination), then name, destination and body, each up to a NUL.
#include <string>

#include "fuzz_input.h"
#include "guarded_buffer.h"
#include "tkdec.h"

using fuzzing::GuardedBuffer;
using fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::InputReader input(data, size);
    const uint32_t bufferSize = input.take(2) % 2049;
    const uint32_t form = input.take(1) % 3;
    const std::string name = input.text();
    const std::string destination = input.text();
    const std::string body = input.text();

    GuardedBuffer out(bufferSize);
    int32_t result;
    if (form == 0) {
        result = tkdec_createMessagePayload(out.data(), bufferSize, name.c_str(), destination.c_str(), body.c_str());
    } else if (form == 1) {
        result = tkdec_createMessagePayload(out.data(), bufferSize, name.c_str(), nullptr, nullptr);
    } else {
        result = tkdec_createMessagePayload(out.data(), bufferSize, name.c_str(), nullptr, body.c_str());
    }
    require(result != -2);
    require(result <= 0 || static_cast<uint32_t>(result) <= bufferSize);
    out.checkGuards();
    return 0;
}
