// Fuzzes printing a named type. Input: format u8 (low two bits), output
// size u16 (up to 8192), the name up to a NUL, then the value's bytes.
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "guarded_buffer.h"
#include "tkdec.h"

using fuzzing::GuardedBuffer;
using fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::InputReader input(data, size);
    const int32_t format = static_cast<int32_t>(input.take(1) & 3);
    const uint32_t outputSize = input.take(2) % 8193;
    const std::string name = input.text();
    const std::vector<uint8_t> bytes(input.rest(), input.rest() + input.restSize());

    GuardedBuffer out(outputSize);
    const uint32_t result = tkdec_decodeType(name.c_str(), static_cast<uint32_t>(bytes.size()),
                                             bytes.empty() ? nullptr : bytes.data(), outputSize, out.text(), format);
    require(result == 0 || result == 1);
    out.checkGuards();
    return 0;
}
