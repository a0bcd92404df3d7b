// The little-endian writer and the parsers of numbers, enumerator names,
// bitmasks and bit offsets: result, bytes written and where the position
// stops, in both syntaxes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "encoder/little_endian_writer.h"
#include "encoder/value_parsers.h"
#include "encoder/guarded_buffer.h"
#include "encoder/test_types.h"

namespace {

using enctest::GuardedBuffer;
using tkdec::OutputFormat;
using Bytes = std::vector<uint8_t>;

constexpr OutputFormat D = UF_AsText;  // designated-initialiser syntax
constexpr OutputFormat J = UF_AsJson;
constexpr uint8_t F = 0xEE;  // a byte the parser did not write

using Parser = int32_t (*)(uint8_t *, uint8_t *, const char **, OutputFormat, uint32_t, const tkdec::Enumerator *);

struct ParseCase {
    std::string text;
    OutputFormat syntax;
    uint32_t size;
    size_t window;
    int32_t result;
    Bytes bytes;      // the window afterwards
    size_t consumed;  // characters before the final position
};

void runCases(const char *name, Parser parse, const tkdec::Enumerator *table, const std::vector<ParseCase> &cases,
              uint8_t fill = F) {
    for (const ParseCase &c : cases) {
        SCOPED_TRACE(std::string(name) + " [" + c.text + "] syntax " + std::to_string(c.syntax));
        GuardedBuffer window(c.window, fill);
        const char *const text = c.text.c_str();
        const char *position = text;
        EXPECT_EQ(parse(window.start(), window.end(), &position, c.syntax, c.size, table), c.result);
        EXPECT_EQ(window.contents(), c.bytes);
        EXPECT_EQ(static_cast<size_t>(position - text), c.consumed);
        EXPECT_TRUE(window.guardsIntact());
    }
}

int32_t integer(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax, uint32_t size,
                const tkdec::Enumerator *) {
    return tkdec::parseInteger(start, end, text, syntax, size);
}

TEST(LittleEndianWriter, WritesLowByteFirstWithinTheWindow) {
    struct Case {
        uint32_t n;
        uint32_t value;
        size_t window;
        int32_t result;
        Bytes bytes;
    };
    const Case cases[] = {
        {1, 0x12345678, 1, 0, {0x78}},
        {2, 0x12345678, 2, 0, {0x78, 0x56}},
        {4, 0x12345678, 4, 0, {0x78, 0x56, 0x34, 0x12}},
        {8, 0x12345678, 8, 0, {0x78, 0x56, 0x34, 0x12, 0, 0, 0, 0}},
        {4, 0x12345678, 3, -1, {F, F, F}},
        {0, 0x12345678, 0, 0, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.n);
        GuardedBuffer window(c.window);
        EXPECT_EQ(tkdec::writeLittleEndian(c.n, c.value, window.start(), window.end()), c.result);
        EXPECT_EQ(window.contents(), c.bytes);
        EXPECT_TRUE(window.guardsIntact());
    }
    uint8_t byte = 0;
    EXPECT_EQ(tkdec::writeLittleEndian(1, 1, nullptr, &byte), -1);
    EXPECT_EQ(tkdec::writeLittleEndian(1, 1, &byte, nullptr), -1);
}

TEST(IntegerParser, NumberForms) {
    runCases("integer", &integer, nullptr,
             {
                 {"0x10", D, 4, 4, 0, {0x10, 0, 0, 0}, 4},
                 {"16", D, 4, 4, 0, {0x10, 0, 0, 0}, 2},
                 {"010", D, 1, 1, 0, {8}, 3},
                 {"-1", D, 2, 2, 0, {0xFF, 0xFF}, 2},
                 {"300", D, 1, 1, 0, {0x2C}, 3},
                 {"1ABC", D, 4, 4, 0, {1, 0, 0, 0}, 1},
                 {"0X1f}", D, 1, 1, 0, {0x1F}, 4},
                 {" \t42 ", D, 1, 1, 0, {42}, 4},
                 {"+7", D, 1, 1, 0, {7}, 2},
                 {"-0x10", D, 1, 1, 0, {0xF0}, 5},
                 {"08", D, 1, 1, 0, {0}, 1},
                 {"0xg", D, 1, 1, 0, {0}, 1},
                 {"4294967295", D, 4, 4, 0, {0xFF, 0xFF, 0xFF, 0xFF}, 10},
                 {"0x123456789", D, 4, 4, 0, {0x89, 0x67, 0x45, 0x23}, 11},
                 {"7", D, 8, 8, 0, {7, 0, 0, 0, 0, 0, 0, 0}, 1},
                 {"x", D, 1, 1, -1, {F}, 0},
                 {"", D, 1, 1, -1, {F}, 0},
                 {"-", D, 1, 1, -1, {F}, 0},
                 {"- 5", D, 1, 1, -1, {F}, 0},
                 {"5", D, 4, 3, -1, {F, F, F}, 0},
             });
}

TEST(IntegerParser, QuotesInJson) {
    runCases("integer", &integer, nullptr,
             {
                 {"\"7\"", J, 1, 1, 0, {7}, 3},
                 {"\" 0x20\",", J, 1, 1, 0, {0x20}, 7},
                 {"7", J, 1, 1, 0, {7}, 1},
                 {"\"7", J, 1, 1, -1, {7}, 2},
                 {"\"7 \"", J, 1, 1, -1, {7}, 2},
                 {"\"x\"", J, 1, 1, -1, {F}, 0},
                 {"\"\"", J, 1, 1, -1, {F}, 0},
                 {"\"5\"", J, 4, 2, -1, {F, F}, 0},
                 {" \"7\"", J, 1, 1, 0, {7}, 4},
                 {" \"x\"", J, 1, 1, -1, {F}, 0},
                 {"\"7\"", D, 1, 1, -1, {F}, 0},
             });
}

TEST(EnumerationParser, NumbersAndNames) {
    runCases("enumeration", &tkdec::parseEnumeration, enctest::kAlarmLevels,
             {
                 {"CKI_ALARM_ERROR", D, 4, 4, 0, {2, 0, 0, 0}, 15},
                 {"  CKI_ALARM_INFO}", D, 4, 4, 0, {8, 0, 0, 0}, 16},
                 {"CKI_NO_ALARM", D, 4, 4, 0, {0, 0, 0, 0}, 12},
                 {"7", D, 4, 4, 0, {7, 0, 0, 0}, 1},
                 {"1ABC", D, 4, 4, 0, {1, 0, 0, 0}, 1},
                 {"CKI_ALARM_ERROR", D, 1, 1, 0, {2}, 15},
                 {"CKI_ALARM_ERRORX", D, 4, 4, -1, {F, F, F, F}, 0},
                 {"cki_alarm_error", D, 4, 4, -1, {F, F, F, F}, 0},
                 {"  UNKNOWN", D, 4, 4, -1, {F, F, F, F}, 2},
                 {"CKI_ALARM_ERROR", D, 4, 2, -1, {F, F}, 0},
                 {"\"CKI_ALARM_INFO\"", J, 4, 4, 0, {8, 0, 0, 0}, 16},
                 {" \"CKI_ALARM_INFO\"", J, 4, 4, 0, {8, 0, 0, 0}, 17},
                 {"\"CKI_ALARM_INFO", J, 4, 4, -1, {8, 0, 0, 0}, 15},
                 {" \"NOPE\"", J, 4, 4, -1, {F, F, F, F}, 1},
                 {"\"CKI_ALARM_INFO\"", D, 4, 4, -1, {F, F, F, F}, 0},
             });
}

TEST(EnumeratorNameParser, IdentifierLimitOf127Characters) {
    const std::string longest(127, 'N');
    const std::string tooLong(128, 'N');
    const tkdec::Enumerator table[] = {{5, longest.c_str()}, {6, tooLong.c_str()}, {0, nullptr}};
    runCases("name", &tkdec::parseEnumeratorName, table,
             {
                 {longest, D, 1, 1, 0, {5}, 127},
                 {longest + "}", D, 1, 1, 0, {5}, 127},
                 {tooLong, D, 1, 1, -1, {F}, 0},
                 {" " + std::string(4000, 'N') + "}", D, 1, 1, -1, {F}, 1},
                 {"\"" + tooLong + "\"", J, 1, 1, -1, {F}, 0},
             });
    const char *text = "CKI_ALARM_ERROR";
    uint8_t byte = 0;
    EXPECT_EQ(tkdec::parseEnumeratorName(&byte, &byte + 1, &text, D, 1, nullptr), -1);
}

TEST(BitmaskParser, ListsInBothSyntaxes) {
    runCases("bitmask", &tkdec::parseBitmask, enctest::kMasks,
             {
                 {"BIT_A|BIT_B", D, 1, 1, 0, {0x03}, 11},
                 {"BIT_A | BIT_C }", D, 1, 1, 0, {0x05}, 14},
                 {"BIT_A|0x80, .m_x=1", D, 1, 1, 0, {0x81}, 10},
                 {"5}", D, 1, 1, 0, {0x05}, 1},
                 {"BIT_H|BIT_A", D, 2, 2, 0, {0x81, 0}, 11},
                 {"BIT_A|BIT_B .m_next=1", D, 1, 1, 0, {0x03}, 12},
                 {"BIT_A|BOGUS}", D, 1, 1, 0, {0x01}, 6},
                 {"}", D, 1, 1, 0, {F}, 0},
                 {"BIT_A|BIT_B", D, 1, 0, -1, {}, 11},
                 {"[\"BIT_A\", \"BIT_B\"]", J, 1, 1, 0, {0x03}, 18},
                 {" [BIT_A, 2] ,", J, 1, 1, 0, {0x03}, 11},
                 {"7", J, 1, 1, 0, {0x07}, 1},
                 {"\"7\"", J, 1, 1, 0, {0x07}, 3},
                 {"[]", J, 1, 1, 0, {F}, 2},
                 {"\"BIT_A\"", J, 1, 1, -1, {F}, 0},
                 {"BIT_A", J, 1, 1, -1, {F}, 0},
                 {"[BIT_A", J, 1, 1, -1, {0x01}, 6},
                 {"[BOGUS]", J, 1, 1, -1, {F}, 1},
                 {"[BIT_A BOGUS]", J, 1, 1, -1, {0x01}, 7},
             });
}

TEST(BitOffsetParser, ListsInBothSyntaxes) {
    runCases("bit offset", &tkdec::parseBitOffset, enctest::kEvents,
             {
                 {"EV_3|EV_9", D, 4, 8, 0, {0x08, 0x02, 0, 0, 0, 0, 0, 0}, 9},
                 {"EV_0 | EV_63 }", D, 4, 8, 0, {0x01, 0, 0, 0, 0, 0, 0, 0x80}, 13},
                 {"EV_3|EV_3", D, 4, 8, 0, {0x08, 0, 0, 0, 0, 0, 0, 0}, 9},
                 {"EV_0|5", D, 4, 8, 0, {0x05, 0, 0, 0, 0, 0, 0, 0}, 6},
                 {"EV_64", D, 4, 8, -1, {0, 0, 0, 0, 0, 0, 0, 0}, 5},
                 {"EV_3|EV_64|EV_9", D, 4, 8, -1, {0x08, 0, 0, 0, 0, 0, 0, 0}, 10},
                 {"[\"EV_0\", \"EV_9\"]", J, 4, 8, 0, {0x01, 0x02, 0, 0, 0, 0, 0, 0}, 16},
                 {"[EV_3 , EV_9] }", J, 4, 8, 0, {0x08, 0x02, 0, 0, 0, 0, 0, 0}, 13},
                 {"5", J, 4, 8, 0, {0x05, 0, 0, 0, 0, 0, 0, 0}, 1},
                 {"[]", J, 4, 8, 0, {0, 0, 0, 0, 0, 0, 0, 0}, 2},
                 {"\"EV_3\"", J, 4, 8, -1, {0, 0, 0, 0, 0, 0, 0, 0}, 0},
                 {"[EV_3", J, 4, 8, -1, {0x08, 0, 0, 0, 0, 0, 0, 0}, 5},
             },
             0);
}

TEST(BitOffsetParser, KeepsTheBitsAlreadySet) {
    GuardedBuffer window(2, 0x10);
    const char *text = "EV_3|EV_9";
    EXPECT_EQ(tkdec::parseBitOffset(window.start(), window.end(), &text, D, 4, enctest::kEvents), 0);
    EXPECT_EQ(window.contents(), (Bytes{0x18, 0x12}));
    EXPECT_TRUE(window.guardsIntact());
}

}  // namespace
