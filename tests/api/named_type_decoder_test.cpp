#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/support.h"
#include "tkdec.h"

namespace tkdec::test {
namespace {

// The status confirmation 0x2CC40007 sent by the given task, status 2.
Bytes statusCnf(uint32_t source) {
    return words({0x2CC40007, source, 0x13C40000, 0, 2});
}

// tkdec_decodeType into an exact-size guarded buffer: result and text up
// to the NUL or the buffer end.
std::pair<uint32_t, std::string> decode(const char *name, const Bytes &data, uint32_t outSize = 4096) {
    uint32_t result = 0;
    const ExactCopy copy(data);
    std::string text = written(outSize, [&](char **pos, char *) {
        result = tkdec_decodeType(name, static_cast<uint32_t>(data.size()), copy.begin(), outSize, *pos, UF_AsText);
        if (result == 0) *pos += strnlen(*pos, outSize);
    });
    return {result, text};
}

const char kStatusCnfText[] =
    "(CkiTestAppQueryStatusCnfMessage){.m_srcTask=CKI_TIMER_PTP_TASK_ID .m_dstTask=CKI_TEST_APP_APPS_TASK_ID "
    ".m_postedCounter=0 .m_deleteMe=0 .m_processing=0 .m_flags=0 .m_status=CKI_TESTAPP_STATUS_PASSED}";

TEST(DecodeType, LookupByNameAndId) {
    struct Case {
        const char *name;
        Bytes data;
        uint32_t result;
        const char *text;
    };
    const Bytes fromPtp = statusCnf(0x12000000);
    const Bytes fromApps = statusCnf(0x13C40000);
    const Case cases[] = {
        {"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", fromPtp, 0, kStatusCnfText},
        {"0x2cc40007", fromPtp, 0, kStatusCnfText},
        {"751042567", fromPtp, 0, kStatusCnfText},
        {"0x2CC40007", fromPtp, 1, ""},
        {"0X2cc40007", fromPtp, 1, ""},
        {"0x2cc4007", fromPtp, 1, ""},
        {"0x02cc40007", fromPtp, 1, ""},
        {"+751042567", fromPtp, 1, ""},
        {" 751042567", fromPtp, 1, ""},
        {"0751042567", fromPtp, 1, ""},
        {"751042567 ", fromPtp, 1, ""},
        {"0x2cc40007 ", fromPtp, 1, ""},
        // The source check: an APPS sender, or too few bytes for one.
        {"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", fromApps, 1, ""},
        {"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", statusCnf(0x16000000), 1, ""},  // CPU 6, not 2
        {"0x2cc40007", Bytes(fromPtp.begin(), fromPtp.begin() + 7), 1, ""},
        {"0x2cc40007", {}, 1, ""},
        // The structure's type entry has id 0: no source check.
        {"CkiTestAppQueryStatusCnfMessage", fromApps, 0,
         "(CkiTestAppQueryStatusCnfMessage){.m_srcTask=CKI_TEST_APP_APPS_TASK_ID .m_dstTask=CKI_TEST_APP_APPS_TASK_ID "
         ".m_postedCounter=0 .m_deleteMe=0 .m_processing=0 .m_flags=0 .m_status=CKI_TESTAPP_STATUS_PASSED}"},
        // 0 names the first type entry.
        {"0", {200}, 0, "200"},  // "unsigned char", not the "char" behind it
        {"0x00000000", {200}, 0, "200"},
        {"unsigned char", {200}, 0, "200"},
        {"0x0", {200}, 1, ""},
        {"-0", {65}, 1, ""},
        // An event by its negative decimal id.
        {"-1845165567", {1, 2, 0x05, 0x92, 0, 0, 1, 0x12}, 0,
         "(Atlayer_AbortEvent){.m_srcTask=CKI_IPC_DRIVER_TASK_ID .m_dstTask=(CKI_TaskId)(no data) "
         ".m_postedCounter=(unsigned char)(no data) .m_deleteMe=(unsigned char)(no data) "
         ".m_processing=(unsigned char)(no data) .m_flags=(unsigned char)(no data) "
         ".m_eventId=(CKI_EventId)(no data) .m_channel=(uint8_t)(no data) .m_reason=(CKI_Return)(no data)}"},
        {"0x92050201", {1, 2, 0x05, 0x92, 0, 0, 1, 0x13}, 1, ""},
        {"2450850305", {1, 2, 0x05, 0x92, 0, 0, 1, 0x12}, 1, ""},  // its id unsigned: "%i" is negative
        {"TokenisedPrintChannels", {5, 0, 0, 0}, 0, "(TokenisedPrintChannels) 0x00000005 (5)"},
        {"NoSuchType", fromPtp, 1, ""},
        {"", fromPtp, 1, ""},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(decode(c.name, c.data), std::make_pair(c.result, std::string(c.text))) << c.name;
    }
}

TEST(DecodeType, BadArgumentsWriteNothing) {
    const Bytes data = statusCnf(0x12000000);
    char out[16] = "untouched";
    EXPECT_EQ(tkdec_decodeType(nullptr, 20, data.data(), sizeof out, out, UF_AsText), 1u);
    EXPECT_EQ(tkdec_decodeType("CKI_Message", 20, data.data(), sizeof out, nullptr, UF_AsText), 1u);
    EXPECT_EQ(tkdec_decodeType("CKI_Message", 20, data.data(), 0, out, UF_AsText), 1u);
    EXPECT_EQ(tkdec_decodeType("CKI_Message", 20, data.data(), sizeof out, out, 4), 1u);
    EXPECT_EQ(tkdec_decodeType("CKI_Message", 20, data.data(), sizeof out, out, -1), 1u);
    EXPECT_STREQ(out, "untouched");
    // Null data is no data: the type's description.
    EXPECT_EQ(tkdec_decodeType("CkiAlarmLevel", 8, nullptr, sizeof out, out, UF_AsText), 0u);
    EXPECT_EQ(std::string(out, sizeof out), "(CkiAlarmLevel){");
}

TEST(DecodeType, OutputIsCutAtTheBufferSize) {
    const Bytes data = statusCnf(0x12000000);
    const std::string full = kStatusCnfText;
    for (uint32_t size : {1u, 10u, static_cast<uint32_t>(full.size()), static_cast<uint32_t>(full.size() + 1)}) {
        EXPECT_EQ(decode("0x2cc40007", data, size), std::make_pair(0u, full.substr(0, size))) << size;
    }
}

}  // namespace
}  // namespace tkdec::test
