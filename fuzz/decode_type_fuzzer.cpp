// Fuzzes printing a named type: names from the message type table (by
// name, hexadecimal and decimal id) or random, any data, size and format.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <string>
#include <vector>

#include "build_ids.h"
#include "guarded_buffer.h"
#include "tkdec.h"

using fuzzing::GuardedBuffer;
using fuzzing::require;

namespace {

std::string pickName(FuzzedDataProvider &input) {
    const tkdec::MessageTypeEntry &entry = fuzzing::pickEntry(input);
    char number[20];
    switch (input.ConsumeIntegralInRange<int>(0, 4)) {
    case 0: return input.ConsumeRandomLengthString(64);
    case 1: std::snprintf(number, sizeof number, "0x%.8x", entry.id); return number;
    case 2: std::snprintf(number, sizeof number, "%i", static_cast<int>(entry.id)); return number;
    case 3: return entry.type->name;
    default: return entry.name;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string name = pickName(input);
    const int32_t format = input.ConsumeIntegralInRange<int32_t>(0, 3);
    const uint32_t outputSize = input.ConsumeIntegralInRange<uint32_t>(0, 8192);
    const std::vector<uint8_t> bytes = input.ConsumeRemainingBytes<uint8_t>();

    GuardedBuffer out(outputSize);
    const uint32_t result = tkdec_decodeType(name.c_str(), static_cast<uint32_t>(bytes.size()),
                                             bytes.empty() ? nullptr : bytes.data(), outputSize, out.text(), format);
    require(result == 0 || result == 1);
    out.checkGuards();
    return 0;
}
