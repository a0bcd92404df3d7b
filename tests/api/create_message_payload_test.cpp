// tkdec_createMessagePayload over the reference build's tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "encoder/guarded_buffer.h"
#include "tkdec.h"

namespace {

using enctest::GuardedBuffer;
using Bytes = std::vector<uint8_t>;

constexpr uint8_t F = 0xEE;

// 0x2CC40007 from CKI_TEST_APP_APPS_TASK_ID to CKI_TIMER_PTP_TASK_ID with
// m_status 1.
const Bytes kStatusCnf = {0x07, 0x00, 0xC4, 0x2C, 0x10, 0x00, 0x00, 0x00, 0xC4, 0x13, 0x00,
                          0x00, 0x00, 0x12, 0x00, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00};
constexpr const char *kStatusCnfJson =
    "{\"CkiTestAppQueryStatusCnfMessage\": {\"m_dstTask\": \"CKI_TIMER_PTP_TASK_ID\", \"m_status\": 1}}";

Bytes withPrefix(Bytes prefix, size_t n) {
    prefix.resize(n, 0);
    return prefix;
}

struct Case {
    std::string name;
    const char *destination;
    const char *body;
    uint32_t size;
    int32_t result;
    Bytes bytes;  // the whole buffer afterwards
};

TEST(CreateMessagePayload, ReferenceBuild) {
    Bytes deleteMe0 = kStatusCnf;
    deleteMe0[15] = 0;
    Bytes mce = kStatusCnf;
    mce[13] = 0x11;
    Bytes noDestination = kStatusCnf;
    noDestination[13] = 0;
    const Case cases[] = {
        {"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", "CKI_TIMER_PTP_TASK_ID", "{.m_status=1}", 22, 22, kStatusCnf},
        {"0x2CC40007", "CKI_TIMER_PTP_TASK_ID", "{.m_status=1}", 22, 22, kStatusCnf},
        {"CkiTestAppQueryStatusCnfMessage", "CKI_TIMER_PTP_TASK_ID", "{.m_status=1}", 22, 22, kStatusCnf},
        {"CkiTestAppQueryStatusCnfMessage", "CKI_TIMER_PTP_TASK_ID", "{.m_status=CKI_TESTAPP_STATUS_RUNNING}", 22,
         22, kStatusCnf},
        {kStatusCnfJson, nullptr, nullptr, 22, 22, kStatusCnf},
        {kStatusCnfJson, "", "{}", 22, 22, kStatusCnf},
        {"{\"CkiTestAppQueryStatusCnfMessage\": {\"m_status\": 1}}", nullptr, nullptr, 22, -1, noDestination},
        {"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", "CKI_TIMER_MCE_TASK_ID", "{.m_status=1}", 22, -1, mce},
        {"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", "CKI_TIMER_PTP_TASK_ID", "{.m_deleteMe=0 .m_status=1}", 22, 22,
         deleteMe0},
        {"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", "CKI_TIMER_PTP_TASK_ID", "{.m_status=1}", 6, -1, Bytes(6, F)},
        {"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", "CKI_TIMER_PTP_TASK_ID", "{.m_status=1}", 21, -1, Bytes(21, 0)},
        {"", "CKI_TIMER_PTP_TASK_ID", "{.m_status=1}", 22, -1, Bytes(22, F)},
        {"CkiAlarmLevel", "{.value=CKI_ALARM_ERROR}", "", 22, 4, withPrefix({2, 0, 0, 0}, 22)},
        {"CkiAlarmLevel", "CKI_ALARM_ERROR", "x", 22, 4, Bytes(22, 0)},
        {"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", "CKI_TIMER_PTP_TASK_ID", "{.m_status=1 junk}", 22, 1 - 13,
         withPrefix({0, 0, 0, 0, 0, 0, 0, 0, 0xC4, 0x13, 0, 0, 0, 0x12, 0, 1, 0, 0, 1}, 22)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("[" + c.name + "] [" + (c.destination ? c.destination : "(null)") + "] [" +
                     (c.body ? c.body : "(null)") + "] size " + std::to_string(c.size));
        GuardedBuffer buffer(c.size, F);
        EXPECT_EQ(tkdec_createMessagePayload(buffer.start(), c.size, c.name.c_str(), c.destination, c.body), c.result);
        EXPECT_EQ(buffer.contents(), c.bytes);
        EXPECT_TRUE(buffer.guardsIntact());
    }
}

}  // namespace
