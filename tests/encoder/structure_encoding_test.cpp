// Where member values go: base parts, nested structures, arrays in string
// and element-list form, the windows of members and elements.
#include <gtest/gtest.h>

#include <string>

#include "encoder/structure_case.h"
#include "encoder/test_types.h"

namespace {

using namespace enctest;

constexpr tkdec::OutputFormat D = UF_AsText;
constexpr tkdec::OutputFormat J = UF_AsJson;

std::vector<uint8_t> bytesOf(const std::string &text, bool nul) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    if (nul) bytes.push_back(0);
    return bytes;
}

std::string numberList(int count) {
    std::string list;
    for (int i = 1; i <= count; ++i) {
        if (i > 1) list.push_back(',');
        list.append(std::to_string(i));
    }
    return list;
}

std::vector<uint8_t> sequence(int count) {
    std::vector<uint8_t> bytes;
    for (int i = 1; i <= count; ++i) bytes.push_back(static_cast<uint8_t>(i));
    return bytes;
}

TEST(StructureEncoding, MembersThroughBaseParts) {
    runStructureCases(statusCnf, {
        {"{.m_srcTask=CKI_TIMER_PTP_TASK_ID .m_status=CKI_TEST_APP_STATUS_RUNNING}", D, 0, kWholeText,
         {{4, {0, 0, 0, 0x12}}, {16, {1}}}},
        {"{\"m_status\": 1, \"m_deleteMe\": 1}", J, 0, kWholeText, {{13, {1}}, {16, {1}}}},
    });
    runStructureCases(record, {
        {"{.m_dstTask=0x12010000 .m_status=1 .m_word=0x01020304 .m_half=0x0506 .m_signed=-2 .m_long=0xFFFFFFFF}",
         D, 0, kWholeText,
         {{8, {0, 0, 1, 0x12}}, {16, {1}}, {20, {4, 3, 2, 1, 6, 5}}, {27, {0xFE}},
          {96, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}}}},
        {"{.m_level=CKI_ALARM_WARNING .m_mask=BIT_A|BIT_C}", D, 0, kWholeText, {{26, {5}}, {28, {4, 0, 0, 0}}}},
        {"{\"m_level\": \"CKI_ALARM_WARNING\", \"m_mask\": [\"BIT_A\", \"BIT_C\"]}", J, 0, kWholeText,
         {{26, {5}}, {28, {4, 0, 0, 0}}}},
        {"{.m_mask=BIT_A|BIT_H .m_word=7}", D, 0, kWholeText, {{20, {7, 0, 0, 0}}, {26, {0x81}}}},
        {"{.m_mask=BIT_A|BOGUS}", D, -1, 15, {{26, {0x01}}}},
        {"{\"m_mask\": \"BIT_A\"}", J, -1, 11, {}},
        {"{.m_word=1 .m_word=2}", D, 0, kWholeText, {{20, {2, 0, 0, 0}}}},
        {"{.m_opaque=5}", D, -1, 11, {}},
        {"{.m_nope=5 .m_word=1}", D, -1, 9, {}},
    });
}

TEST(StructureEncoding, AFailedMatchDoesNotEndTheSearch) {
    runStructureCases(shadow, {
        {"{.m_value=CKI_TEST_APP_STATUS_RUNNING}", D, 0, kWholeText, {{4, {1}}}},
        {"{.m_value=CKI_ALARM_INFO}", D, 0, kWholeText, {{0, {8, 0, 0, 0}}}},
        {"{.m_value=3}", D, 0, kWholeText, {{0, {3, 0, 0, 0}}}},
        {"{.m_value=NEITHER}", D, -1, 10, {}},
    });
}

TEST(StructureEncoding, NestedStructuresAndBitmaps) {
    runStructureCases(record, {
        {"{.m_pair={.b=7}}", D, 0, kWholeText, {{81, {7}}}},
        {"{\"m_pair\": {\"a\": 7}}", J, 0, kWholeText, {{80, {7}}}},
        {"{.m_pairs={{.a=1 .b=2}, {.a=3}}}", D, 0, kWholeText, {{88, {1, 2, 3}}}},
        {"{\"m_pairs\": [{\"a\": 1, \"b\": 2}, {\"b\": 4}]}", J, 0, kWholeText, {{88, {1, 2}}, {91, {4}}}},
        {"{.m_events=EV_0|EV_63}", D, 0, kWholeText, {{72, {1, 0, 0, 0, 0, 0, 0, 0x80}}}, kTypeSize, 0},
        {"{\"m_events\": [\"EV_3\", \"EV_9\"]}", J, 0, kWholeText, {{72, {8, 2}}}, kTypeSize, 0},
        {"{.m_events=EV_64}", D, -1, kWholeText, {}, kTypeSize, 0},
    });
}

