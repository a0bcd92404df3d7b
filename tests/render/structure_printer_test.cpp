#include <gtest/gtest.h>

#include "render/print_entries.h"
#include "support/support.h"
#include "tkdec.h"
#include "type_tables.h"

namespace tkdec::test {
namespace {

// A CKI_Message header: id, source, destination, the four flag bytes.
Bytes header(uint32_t id, uint32_t source, uint32_t destination, Bytes flags = {0, 0, 0, 0}) {
    return concat({word(id), word(source), word(destination), flags});
}

struct DecodeCase {
    const char *name;
    Bytes data;
    const char *expected[4];  // text, XML, long JSON, JSON
};

const DecodeCase kStructureCases[] = {
    // A derived structure: the base's members inline, without braces or name.
    {"CkiTestAppQueryStatusCnfMessage",
     concat({header(0x2CC40007, 0x12000000, 0x13C40000, {1, 0, 0, 0}), {2, 0, 0, 0}}),
     {"(CkiTestAppQueryStatusCnfMessage){.m_srcTask=CKI_TIMER_PTP_TASK_ID .m_dstTask=CKI_TEST_APP_APPS_TASK_ID "
      ".m_postedCounter=1 .m_deleteMe=0 .m_processing=0 .m_flags=0 .m_status=CKI_TESTAPP_STATUS_PASSED}",
      "<xml>CkiTestAppQueryStatusCnfMessage<CKI_Message><m_srcTask>CKI_TIMER_PTP_TASK_ID 0x12000000</m_srcTask>"
      "<m_dstTask>CKI_TEST_APP_APPS_TASK_ID 0x13c40000</m_dstTask><m_postedCounter>0x01 (1)</m_postedCounter>"
      "<m_deleteMe>0x00 (0)</m_deleteMe><m_processing>0x00 (0)</m_processing><m_flags>0x00 (0)</m_flags>"
      "</CKI_Message><m_status>CKI_TESTAPP_STATUS_PASSED 0x02</m_status></xml>",
      R"({"typename":"CkiTestAppQueryStatusCnfMessage","value":{"m_srcTask":{"typename":"CKI_TaskId","value":{"text":"CKI_TIMER_PTP_TASK_ID","number":301989888}}, )"
      R"("m_dstTask":{"typename":"CKI_TaskId","value":{"text":"CKI_TEST_APP_APPS_TASK_ID","number":331612160}}, )"
      R"("m_postedCounter":{"typename":"unsigned char","value":{"number":1}}, )"
      R"("m_deleteMe":{"typename":"unsigned char","value":{"number":0}}, )"
      R"("m_processing":{"typename":"unsigned char","value":{"number":0}}, )"
      R"("m_flags":{"typename":"unsigned char","value":{"number":0}}, )"
      R"("m_status":{"typename":"CkiTestAppStatus","value":{"text":"CKI_TESTAPP_STATUS_PASSED","number":2}}}})",
      R"({"CkiTestAppQueryStatusCnfMessage":{"m_srcTask":"CKI_TIMER_PTP_TASK_ID", )"
      R"("m_dstTask":"CKI_TEST_APP_APPS_TASK_ID", "m_postedCounter":1, "m_deleteMe":0, "m_processing":0, )"
      R"("m_flags":0, "m_status":"CKI_TESTAPP_STATUS_PASSED"}})"}},
    // A member of an array type with too little data.
    {"CKI_SoftwareVersion",
     {1},
     {"(CKI_SoftwareVersion){.sv=(uint8_t[2])**expected 2 have 1**{1,(uint8_t)(no data)} "
      ".m_build=(uint16_t)(no data)}",
      "<xml>CKI_SoftwareVersion<sv>uint8_t[2]<error>expected 2 have 1</error><_0>0x01 (1)</_0>"
      "<_1>(uint8_t)(no data)</_1></sv><m_build>(uint16_t)(no data)</m_build></xml>",
      R"({"typename":"CKI_SoftwareVersion","value":{"sv":{"typename":"uint8_t[2]","value":"expected 2 have 1"[{"number":1},{"typename":"uint8_t"}]}, )"
      R"("m_build":{"typename":"uint16_t"}}})",
      R"({"CKI_SoftwareVersion":{"sv":"expected 2 have 1"[1,"uint8_t"], "m_build":"uint16_t"}})"}},
    // An array type at top level, without data.
    {"char[80]",
     {},
     {"(char[80]){{}}", "<xml>char[80]</xml>", R"({"typename":"char[80]","type":"nested","value":})",
      R"({"char[80]":["nested",]})"}},
};

TEST(StructurePrinter, WholeStructuresInEveryFormat) {
    for (const DecodeCase &c : kStructureCases) {
        for (OutputFormat format : kFormats)
            EXPECT_EQ(decodeType(c.name, c.data, format), c.expected[format]) << c.name << ", " << kFormatNames[format];
    }
}

const PrinterCase kModeCases[] = {
    {&printStructure<build::type_CKI_SoftwareVersion>, {1, 2, 3, 0}, E_TYPE,
     {"(CKI_SoftwareVersion){.sv=(uint8_t[2]){1,2} .m_build=3}",
      "CKI_SoftwareVersion<sv>uint8_t[2]<_0>0x01 (1)</_0><_1>0x02 (2)</_1></sv><m_build>0x0003 (3)</m_build>",
      R"({"typename":"CKI_SoftwareVersion","value":{"sv":{"typename":"uint8_t[2]","value":[{"number":1},{"number":2}]}, "m_build":{"typename":"uint16_t","value":{"number":3}}}})",
      R"({"sv":[1,2], "m_build":3})"}},
    {&printStructure<build::type_CKI_SoftwareVersion>, {}, E_TYPE,
     {"(CKI_SoftwareVersion){(no data)}", "CKI_SoftwareVersion(no data)", R"({"typename":"CKI_SoftwareVersion"})",
      R"("CKI_SoftwareVersion")"}},
    {&printStructure<build::type_CKI_SoftwareVersion>, {1, 2, 3, 0}, E_ARRAY,
     {".sv=(uint8_t[2]){1,2} .m_build=3",
      "<sv>uint8_t[2]<_0>0x01 (1)</_0><_1>0x02 (2)</_1></sv><m_build>0x0003 (3)</m_build>",
      R"({"sv":{"typename":"uint8_t[2]","value":[{"number":1},{"number":2}]}, "m_build":{"typename":"uint16_t","value":{"number":3}}})",
      R"({"sv":[1,2], "m_build":3})"}},
    {&printStructure<build::type_CKI_SoftwareVersion>, {1, 2, 3, 0}, E_INHERITED,
     {".sv=(uint8_t[2]){1,2} .m_build=3",
      "<CKI_SoftwareVersion><sv>uint8_t[2]<_0>0x01 (1)</_0><_1>0x02 (2)</_1></sv><m_build>0x0003 (3)</m_build>"
      "</CKI_SoftwareVersion>",
      R"("sv":{"typename":"uint8_t[2]","value":[{"number":1},{"number":2}]}, "m_build":{"typename":"uint16_t","value":{"number":3}})",
      R"("sv":[1,2], "m_build":3)"}},
    {&printStructure<build::type_CKI_SoftwareVersion>, {}, E_INHERITED,
     {".sv=(uint8_t[2])(no data) .m_build=(uint16_t)(no data)",
      "<CKI_SoftwareVersion><sv>uint8_t[2](no data)</sv><m_build>(uint16_t)(no data)</m_build></CKI_SoftwareVersion>",
      R"("sv":{"typename":"uint8_t[2]"}, "m_build":{"typename":"uint16_t"})", R"("sv":"uint8_t[2]", "m_build":"uint16_t")"}},
};

TEST(StructurePrinter, PrintModes) { expectRows(kModeCases); }

// Count functions: this build sets none, so hand-built descriptors show
// how the printers honour them.
uint32_t countForty(const uint8_t *, const uint8_t *, uint32_t) { return 40; }
uint32_t countFromFirstByte(const uint8_t *data, const uint8_t *dataEnd, uint32_t) {
    return data < dataEnd ? data[0] : 0;
}
uint32_t absent(const uint8_t *, const uint8_t *, uint32_t presence) { return presence == 1 ? 0 : 1; }

extern const TypeDescriptor kBytes30;
constexpr FieldDescriptor kBytes30Fields[] = {
    {&printBaseType<build::base_uint8_t>, nullptr, "uint8_t", "^", 0, 1, 30, nullptr, nullptr, true}, {}};
constexpr TypeDescriptor kBytes30 = {"uint8_t[30]", 30, kBytes30Fields};

constexpr FieldDescriptor kCountedFields[] = {
    {&printBaseType<build::base_uint8_t>, nullptr, "uint8_t", "m_length", 0, 1, 1, nullptr, nullptr, false},
    {&printBaseType<build::base_uint8_t>, nullptr, "uint8_t", "m_hidden", 1, 1, 1, nullptr, &absent, false},
    {&printStructure<kBytes30>, nullptr, "uint8_t[30]", "m_forty", 2, 30, 1, nullptr, &countForty, false},
    {}};
constexpr TypeDescriptor kCounted = {"Counted", 32, kCountedFields};

// An array whose elements are wider than a byte: "have" counts whole ones.
constexpr FieldDescriptor kHalvesFields[] = {
    {&printBaseType<build::base_uint16_t>, nullptr, "uint16_t", "^", 0, 2, 3, nullptr, nullptr, true}, {}};
constexpr TypeDescriptor kHalves = {"uint16_t[3]", 6, kHalvesFields};

constexpr FieldDescriptor kShortFields[] = {
    {&printStructure<kBytes30>, nullptr, "uint8_t[30]", "m_bytes", 0, 30, 1, nullptr, &countFromFirstByte, false},
    {}};
constexpr TypeDescriptor kShort = {"Short", 30, kShortFields};

TEST(StructurePrinter, CountFunctions) {
    Bytes data(32, 9);
    const std::string forty = render(&printStructure<kCounted>, data, UF_AsText, E_TOP_LEVEL);
    std::string thirty = "{9";
    for (int i = 1; i < 30; ++i) thirty += ",9";
    thirty += "}";
    EXPECT_EQ(forty, "(Counted){.m_length=9 .m_forty=(uint8_t[30])**expected 40 max 30**" + thirty + "}");
    EXPECT_EQ(render(&printStructure<kHalves>, {1, 0, 2}, UF_AsText, E_TOP_LEVEL),
              "(uint16_t[3]){**expected 3 have 1**{1,(uint16_t)(no data),(uint16_t)(no data)}}");
    // The actual count: the first byte of the array.
    EXPECT_EQ(render(&printStructure<kShort>, {3, 1, 2, 4}, UF_AsText, E_TOP_LEVEL), "(Short){.m_bytes=(uint8_t[30]){3,1,2}}");
    EXPECT_EQ(render(&printStructure<kShort>, {5, 1}, UF_AsText, E_TOP_LEVEL),
              "(Short){.m_bytes=(uint8_t[30])**expected 5 have 2**{5,1,(uint8_t)(no data),(uint8_t)(no data),"
              "(uint8_t)(no data)}}");
    // A member whose count function reports 0 is left out entirely.
    EXPECT_EQ(render(&printStructure<kShort>, {0, 1}, UF_AsText, E_TOP_LEVEL), "(Short){}");
    EXPECT_EQ(render(&printStructure<kShort>, {0, 1}, UF_AsLongJson, E_TOP_LEVEL), R"({"typename":"Short","value":{}})");
    // An array type handed a count of 0 leaves its element field out.
    std::string out(64, '#');
    char *pos = out.data();
    const uint8_t bytes[2] = {0, 1};
    printStructure<kBytes30>(bytes, bytes + 2, &pos, out.data() + out.size(), UF_AsText, E_TYPE, 0,
                             &countFromFirstByte, filterIdentity);
    EXPECT_EQ(std::string(out.data(), pos), "(uint8_t[30])");
}

// The alias confines the bitmap to its 256 bytes: set bits behind them
// are not part of the value.
TEST(AliasPrinter, ConfinesTheBitmapToItsSize) {
    Bytes data(260, 0);
    data[0] = 0x02;    // group 1
    data[8] = 0x01;    // group 64
    data[256] = 0xFF;  // behind the alias
    EXPECT_EQ(decodeType("CKI_LogGroupId_BITMAP_ARRAY_BITMAP[64]", data, UF_AsText),
              "(LOG_GROUP_CKI_DEFAULT|LOG_GROUP_COMMS_TASK)");
    EXPECT_EQ(decodeType("CKI_LogGroupId_BITMAP_ARRAY_BITMAP[64]", data, UF_AsJson),
              R"({"CKI_LogGroupId_BITMAP_ARRAY_BITMAP":["LOG_GROUP_CKI_DEFAULT","LOG_GROUP_COMMS_TASK"]})");
    // The bare bit-offset type runs to the data end.
    data[256] = 0x01;
    EXPECT_EQ(decodeType("CKI_LogGroupId_BITMAP_ARRAY_BITMAP", data, UF_AsText),
              "(LOG_GROUP_CKI_DEFAULT|LOG_GROUP_COMMS_TASK|(0x00000001)<<2048)");
}

}  // namespace
}  // namespace tkdec::test
