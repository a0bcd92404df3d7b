// The structure parser's state machine: accepted forms, separators, the
// points where it stops and the result it stops with, in both syntaxes.
#include <gtest/gtest.h>

#include <string>

#include "encoder/structure_case.h"
#include "encoder/test_types.h"

namespace {

using namespace enctest;

constexpr tkdec::OutputFormat D = UF_AsText;
constexpr tkdec::OutputFormat J = UF_AsJson;

TEST(StructureParser, AcceptedFormsInDesignatedSyntax) {
    const Patch src5{4, {5, 0, 0, 0}};
    runStructureCases(ckiMessage, {
        {"{.m_srcTask=5 .m_flags=0}", D, 0, kWholeText, {src5, {15, {0}}}},
        {"{.m_srcTask = 5, .m_flags = 0}", D, 0, kWholeText, {src5, {15, {0}}}},
        {"{m_srcTask=5, m_flags=0}", D, 0, kWholeText, {src5, {15, {0}}}},
        {"Name {.m_flags=0}", D, 0, kWholeText, {{15, {0}}}},
        {"{.m_flags=1 .m_bad#=2}", D, 0, 19, {{15, {1}}}},
        {"{.m_flags=1 junk}", D, -1, 12, {{15, {1}}}},
        {"{}", D, 0, 2, {}},
        {"", D, 0, 0, {}},
        {"no brace", D, 0, 8, {}},
        {"{.m_flags=1.m_deleteMe=2}", D, 0, kWholeText, {{13, {2}}, {15, {1}}}},
        {"{.m_flags=1,}", D, 0, kWholeText, {{15, {1}}}},
        {"{.m_flags=1} rest", D, 0, 12, {{15, {1}}}},
        {"{\n\t.m_dstTask =\tCKI_TIMER_PTP_TASK_ID\n}", D, 0, kWholeText, {{8, {0, 0, 0, 0x12}}}},
        {"{.m_flags=1 .m_flags=2}", D, 0, kWholeText, {{15, {2}}}},
        {"{.m_flags 1}", D, 0, 11, {}},
        {"{.1abc=1}", D, 0, 3, {}},
        {"{.=1}", D, 0, 3, {}},
        {"{.m_flags=1", D, -1, 11, {{15, {1}}}},
        {"{.m_nope=1}", D, -1, 9, {}},
        {"{.m_flags=x, .m_deleteMe=1}", D, -1, 10, {}},
        {"{.m_srcTask=\"5\"}", D, -1, 12, {}},
    });
}

TEST(StructureParser, SingleValueTypes) {
    runStructureCases(alarmLevel, {
        {"{.value=CKI_ALARM_ERROR}", D, 0, kWholeText, {{0, {2, 0, 0, 0}}}},
        {"{.anything=8}", D, 0, kWholeText, {{0, {8, 0, 0, 0}}}},
        {"CKI_ALARM_ERROR", D, 0, 15, {}},
        {"{\"value\": \"CKI_ALARM_INFO\"}", J, 0, kWholeText, {{0, {8, 0, 0, 0}}}},
    });
}

TEST(StructureParser, JsonSyntax) {
    runStructureCases(ckiMessage, {
        {"{\"m_srcTask\": \"CKI_TIMER_PTP_TASK_ID\", \"m_flags\": 3}", J, 0, kWholeText,
         {{4, {0, 0, 0, 0x12}}, {15, {3}}}},
        {" { \"m_flags\" : \"1\" } ", J, 0, 20, {{15, {1}}}},
        {"{\"m_srcTask\": 331612160}", J, 0, kWholeText, {{4, {0, 0, 0xC4, 0x13}}}},
        {"{}", J, 0, 2, {}},
        {"{ }", J, 0, 3, {}},
        {"{\"m_flags\":1 \"m_deleteMe\":2}", J, -1, 13, {{15, {1}}}},
        {"{\"m_flags\":1", J, -1, 12, {{15, {1}}}},
        {"{\"m_flags\":1,}", J, 0, 14, {{15, {1}}}},
        {"{m_flags:1}", J, 0, 2, {}},
        {"{\"m_flags\" 1}", J, 0, 12, {}},
        {"{\"m_flags\"=1}", J, 0, 11, {}},
        {"{\"m fl\":1}", J, 0, 4, {}},
        {"{.m_flags=1}", J, 0, 2, {}},
        {"{\"m_flags\":\"1}", J, -1, 14, {{15, {1}}}},
    });
}

TEST(StructureParser, MemberNamesUpTo128Characters) {
    const std::string longest(128, 'm');
    const std::string tooLong(129, 'm');
    const FieldDescriptor fields[] = {field(&encodeInteger<1>, "uint8_t", longest.c_str(), 0, 1), kEnd};
    const TypeDescriptor type{"LongNames", 1, fields};
    runStructureCases(type, {
        {"{." + longest + "=7}", D, 0, kWholeText, {{0, {7}}}},
        {"{\"" + longest + "\":7}", J, 0, kWholeText, {{0, {7}}}},
        {"{." + tooLong + "=7}", D, -1, 2 + 129, {}},
        {"{\"" + tooLong + "\":7}", J, -1, 2 + 129, {}},
        {"{." + std::string(5000, 'm') + "=7}", D, -1, 2 + 129, {}},
    });
}

TEST(StructureParser, RefusesMissingArguments) {
    uint8_t byte = 0;
    const char *text = "{.m_flags=1}";
    const char *const before = text;
    EXPECT_EQ(tkdec::parseStructure(&byte, &byte + 1, nullptr, D, &ckiMessage), -1);
    EXPECT_EQ(tkdec::parseStructure(&byte, &byte + 1, &text, D, nullptr), -1);
    const TypeDescriptor base{"uint32_t", 4, nullptr};
    EXPECT_EQ(tkdec::parseStructure(&byte, &byte + 1, &text, D, &base), -1);
    EXPECT_EQ(text, before);
}

}  // namespace
