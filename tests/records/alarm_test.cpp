// Located and named alarms, decoded through the exported interface on the
// two alarm channels.
#include <gtest/gtest.h>

#include <string>

#include "support/support.h"

namespace {

using tkdec::test::Bytes;
using tkdec::test::decode;
using tkdec::test::words;

constexpr uint16_t kAlarmChannels[] = {8209, 8241};

// Decodes on both alarm channels, which must agree.
std::string alarmText(uint32_t id, const Bytes &payload, tkdec_OutputFormat format = UF_AsText) {
    const tkdec::test::Decoded first = decode(kAlarmChannels[0], id, payload, format);
    const tkdec::test::Decoded second = decode(kAlarmChannels[1], id, payload, format);
    EXPECT_EQ(first.result, 0);
    EXPECT_EQ(second.result, 0);
    EXPECT_EQ(first.text, second.text);
    return first.text;
}

TEST(Alarms, LocatedAndNamed) {
    const struct {
        const char *name;
        uint32_t id;
        Bytes payload;
        const char *text;
    } cases[] = {
        {"VSP power-up timeout", 0x348, words({0x30000301, 2, 7}),
         "[ALARM:COOKIE_ALARM_02(30000301) ERROR at systemhwinit.cpp:postSleepSetup:844] VSP power-up timeout: 7"},
        {"token 52 with a return code", 52, words({0x30000300, 1, 0xFFFFFFFC}),
         "[ALARM:COOKIE_ALARM_01(30000300) FATAL at systemhwinit.cpp:SystemHwInit::initClocks:374] "
         "PLL lock failed: CKI_RETURN_INVALID_PARAM"},
        {"mutex not used", 0x34C, words({0x30000304, 4, 1, 2, 0xABC, 7, 0x12030000}),
         "[ALARM:CKI_ALARM_MUTEX_NOT_USED(30000304) WARNING at mpmutex.cpp:MpMutex::unlock:212] "
         "Mutex not used (01) by this domain MPMUTEX_DOMAIN_PTP. 00000abc [7] CKI_COMMS_TASK_ID"},
        {"named alarm", 0x30000300, words({2, 374, 0x12030000, 1, 2, 0xFFFFFFFF}),
         "[ALARM:COOKIE_ALARM_01 ERROR line=374 in CKI_COMMS_TASK_ID] 0x00000001, 0x00000002, 0xffffffff"},
        {"named alarm with a short payload", 0x31010100, words({1, 2}),
         "*DECODER ERROR* Arguments missing (have 2 want 6):[ALARM:IPC_ALARM_LINK_DOWN FATAL line=2 in "
         "(CKI_TaskId) 0xdeadbeef (CKI_TIMER_MCE_TASK_ID + -844251409)] 0xdeadbeef, 0xdeadbeef, 0xdeadbeef"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(alarmText(c.id, c.payload), c.text);
    }
}

}  // namespace
