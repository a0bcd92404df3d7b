// The tool's JSON and hexadecimal text helpers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hex.h"
#include "json_text.h"

namespace {

std::string escaped(std::string_view text) {
    std::string out;
    tkcli::appendJsonEscaped(text, out);
    return out;
}

std::string oneLine(std::string_view text) {
    std::string out;
    tkcli::appendJsonOneLine(text, out);
    return out;
}

std::string objectCheck(std::string_view text) { return tkcli::isJsonObject(text) ? "object" : "not"; }

struct TextCase {
    std::string (*apply)(std::string_view);
    std::string input;
    std::string expected;
};

TEST(JsonText, Cases) {
    const TextCase cases[] = {
        {escaped, "say \"hi\" \\ a\nb\rc\td", "say \\\"hi\\\" \\\\ a\\nb\\rc\\td"},
        {escaped, std::string("nul\0bell\x07", 9), "nul\\u0000bell\\u0007"},
        {escaped, "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},
        {escaped, "lone \xff, cut \xe2\x82", "lone \\u00ff, cut \\u00e2\\u0082"},
        {escaped, "overlong \xc0\xaf surrogate \xed\xa0\x80", "overlong \\u00c0\\u00af surrogate \\u00ed\\u00a0\\u0080"},
        {oneLine, "{\"a\":1,\n\t\"b\":2}\r\n", "{\"a\":1,  \"b\":2}  "},
        {oneLine, "{\"s\":\"x\ny\", \"k\":\"kept \\\" \\n \\u0041 \\q\"}", "{\"s\":\"x\\ny\", \"k\":\"kept \\\" \\n \\u0041 \\q\"}"},
        {oneLine, "{\"s\":\"\\\n\xff\"}", "{\"s\":\"\\\\\\n\\u00ff\"}"},
        {oneLine, "[DECODER INFO::x({\"x\":1})]{\"y\":\"\x01\"}", "[DECODER INFO::x({\"x\":1})]{\"y\":\"\\u0001\"}"},
        {tkcli::prettyJson, "{\"a\": 1, \"b\": [true, null], \"c\": {}, \"s\": \"a, {c}\\\"\"}",
         "{\n  \"a\": 1,\n  \"b\": [\n    true,\n    null\n  ],\n  \"c\": {},\n  \"s\": \"a, {c}\\\"\"\n}"},
        {objectCheck, " {\"a\":[1,-2.5e+3,true,false,null,{}],\"b\":\"\\u00e9\\n\xff\x01\"} ", "object"},
        {objectCheck, "{}", "object"},
        {objectCheck, "[1]", "not"},
        {objectCheck, "{\"a\":1,}", "not"},
        {objectCheck, "{\"a\" 1}", "not"},
        {objectCheck, "{\"a\":\"\\q\"}", "not"},
        {objectCheck, "{\"a\":01}", "not"},
        {objectCheck, "{\"a\":1}{}", "not"},
        {objectCheck, "[DECODER INFO::use x]{\"a\":1}", "not"},
        {objectCheck, "{\"a\":\"open}", "not"},
        {objectCheck, std::string(300, '[') + std::string(300, ']'), "not"},
    };
    for (const auto &[apply, input, expected] : cases) EXPECT_EQ(apply(input), expected) << input;
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
    };
    for (const auto &c : cases) {
        std::vector<uint8_t> bytes;
        std::string_view bad;
        EXPECT_EQ(tkcli::parseHexBytes(c.text, bytes, bad), c.ok) << c.text;
        EXPECT_EQ(bytes, c.bytes) << c.text;
        EXPECT_EQ(std::string(bad), c.bad) << c.text;
    }
}

TEST(Hex, Numbers) {
    const std::pair<std::string, uint64_t> accepted[] = {
        {"48", 48}, {"0x30", 48}, {"0X2cc40007", 0x2cc40007}, {"65535", 65535}, {"0", 0}};
    for (const auto &[text, value] : accepted) {
        uint64_t parsed = 1;
        EXPECT_TRUE(tkcli::parseUnsigned(text, 0xFFFF'FFFF, parsed) && parsed == value) << text;
    }
    for (const char *text : {"65536", "0x", "", "-1", "+1", " 1", "12a", "99999999999999999999999"}) {
        uint64_t parsed = 0;
        EXPECT_FALSE(tkcli::parseUnsigned(text, 0xFFFF, parsed)) << text;
    }
}

}  // namespace
