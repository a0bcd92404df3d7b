#include <gtest/gtest.h>

#include "render/print_entries.h"
#include "support/support.h"
#include "type_tables.h"

namespace tkdec::test {
namespace {

constexpr Enumerator kGroupTable[] = {{1, "LOG_HW_GROUP_MCE_PRINT"}, {2, "LOG_HW_GROUP_MCE_CKI"},
                                      {4, "LOG_HW_GROUP_MCE_DSP"},   {16, "LOG_HW_GROUP_MCE_LAYER1"},
                                      {0, nullptr}};
constexpr EnumerationInfo kGroup = {4, "LogHwGroup", kGroupTable, 4};
constexpr Enumerator kFlagsTable[] = {{0, "FLAGS_NONE"}, {0x01, "FLAG_A"}, {0x06, "FLAGS_BC"}, {0, nullptr}};
constexpr EnumerationInfo kFlags = {1, "Flags", kFlagsTable, 3};
constexpr Enumerator kBitsTable[] = {{1, "BIT_1"}, {3, "BIT_3"}, {32, "BIT_32"}, {33, "BIT_33"}, {70, "BIT_70"},
                                     {0, nullptr}};
constexpr EnumerationInfo kBits = {4, "Bits", kBitsTable, 5};
constexpr EnumerationInfo kBits2 = {2, "Bits2", kBitsTable, 5};

const PrinterCase kBitmaskCases[] = {
    {&printBitmask<kGroup>, word(0x13), E_TYPE,
     {"(LOG_HW_GROUP_MCE_PRINT|LOG_HW_GROUP_MCE_CKI|LOG_HW_GROUP_MCE_LAYER1)",
      "(LOG_HW_GROUP_MCE_PRINT|LOG_HW_GROUP_MCE_CKI|LOG_HW_GROUP_MCE_LAYER1)",
      R"({"typename":"LogHwGroup","value":{"number":19,"text":["LOG_HW_GROUP_MCE_PRINT","LOG_HW_GROUP_MCE_CKI","LOG_HW_GROUP_MCE_LAYER1"]}})",
      R"(["LOG_HW_GROUP_MCE_PRINT","LOG_HW_GROUP_MCE_CKI","LOG_HW_GROUP_MCE_LAYER1"])"}},
    {&printBitmask<kGroup>, word(0x2), E_TOP_LEVEL,
     {"(LOG_HW_GROUP_MCE_CKI)", "<xml>(LOG_HW_GROUP_MCE_CKI)</xml>",
      R"({"typename":"LogHwGroup","value":{"number":2,"text":["LOG_HW_GROUP_MCE_CKI"]}})",
      R"({"LogHwGroup":["LOG_HW_GROUP_MCE_CKI"]})"}},
    // Bits without a name: separator, type name and the rest in hex.
    {&printBitmask<kGroup>, word(0x80000011), E_TYPE,
     {"(LOG_HW_GROUP_MCE_PRINT|LOG_HW_GROUP_MCE_LAYER1|(LogHwGroup)0x80000000)",
      "(LOG_HW_GROUP_MCE_PRINT|LOG_HW_GROUP_MCE_LAYER1|(LogHwGroup)0x80000000)",
      R"({"typename":"LogHwGroup","value":{"number":2147483665,"text":["LOG_HW_GROUP_MCE_PRINT","LOG_HW_GROUP_MCE_LAYER1",2147483648]}})",
      R"(["LOG_HW_GROUP_MCE_PRINT","LOG_HW_GROUP_MCE_LAYER1",2147483648])"}},
    // Zero: the name of the zero mask, or the type with 0.
    {&printBitmask<kGroup>, word(0), E_TYPE,
     {"((LogHwGroup)0x00000000)", "((LogHwGroup)0x00000000)",
      R"({"typename":"LogHwGroup","value":{"number":0,"text":[0]}})", "[0]"}},
    {&printBitmask<kFlags>, {0}, E_INHERITED,
     {"(FLAGS_NONE)", "(FLAGS_NONE)", R"({"typename":"Flags","value":{"number":0,"text":["FLAGS_NONE"]}})",
      R"(["FLAGS_NONE"])"}},
    // A mask of several bits is named only when all of them are set.
    {&printBitmask<kFlags>, {0x07}, E_TYPE,
     {"(FLAG_A|FLAGS_BC)", "(FLAG_A|FLAGS_BC)",
      R"({"typename":"Flags","value":{"number":7,"text":["FLAG_A","FLAGS_BC"]}})", R"(["FLAG_A","FLAGS_BC"])"}},
    {&printBitmask<kFlags>, {0x03}, E_TYPE,
     {"(FLAG_A|(Flags)0x02)", "(FLAG_A|(Flags)0x02)",
      R"({"typename":"Flags","value":{"number":3,"text":["FLAG_A",2]}})", R"(["FLAG_A",2])"}},
    // Missing data.
    {&printBitmask<kFlags>, {}, E_TYPE, {"(Flags)(no data)", "(Flags)(no data)", R"({"typename":"Flags"})",
                                          R"("Flags")"}},
    {&printBitmask<kFlags>, {}, E_TOP_LEVEL,
     {"(Flags){(FLAGS_NONE = 0),(FLAG_A = 1),(FLAGS_BC = 6)}",
      "<xml><Flags><FLAGS_NONE>0</FLAGS_NONE><FLAG_A>1</FLAG_A><FLAGS_BC>6</FLAGS_BC></Flags></xml>",
      R"({"typename":"Flags","type":"enum_bitmask","values":[{"number":0,"text":"FLAGS_NONE"},)"
      R"({"number":1,"text":"FLAG_A"},{"number":6,"text":"FLAGS_BC"}]})",
      R"({"Flags":["enum_bitmask",[0,"FLAGS_NONE"],[1,"FLAG_A"],[6,"FLAGS_BC"]]})"}},
};

const PrinterCase kBitOffsetCases[] = {
    // Bit numbers 1 and 32 from two words.
    {&printBitOffset<kBits>, words({0x2, 0x1}), E_TYPE,
     {"(BIT_1|BIT_32)", "<BIT_1/><BIT_32/>", R"({"typename":"Bits","text":["BIT_1","BIT_32"]})",
      R"(["BIT_1","BIT_32"])"}},
    {&printBitOffset<kBits>, words({0x2, 0x1}), E_TOP_LEVEL,
     {"(BIT_1|BIT_32)", "<xml><BIT_1/><BIT_32/></xml>", R"({"typename":"Bits","text":["BIT_1","BIT_32"]})",
      R"({"Bits":["BIT_1","BIT_32"]})"}},
    // Unnamed bits: hex in the first word, shifted in later ones.
    {&printBitOffset<kBits>, words({0x1, 0x4}), E_TYPE,
     {"(0x00000001|(0x00000004)<<32)", "0x00000001(0x00000004)&lt;&lt;32",
      R"({"typename":"Bits","text":["0x00000001","(0x00000004)<<32"]})",
      R"(["0x00000001","(0x00000004)<<32"])"}},
    {&printBitOffset<kBits>, words({0xA, 0, 0x41}), E_ARRAY,
     {"(BIT_1|BIT_3|BIT_70|(0x00000001)<<64)", "<BIT_1/><BIT_3/><BIT_70/>(0x00000001)&lt;&lt;64",
      R"({"typename":"Bits","text":["BIT_1","BIT_3","BIT_70","(0x00000001)<<64"]})",
      R"(["BIT_1","BIT_3","BIT_70","(0x00000001)<<64"])"}},
    {&printBitOffset<kBits>, words({0, 0}), E_INHERITED,
     {"()", "", R"({"typename":"Bits","text":[]})", "[]"}},
    // A trailing part word is not read; one whole word is enough.
    {&printBitOffset<kBits>, {0x02, 0, 0, 0, 0x01, 0}, E_TYPE,
     {"(BIT_1)", "<BIT_1/>", R"({"typename":"Bits","text":["BIT_1"]})", R"(["BIT_1"])"}},
    // Two-byte words still advance the bit numbers by 32.
    {&printBitOffset<kBits2>, {0x02, 0x00, 0x03, 0x00}, E_TYPE,
     {"(BIT_1|BIT_32|BIT_33)", "<BIT_1/><BIT_32/><BIT_33/>",
      R"({"typename":"Bits2","text":["BIT_1","BIT_32","BIT_33"]})", R"(["BIT_1","BIT_32","BIT_33"])"}},
    // Zero words are passed over in blocks; the bit numbers still count them.
    {&printBitOffset<kBits>, words({0, 0, 0x40}), E_TYPE,
     {"(BIT_70)", "<BIT_70/>", R"({"typename":"Bits","text":["BIT_70"]})", R"(["BIT_70"])"}},
    // No whole word: the description with its kind.
    {&printBitOffset<kBits>, {1, 2, 3}, E_TYPE,
     {"(Bits)(no data)", "(Bits)(no data)", R"({"typename":"Bits"})", R"("Bits")"}},
    {&printBitOffset<kBits2>, {1}, E_TOP_LEVEL,
     {"(Bits2){(BIT_1 = 1),(BIT_3 = 3),(BIT_32 = 32),(BIT_33 = 33),(BIT_70 = 70)}",
      "<xml><Bits2><BIT_1>1</BIT_1><BIT_3>3</BIT_3><BIT_32>32</BIT_32><BIT_33>33</BIT_33><BIT_70>70</BIT_70>"
      "</Bits2></xml>",
      R"({"typename":"Bits2","type":"enum_bitoffset","values":[{"number":1,"text":"BIT_1"},)"
      R"({"number":3,"text":"BIT_3"},{"number":32,"text":"BIT_32"},{"number":33,"text":"BIT_33"},)"
      R"({"number":70,"text":"BIT_70"}]})",
      R"({"Bits2":["enum_bitoffset",[1,"BIT_1"],[3,"BIT_3"],[32,"BIT_32"],[33,"BIT_33"],[70,"BIT_70"]]})"}},
};

TEST(BitmaskPrinter, RowsInEveryFormat) { expectRows(kBitmaskCases); }

TEST(BitOffsetPrinter, RowsInEveryFormat) { expectRows(kBitOffsetCases); }

}  // namespace
}  // namespace tkdec::test
