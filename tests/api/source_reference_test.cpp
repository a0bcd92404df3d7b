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
        {8241, 52, 0, 374, "../../platform/ptp/system/src/systemhwinit.cpp"},
        {48, 52, 1, 0xFFFFFFFF, "Source reference not found for channel x0030 token x00000034"},
        {8241, 0x32030200, 1, 0xFFFFFFFF, "Source reference not found for channel x2031 token x32030200"},
        {8433, 0, 1, 0xFFFFFFFF, "Source reference not found for channel x20f1 token x00000000"},
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

}  // namespace
