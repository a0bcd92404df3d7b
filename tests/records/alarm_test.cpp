// Alarms and processor exception reports, decoded through the exported
// interface on the two alarm channels.
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

TEST(Alarms, LevelsReadThroughTheSkip2Filter) {
    const struct {
        uint32_t level;
        const char *text;
    } cases[] = {
        {0, "ALARM"}, {4, "WARNING"},
        {3, "(CkiAlarmLevel) 0x00000003 (ERROR + 1)"},
        {9, "(CkiAlarmLevel) 0x00000009 (ALARM + 9)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.level);
        EXPECT_EQ(alarmText(0x30000301, words({c.level, 5, 0x12030000, 0, 0, 0})),
                  std::string("[ALARM:COOKIE_ALARM_02 ") + c.text +
                      " line=5 in CKI_COMMS_TASK_ID] 0x00000000, 0x00000000, 0x00000000");
    }
}

TEST(Alarms, NoTextOutsidePlainText) {
    const std::string sourceref =
        "<sourceref><file>../../platform/ptp/system/src/systemhwinit.cpp</file><line>844</line></sourceref>";
    EXPECT_EQ(alarmText(0x348, words({0x30000301, 2, 7}), UF_AsXml),
              "<xml>" + sourceref + "<params><p0>0x30000301</p0><p1>0x00000002</p1><p2>0x00000007</p2></params></xml>");
    EXPECT_EQ(alarmText(0x32030201, words({0x1F, 0x100}), UF_AsJson), "{\"params\":[\"0x0000001f\",\"0x00000100\"]}");
    EXPECT_EQ(alarmText(0x34C, words({0x30000304, 4, 1, 2, 0xABC, 7, 0x12030000}), UF_AsJson),
              "{\"sourceref\":{\"file\":\"../../platform/common/mpmutex/src/mpmutex.cpp\",\"line\":212},"
              "\"group\":\"LOG_GROUP_CRASHDUMP\",\"params\":[\"0x30000304\",\"0x00000004\",\"0x00000001\","
              "\"0x00000002\",\"0x00000abc\",\"0x00000007\",\"0x12030000\"]}");
}

TEST(ExceptionReports, TheSixReports) {
    const std::string head = " cpsr = 0x600001d3 [R4:FLAGS=-ZC---AIF- MODE=SVC] pc = 0x00000001";
    const Bytes payload = words({0x600001D3, 1, 2, 0x1808, 4, 5});
    const struct {
        uint32_t id;
        std::string text;
    } cases[] = {
        {0x32030200, "[ABORT:EXH_UNDEF_ABORT]" + head + " sp = 0x00000002"},
        {0x32030201, "[ABORT:EXH_SWI_ABORT]" + head},
        {0x32030202, "[ABORT:EXH_PREFETCH_ABORT]" + head +
                         " sp = 0x00000002 ifsr = 0x00001808 [R4:IFSR=AXI Slave:Synchronous External Abort] "
                         "aifsr = 0x00000004 ifar = 0x00000005"},
        {0x32030203, "[ABORT:EXH_DATA_ABORT]" + head +
                         " sp = 0x00000002 dfsr = 0x00001808 [R4:DFSR=AXI Slave:Synchronous External Abort:WR] "
                         "adfsr = 0x00000004 dfar = 0x00000005"},
        {0x32030204, "[ABORT:EXH_UNUSED_ABORT]" + head},
        {0x32030205, "[ABORT:EXH_FIQ_ABORT]" + head},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(alarmText(c.id, payload), c.text);
    }
}

TEST(ExceptionReports, MissingRegistersReadAsDeadbeef) {
    EXPECT_EQ(alarmText(0x32030201, {}),
              "*DECODER ERROR* Arguments missing (have 0 want 2):[ABORT:EXH_SWI_ABORT] cpsr = 0xdeadbeef "
              "[R4:FLAGS=NZ-VQE-IFT MODE=UNKNOWN] pc = 0xdeadbeef");
}

}  // namespace
