// Fuzzes building a message payload from name, destination and body texts
// of any content, in both input forms, into buffers of any size.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "build_ids.h"
#include "guarded_buffer.h"
#include "tkdec.h"

using fuzzing::GuardedBuffer;
using fuzzing::require;

namespace {

const char *const kDestinations[] = {"CKI_TIMER_PTP_TASK_ID", "0x12000000", "", "CKI_TIMER_MCE_TASK_ID", "301989888"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider input(data, size);
    const uint32_t bufferSize = input.ConsumeIntegralInRange<uint32_t>(0, 2048);
    const int form = input.ConsumeIntegralInRange<int>(0, 2);
    std::string name;
    if (input.ConsumeBool()) {
        const tkdec::MessageTypeEntry &entry = fuzzing::pickEntry(input);
        name = input.ConsumeBool() ? entry.name : entry.type->name;
    } else {
        name = input.ConsumeRandomLengthString(300);
    }
    const std::string destination = input.ConsumeBool()
                                        ? std::string(kDestinations[input.ConsumeIntegralInRange<int>(0, 4)])
                                        : input.ConsumeRandomLengthString(64);
    const std::string body = input.ConsumeRemainingBytesAsString();

    GuardedBuffer out(bufferSize);
    int32_t result;
    if (form == 0) {
        result = tkdec_createMessagePayload(out.data(), bufferSize, name.c_str(), destination.c_str(), body.c_str());
    } else if (form == 1) {
        result = tkdec_createMessagePayload(out.data(), bufferSize, body.c_str(), nullptr, nullptr);
    } else {
        result = tkdec_createMessagePayload(out.data(), bufferSize, name.c_str(), nullptr, body.c_str());
    }
    require(result != -2);
    require(result <= 0 || static_cast<uint32_t>(result) <= bufferSize);
    out.checkGuards();
    return 0;
}
