// The reference build's print tokens, decoded in UF_AsText through the
// exported interface: one case per conversion rule and name filter.
#include <gtest/gtest.h>

#include <string>

#include "support/support.h"

namespace {

using tkdec::test::Bytes;
using tkdec::test::concat;
using tkdec::test::item;
using tkdec::test::words;

struct TextCase {
    const char *name;
    uint32_t id;
    Bytes payload;
    const char *text;
};

TEST(PrintTokens, LogLines) {
    const TextCase cases[] = {
        {"no conversions", 4, {}, "2nd stage boot complete"},
        {"MPU region", 0x104, words({3, 0x20000000, 0x0000A519, 0x0000132D}),
         "MPU region 3: enabled=true, base=0x20000000, size=8KB, sub regions disabled=[10100101], "
         "access=FULL_ACCESS, exec=NEVER, shared=SHARED, TEX=101 C=0 B=1 [OUTER_WBWA_INNER_WBWA]"},
        {"MPU region, a value without a name", 0x104, words({1, 0, 0x2, 0x0408}),
         "MPU region 1: enabled=false, base=0x00000000, size=(MpuRegionSize) 0x01 (32B + -3), "
         "sub regions disabled=[00000000], access=(MpuAccessPermission) 0x04 (FULL_ACCESS + 1), exec=ALLOWED, "
         "shared=NON_SHARED, TEX=001 C=0 B=0 [NON_CACHEABLE]"},
        {"a partial word is no argument", 0x10C, {2, 0, 0, 0, 9},
         "*DECODER ERROR* Arguments missing (have 1 want 2):CrashDump::dumpStack:77 - sp 00000002 words "
         "**Extended Data lookup failed: use LOG_DATA()?**"},
        {"data dump in words", 0x10C, concat({words({0x2000FFF0, 0}), item(0, {1, 2, 3, 4, 5, 6})}),
         "CrashDump::dumpStack:77 - sp 2000fff0 words 04030201 00000605 "},
        {"skip 4 words", 0x110, words({4, 5}), "UsbDriver::setDeviceState:212 - state CONFIGURED -> SUSPENDED"},
        {"skip 5 words", 0x114, words({2, 3}), "KmrfRadioConfig::onStateChange:88 - radio config ACTIVE, retries 3"},
        {"alias index 1", 0x118, words({0, 0}), "AtParser::setMode:57 - mode COMMAND (was AT_MODE_FIRST)"},
        {"TRUE/FALSE, True/False, a width", 0x11C, words({0xDEADBEEF, 0x10, 7}),
         "IpcLayer::linkStatus:301 - link up TRUE, crc check True, retries 7    |"},
        {"choice, first option", 0x120, words({1, 0x20}), "MbcPowerDomainDriver::reportState:602 - domain 1 state ON"},
    };
    for (const TextCase &c : cases) {
        SCOPED_TRACE(c.name);
        const tkdec::test::Decoded decoded = tkdec::test::decode(48, c.id, c.payload);
        EXPECT_EQ(decoded.result, 0);
        EXPECT_EQ(decoded.text, c.text);
    }
}

}  // namespace
