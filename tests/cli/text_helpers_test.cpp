// The tool's JSON text helpers.
#include <gtest/gtest.h>

#include <string>

#include "output/json_text.h"
#include "output/json_writer.h"

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
std::string valueCheck(std::string_view text) { return tkcli::isJsonValue(text) ? "value" : "not"; }

// Nesting, separators, numbers and ids around a key and a string of text.
std::string written(std::string_view text) {
    std::string out;
    tkcli::JsonWriter json(out);
    json.beginObject().key(text).string(text).key("a").beginArray().number(0).number(UINT64_MAX);
    json.beginObject().endObject().boolean(false).stringOrNull(nullptr).endArray().key("id").id(0xdeadbeef).endObject();
    return out;
}

// The library's JSON text among other values.
std::string passed(std::string_view text) {
    std::string out;
    tkcli::JsonWriter json(out);
    json.beginArray().document(text).document(text).null().endArray();
    return out;
}

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
        {escaped, "above U+10FFFF \xf4\x90\x80\x80", "above U+10FFFF \\u00f4\\u0090\\u0080\\u0080"},
        {escaped, "overlong \xc0\xaf surrogate \xed\xa0\x80", "overlong \\u00c0\\u00af surrogate \\u00ed\\u00a0\\u0080"},
        {oneLine, "{\"a\":1,\n\t\"b\":2}\r\n", "{\"a\":1,  \"b\":2}  "},
        {oneLine, "{\"s\":\"x\ny\", \"k\":\"kept \\\" \\n \\u0041 \\q\"}", "{\"s\":\"x\\ny\", \"k\":\"kept \\\" \\n \\u0041 \\q\"}"},
        {oneLine, "{\"s\":\"a\\\\b\n\"}", "{\"s\":\"a\\\\b\\n\"}"},
        {oneLine, "{\"s\":\"\\\n\xff\"}", "{\"s\":\"\\\\\\n\\u00ff\"}"},
        {oneLine, "{\"s\":\"a\xff\"}", "{\"s\":\"a\\u00ff\"}"},
        {oneLine, "{\"ab\":\"\xff", "{\"ab\":\"\\u00ff"},  // the last byte of the only word
        {oneLine, "[DECODER INFO::x({\"x\":1})]{\"y\":\"\x01\"}", "[DECODER INFO::x({\"x\":1})]{\"y\":\"\\u0001\"}"},
        // Long lines are scanned many bytes at a time: one odd byte anywhere is found.
        {oneLine, "{\"s\":\"" + std::string(40, 'a') + "\x01" + std::string(40, 'b') + "\"}",
         "{\"s\":\"" + std::string(40, 'a') + "\\u0001" + std::string(40, 'b') + "\"}"},
        {oneLine, "{\"s\":\"" + std::string(14, 'a') + "\xff" + std::string(60, 'b') + "\"}",
         "{\"s\":\"" + std::string(14, 'a') + "\\u00ff" + std::string(60, 'b') + "\"}"},
        {oneLine, "{\"s\":\"" + std::string(44, 'a') + "\n" + std::string(60, 'b') + "\"}",
         "{\"s\":\"" + std::string(44, 'a') + "\\n" + std::string(60, 'b') + "\"}"},
        {written, "k", "{\"k\":\"k\",\"a\":[0,18446744073709551615,{},false,null],\"id\":\"0xdeadbeef\"}"},
        {written, "\"\xff", "{\"\\\"\\u00ff\":\"\\\"\\u00ff\",\"a\":[0,18446744073709551615,{},false,null],\"id\":\"0xdeadbeef\"}"},
        {passed, "{\"a\":\n1}", "[{\"a\": 1},{\"a\": 1},null]"},
        {objectCheck, " {\"a\":[1,-2.5e+3,true,false,null,{}],\"b\":\"\\u00e9\\n\xff\x01\"} ", "object"},
        {objectCheck, "[1]", "not"},
        {valueCheck, " [1,\"\\n\xff\"] ", "value"},
        {valueCheck, "[\"\x01\"]", "not"},
        {objectCheck, "{\"a\":1,}", "not"},
        {objectCheck, "{\"a\":\"\\q\"}", "not"},
        {objectCheck, "{\"a\":01}", "not"},
        {objectCheck, "[DECODER INFO::use x]{\"a\":1}", "not"},
        {objectCheck, "{\"a\":\"open}", "not"},
        {objectCheck, std::string(300, '[') + std::string(300, ']'), "not"},
    };
    for (const auto &[apply, input, expected] : cases) EXPECT_EQ(apply(input), expected) << input;
}

}  // namespace
