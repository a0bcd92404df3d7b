// Building a message payload over hand-built tables: both input forms, the
// three kinds of message name, the header members, the destination check,
// type entries and the error results.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "encoder/guarded_buffer.h"
#include "encoder/message_payload.h"
#include "encoder/test_types.h"

namespace {

using enctest::GuardedBuffer;
using Bytes = std::vector<uint8_t>;

constexpr uint8_t F = 0xEE;
constexpr const char *kStatusCnf = "CkiTestAppQueryStatusCnfMessage";
constexpr const char *kPtpTask = "CKI_TIMER_PTP_TASK_ID";

// The 22 bytes of CkiTestAppQueryStatusCnfMessage with the given members.
Bytes statusCnfPayload(uint32_t dstTask, uint8_t deleteMe, uint8_t status) {
    Bytes bytes = {0x07, 0x00, 0xC4, 0x2C, 0x10, 0x00, 0x00, 0x00, 0xC4, 0x13};
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(dstTask >> (8 * i)));
    const Bytes rest = {0x00, deleteMe, 0x00, 0x00, status, 0x00, 0x00, 0x00};
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    return bytes;
}

Bytes zeros(size_t n) { return Bytes(n, 0); }

Bytes withPrefix(Bytes prefix, size_t n) {
    prefix.resize(n, 0);
    return prefix;
}

struct PayloadCase {
    std::string name;
    const char *destination;
    const char *body;
    uint32_t size;
    int32_t result;
    Bytes bytes;  // the whole buffer afterwards
};

void runPayloadCases(const std::vector<PayloadCase> &cases) {
    for (const PayloadCase &c : cases) {
        SCOPED_TRACE("[" + c.name + "] [" + (c.destination ? c.destination : "(null)") + "] [" +
                     (c.body ? c.body : "(null)") + "] size " + std::to_string(c.size));
        GuardedBuffer buffer(c.size, F);
        EXPECT_EQ(tkdec::buildMessagePayload(enctest::kTables, buffer.start(), c.size, c.name.c_str(),
                                             c.destination, c.body),
                  c.result);
        EXPECT_EQ(buffer.contents(), c.bytes);
        EXPECT_TRUE(buffer.guardsIntact());
    }
}

TEST(MessagePayload, ThreeNamesAndTheJsonFormGiveOnePayload) {
    const Bytes payload = statusCnfPayload(0x12000000, 1, 1);
    runPayloadCases({
        {"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", kPtpTask, "{.m_status=1}", 22, 22, payload},
        {"0x2CC40007", kPtpTask, "{.m_status=1}", 22, 22, payload},
        {"751042567", kPtpTask, "{.m_status=1}", 22, 22, payload},
        {kStatusCnf, kPtpTask, "{.m_status=1}", 22, 22, payload},
        {kStatusCnf, "0x12000000", "{.m_status=CKI_TEST_APP_STATUS_RUNNING}", 22, 22, payload},
        {kStatusCnf, "301989888", "{.m_status=1}", 22, 22, payload},
        {"{\"CkiTestAppQueryStatusCnfMessage\": {\"m_dstTask\": \"CKI_TIMER_PTP_TASK_ID\", \"m_status\": 1}}",
         nullptr, nullptr, 22, 22, payload},
        {" { \"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID\" :{\"m_status\":\"1\",\"m_dstTask\":301989888}}", nullptr,
         nullptr, 22, 22, payload},
        {"{\"CkiTestAppQueryStatusCnfMessage\": {\"m_dstTask\": \"CKI_TIMER_PTP_TASK_ID\", \"m_status\": 1}}",
         "", "{.m_status=0}", 22, 22, payload},
        {"{\"CkiTestAppQueryStatusCnfMessage\": {\"m_dstTask\": \"CKI_TIMER_PTP_TASK_ID\", \"m_status\": 1}}",
         kPtpTask, nullptr, 22, 22, payload},
        {kStatusCnf, kPtpTask, "{.m_status=1}", 40, 22, withPrefix(payload, 40)},
    });
}

