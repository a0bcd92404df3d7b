// Decoding a record through the exported wrappers, for the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tkdec.h"

namespace tkdec::test {

struct Decoded {
    int32_t result;
    std::string text;  // up to the terminating NUL
};

using Wrapper = int32_t (*)(uint16_t, uint32_t, uint32_t, const uint8_t *, uint32_t, char *);

inline Wrapper wrapperOf(tkdec_OutputFormat format) {
    constexpr Wrapper wrappers[] = {tkdec_getShortText, tkdec_getXml, tkdec_getLongJson, tkdec_getJson};
    return wrappers[format];
}

// Decodes into a large buffer; the text must end with a NUL.
inline Decoded decode(uint16_t channel, uint32_t id, const std::vector<uint8_t> &payload,
                      tkdec_OutputFormat format = UF_AsText) {
    std::vector<char> buffer(1 << 16, '\x7f');
    const int32_t result = wrapperOf(format)(channel, id, static_cast<uint32_t>(payload.size()),
                                             payload.empty() ? nullptr : payload.data(),
                                             static_cast<uint32_t>(buffer.size()), buffer.data());
    return {result, std::string(buffer.data())};
}

}  // namespace tkdec::test
