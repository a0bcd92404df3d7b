#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/support.h"
#include "tkdec.h"

namespace tkdec::test {
namespace {

constexpr uint16_t kTraceChannel = 8465;
constexpr uint32_t kTimerMce = 0x11000000;
constexpr uint32_t kLpMce = 0x11010000;

struct TraceCase {
    const char *title;
    uint32_t id;
    std::vector<uint8_t> payload;
    const char *expected[4];  // text, XML, long JSON, JSON
};

const TraceCase kTraceCases[] = {
    {"a message id", 0x2CC40007, words({kTimerMce, kLpMce}),
     {"CKI_TIMER_MCE_TASK_ID -> (CkiTestAppQueryStatusCnfMessage) -> CKI_LP_MCE_TASK_ID",
      "CKI_TIMER_MCE_TASK_ID 0x11000000 -> (CkiTestAppQueryStatusCnfMessage) -> CKI_LP_MCE_TASK_ID 0x11010000",
      R"({"typename":"CKI_TaskId","value":{"text":"CKI_TIMER_MCE_TASK_ID","number":285212672}} -> )"
      R"((CkiTestAppQueryStatusCnfMessage) -> {"typename":"CKI_TaskId","value":{"text":"CKI_LP_MCE_TASK_ID","number":285278208}})",
      R"("CKI_TIMER_MCE_TASK_ID" -> (CkiTestAppQueryStatusCnfMessage) -> "CKI_LP_MCE_TASK_ID")"}},
    // A short payload: the destination reads as 0xDEADBEEF.
    {"a 4-byte payload", 0x2CC40007, words({kTimerMce}),
     {"*DECODER ERROR* Arguments missing (have 1 want 2):CKI_TIMER_MCE_TASK_ID -> (CkiTestAppQueryStatusCnfMessage) "
      "-> (CKI_TaskId) 0xdeadbeef (CKI_TIMER_MCE_TASK_ID + -844251409)",
      "CKI_TIMER_MCE_TASK_ID 0x11000000 -> (CkiTestAppQueryStatusCnfMessage) -> (CKI_TaskId) 0xdeadbeef",
      R"({"typename":"CKI_TaskId","value":{"text":"CKI_TIMER_MCE_TASK_ID","number":285212672}} -> )"
      R"((CkiTestAppQueryStatusCnfMessage) -> {"typename":"CKI_TaskId","value":{"number":3735928559}})",
      R"("CKI_TIMER_MCE_TASK_ID" -> (CkiTestAppQueryStatusCnfMessage) -> 3735928559)"}},
    // An id without entry: its CKI_MsgId name, or else its CKI_EventId
    // name where the first rendering is in parentheses.
    {"an enumerator without class", 0x2C2A0003, words({kTimerMce, kLpMce}),
     {"CKI_TIMER_MCE_TASK_ID -> TFTP_RETRANS_TIMER_ID -> CKI_LP_MCE_TASK_ID",
      "CKI_TIMER_MCE_TASK_ID 0x11000000 -> TFTP_RETRANS_TIMER_ID 0x2c2a0003 -> CKI_LP_MCE_TASK_ID 0x11010000",
      R"({"typename":"CKI_TaskId","value":{"text":"CKI_TIMER_MCE_TASK_ID","number":285212672}} -> )"
      R"({"typename":"CKI_MsgId","value":{"text":"TFTP_RETRANS_TIMER_ID","number":740950019}} -> )"
      R"({"typename":"CKI_TaskId","value":{"text":"CKI_LP_MCE_TASK_ID","number":285278208}})",
      R"("CKI_TIMER_MCE_TASK_ID" -> "TFTP_RETRANS_TIMER_ID" -> "CKI_LP_MCE_TASK_ID")"}},
    {"an event without class", 0x92050202, words({kTimerMce, kLpMce}),
     {"CKI_TIMER_MCE_TASK_ID -> CKI_EVENT_AT_CONNECT_IND -> CKI_LP_MCE_TASK_ID",
      "CKI_TIMER_MCE_TASK_ID 0x11000000 -> CKI_EVENT_AT_CONNECT_IND 0x92050202 -> CKI_LP_MCE_TASK_ID 0x11010000",
      R"({"typename":"CKI_TaskId","value":{"text":"CKI_TIMER_MCE_TASK_ID","number":285212672}} -> )"
      R"({"typename":"CKI_MsgId","value":{"number":2449801730}} -> )"
      R"({"typename":"CKI_TaskId","value":{"text":"CKI_LP_MCE_TASK_ID","number":285278208}})",
      R"("CKI_TIMER_MCE_TASK_ID" -> 2449801730 -> "CKI_LP_MCE_TASK_ID")"}},
    // Id 0 matches the first type entry.
    {"id 0", 0, words({kTimerMce, kLpMce}),
     {"CKI_TIMER_MCE_TASK_ID -> (unsigned char) -> CKI_LP_MCE_TASK_ID",
      "CKI_TIMER_MCE_TASK_ID 0x11000000 -> (unsigned char) -> CKI_LP_MCE_TASK_ID 0x11010000",
      R"({"typename":"CKI_TaskId","value":{"text":"CKI_TIMER_MCE_TASK_ID","number":285212672}} -> (unsigned char) -> )"
      R"({"typename":"CKI_TaskId","value":{"text":"CKI_LP_MCE_TASK_ID","number":285278208}})",
      R"("CKI_TIMER_MCE_TASK_ID" -> (unsigned char) -> "CKI_LP_MCE_TASK_ID")"}},
};

TEST(MessageTrace, TracesInEveryFormat) {
    for (const TraceCase &c : kTraceCases) {
        for (OutputFormat format : kFormats) {
            const Decoded decoded = decode(kTraceChannel, c.id, c.payload, format);
            EXPECT_EQ(decoded.result, 0) << c.title;
            EXPECT_EQ(decoded.text, c.expected[format]) << c.title << ", format " << format;
        }
    }
}

}  // namespace
}  // namespace tkdec::test
