// The bounded append: every empty text still ends the output with a NUL; a
// null text is "(null)". An argument's text cut at the scratch end is still
// terminated. Cuts at every output size are the output-size sweep's.
#include <gtest/gtest.h>

#include <string>

#include "render/argument_renderer.h"
#include "render/bounded_append.h"
#include "render/name_filters.h"
#include "support/support.h"

namespace {

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
        tkdec::test::GuardedBuffer buffer(8);
        char *pos = buffer.text();
        c.write(&pos, buffer.textEnd());
        EXPECT_EQ(std::string(buffer.text(), pos), c.expected);
        EXPECT_EQ(*pos, '\0');
    }
}

// A printer that writes the value in hexadecimal, as enumeration printers
// write a number.
void hexPrinter(const uint8_t *data, const uint8_t *, char **pos, char *end, tkdec::OutputFormat, tkdec::PrintMode,
                uint32_t, tkdec::CountFunction, tkdec::NameFilter) {
    const uint32_t v = data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24;
    tkdec::append(pos, end, "%x", v);
}

TEST(ArgumentRenderer, CutTextIsStillTerminated) {
    tkdec::test::GuardedBuffer scratch(4);
    char *pos = scratch.text();
    EXPECT_STREQ(tkdec::renderArgument(0x12345678, &pos, scratch.textEnd(), hexPrinter, UF_AsText, 0, tkdec::filterIdentity),
                 "123");
    EXPECT_EQ(pos, scratch.textEnd());
    EXPECT_TRUE(scratch.guardsIntact());
    EXPECT_STREQ(tkdec::renderArgument(1, &pos, scratch.textEnd(), hexPrinter, UF_AsText, 0, tkdec::filterIdentity),
                 "** No output buffer space **");
}

}  // namespace
