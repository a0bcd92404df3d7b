// The bounded append: terminator only when the text is shorter than the
// space left, the cut at the end, and every later append skipped.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "render/argument_renderer.h"
#include "render/bounded_append.h"
#include "render/name_filters.h"
#include "support/support.h"

namespace {

using tkdec::test::GuardedBuffer;

struct AppendCase {
    size_t space;
    std::vector<const char *> texts;
    std::string expected;  // bytes written, without any terminator
    bool terminated;       // a NUL follows the expected bytes
};

TEST(BoundedAppend, CutsAtTheEndAndSkipsEveryLaterAppend) {
    const AppendCase cases[] = {
        {5, {"abcde"}, "abcde", false},           // exactly the space: no NUL
        {5, {"abcde", "x"}, "abcde", false},      // later appends skipped
        {5, {"abcdefgh", "x"}, "abcde", false},   // longer: cut
        {5, {"abcdefgh", ""}, "abcde", false},
        {5, {"ab", "cd"}, "abcd", true},          // the next append starts on the NUL
        {5, {"ab", "cdef", "g"}, "abcde", false}, // second cut: the short third is skipped
        {5, {"", ""}, "", true},
        {1, {"a"}, "a", false},
        {1, {""}, "", true},
        {0, {"a"}, "", false},
    };
    for (const AppendCase &c : cases) {
        GuardedBuffer buffer(c.space);
        char *pos = buffer.begin();
        for (const char *text : c.texts) tkdec::append(&pos, buffer.end(), "%s", text);
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(std::string(buffer.begin(), static_cast<size_t>(pos - buffer.begin())), c.expected);
        EXPECT_EQ(pos == buffer.end(), !c.terminated);
        if (c.terminated) {
            EXPECT_EQ(*pos, '\0');
        }
        EXPECT_TRUE(buffer.guardsIntact());
    }
}

TEST(BoundedAppend, AllEntryPointsFollowTheSameRule) {
    const tkdec::FormatRow row = {{"%s", "<%s>", "\"%s\"", "%s!"}};
    const tkdec::FormatArgument argument = {0, "abcde"};
    for (size_t space = 0; space <= 8; ++space) {
        GuardedBuffer a(space), b(space), c(space);
        char *pa = a.begin(), *pb = b.begin(), *pc = c.begin();
        tkdec::appendRow(&pa, a.end(), row, UF_AsJson, "abcde");
        tkdec::appendText(&pb, b.end(), "abcde!");
        tkdec::appendArguments(&pc, c.end(), "%s!", &argument, 1);
        EXPECT_EQ(a.bytes, b.bytes) << space;
        EXPECT_EQ(a.bytes, c.bytes) << space;
        EXPECT_EQ(pa - a.begin(), pb - b.begin());
        EXPECT_EQ(pa - a.begin(), pc - c.begin());
    }
}

// Every empty text still ends the output with a NUL; a null text is "(null)".
TEST(BoundedAppend, EmptyAndNullTexts) {
    using Writer = void (*)(char **, char *);
    const struct {
        Writer write;
        const char *expected;
    } cases[] = {
        {[](char **pos, char *end) { tkdec::appendText(pos, end, ""); }, ""},
        {[](char **pos, char *end) { tkdec::appendArguments(pos, end, "", nullptr, 0); }, ""},
        {[](char **pos, char *end) { tkdec::appendRow(pos, end, {{"", "", "", ""}}, UF_AsXml); }, ""},
        {[](char **pos, char *end) { tkdec::appendText(pos, end, nullptr); }, "(null)"},
    };
    for (const auto &c : cases) {
        GuardedBuffer buffer(8);
        char *pos = buffer.begin();
        c.write(&pos, buffer.end());
        EXPECT_EQ(std::string(buffer.begin(), pos), c.expected);
        EXPECT_EQ(*pos, '\0');
    }
}

TEST(NameFilters, SkipLeadingWords) {
    struct Case {
        tkdec::NameFilter filter;
        const char *name;
        const char *expected;
    } cases[] = {
        {tkdec::filterIdentity, "CKI_ALARM_ERROR", "CKI_ALARM_ERROR"},
        {tkdec::filterSkip2Words, "CKI_ALARM_ERROR", "ERROR"},
        {tkdec::filterSkip2Words, "ONE_WORD", ""},
        {tkdec::filterSkip2Words, "A__B", "B"},
        {tkdec::filterSkip3Words, "A_B_C_D_E_F", "D_E_F"},
        {tkdec::filterSkip4Words, "A_B_C_D_E_F", "E_F"},
        {tkdec::filterSkip5Words, "A_B_C_D_E_F", "F"},
    };
    for (const Case &c : cases) EXPECT_STREQ(c.filter(c.name), c.expected) << c.name;
}

// A printer that writes the value in hexadecimal, as enumeration printers
// write a number.
void hexPrinter(const uint8_t *data, const uint8_t *, char **pos, char *end, tkdec::OutputFormat,
                tkdec::PrintMode, uint32_t, tkdec::CountFunction, tkdec::NameFilter) {
    const uint32_t v = data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24;
    tkdec::append(pos, end, "%x", v);
}

void silentPrinter(const uint8_t *, const uint8_t *, char **, char *, tkdec::OutputFormat, tkdec::PrintMode,
                   uint32_t, tkdec::CountFunction, tkdec::NameFilter) {}

TEST(ArgumentRenderer, PlacesTextsBehindEachOther) {
    char scratch[32];
    char *pos = scratch;
    const char *first = tkdec::renderArgument(0x12345678, &pos, scratch + sizeof scratch, hexPrinter, UF_AsText, 0,
                                              tkdec::filterIdentity);
    const char *second = tkdec::renderArgument(0xAB, &pos, scratch + sizeof scratch, hexPrinter, UF_AsText, 0,
                                               tkdec::filterIdentity);
    const char *empty = tkdec::renderArgument(0, &pos, scratch + sizeof scratch, silentPrinter, UF_AsText, 0,
                                              tkdec::filterIdentity);
    EXPECT_STREQ(first, "12345678");
    EXPECT_EQ(second, first + 9);
    EXPECT_STREQ(second, "ab");
    EXPECT_STREQ(empty, "");
    EXPECT_EQ(pos, empty + 1);
}

TEST(ArgumentRenderer, CutTextIsStillTerminated) {
    GuardedBuffer scratch(4);
    char *pos = scratch.begin();
    const char *text = tkdec::renderArgument(0x12345678, &pos, scratch.end(), hexPrinter, UF_AsText, 0,
                                             tkdec::filterIdentity);
    EXPECT_STREQ(text, "123");
    EXPECT_EQ(pos, scratch.end());
    EXPECT_TRUE(scratch.guardsIntact());
    EXPECT_STREQ(tkdec::renderArgument(1, &pos, scratch.end(), hexPrinter, UF_AsText, 0, tkdec::filterIdentity),
                 "** No output buffer space **");
}

}  // namespace
