// Every record decoded into buffers of every size from 0 to its full
// length + 1: the output is the full output cut at the size, terminated
// exactly when the terminator fits, and nothing is written past the size.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/decode.h"
#include "support/payload.h"

namespace {

using tkdec::test::Bytes;
using tkdec::test::concat;
using tkdec::test::item;
using tkdec::test::words;

constexpr size_t kGuard = 16;
constexpr char kGuardByte = '\xA5';

struct SweepRecord {
    const char *name;
    uint16_t channel;
    uint32_t id;
    Bytes payload;
};

void sweep(const SweepRecord &record, tkdec_OutputFormat format) {
    const tkdec::test::Decoded full = tkdec::test::decode(record.channel, record.id, record.payload, format);
    const size_t length = full.text.size();
    ASSERT_GT(length, 0u);
    const auto wrapper = tkdec::test::wrapperOf(format);
    for (size_t size = 0; size <= length + 1; ++size) {
        std::vector<char> buffer(size + kGuard, kGuardByte);
        const int32_t result = wrapper(record.channel, record.id, static_cast<uint32_t>(record.payload.size()),
                                       record.payload.empty() ? nullptr : record.payload.data(),
                                       static_cast<uint32_t>(size), buffer.data());
        ASSERT_EQ(result, full.result) << "size " << size;
        const size_t kept = size < length ? size : length;
        ASSERT_EQ(std::string(buffer.data(), kept), full.text.substr(0, kept)) << "size " << size;
        if (size > length) ASSERT_EQ(buffer[length], '\0') << "size " << size;
        else ASSERT_EQ(std::memchr(buffer.data(), '\0', size), nullptr) << "a NUL that does not fit, size " << size;
        const size_t untouched = size > length ? length + 1 : size;
        for (size_t i = untouched; i < buffer.size(); ++i)
            ASSERT_EQ(buffer[i], kGuardByte) << "byte " << i << " written with size " << size;
    }
}

TEST(OutputSweep, EveryBufferSize) {
    const SweepRecord records[] = {
        {"print token", 7376, 0x94, words({2})},
        {"short payload", 48, 0x100, {1, 2, 3, 4, 5}},
        {"enumerations and a choice", 48, 0x104, words({3, 0x20000000, 0x0000A519, 0x0000132D})},
        {"extended string", 240, 0x78, concat({words({0, 1}), item(0, {'a', 'b', 'c'}), item(1, {'x', 0})})},
        {"extended data", 400, 0x108, concat({words({0x1000, 5}), item(5, {1, 2, 3, 4, 5, 6, 7})})},
        {"located alarm", 8209, 0x348, words({0x30000301, 2, 7})},
        {"named alarm", 8241, 0x30000300, words({2, 99, 0x12030000, 1, 2, 3})},
        {"exception report", 8241, 0x32030203, words({0x600001D3, 1, 2, 0x1808, 4, 5})},
        {"unknown token", 48, 0x1234, words({1})},
        {"unknown channel", 0x1234, 0, {}},
    };
    for (const SweepRecord &record : records) {
        for (tkdec_OutputFormat format : {UF_AsText, UF_AsXml, UF_AsLongJson, UF_AsJson}) {
            const tkdec::test::Decoded full = tkdec::test::decode(record.channel, record.id, record.payload, format);
            if (full.text.empty()) continue;  // an unknown token in text: nothing to cut
            SCOPED_TRACE(std::string(record.name) + " in format " + std::to_string(format));
            sweep(record, format);
        }
    }
}

}  // namespace