TEST(MessagePayload, HeaderMembersAndTheirOverrides) {
    runPayloadCases({
        {kStatusCnf, kPtpTask, "{.m_deleteMe=0 .m_status=1}", 22, 22, statusCnfPayload(0x12000000, 0, 1)},
        {kStatusCnf, kPtpTask, "", 22, 22, statusCnfPayload(0x12000000, 1, 0)},
        {kStatusCnf, "CKI_DRIVER_PTP_TASK_ID", "{.m_dstTask=CKI_TIMER_PTP_TASK_ID}", 22, 22,
         statusCnfPayload(0x12000000, 1, 0)},
        {kStatusCnf, "NOT_A_TASK", "{.m_dstTask=CKI_DRIVER_PTP_TASK_ID}", 22, 22, statusCnfPayload(0x12010000, 1, 0)},
        {kStatusCnf, kPtpTask, "{.m_srcTask=0x12000000}", 22, 22,
         withPrefix({0x07, 0x00, 0xC4, 0x2C, 0x10, 0x00, 0, 0, 0, 0x12, 0, 0, 0, 0x12, 0, 1}, 22)},
    });
}

TEST(MessagePayload, DestinationCheck) {
    runPayloadCases({
        {kStatusCnf, "CKI_TIMER_MCE_TASK_ID", "{.m_status=1}", 22, -1, statusCnfPayload(0x11000000, 1, 1)},
        {kStatusCnf, "CKI_TEST_APP_APPS_TASK_ID", "{.m_status=1}", 22, -1, statusCnfPayload(0x13C40000, 1, 1)},
        {kStatusCnf, "NOT_A_TASK", "{.m_status=1}", 22, -1, statusCnfPayload(0, 1, 1)},
        {kStatusCnf, kPtpTask, "{.m_dstTask=0}", 22, -1, statusCnfPayload(0, 1, 0)},
        {"{\"CkiTestAppQueryStatusCnfMessage\": {\"m_status\": 1}}", nullptr, nullptr, 22, -1,
         statusCnfPayload(0, 1, 1)},
        {"{\"CkiTestAppQueryStatusCnfMessage\": {\"m_dstTask\": 318767104}}", nullptr, nullptr, 22, -1,
         statusCnfPayload(0x13000000, 1, 0)},
    });
}

TEST(MessagePayload, RefusedArgumentsAndNames) {
    runPayloadCases({
        {kStatusCnf, kPtpTask, "{.m_status=1}", 6, -1, Bytes(6, F)},
        {"", kPtpTask, "{.m_status=1}", 22, -1, Bytes(22, F)},
        {kStatusCnf, kPtpTask, "{.m_status=1}", 21, -1, zeros(21)},
        {"NoSuchMessage", kPtpTask, "{.m_status=1}", 22, -1, zeros(22)},
        {"0x2CC40099", kPtpTask, "{.m_status=1}", 22, -1, zeros(22)},
        {"CKI_TESTAPP_QUERY_STATUS_REQ_MSG_ID", kPtpTask, "{.m_status=1}", 22, -1, zeros(22)},
        {"CKI_TEST_RECORD_MSG_ID", kPtpTask, "{.m_word=1}", 105, -1, zeros(105)},
        {"{\"NoSuchMessage\": {}}", nullptr, nullptr, 22, -1, zeros(22)},
        {"\"CkiTestAppQueryStatusCnfMessage\": {}", nullptr, nullptr, 22, -1, zeros(22)},
        {"{CkiTestAppQueryStatusCnfMessage: {}}", nullptr, nullptr, 22, -1, zeros(22)},
        {"{\"CkiTestAppQueryStatusCnfMessage", nullptr, nullptr, 22, -1, zeros(22)},
        {"{\"CkiTestAppQueryStatusCnfMessage\" {}}", nullptr, nullptr, 22, -1, zeros(22)},
        {"{\"" + std::string(255, 'N') + "\": {}}", nullptr, nullptr, 22, -1, zeros(22)},
        {"{\"" + std::string(256, 'N') + "\": {}}", nullptr, nullptr, 22, -1, zeros(22)},
        {"{\"" + std::string(100000, 'N') + "\": {}}", nullptr, nullptr, 22, -1, zeros(22)},
    });
    uint8_t buffer[22] = {};
    EXPECT_EQ(tkdec::buildMessagePayload(enctest::kTables, nullptr, 22, kStatusCnf, kPtpTask, "{}"), -1);
    EXPECT_EQ(tkdec::buildMessagePayload(enctest::kTables, buffer, 22, nullptr, kPtpTask, "{}"), -1);
}