TEST(StructureEncoding, CharacterArrays) {
    runStructureCases(record, {
        {"{.m_name={\"abc\"}}", D, 0, kWholeText, {{32, bytesOf("abc", true)}}},
        {"{.m_name={'abc'}}", D, 0, kWholeText, {{32, bytesOf("abc", true)}}},
        {"{.m_name={\"0123456789abcdef\"}}", D, 0, kWholeText, {{32, bytesOf("0123456789abcdef", false)}}},
        {"{.m_name={\"0123456789abcdefg\"}}", D, -1, kWholeText, {{32, bytesOf("0123456789abcdef", false)}}},
        {"{.m_name={\"abc}}", D, -1, kWholeText, {{32, bytesOf("abc}}", true)}}},
        {"{.m_name={65, 66}}", D, 0, kWholeText, {{32, {'A', 'B'}}}},
        {"{\"m_name\": [\"abc\"]}", J, 0, kWholeText, {{32, bytesOf("abc", true)}}},
        {"{\"m_name\": [\"abc\" }", J, -1, 12, {}},
        {"{\"m_name\": \"abc\"}", J, -1, kWholeText, {}},
    });
}

TEST(StructureEncoding, NumericArrays) {
    runStructureCases(record, {
        {"{.m_bytes={1, 2, 3}}", D, 0, kWholeText, {{48, {1, 2, 3}}}},
        {"{.m_bytes={" + numberList(24) + "}}", D, 0, kWholeText, {{48, sequence(24)}}},
        {"{.m_bytes={" + numberList(25) + "}}", D, -1, 11 + numberList(24).size() + 1, {{48, sequence(24)}}},
        {"{.m_bytes={}}", D, -1, kWholeText, {}},
        {"{\"m_bytes\": [1, 2, 3]}", J, 0, kWholeText, {{48, {1, 2, 3}}}},
        {"{\"m_bytes\": []}", J, -1, kWholeText, {}},
        {"{\"m_bytes\": [\"6\", 7, \"8\"]}", J, 0, kWholeText, {{48, {6, 7, 8}}}},
        {"{\"m_bytes\": [\"67\" ]}", J, 0, kWholeText, {{48, {'6', '7', 0}}}},
        {"{.m_bytes={\"6\", 7}}", D, -1, kWholeText, {{48, {'6', 0}}}},
        {"{.m_halves={0x102, 3}}", D, 0, kWholeText, {{82, {2, 1, 3, 0}}}},
        {"{.m_halves={1 junk, 2}}", D, 0, kWholeText, {{82, {1, 0, 2, 0}}}},
        {"{.m_halves={1, x}}", D, -1, 15, {{82, {1, 0}}}},
    });
}

TEST(StructureEncoding, WindowsEndAtTheCallersBuffer) {
    runStructureCases(record, {
        {"{.m_word=1}", D, 0, kWholeText, {{20, {1, 0, 0, 0}}}, 30},
        {"{.m_half=0x0506 .m_level=2}", D, -1, 25, {{24, {6, 5}}}, 30},
        {"{.m_name={\"abcdef\"}}", D, -1, kWholeText, {{32, {'a', 'b'}}}, 34},
        {"{.m_bytes={1,2,3}}", D, -1, 15, {{48, {1, 2}}}, 50},
        {"{.m_halves={1,2}}", D, -1, 14, {{82, {1, 0}}}, 85},
        {"{.m_long=1}", D, -1, 9, {}, 100},
        {"{.m_word=1}", D, -1, 9, {}, 0},
    });
}

TEST(StructureEncoding, MemberLookupLeavesThePositionOnFailure) {
    GuardedBuffer window(record.size, kFill);
    const std::vector<uint8_t> before = window.contents();
    for (const char *text : {"", "5"}) {
        const char *position = text;
        EXPECT_EQ(tkdec::encodeMember(window.start(), window.end(), &position, D, &record, "m_nope"), -1);
        EXPECT_EQ(position, text);
    }
    const char *position = "5";
    EXPECT_EQ(tkdec::encodeMember(window.start(), window.end(), &position, D, nullptr, "m_word"), -1);
    EXPECT_EQ(window.contents(), before);
    EXPECT_TRUE(window.guardsIntact());
}

}  // namespace
