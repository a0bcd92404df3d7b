// Fuzzes printing a named type.
//
// Input: mode u8 (bits 0-1: the format; bit 2: a raw format of any value
// follows; bit 3: null name; bit 4: null data with a length, which follows;
// bit 5: null output with a size), [format i32], [length u32], output size
// u24 (up to 65,536), the name up to a NUL, then the value's bytes.
#include "fuzz_input.h"
#include "guarded_buffer.h"
#include "tkdec.h"

using fuzzing::GuardedBuffer;
using fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::InputReader input(data, size);
    const uint32_t mode = input.take(1);
    const int32_t format = static_cast<int32_t>(mode & 4 ? input.take(4) : mode & 3);
    const bool nullName = (mode & 8) != 0;
    const bool nullData = (mode & 16) != 0;
    const bool nullOutput = (mode & 32) != 0;
    const uint32_t nullDataLength = nullData ? input.take(4) : 0;
    const uint32_t outputSize = fuzzing::takeSize(input);
    const fuzzing::ExactText name(input);
    const fuzzing::ExactBytes bytes(input.rest(), input.restSize());

    GuardedBuffer out(outputSize);
    const uint32_t length = nullData ? nullDataLength : static_cast<uint32_t>(bytes.size());
    const uint32_t result = tkdec_decodeType(nullName ? nullptr : name.get(), length,
                                             nullData ? nullptr : bytes.data(), outputSize,
                                             nullOutput ? nullptr : out.text(), format);
    require(result == 0 || result == 1);
    const bool badArgument = nullName || nullOutput || outputSize == 0 || format < 0 || format > 3;
    if (badArgument) require(result == 1);
    if (result == 1) require(out.untouched());
    out.checkGuards();
    return 0;
}
