// The tool's JSON and hexadecimal text helpers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hex.h"
#include "json_text.h"

namespace {

struct TextCase {
    std::string input;
    std::string expected;
};

TEST(JsonText, EscapedStringContents) {
    const TextCase cases[] = {
        {"plain", "plain"},
        {"say \"hi\" \\ bye", "say \\\"hi\\\" \\\\ bye"},
        {"a\nb\rc\td", "a\\nb\\rc\\td"},
        {std::string("nul\0bell\x07", 9), "nul\\u0000bell\\u0007"},
        {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},
        {"lone \xff byte", "lone \\u00ff byte"},
        {"cut \xe2\x82", "cut \\u00e2\\u0082"},
        {"overlong \xc0\xaf", "overlong \\u00c0\\u00af"},
        {"surrogate \xed\xa0\x80", "surrogate \\u00ed\\u00a0\\u0080"},
    };
    for (const auto &[input, expected] : cases) {
        std::string out;
        tkcli::appendJsonEscaped(input, out);
        EXPECT_EQ(out, expected) << input;
    }
}

TEST(JsonText, OneLine) {
    const TextCase cases[] = {
        {"{\"a\":1}", "{\"a\":1}"},
        {"{\"a\":1,\n\t\"b\":2}\r\n", "{\"a\":1,  \"b\":2}  "},
        {"{\"s\":\"x\ny\"}", "{\"s\":\"x\\ny\"}"},
        {"{\"s\":\"kept \\\" \\n \\u0041\"}", "{\"s\":\"kept \\\" \\n \\u0041\"}"},
        {"{\"s\":\"\\q\"}", "{\"s\":\"\\q\"}"},
        // A backslash before a line break: both escaped, the string keeps them.
        {"{\"s\":\"\\\n\"}", "{\"s\":\"\\\\\\n\"}"},
        {"{\"s\":\"\xff\"}", "{\"s\":\"\\u00ff\"}"},
        {"[DECODER INFO::use CKI_MESSAGE_ID({\"x\":1}) to link]{\"y\":\"\x01\"}",
         "[DECODER INFO::use CKI_MESSAGE_ID({\"x\":1}) to link]{\"y\":\"\\u0001\"}"},
    };
    for (const auto &[input, expected] : cases) {
        std::string out;
        tkcli::appendJsonOneLine(input, out);
        EXPECT_EQ(out, expected) << input;
    }
}

TEST(JsonText, Pretty) {
    const TextCase cases[] = {
        {"{\"a\": 1, \"b\": [true, null], \"c\": {}}",
         "{\n  \"a\": 1,\n  \"b\": [\n    true,\n    null\n  ],\n  \"c\": {}\n}"},
        {"{\"s\": \"a, b: {c}\", \"e\": \"\\\"\"}", "{\n  \"s\": \"a, b: {c}\",\n  \"e\": \"\\\"\"\n}"},
        {"[]", "[]"},
    };
    for (const auto &[input, expected] : cases) EXPECT_EQ(tkcli::prettyJson(input), expected) << input;
}

TEST(Hex, Bytes) {
    struct Case {
        std::string text;
        bool ok;
        std::vector<uint8_t> bytes;
        std::string bad;
    };
    const Case cases[] = {
        {"", true, {}, ""},
        {"07 00 c4 2C", true, {0x07, 0x00, 0xc4, 0x2c}, ""},
        {"0700c42c\t10\n", true, {0x07, 0x00, 0xc4, 0x2c, 0x10}, ""},
        {"01 2", false, {0x01}, "2"},
        {"01 0x02", false, {0x01}, "0x02"},
        {"zz", false, {}, "zz"},
    };
    for (const auto &c : cases) {
        std::vector<uint8_t> bytes;
        std::string_view bad;
        EXPECT_EQ(tkcli::parseHexBytes(c.text, bytes, bad), c.ok) << c.text;
        EXPECT_EQ(bytes, c.bytes) << c.text;
        EXPECT_EQ(std::string(bad), c.bad) << c.text;
    }
    std::string out;
    const uint8_t bytes[] = {0x00, 0xab, 0x10};
    tkcli::appendHexBytes(bytes, sizeof bytes, out);
    EXPECT_EQ(out, "00 ab 10");
}

TEST(Hex, Numbers) {
    struct Case {
        std::string text;
        uint64_t maximum;
        bool ok;
        uint64_t value;
    };
    const Case cases[] = {
        {"48", 0xFFFF, true, 48},         {"0x30", 0xFFFF, true, 48},
        {"0X2cc40007", 0xFFFFFFFF, true, 0x2cc40007},
        {"65535", 0xFFFF, true, 65535},   {"65536", 0xFFFF, false, 0},
        {"0xffffffff", 0xFFFFFFFF, true, 0xFFFFFFFF},
        {"0x100000000", 0xFFFFFFFF, false, 0},
        {"99999999999999999999999", 0xFFFFFFFF, false, 0},
        {"", 0xFFFF, false, 0},           {"0x", 0xFFFF, false, 0},
        {"-1", 0xFFFF, false, 0},         {"+1", 0xFFFF, false, 0},
        {" 1", 0xFFFF, false, 0},         {"12a", 0xFFFF, false, 0},
        {"0", 0xFFFF, true, 0},
    };
    for (const auto &c : cases) {
        uint64_t value = 0;
        EXPECT_EQ(tkcli::parseUnsigned(c.text, c.maximum, value), c.ok) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

}  // namespace
