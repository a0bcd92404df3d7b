#include "records/token_formatter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/bounded_append.h"
#include "render/name_filters.h"
#include "render/print_entries.h"
#include "support/support.h"

namespace tkdec {
namespace {

using test::Bytes;

// A value printer that shows what it was handed: value, output format,
// print mode, alias index and the filtered name "CKI_ALARM_ERROR".
void showingPrinter(const uint8_t *data, const uint8_t *dataEnd, char **pos, char *end, OutputFormat format,
                    PrintMode mode, uint32_t aliasIndex, CountFunction, NameFilter filter) {
    append(pos, end, "<%u f%d m%u a%u %s>", static_cast<unsigned>(dataEnd - data) == 4 ? data[0] : 999u,
           static_cast<int>(format), static_cast<unsigned>(mode), aliasIndex, filter("CKI_ALARM_ERROR"));
}

// A printer whose text is as long as its value.
void longPrinter(const uint8_t *data, const uint8_t *, char **pos, char *end, OutputFormat, PrintMode, uint32_t,
                 CountFunction, NameFilter) {
    const uint32_t length = data[0] | data[1] << 8 | data[2] << 16;
    for (uint32_t i = 0; i < length; ++i) append(pos, end, "%c", 'a' + static_cast<int>(i % 26));
}

constexpr ArgumentSource arg(uint8_t index, uint8_t shift = 0, uint8_t width = 32, uint32_t mask = 0xFFFFFFFF) {
    return {index, shift, width, mask};
}

constexpr ConversionRule raw(ArgumentSource source) { return {.kind = RuleKind::RawWord, .source = source}; }
constexpr ConversionRule enumeration(ArgumentSource source, ValuePrinter printer, uint32_t alias = 0,
                                     NameFilter filter = filterIdentity) {
    return {.kind = RuleKind::Enumeration, .source = source, .printer = printer, .aliasIndex = alias, .filter = filter};
}

constexpr Enumerator kTwoBytesTable[] = {{1, "ONE"}, {0, nullptr}};
constexpr EnumerationInfo kTwoBytes = {2, "TwoBytes", kTwoBytesTable, 1};

constexpr ValueTextEntry kModes[] = {{16, "USER"}, {31, "SYS"}};
constexpr ValueTextTable kModeTable = {kModes, 2, "UNKNOWN"};
constexpr ConversionRule kChoiceOptions[] = {
    enumeration(arg(1, 0, 2), showingPrinter),
    {.kind = RuleKind::BinaryDigits, .source = arg(1, 0, 2), .digits = 2},
};

struct FormatterCase {
    const char *name;
    const char *format;
    std::vector<ConversionRule> rules;
    std::vector<uint32_t> arguments;
    Bytes extended;
    const char *output;
};

std::string run(const char *format, const std::vector<ConversionRule> &rules, std::vector<uint32_t> arguments,
                const Bytes &extended, size_t size = 4096, OutputFormat outputFormat = UF_AsText) {
    arguments.resize(32, 0);
    const TokenFormatter formatter{format, rules.data(), static_cast<uint32_t>(rules.size())};
    const uint8_t *start = extended.empty() ? nullptr : extended.data();
    return test::written(size, [&](char **pos, char *end) {
        formatToken(formatter, start, start ? start + extended.size() : nullptr, arguments.data(), 32, pos, end,
                    outputFormat);
    });
}

// A format written by pieces, each run with its conversion: hexadecimal in
// both cases with their digits, decimal and text.
TEST(TokenFormatter, PiecesWriteTheirRunsAndConversions) {
    const char *format = "w=%08X %x|%.3x %d;%s.";
    const FormatPiece pieces[] = {{0, 2, 'X', 8}, {6, 1, 'x', 1}, {9, 1, 'x', 3}, {14, 1, 'd', 0},
                                  {17, 1, 's', 0}, {20, 1, 0, 0}};
    const ConversionRule rules[] = {raw(arg(0)), raw(arg(0)), raw(arg(1)), raw(arg(2)),
                                    enumeration(arg(1), &printEnumeration<kTwoBytes>)};
    const TokenFormatter formatter{.format = format, .rules = rules, .ruleCount = 5, .pieces = pieces, .pieceCount = 6};
    const uint32_t arguments[] = {0xBEEF, 1, 0xFFFFFFFE};
    EXPECT_EQ(test::written(64, [&](char **pos, char *end) {
                  formatToken(formatter, nullptr, nullptr, arguments, 3, pos, end, UF_AsText);
              }),
              "w=0000BEEF beef|001 -2;ONE.");
}

TEST(TokenFormatter, CatalogueOfRules) {
    const FormatterCase cases[] = {
        {"no conversions", "2nd stage boot", {}, {}, {}, "2nd stage boot"},
        {"raw words", "%u %d %x %.8x %c %08X %i", {raw(arg(0)), raw(arg(1)), raw(arg(2)), raw(arg(2)), raw(arg(3)),
                                                  raw(arg(2)), raw(arg(1))},
         {7, 0xFFFFFFFF, 0xBEEF, 'Q'}, {}, "7 -1 beef 0000beef Q 0000BEEF -1"},
        {"star precision takes its own rule", "[%.*x]", {raw(arg(0)), raw(arg(1))}, {2, 0xABCDEF}, {}, "[abcdef]"},
        {"bit fields", "%u %u %x", {raw(arg(0, 4, 4)), raw(arg(0, 28, 4)), raw(arg(0, 0, 32, 0x40F))},
         {0xA000F4FF}, {}, "15 10 40f"},
        {"enumeration with alias and filter", "%s", {enumeration(arg(0, 8, 8), showingPrinter, 1, filterSkip2Words)},
         {0x0300}, {}, "<3 f0 m3 a1 ERROR>"},
        {"boolean words", "%s %s %s %s",
         {{.kind = RuleKind::BooleanWord, .source = arg(0), .words = BooleanWords::Lower},
          {.kind = RuleKind::BooleanWord, .source = arg(1), .words = BooleanWords::Upper},
          {.kind = RuleKind::BooleanWord, .source = arg(0), .words = BooleanWords::Capitalised},
          {.kind = RuleKind::BooleanWord, .source = arg(2, 0, 1), .words = BooleanWords::Upper}},
         {0xDEADBEEF, 0, 2}, {}, "true FALSE True FALSE"},
        {"binary digits", "[%s][%s][%s][%s]",
         {{.kind = RuleKind::BinaryDigits, .source = arg(0, 0, 2), .digits = 2},
          {.kind = RuleKind::BinaryDigits, .source = arg(0), .digits = 0},
          {.kind = RuleKind::BinaryDigits, .source = arg(1, 8, 8), .digits = 8},
          {.kind = RuleKind::BinaryDigits, .source = arg(1), .digits = 32}},
         {0b01, 0x80008500}, {}, "[01][0][10000101][10000000000000001000010100000000]"},
        {"dotted address", "address %s port %d", {{.kind = RuleKind::DottedAddress, .source = arg(0)}, raw(arg(1))},
         {0x04030201, 80}, {}, "address 1.2.3.4 port 80"},
        {"value text", "%s %s %s", {{.kind = RuleKind::ValueText, .source = arg(0, 0, 32, 31), .values = &kModeTable},
                                    {.kind = RuleKind::ValueText, .source = arg(1, 0, 32, 31), .values = &kModeTable},
                                    {.kind = RuleKind::ValueText, .source = arg(2), .values = &kModeTable}},
         {0x600001D0, 0x1F, 0x1E}, {}, "USER SYS UNKNOWN"},
        {"flag letters", "%c%c%c", {{.kind = RuleKind::FlagLetter, .source = arg(0, 0, 32, 0x80000000), .letter = 'N'},
                                    {.kind = RuleKind::FlagLetter, .source = arg(0, 0, 32, 0x40000000), .letter = 'Z'},
                                    {.kind = RuleKind::FlagLetter, .source = arg(0, 0, 32, 0x20), .letter = 'T'}},
         {0x40000020}, {}, "-ZT"},
        {"choice picks the option at the selector", "[%s]",
         {{.kind = RuleKind::Choice, .source = arg(0, 3, 3), .options = kChoiceOptions, .optionCount = 2,
           .listText = "([1$0:2]A|[1$0:2]B)"}},
         {1 << 3, 0x6}, {}, "[10]"},
        {"choice without that option", "[%s]",
         {{.kind = RuleKind::Choice, .source = arg(0, 3, 3), .options = kChoiceOptions, .optionCount = 2,
           .listText = "([1$0:2]A|[1$0:2]B)"}},
         {2 << 3, 0x6}, {}, "[(No option 2 in (([1$0:2]A|[1$0:2]B)))]"},
        {"extended strings", "[Build Info] %s = %s",
         {{.kind = RuleKind::ExtendedString, .source = arg(0)}, {.kind = RuleKind::ExtendedString, .source = arg(1)}},
         {1, 0}, test::concat({test::item(0, test::text("KESTRELMAX", true)), test::item(1, test::text("BOARD", false))}),
         "[Build Info] BOARD = KESTRELMAX"},
        {"extended data", "%.8x: %s", {raw(arg(0)), {.kind = RuleKind::ExtendedData, .source = arg(1), .unitSize = 4,
                                                     .unitFormat = "%.8x"}},
         {0x1000, 2}, test::item(2, {1, 2, 3, 4, 5, 6}), "00001000: 04030201 00000605 "},
        {"missing arguments are converted too", "%.8x %s", {raw(arg(0)), enumeration(arg(0), showingPrinter)},
         {0xDEADBEEF}, {}, "deadbeef <239 f0 m3 a0 CKI_ALARM_ERROR>"},
        {"enumeration masked to its size", "%s",
         {{.kind = RuleKind::Enumeration, .source = arg(0), .printer = showingPrinter, .enumeration = &kTwoBytes}},
         {0x10001}, {}, "ONE"},
    };
    for (const FormatterCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(run(c.format, c.rules, c.arguments, c.extended), c.output);
    }
    // A no-option text fills its 1024-byte buffer up to the NUL.
    const std::string list(1100, 'L');
    const ConversionRule longChoice{.kind = RuleKind::Choice, .source = arg(0), .options = kChoiceOptions,
                                    .optionCount = 2, .listText = list.c_str()};
    EXPECT_EQ(run("%s", {longChoice}, {7}, {}), ("(No option 7 in (" + list).substr(0, 1023));
}


// At the scratch end: binary digits need room for their NUL beside them; a
// dotted address cut there gives up its last character for one.
TEST(TokenFormatter, TextsAtTheScratchEnd) {
    const ConversionRule binary{.kind = RuleKind::BinaryDigits, .source = arg(1), .digits = 4};
    const ConversionRule dotted{.kind = RuleKind::DottedAddress, .source = arg(1)};
    const struct {
        ConversionRule rule;
        uint32_t room;
        std::string text;
    } cases[] = {{binary, 5, "0"}, {binary, 6, "0000"}, {dotted, 5, "192."}, {dotted, 12, "192.168.0.1"}};
    for (const auto &c : cases) {
        const uint32_t filler = kFormatterScratchSize - 1 - c.room;  // the long text and its NUL leave room bytes
        EXPECT_EQ(run("%s|%.3s", {c.rule, enumeration(arg(0), longPrinter)}, {filler, 0x0100A8C0}, {}), c.text + "|abc")
            << c.room;
    }
}

}  // namespace
}  // namespace tkdec
