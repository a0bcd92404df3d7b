#include <gtest/gtest.h>

#include <string>

#include "tkdec.h"

namespace {

struct ReferenceCase {
    uint16_t channel;
    uint32_t id;
    int32_t result;
    uint32_t line;
    const char *text;
};

TEST(SourceReference, FoundAndNotFound) {
    const ReferenceCase cases[] = {
        {48, 0, 0, 263, "../../platform/ptp/boot/src/boot.cpp"},
        {9360, 0, 0, 263, "../../platform/ptp/boot/src/boot.cpp"},  // any log-group channel
        {8241, 52, 0, 374, "../../platform/ptp/system/src/systemhwinit.cpp"},
        {48, 52, 1, 0xFFFFFFFF, "Source reference not found for channel x0030 token x00000034"},
        {8241, 0x32030200, 1, 0xFFFFFFFF, "Source reference not found for channel x2031 token x32030200"},
        {8433, 0, 1, 0xFFFFFFFF, "Source reference not found for channel x20f1 token x00000000"},
        {8465, 52, 1, 0xFFFFFFFF, "Source reference not found for channel x2111 token x00000034"},
        {48, 2, 1, 0xFFFFFFFF, "Source reference not found for channel x0030 token x00000002"},
        {0x1234, 0, 1, 0xFFFFFFFF, "Source reference not found for channel x1234 token x00000000"},
    };
    for (const ReferenceCase &c : cases) {
        SCOPED_TRACE(std::to_string(c.channel) + " " + std::to_string(c.id));
        char buffer[128];
        uint32_t line = 12345;
        EXPECT_EQ(tkdec_getSourceReference(c.channel, c.id, &line, sizeof buffer, buffer), c.result);
        EXPECT_EQ(line, c.line);
        EXPECT_STREQ(buffer, c.text);
    }
}

TEST(SourceReference, CutsAtTheBufferSize) {
    const struct {
        uint32_t id;
        uint32_t size;
        int32_t result;
        const char *text;  // the bytes written, no terminator
    } cases[] = {
        {0, 8, 0, "../../pl"},
        {2, 8, 1, "Source r"},
        {0, 36, 0, "../../platform/ptp/boot/src/boot.cpp"},  // exactly the name: no NUL
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.size);
        char buffer[48];
        std::fill(std::begin(buffer), std::end(buffer), '#');
        uint32_t line = 0;
        EXPECT_EQ(tkdec_getSourceReference(48, c.id, &line, c.size, buffer), c.result);
        EXPECT_EQ(std::string(buffer, c.size), c.text);
        EXPECT_EQ(buffer[c.size], '#') << "wrote past the size";
    }
}

TEST(SourceReference, NullArgumentsTouchNothing) {
    char buffer[8] = "#######";
    uint32_t line = 7;
    EXPECT_EQ(tkdec_getSourceReference(48, 0, nullptr, sizeof buffer, buffer), 1);
    EXPECT_EQ(tkdec_getSourceReference(48, 0, &line, sizeof buffer, nullptr), 1);
    EXPECT_EQ(line, 7u);
    EXPECT_STREQ(buffer, "#######");
}

}  // namespace
