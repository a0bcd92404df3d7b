#include "records/argument_reader.h"

#include "render/bounded_append.h"
#include "render/little_endian.h"

namespace tkdec {

void readArguments(uint32_t payloadLength, const uint8_t *payload, uint32_t *arguments, uint32_t wanted,
                   char **pos, char *end, OutputFormat format) {
    if (wanted == 0) return;
    if (wanted > kMaxArguments) wanted = kMaxArguments;
    const uint32_t available = payload == nullptr ? 0 : payloadLength / 4;
    const uint32_t have = available < wanted ? available : wanted;
    for (uint32_t i = 0; i < have; ++i)
        arguments[i] = static_cast<uint32_t>(readLittleEndian(4, payload + 4 * i, payload + payloadLength));
    for (uint32_t i = have; i < wanted; ++i) arguments[i] = kMissingArgument;
    if (format == UF_AsText && have != wanted)
        append(pos, end, "*DECODER ERROR* Arguments missing (have %d want %d):", static_cast<int>(have),
               static_cast<int>(wanted));
}

}  // namespace tkdec
