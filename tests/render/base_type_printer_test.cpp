#include <gtest/gtest.h>

#include "render/print_entries.h"
#include "support/support.h"
#include "type_tables.h"

namespace tkdec::test {
namespace {

using build::base_bool;
using build::base_char;
using build::base_NimbaChar;
using build::base_uint16_t;
using build::base_uint32_t;
using build::base_uint64_t;
using build::base_uint8_t;

const PrinterCase kBaseCases[] = {
    // uint32_t 10 in every print mode.
    {&printBaseType<base_uint32_t>, word(10), E_TOP_LEVEL,
     {"10", "<xml>0x0000000a (10)</xml>", R"({"typename":"uint32_t","type":"base","value":{"number":10}})",
      R"({"uint32_t":10})"}},
    {&printBaseType<base_uint32_t>, word(10), E_TYPE,
     {"10", "0x0000000a (10)", R"({"typename":"uint32_t","value":{"number":10}})", "10"}},
    {&printBaseType<base_uint32_t>, word(10), E_ARRAY, {"10", "0x0000000a (10)", R"({"number":10})", "10"}},
    {&printBaseType<base_uint32_t>, word(0xFFFFFFFF), E_ARRAY,
     {"4294967295", "0xffffffff (4294967295)", R"({"number":4294967295})", "4294967295"}},
    // Characters: signed "%d", escapes in XML.
    {&printBaseType<base_char>, {0xFF}, E_TYPE, {"-1", "0xff (-1)", R"({"typename":"char","value":{"number":-1}})", "-1"}},
    {&printBaseType<base_char>, {0x20}, E_ARRAY, {"32", "0x20 &apos; &apos; (32)", R"({"number":32})", "32"}},
    {&printBaseType<base_char>, {0x27}, E_ARRAY, {"39", "0x27 &apos;&apos;&apos; (39)", R"({"number":39})", "39"}},
    {&printBaseType<base_char>, {0x3C}, E_ARRAY, {"60", "0x3c &apos;&lt;&apos; (60)", R"({"number":60})", "60"}},
    {&printBaseType<base_char>, {0x26}, E_ARRAY, {"38", "0x26 &apos;&amp;&apos; (38)", R"({"number":38})", "38"}},
    {&printBaseType<base_char>, {0x1F}, E_ARRAY, {"31", "0x1f (31)", R"({"number":31})", "31"}},
    {&printBaseType<base_char>, {0x7F}, E_ARRAY, {"127", "0x7f (127)", R"({"number":127})", "127"}},
    // uint8_t prints 0 to 255 with "%d"; NimbaChar with "%hhu"; bool with "%u".
    {&printBaseType<base_uint8_t>, {0xFF}, E_ARRAY, {"255", "0xff (255)", R"({"number":255})", "255"}},
    {&printBaseType<base_NimbaChar>, {0xFF}, E_TYPE,
     {"255", "0xff (255)", R"({"typename":"NimbaChar","value":{"number":255}})", "255"}},
    {&printBaseType<base_bool>, {0x01}, E_TOP_LEVEL,
     {"1", "<xml>0x01 (1)</xml>", R"({"typename":"bool","type":"base","value":{"number":1}})", R"({"bool":1})"}},
    {&printBaseType<base_uint16_t>, {0x34, 0x12}, E_ARRAY, {"4660", "0x1234 (4660)", R"({"number":4660})", "4660"}},
    {&printBaseType<base_uint64_t>, Bytes(8, 0xFF), E_ARRAY,
     {"18446744073709551615", "0xffffffffffffffff (18446744073709551615)", R"({"number":18446744073709551615})",
      "18446744073709551615"}},
    // Too few bytes: the no-data rows, by print mode.
    {&printBaseType<base_uint32_t>, {1, 2, 3}, E_TYPE,
     {"(uint32_t)(no data)", "(uint32_t)(no data)", R"({"typename":"uint32_t"})", R"("uint32_t")"}},
    {&printBaseType<base_uint32_t>, {1, 2, 3}, E_TOP_LEVEL,
     {"(uint32_t)(no data)", "<xml>(uint32_t)(no data)</xml>", R"({"typename":"uint32_t","type":"base"})",
      R"({"uint32_t":["base"]})"}},
    {&printBaseType<base_uint64_t>, {}, E_INHERITED,
     {"(uint64_t)(no data)", "(uint64_t)(no data)", R"({"typename":"uint64_t"})", R"("uint64_t")"}},
    // The opaque printer: one row in every format and mode.
    {&printOpaque<build::base_TokenisedPrintChannels>, {0xFF, 0xFF, 0xFF, 0xFF}, E_TYPE,
     {"(TokenisedPrintChannels) 0xffffffff (-1)", "(TokenisedPrintChannels) 0xffffffff (-1)",
      "(TokenisedPrintChannels) 0xffffffff (-1)", "(TokenisedPrintChannels) 0xffffffff (-1)"}},
    {&printOpaque<build::base_TokenisedPrintChannels>, {7, 1}, E_ARRAY,
     {"(TokenisedPrintChannels) 0x00000107 (263)", "(TokenisedPrintChannels) 0x00000107 (263)",
      "(TokenisedPrintChannels) 0x00000107 (263)", "(TokenisedPrintChannels) 0x00000107 (263)"}},
    {&printOpaque<build::base_TokenisedPrintChannels>, {}, E_TYPE,
     {"(TokenisedPrintChannels) 0x00000000 (0)", "(TokenisedPrintChannels) 0x00000000 (0)",
      "(TokenisedPrintChannels) 0x00000000 (0)", "(TokenisedPrintChannels) 0x00000000 (0)"}},
};

TEST(BaseTypePrinter, RowsInEveryFormat) { expectRows(kBaseCases); }

}  // namespace
}  // namespace tkdec::test
