#include "records/extended_payload.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/support.h"

namespace tkdec {
namespace {

using test::Bytes;
using test::item;
using test::text;

const Bytes kHelloAbc = test::concat({item(0, text("hello", true)), item(1, text("abc", false))});

struct LookupCase {
    const char *name;
    Bytes payload;
    uint32_t word;
    ItemStatus status;
    uint32_t length;  // Found only
};

TEST(ExtendedPayload, ItemLookupStatuses) {
    const LookupCase cases[] = {
        {"second key", kHelloAbc, 1, ItemStatus::Found, 3},
        {"first key", kHelloAbc, 0, ItemStatus::Found, 6},
        {"absent key", kHelloAbc, 2, ItemStatus::LookupFailed, 0},
        {"behind a whole-word item", test::concat({item(0, {1, 2, 3, 4}), item(1, {7})}), 1, ItemStatus::Found, 1},
        {"word 16 is no key", item(16, {1}), 16, ItemStatus::LookupFailed, 0},
        {"word 19 is no key", item(19, {1}), 19, ItemStatus::LookupFailed, 0},
        {"overlong item hides the key", test::concat({item(0, {1, 2}, 100), item(1, {7})}), 1,
         ItemStatus::PayloadTooSmall, 0},
        {"first of two equal keys", test::concat({item(4, {1, 2}), item(4, {1, 2, 3})}), 4, ItemStatus::Found, 2},
        {"last item unpadded at the end", test::concat({item(0, {1}), item(5, {1, 2, 3}, -1, false)}), 5,
         ItemStatus::Found, 3},
        {"header cut short", test::concat({item(0, {1}), Bytes{5, 0, 0, 0, 1}}), 5, ItemStatus::LookupFailed, 0},
    };
    for (const LookupCase &c : cases) {
        SCOPED_TRACE(c.name);
        const uint8_t *start = c.payload.empty() ? nullptr : c.payload.data();
        const ExtendedItem found = findExtendedItem(c.word, start, start ? start + c.payload.size() : nullptr);
        EXPECT_EQ(found.status, c.status);
        if (c.status == ItemStatus::Found) {
            EXPECT_EQ(found.length, c.length);
            EXPECT_GE(found.data, start);
            EXPECT_LE(found.data + found.length, start + c.payload.size());
        }
    }
}

struct TextCase {
    const char *name;
    Bytes payload;
    uint32_t word;
    const char *string;  // the extended string's text
    const char *dump1;   // the dump in units of 1 byte
};

TEST(ExtendedPayload, StringAndDumpTexts) {
    const TextCase cases[] = {
        {"terminated string", kHelloAbc, 0, "hello", "68 65 6c 6c 6f 00 "},
        {"unterminated string is copied", kHelloAbc, 1, "abc", "61 62 63 "},
        {"key absent", kHelloAbc, 2, "** String lookup failed: use LOG_STRING()? **",
         "**Extended Data lookup failed: use LOG_DATA()?**"},
        {"null pointer", {}, 17, "(null ptr)", "(null ptr)"},
        {"no data", {}, 18, "(null ptr)", "(no data)"},
        {"zero length item", item(2, {}), 2, "(null ptr)", "(no data)"},
        {"empty payload", {}, 3, "** Extended payload too small: use LOG_STRING()? **",
         "** Extended payload too small **"},
        {"overlong item", test::concat({item(0, {1}, 100), item(1, text("x", true))}), 1,
         "** Extended payload too small: use LOG_STRING()? **", "** Extended payload too small **"},
        {"NUL inside", item(0, {'a', 0, 'b', 0}), 0, "a", "61 00 62 00 "},
    };
    for (const TextCase &c : cases) {
        SCOPED_TRACE(c.name);
        const uint8_t *start = c.payload.empty() ? nullptr : c.payload.data();
        const uint8_t *end = start ? start + c.payload.size() : nullptr;
        char scratch[64];
        char *pos = scratch;
        EXPECT_STREQ(extendedString(c.word, start, end, &pos, scratch + sizeof scratch), c.string);
        pos = scratch;
        EXPECT_STREQ(extendedData(c.word, 1, "%.2x", " ", start, end, &pos, scratch + sizeof scratch), c.dump1);
    }
}

TEST(ExtendedPayload, UnterminatedStringTakesScratchRoom) {
    const Bytes payload = item(1, text("abc", false));
    const uint8_t *end = payload.data() + payload.size();
    // Copied only when length + 1 is less than the room left.
    const struct {
        size_t room;
        const char *text;
    } cases[] = {{5, "abc"}, {4, "** String is NOT null terminated **"}, {0, "** String is NOT null terminated **"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.room);
        char scratch[8];
        char *pos = scratch;
        const char *result = extendedString(1, payload.data(), end, &pos, scratch + c.room);
        EXPECT_STREQ(result, c.text);
        EXPECT_EQ(pos, c.text[0] == 'a' ? scratch + 4 : scratch) << "the copy and its NUL are taken";
    }
}

struct DumpCase {
    const char *name;
    Bytes data;
    uint32_t unit;
    size_t room;
    const char *text;
};

TEST(ExtendedPayload, DumpUnitsAndLimit) {
    const DumpCase cases[] = {
        {"last unit short by 3", {1, 2, 3, 4, 5}, 4, 64, "04030201 00000005 "},
        {"last unit short by 1", {1, 2, 3, 4, 5, 6, 7}, 4, 64, "04030201 00070605 "},
        {"units of 1", {1, 0x0A, 0xFF}, 1, 64, "01 0a ff "},
        // The dump limit lies 2 * unit + 1 bytes before the scratch end.
        {"limit stops behind a separator", {1, 2, 3, 4}, 1, 3 + 6, "01 02 "},
        {"limit cuts the separator", {1, 2, 3, 4}, 1, 3 + 5, "01 02"},
        {"limit cuts a unit", {1, 2, 3, 4}, 1, 3 + 4, "01 0"},
        {"no room for a unit", {1, 2}, 1, 3, ""},
        {"no room for a word", {1, 2, 3, 4}, 4, 9, ""},
        {"full scratch area", {1}, 1, 0, "** Cannot print to buffer, not enough space **"},
    };
    for (const DumpCase &c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes payload = item(0, c.data);
        std::string scratch(c.room + 1, '\x7f');
        char *pos = scratch.data();
        const char *format = c.unit == 4 ? "%.8x" : "%.2x";
        const char *dump = extendedData(0, c.unit, format, " ", payload.data(), payload.data() + payload.size(),
                                        &pos, scratch.data() + c.room);
        EXPECT_STREQ(dump, c.text);
        const size_t taken = c.room == 0 ? 0 : std::strlen(c.text) + 1;  // the next text starts behind the NUL
        EXPECT_EQ(taken == 0 || dump == scratch.data(), true);
        EXPECT_EQ(pos, scratch.data() + taken);
        EXPECT_EQ(scratch[c.room], '\x7f');
    }
}

}  // namespace
}  // namespace tkdec