TEST(MessagePayload, TypeEntriesTakeTheDestinationAsTheirValue) {
    runPayloadCases({
        {"CkiAlarmLevel", "{.value=CKI_ALARM_ERROR}", "", 22, 4, withPrefix({2, 0, 0, 0}, 22)},
        {"CkiAlarmLevel", "{.level=8}", "ignored", 7, 4, withPrefix({8, 0, 0, 0}, 7)},
        {"CkiAlarmLevel", "CKI_ALARM_ERROR", "ignored", 22, 4, zeros(22)},
        {"CkiAlarmLevel", "{.value=NOPE}", "", 22, -1, zeros(22)},
        {"uint8_t[24]", "{1, 2, 3}", "", 24, 24, withPrefix({1, 2, 3}, 24)},
        {"uint8_t[24]", "{1, 2, 3}", "", 23, -1, zeros(23)},
        // In the JSON form a type entry is encoded like a message: every
        // header member reaches the single value, the identifier (0) and
        // length (4 - 4) overwrite it, and the destination check fails.
        {"{\"CkiAlarmLevel\": {\"value\": 2}}", nullptr, nullptr, 22, -1, zeros(22)},
    });
}

TEST(MessagePayload, MembersStayWithinThePayload) {
    const Bytes header = {0x43, 0x00, 0xC4, 0x2C, 0x10, 0x00, 0x00, 0x00, 0xC4, 0x13, 0x00, 0x00, 0x00, 0x12, 0x00, 0x01};
    Bytes bits = header;
    bits.insert(bits.end(), {0, 0, 0x08, 0x02, 0, 0});
    runPayloadCases({
        {"CKI_TEST_BITS_MSG_ID", kPtpTask, "{.m_bits=EV_3|EV_9}", 40, 22, withPrefix(bits, 40)},
        // Bit 63 lies behind the message: the body fails at its end and the
        // identifier and length are not written.
        {"CKI_TEST_BITS_MSG_ID", kPtpTask, "{.m_bits=EV_63}", 40, -14,
         withPrefix({0, 0, 0, 0, 0, 0, 0, 0, 0xC4, 0x13, 0, 0, 0, 0x12, 0, 1}, 40)},
        {"CkiAlarmLevel", "{.value=CKI_ALARM_INFO}", "", 40, 4, withPrefix({8}, 40)},
    });
}

// The error result is 1 - (index of the final position) in the parsed text:
// the body, or in the JSON form the whole name text.
TEST(MessagePayload, ErrorResultsPointIntoTheText) {
    struct Case {
        std::string name;
        const char *body;
        std::string stopsAt;  // the text from the final position on
    };
    const std::string json = "{\"CkiTestAppQueryStatusCnfMessage\": {\"m_status\": 1, \"m_nope\": 2}}";
    const Case cases[] = {
        {kStatusCnf, "{.m_status=1 junk}", "junk}"},
        {kStatusCnf, "{.m_nope=1}", "1}"},
        {kStatusCnf, "{.m_status=x}", "x}"},
        {kStatusCnf, "{.m_status=1 .m_deleteMe=1 .m_flags=\"2\"}", "\"2\"}"},
        {json, nullptr, "2}}"},
        {"{\"CkiTestAppQueryStatusCnfMessage\": {\"m_status\": 1 \"m_flags\": 2}}", nullptr, "\"m_flags\": 2}}"},
    };
    for (const Case &c : cases) {
        const std::string text = c.body ? c.body : c.name;
        SCOPED_TRACE(text);
        const size_t index = text.rfind(c.stopsAt);
        ASSERT_NE(index, std::string::npos);
        GuardedBuffer buffer(22, F);
        EXPECT_EQ(tkdec::buildMessagePayload(enctest::kTables, buffer.start(), 22, c.name.c_str(),
                                             c.body ? kPtpTask : nullptr, c.body),
                  1 - static_cast<int32_t>(index));
        EXPECT_TRUE(buffer.guardsIntact());
    }
}

TEST(MessagePayload, MinusTwoIsNeverReturned) {
    // Parsing stops at index 3 ("{a=x}": no member a), which gives -2.
    GuardedBuffer buffer(22, F);
    EXPECT_EQ(tkdec::buildMessagePayload(enctest::kTables, buffer.start(), 22, kStatusCnf, kPtpTask, "{a=x}"), -1);
    EXPECT_TRUE(buffer.guardsIntact());
}

}  // namespace
