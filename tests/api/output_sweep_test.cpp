// Every kind of record decoded into buffers of every size from 0 to its full
// length + 1: the same result, the full output cut at the size, a NUL
// exactly when it fits, nothing written past the size.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/support.h"

namespace tkdec::test {
namespace {

struct SweepRecord {
    const char *name;
    uint16_t channel;
    uint32_t id;
    Bytes payload;
};

void sweep(const SweepRecord &record, OutputFormat format, const Decoded &full) {
    const size_t length = full.text.size();
    const ExactCopy payload(record.payload);
    for (size_t size = 0; size <= length + 1; ++size) {
        GuardedBuffer buffer(size);
        const int32_t result = wrapperOf(format)(record.channel, record.id, static_cast<uint32_t>(payload.size),
                                                 payload.size == 0 ? nullptr : payload.begin(),
                                                 static_cast<uint32_t>(size), buffer.text());
        ASSERT_EQ(result, full.result) << "size " << size;
        const size_t kept = size < length ? size : length;
        ASSERT_EQ(std::string(buffer.text(), kept), full.text.substr(0, kept)) << "size " << size;
        if (size > length) ASSERT_EQ(buffer.text()[length], '\0') << "size " << size;
        else ASSERT_EQ(std::memchr(buffer.text(), '\0', size), nullptr) << "a NUL that does not fit, size " << size;
        ASSERT_TRUE(buffer.guardsIntact()) << "size " << size;
    }
    // A position at or beyond the end, as a host's full view leaves it:
    // nothing written, the position kept.
    for (size_t beyond = 0; beyond <= 1; ++beyond) {
        GuardedBuffer buffer(0);
        char *const start = buffer.text() + beyond;
        char *position = start;
        tkdec_getText(payload.begin(), payload.begin() + payload.size, &position, buffer.text(), format, record.id,
                      record.channel);
        ASSERT_EQ(position, start) << beyond << " beyond the end";
        ASSERT_TRUE(buffer.guardsIntact()) << beyond << " beyond the end";
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
        {"message trace", 8465, 0x2CC40007, words({0x11000000, 0x11010000})},
        {"message", 8433, 0x2CC40007, words({0x12000000, 0x13C40000, 0, 2})},
        {"message without class", 8433, 0x2C0000FF, words({0x12030000, 0x12050000, 0})},
        {"unknown token", 48, 0x1234, words({1})},
        {"unknown channel", 0x1234, 0, {}},
    };
    for (const SweepRecord &record : records) {
        for (OutputFormat format : kFormats) {
            const Decoded full = decode(record.channel, record.id, record.payload, format);
            if (full.text.empty()) continue;  // an unknown token in text: nothing to cut
            SCOPED_TRACE(std::string(record.name) + " in " + kFormatNames[format]);
            sweep(record, format, full);
        }
    }
}

}  // namespace
}  // namespace tkdec::test
