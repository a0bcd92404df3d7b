#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/decode.h"
#include "tkdec.h"

namespace tkdec::test {
namespace {

constexpr uint16_t kTraceChannel = 8465;
constexpr uint32_t kTimerMce = 0x11000000;
constexpr uint32_t kLpMce = 0x11010000;

std::vector<uint8_t> tasks(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> bytes;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(w >> (8 * i)));
    return bytes;
}

struct TraceCase {
    const char *title;
    uint32_t id;
    std::vector<uint8_t> payload;
    const char *expected[4];  // text, XML, long JSON, JSON
};

const TraceCase kTraceCases[] = {
    {"a message id", 0x2CC40007, tasks({kTimerMce, kLpMce}),
     {"CKI_TIMER_MCE_TASK_ID -> (CkiTestAppQueryStatusCnfMessage) -> CKI_LP_MCE_TASK_ID",
      "CKI_TIMER_MCE_TASK_ID 0x11000000 -> (CkiTestAppQueryStatusCnfMessage) -> CKI_LP_MCE_TASK_ID 0x11010000",
      R"({"typename":"CKI_TaskId","value":{"text":"CKI_TIMER_MCE_TASK_ID","number":285212672}} -> )"
      R"((CkiTestAppQueryStatusCnfMessage) -> {"typename":"CKI_TaskId","value":{"text":"CKI_LP_MCE_TASK_ID","number":285278208}})",
      R"("CKI_TIMER_MCE_TASK_ID" -> (CkiTestAppQueryStatusCnfMessage) -> "CKI_LP_MCE_TASK_ID")"}},
    {"an event id", 0x92050201, tasks({0x12050000, kTimerMce}),
     {"CKI_AT_TASK_ID -> (Atlayer_AbortEvent) -> CKI_TIMER_MCE_TASK_ID",
      "CKI_AT_TASK_ID 0x12050000 -> (Atlayer_AbortEvent) -> CKI_TIMER_MCE_TASK_ID 0x11000000",
      R"({"typename":"CKI_TaskId","value":{"text":"CKI_AT_TASK_ID","number":302317568}} -> (Atlayer_AbortEvent) -> )"
      R"({"typename":"CKI_TaskId","value":{"text":"CKI_TIMER_MCE_TASK_ID","number":285212672}})",
      R"("CKI_AT_TASK_ID" -> (Atlayer_AbortEvent) -> "CKI_TIMER_MCE_TASK_ID")"}},
    // A short payload: the destination reads as 0xDEADBEEF.
    {"a 4-byte payload", 0x2CC40007, tasks({kTimerMce}),
     {"*DECODER ERROR* Arguments missing (have 1 want 2):CKI_TIMER_MCE_TASK_ID -> (CkiTestAppQueryStatusCnfMessage) "
      "-> (CKI_TaskId) 0xdeadbeef (CKI_TIMER_MCE_TASK_ID + -844251409)",
      "CKI_TIMER_MCE_TASK_ID 0x11000000 -> (CkiTestAppQueryStatusCnfMessage) -> (CKI_TaskId) 0xdeadbeef",
      R"({"typename":"CKI_TaskId","value":{"text":"CKI_TIMER_MCE_TASK_ID","number":285212672}} -> )"
      R"((CkiTestAppQueryStatusCnfMessage) -> {"typename":"CKI_TaskId","value":{"number":3735928559}})",
      R"("CKI_TIMER_MCE_TASK_ID" -> (CkiTestAppQueryStatusCnfMessage) -> 3735928559)"}},
    // An id without entry: its CKI_MsgId name, or else its CKI_EventId
    // name where the first rendering is in parentheses.
    {"an enumerator without class", 0x2C2A0003, tasks({kTimerMce, kLpMce}),
     {"CKI_TIMER_MCE_TASK_ID -> TFTP_RETRANS_TIMER_ID -> CKI_LP_MCE_TASK_ID",
      "CKI_TIMER_MCE_TASK_ID 0x11000000 -> TFTP_RETRANS_TIMER_ID 0x2c2a0003 -> CKI_LP_MCE_TASK_ID 0x11010000",
      R"({"typename":"CKI_TaskId","value":{"text":"CKI_TIMER_MCE_TASK_ID","number":285212672}} -> )"
      R"({"typename":"CKI_MsgId","value":{"text":"TFTP_RETRANS_TIMER_ID","number":740950019}} -> )"
      R"({"typename":"CKI_TaskId","value":{"text":"CKI_LP_MCE_TASK_ID","number":285278208}})",
      R"("CKI_TIMER_MCE_TASK_ID" -> "TFTP_RETRANS_TIMER_ID" -> "CKI_LP_MCE_TASK_ID")"}},
    {"an event without class", 0x92050202, tasks({kTimerMce, kLpMce}),
     {"CKI_TIMER_MCE_TASK_ID -> CKI_EVENT_AT_CONNECT_IND -> CKI_LP_MCE_TASK_ID",
      "CKI_TIMER_MCE_TASK_ID 0x11000000 -> CKI_EVENT_AT_CONNECT_IND 0x92050202 -> CKI_LP_MCE_TASK_ID 0x11010000",
      R"({"typename":"CKI_TaskId","value":{"text":"CKI_TIMER_MCE_TASK_ID","number":285212672}} -> )"
      R"({"typename":"CKI_MsgId","value":{"number":2449801730}} -> )"
      R"({"typename":"CKI_TaskId","value":{"text":"CKI_LP_MCE_TASK_ID","number":285278208}})",
      R"("CKI_TIMER_MCE_TASK_ID" -> 2449801730 -> "CKI_LP_MCE_TASK_ID")"}},
    {"an id in no table", 0x12345678, tasks({kTimerMce, kLpMce}),
     {"CKI_TIMER_MCE_TASK_ID -> (CKI_EventId) 0x12345678 (CKI_EVENT_SYSTEM_READY + -2110499720) -> CKI_LP_MCE_TASK_ID",
      "CKI_TIMER_MCE_TASK_ID 0x11000000 -> (CKI_EventId) 0x12345678 -> CKI_LP_MCE_TASK_ID 0x11010000",
      R"({"typename":"CKI_TaskId","value":{"text":"CKI_TIMER_MCE_TASK_ID","number":285212672}} -> )"
      R"({"typename":"CKI_MsgId","value":{"number":305419896}} -> )"
      R"({"typename":"CKI_TaskId","value":{"text":"CKI_LP_MCE_TASK_ID","number":285278208}})",
      R"("CKI_TIMER_MCE_TASK_ID" -> 305419896 -> "CKI_LP_MCE_TASK_ID")"}},
    // Id 0 matches the first type entry.
    {"id 0", 0, tasks({kTimerMce, kLpMce}),
     {"CKI_TIMER_MCE_TASK_ID -> (unsigned char) -> CKI_LP_MCE_TASK_ID",
      "CKI_TIMER_MCE_TASK_ID 0x11000000 -> (unsigned char) -> CKI_LP_MCE_TASK_ID 0x11010000",
      R"({"typename":"CKI_TaskId","value":{"text":"CKI_TIMER_MCE_TASK_ID","number":285212672}} -> (unsigned char) -> )"
      R"({"typename":"CKI_TaskId","value":{"text":"CKI_LP_MCE_TASK_ID","number":285278208}})",
      R"("CKI_TIMER_MCE_TASK_ID" -> (unsigned char) -> "CKI_LP_MCE_TASK_ID")"}},
    {"no payload", 0x2CC40007, {},
     {"*DECODER ERROR* Arguments missing (have 0 want 2):(CKI_TaskId) 0xdeadbeef (CKI_TIMER_MCE_TASK_ID + "
      "-844251409) -> (CkiTestAppQueryStatusCnfMessage) -> (CKI_TaskId) 0xdeadbeef (CKI_TIMER_MCE_TASK_ID + "
      "-844251409)",
      "(CKI_TaskId) 0xdeadbeef -> (CkiTestAppQueryStatusCnfMessage) -> (CKI_TaskId) 0xdeadbeef",
      R"({"typename":"CKI_TaskId","value":{"number":3735928559}} -> (CkiTestAppQueryStatusCnfMessage) -> )"
      R"({"typename":"CKI_TaskId","value":{"number":3735928559}})",
      R"(3735928559 -> (CkiTestAppQueryStatusCnfMessage) -> 3735928559)"}},
};

TEST(MessageTrace, TracesInEveryFormat) {
    constexpr tkdec_OutputFormat formats[] = {UF_AsText, UF_AsXml, UF_AsLongJson, UF_AsJson};
    for (const TraceCase &c : kTraceCases) {
        for (tkdec_OutputFormat format : formats) {
            const Decoded decoded = decode(kTraceChannel, c.id, c.payload, format);
            EXPECT_EQ(decoded.result, 0) << c.title;
            EXPECT_EQ(decoded.text, c.expected[format]) << c.title << ", format " << format;
        }
    }
}

// Both message channels cut their output at the buffer's end like every
// record: the full output's prefix, a NUL only when it fits, nothing
// written behind the size.
TEST(MessageChannels, OutputBufferSweep) {
    struct Record {
        uint16_t channel;
        uint32_t id;
        std::vector<uint8_t> payload;
    };
    const Record records[] = {
        {kTraceChannel, 0x2CC40007, tasks({kTimerMce, kLpMce})},
        {8433, 0x2CC40007, tasks({0x12000000, 0x13C40000, 0, 2})},
        {8433, 0x2C0000FF, tasks({0x12030000, 0x12050000, 0})},
    };
    constexpr uint32_t kGuard = 8;
    for (const Record &record : records) {
        for (tkdec_OutputFormat format : {UF_AsText, UF_AsXml, UF_AsLongJson, UF_AsJson}) {
            const std::string full = decode(record.channel, record.id, record.payload, format).text;
            for (uint32_t size = 0; size <= full.size() + 1; ++size) {
                std::vector<char> out(size + kGuard, '\x7f');
                const int32_t result = wrapperOf(format)(record.channel, record.id,
                                                         static_cast<uint32_t>(record.payload.size()),
                                                         record.payload.data(), size, out.data());
                ASSERT_EQ(result, 0);
                const size_t written = std::min<size_t>(size, full.size());
                EXPECT_EQ(std::string(out.data(), written), full.substr(0, written)) << size;
                if (size > full.size()) {
                    EXPECT_EQ(out[full.size()], '\0');
                }
                if (size <= full.size() && size > 0) {
                    EXPECT_NE(out[size - 1], '\0');
                }
                for (uint32_t i = size; i < size + kGuard; ++i) ASSERT_EQ(out[i], '\x7f') << "size " << size;
            }
        }
    }
}

}  // namespace
}  // namespace tkdec::test
