#include <gtest/gtest.h>

#include "render/print_entries.h"
#include "support/support.h"
#include "render/value_printers.h"
#include "type_tables.h"

namespace tkdec::test {
namespace {

using build::enum_CkiAlarmLevel;

// Hand-built tables for what the reference build does not hold.
constexpr Enumerator kSeekTable[] = {{0, "FIRST"}, {0, "SET"}, {1, "CUR"}, {0, nullptr}};
constexpr EnumerationInfo kSeek = {4, "Seek", kSeekTable, 3};
constexpr Enumerator kEmptyTable[] = {{0, nullptr}};
constexpr EnumerationInfo kEmpty = {2, "Empty", kEmptyTable, 0};
constexpr Enumerator kSmallTable[] = {{1, "ONE"}, {0xFE, "BIG"}, {0, nullptr}};
constexpr EnumerationInfo kSmall = {1, "Small", kSmallTable, 2};

const PrinterCase kEnumCases[] = {
    {&printEnumeration<enum_CkiAlarmLevel>, word(2), PrintOptions(E_TYPE),
     {"CKI_ALARM_ERROR", "CKI_ALARM_ERROR 0x00000002",
      R"({"typename":"CkiAlarmLevel","value":{"text":"CKI_ALARM_ERROR","number":2}})", R"("CKI_ALARM_ERROR")"}},
    {&printEnumeration<enum_CkiAlarmLevel>, word(2), PrintOptions(E_TOP_LEVEL),
     {"CKI_ALARM_ERROR", "<xml>CKI_ALARM_ERROR 0x00000002</xml>",
      R"({"typename":"CkiAlarmLevel","value":{"text":"CKI_ALARM_ERROR","number":2}})",
      R"({"CkiAlarmLevel":"CKI_ALARM_ERROR"})"}},
    // Unknown values: the search stops on 2 for 3, on the first pair outside
    // the table's range.
    {&printEnumeration<enum_CkiAlarmLevel>, word(3), PrintOptions(E_TYPE, 0, filterSkip2Words),
     {"(CkiAlarmLevel) 0x00000003 (ERROR + 1)", "(CkiAlarmLevel) 0x00000003",
      R"({"typename":"CkiAlarmLevel","value":{"number":3}})", "3"}},
    {&printEnumeration<enum_CkiAlarmLevel>, word(0xFFFFFFFF), PrintOptions(E_TYPE),
     {"(CkiAlarmLevel) 0xffffffff (CKI_NO_ALARM + -1)", "(CkiAlarmLevel) 0xffffffff",
      R"({"typename":"CkiAlarmLevel","value":{"number":4294967295}})", "4294967295"}},
    // Aliases: the alias index picks among the names of one value.
    {&printEnumeration<kSeek>, word(0), PrintOptions(E_TYPE, 1), {"SET", "SET 0x00000000",
      R"({"typename":"Seek","value":{"text":"SET","number":0}})", R"("SET")"}},
    {&printEnumeration<kSeek>, word(0), PrintOptions(E_TYPE, 2), {"FIRST", "FIRST 0x00000000",
      R"({"typename":"Seek","value":{"text":"FIRST","number":0}})", R"("FIRST")"}},
    // An empty table: the type and the value, no nearest pair.
    {&printEnumeration<kEmpty>, {7, 0}, PrintOptions(E_TYPE),
     {"(Empty) 0x0007", "(Empty) 0x0007", R"({"typename":"Empty","value":{"number":7}})", "7"}},
    // A one-byte enumeration reads one byte, with two hex digits.
    {&printEnumeration<kSmall>, {0xFE, 0x55}, PrintOptions(E_TYPE),
     {"BIG", "BIG 0xfe", R"({"typename":"Small","value":{"text":"BIG","number":254}})", R"("BIG")"}},
    // No data at top level: the description.
    {&printEnumeration<enum_CkiAlarmLevel>, {}, PrintOptions(E_TOP_LEVEL),
     {"(CkiAlarmLevel){(CKI_NO_ALARM = 0),(CKI_ALARM_FATAL = 1),(CKI_ALARM_ERROR = 2),(CKI_ALARM_WARNING = 4),"
      "(CKI_ALARM_INFO = 8)}",
      "<xml><CkiAlarmLevel><CKI_NO_ALARM>0</CKI_NO_ALARM><CKI_ALARM_FATAL>1</CKI_ALARM_FATAL>"
      "<CKI_ALARM_ERROR>2</CKI_ALARM_ERROR><CKI_ALARM_WARNING>4</CKI_ALARM_WARNING>"
      "<CKI_ALARM_INFO>8</CKI_ALARM_INFO></CkiAlarmLevel></xml>",
      R"({"typename":"CkiAlarmLevel","type":"enum","values":[{"number":0,"text":"CKI_NO_ALARM"},)"
      R"({"number":1,"text":"CKI_ALARM_FATAL"},{"number":2,"text":"CKI_ALARM_ERROR"},)"
      R"({"number":4,"text":"CKI_ALARM_WARNING"},{"number":8,"text":"CKI_ALARM_INFO"}]})",
      R"({"CkiAlarmLevel":["enum",[0,"CKI_NO_ALARM"],[1,"CKI_ALARM_FATAL"],[2,"CKI_ALARM_ERROR"],)"
      R"([4,"CKI_ALARM_WARNING"],[8,"CKI_ALARM_INFO"]]})"}},
    // Negative values print signed in a description's text.
    {&printEnumeration<build::enum_CKI_Return>, {0, 0}, PrintOptions(E_TOP_LEVEL),
     {"(CKI_Return){(CKI_RETURN_OK = 0),(CKI_RETURN_BUSY = 1),(CKI_RETURN_PENDING = 2),"
      "(CKI_RETURN_INVALID_PARAM = -4),(CKI_RETURN_NO_MEMORY = -3),(CKI_RETURN_TIMEOUT = -2),"
      "(CKI_RETURN_ERROR = -1)}",
      "<xml><CKI_Return><CKI_RETURN_OK>0</CKI_RETURN_OK><CKI_RETURN_BUSY>1</CKI_RETURN_BUSY>"
      "<CKI_RETURN_PENDING>2</CKI_RETURN_PENDING><CKI_RETURN_INVALID_PARAM>-4</CKI_RETURN_INVALID_PARAM>"
      "<CKI_RETURN_NO_MEMORY>-3</CKI_RETURN_NO_MEMORY><CKI_RETURN_TIMEOUT>-2</CKI_RETURN_TIMEOUT>"
      "<CKI_RETURN_ERROR>-1</CKI_RETURN_ERROR></CKI_Return></xml>",
      R"({"typename":"CKI_Return","type":"enum","values":[{"number":0,"text":"CKI_RETURN_OK"},)"
      R"({"number":1,"text":"CKI_RETURN_BUSY"},{"number":2,"text":"CKI_RETURN_PENDING"},)"
      R"({"number":4294967292,"text":"CKI_RETURN_INVALID_PARAM"},{"number":4294967293,"text":"CKI_RETURN_NO_MEMORY"},)"
      R"({"number":4294967294,"text":"CKI_RETURN_TIMEOUT"},{"number":4294967295,"text":"CKI_RETURN_ERROR"}]})",
      R"({"CKI_Return":["enum",[0,"CKI_RETURN_OK"],[1,"CKI_RETURN_BUSY"],[2,"CKI_RETURN_PENDING"],)"
      R"([4294967292,"CKI_RETURN_INVALID_PARAM"],[4294967293,"CKI_RETURN_NO_MEMORY"],)"
      R"([4294967294,"CKI_RETURN_TIMEOUT"],[4294967295,"CKI_RETURN_ERROR"]]})"}},
};

TEST(EnumerationPrinter, RowsInEveryFormat) { expectRows(kEnumCases); }

// The alias index counts from the first name of a value's run; one that
// leaves the run, or reaches the table's terminator {0, null}, keeps the
// first name.
TEST(EnumerationPrinter, AliasIndexWithinTheRun) {
    static constexpr Enumerator table[] = {{0, "Z"}, {1, "A"}, {3, "B0"}, {3, "B1"}, {3, "B2"}, {7, "C"}, {0, nullptr}};
    static constexpr EnumerationInfo info = {4, "Runs", table, 6};
    const struct {
        uint32_t value, alias, index;
    } cases[] = {{3, 0, 2}, {3, 1, 3}, {3, 2, 4}, {3, 3, 2}, {7, 0, 5}, {0, 6, 0}, {1, 5, 1}};
    for (const auto &c : cases) EXPECT_EQ(searchEnumerator(info, c.value, c.alias), c.index) << c.value << " " << c.alias;
}

}  // namespace
}  // namespace tkdec::test
