// tkdec_createMessagePayload, one case per rule of the payload builder, the
// value parsers and the structure encoding, over the reference build (and a
// hand-made message where that build lacks a shape). Each row gives the
// whole buffer afterwards: the patches over a cleared buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "encoder/message_payload.h"
#include "encoder/test_types.h"
#include "tkdec.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kFill = 0xEE;   // the buffer before the call
constexpr size_t kGuard = 8;      // bytes behind the buffer that must stay kFill
constexpr const char *kPtp = "CKI_TIMER_PTP_TASK_ID";
constexpr const char *kCnf = "CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID";  // S = 20
constexpr const char *kHw = "LOG_HW_CONFIG_REQ_MSG_ID";              // S = 28
constexpr const char *kWm = "WATCHMOLE_STATUS_IND_MSG_ID";           // S = 28
constexpr const char *kAt = "AT_COMMAND_IND_MSG_ID";                 // S = 100
constexpr const char *kTests = "CKI_TESTAPP_QUERY_TESTS_CNF_MSG_ID"; // S = 980

struct Patch {
    size_t at;
    Bytes bytes;
};

// Identifier and length S - 4 of each message.
const Patch kCnfId{0, {0x07, 0x00, 0xC4, 0x2C, 0x10, 0x00}};
const Patch kHwId{0, {0x01, 0x00, 0x0D, 0x2C, 0x18, 0x00}};
const Patch kWmId{0, {0x01, 0x00, 0x0C, 0x2C, 0x18, 0x00}};
const Patch kAtId{0, {0x01, 0x00, 0x05, 0x2C, 0x60, 0x00}};
const Patch kTestsId{0, {0x09, 0x00, 0xC4, 0x2C, 0xD0, 0x03}};
const Patch kStartId{0, {0x01, 0x00, 0x01, 0x2C, 0x1C, 0x00}};  // CKI_SYSTEM_START_IND_MSG_ID, S = 32
const Patch kLinkId{0, {0x01, 0x0B, 0x01, 0x92, 0x14, 0x00}};   // event CKI_EVENT_IPC_LINK_UP, S = 24
const Patch kTestId{0, {0x42, 0x00, 0xC4, 0x2C, 0x18, 0x00}};   // the hand-made CKI_TEST_MSG_ID, S = 28
// The header members: m_srcTask CKI_TEST_APP_APPS_TASK_ID, m_dstTask
// CKI_TIMER_PTP_TASK_ID, m_postedCounter 0, m_deleteMe 1.
const Patch kHead{6, {0x00, 0x00, 0xC4, 0x13, 0x00, 0x00, 0x00, 0x12, 0x00, 0x01}};
const Patch kNoDst{10, {0, 0, 0, 0}};
const tkdec::PayloadTables *const kHand = &enctest::kTables;

struct Case {
    std::string name;
    const char *destination;  // null: the JSON form
    const char *body;
    uint32_t size;
    int32_t result;
    std::vector<Patch> written;  // over the cleared buffer, applied in order
    bool cleared = true;         // false: the call returned before clearing
    const tkdec::PayloadTables *tables = nullptr;  // hand-made; null: the reference build
};

// {"message": {members}}
std::string json(const char *message, const std::string &members) {
    return "{\"" + std::string(message) + "\": {" + members + "}}";
}
const std::string kDst = "\"m_dstTask\": \"CKI_TIMER_PTP_TASK_ID\", ";

void run(const std::vector<Case> &cases) {
    for (const Case &c : cases) {
        SCOPED_TRACE("[" + c.name + "] [" + (c.destination ? c.destination : "(null)") + "] [" +
                     (c.body ? c.body : "(null)") + "] size " + std::to_string(c.size));
        Bytes buffer(c.size + kGuard, kFill);
        const int32_t result =
            c.tables ? tkdec::buildMessagePayload(*c.tables, buffer.data(), c.size, c.name.c_str(), c.destination, c.body)
                     : tkdec_createMessagePayload(buffer.data(), c.size, c.name.c_str(), c.destination, c.body);
        EXPECT_EQ(result, c.result);
        Bytes expected(c.size, c.cleared ? 0 : kFill);
        for (const Patch &p : c.written) std::copy(p.bytes.begin(), p.bytes.end(), expected.begin() + p.at);
        expected.resize(c.size + kGuard, kFill);
        EXPECT_EQ(buffer, expected);
    }
}

TEST(MessagePayload, EveryRule) {
    const std::string name255 = json(std::string(255, 'N').c_str(), "");
    const std::string name256 = json(std::string(256, 'N').c_str(), "");
    const std::string name100k = json(std::string(100000, 'N').c_str(), "");
    const std::string member128 = "{." + std::string(128, 'm') + " =1}";
    const std::string member129 = "{." + std::string(129, 'm') + " =1}";
    const std::string string81 = "{.m_command={\"" + std::string(81, 'a') + "\"}}";
    std::string list25 = "{";
    for (int i = 1; i <= 25; ++i) list25 += std::to_string(i) + (i < 25 ? "," : "}");
    Bytes first24;
    for (uint8_t i = 1; i <= 24; ++i) first24.push_back(i);
    const std::string long127 = "{.m_long2=" + std::string(127, 'N') + "}";
    const std::string long128 = "{.m_long2=" + std::string(128, 'N') + "}";
    const Bytes cnf = {0x07, 0x00, 0xC4, 0x2C, 0x10, 0x00, 0x00, 0x00, 0xC4, 0x13, 0x00,
                       0x00, 0x00, 0x12, 0x00, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00};
    run({
        // Payload builder: a message named by CKI_MsgId name, by number and by
        // structure name; destination by name and by number.
        {kCnf, kPtp, "{.m_status=1}", 22, 22, {{0, cnf}}},  // lookup by CKI_MsgId name
        {"0x2CC40007", kPtp, "{.m_status=1}", 22, 22, {{0, cnf}}},  // lookup by number
        {"CkiTestAppQueryStatusCnfMessage", "0x12000000", "{.m_status=CKI_TESTAPP_STATUS_RUNNING}", 22, 22,
         {{0, cnf}}},  // structure name: the message entry first
        // JSON form, chosen by a null destination, an empty one or a null body.
        {json("CkiTestAppQueryStatusCnfMessage", kDst + "\"m_status\": 1"), nullptr, nullptr, 22, 22, {{0, cnf}}},  // destination null
        {json(kCnf, kDst + "\"m_status\" : 1"), "", "{.m_status=0}", 22, 22, {{0, cnf}}},  // destination empty: the body is ignored
        {" { \"" + std::string(kCnf) + "\" :{" + kDst + "\"m_status\": 1}}", kPtp, nullptr, 22, 22, {{0, cnf}}},  // body null; blanks
        // An event by number; its header members lie two base parts deep.
        {"0x92010B01", kPtp, "{.m_eventId=CKI_EVENT_IPC_LINK_UP .m_link=3 .m_mtu=1500}", 26, 26,
         {kLinkId, kHead, {18, {0x01, 0x0B, 0x01, 0x92, 3, 0, 0xDC, 0x05}}}},  // events too
        // The body overrides header members.
        {kCnf, kPtp, "{.m_deleteMe=0 .m_srcTask=0x12000000}", 22, 22,
         {kCnfId, kHead, {6, {0, 0, 0, 0x12}}, {15, {0}}}},  // header first, then the body
        // Destination check: m_dstTask of another CPU, left 0 (JSON form
        // without it), or an unknown destination text (task 0) fail; the
        // body may set it.
        {kCnf, "CKI_TIMER_MCE_TASK_ID", "{.m_status=1}", 22, -1, {kCnfId, kHead, {13, {0x11}}, {18, {1}}}},  // CPU 1
        {json(kCnf, "\"m_status\": 1"), nullptr, nullptr, 22, -1, {kCnfId, kHead, kNoDst, {18, {1}}}},  // the JSON header has no m_dstTask
        {kCnf, "NOT_A_TASK", "{}", 22, -1, {kCnfId, kHead, kNoDst}},  // neither number nor name: task 0
        {kCnf, "NOT_A_TASK", "{.m_dstTask=0x32000000}", 22, 22, {kCnfId, kHead, {13, {0x32}}}},  // set by the body; bits 28+ ignored
        {kCnf, kPtp, "{.m_dstTask=0x06000000}", 22, -1, {kCnfId, kHead, {13, {0x06}}}},  // CPU 6: all of bits 24-27 count
        // Refused before clearing: size 6 or less, an empty name. Size 7 is
        // accepted (a type value of 4 bytes).
        {kCnf, kPtp, "{}", 6, -1, {}, false},  // size 6
        {"", kPtp, "{}", 22, -1, {}, false},  // empty name
        {"CkiAlarmLevel", "{.value=CKI_ALARM_INFO}", "", 7, 4, {{0, {8}}}},  // size 7
        // A buffer shorter than the payload is refused; unknown names.
        {kCnf, kPtp, "{}", 21, -1, {}},  // S + 1 bytes
        {"NoSuchMessage", kPtp, "{}", 22, -1, {}},  // no type of that name
        {"0x2CC40099", kPtp, "{}", 22, -1, {}},  // no entry with that id
        // JSON opening: '{', the name's quotes and ':' are required; names
        // over 255 characters are refused without being copied.
        {"\"CkiTestAppQueryStatusCnfMessage\": {}", nullptr, nullptr, 22, -1, {}},  // no '{'
        {"{CkiTestAppQueryStatusCnfMessage: {}}", nullptr, nullptr, 22, -1, {}},  // no opening quote
        {"{\"CkiTestAppQueryStatusCnfMessage", nullptr, nullptr, 22, -1, {}},  // no closing quote
        {"{\"CkiTestAppQueryStatusCnfMessage\" {}}", nullptr, nullptr, 22, -1, {}},  // no ':'
        {name255, nullptr, nullptr, 22, -1, {}},  // 255 characters: looked up, unknown
        {name256, nullptr, nullptr, 22, -1, {}},  // refused before the copy
        {name100k, nullptr, nullptr, 22, -1, {}},  // refused before the copy
        // Error results: 1 - (index of the stop position) in the body, or in
        // the whole JSON text; the identifier and length are not written.
        {kCnf, kPtp, "{.m_status=1 junk}", 22, -12, {kHead, {18, {1}}}},  // stops at "junk}"
        {kCnf, kPtp, "{.m_nope=1}", 22, -8, {kHead}},                      // no such member: at "1}"
        {kCnf, kPtp, "{a=x}", 22, -1, {kHead}},                            // at index 3: -2 becomes -1
        {json(kCnf, "\"m_status\":1 \"m_deleteMe\":0"), nullptr, nullptr, 22, -53,
         {kHead, kNoDst, {18, {1}}}},  // no ',': stops at "\"m_deleteMe\""
        // Type values (three-text form naming a type): the destination text
        // is the value, written from offset 0 within the whole buffer.
        {"CkiAlarmLevel", "{.anything=CKI_ALARM_ERROR}", "x", 22, 4, {{0, {2}}}},  // single-value type: any member name
        {"CkiAlarmLevel", "CKI_ALARM_ERROR", "x", 22, 4, {}},  // no '{': nothing written, still 4
        {"CkiAlarmLevel", "{.value=NOPE}", "", 22, -1, {}},  // failed value: -1, no index
        {"LogHwEvent", "{.v=LOG_HW_EVENT_WATCHDOG}", "", 16, 4, {{8, {0x01}}}},  // bit 64 behind the type
        {"LogHwEvent", "{.v=LOG_HW_EVENT_WATCHDOG}", "", 8, -1, {}},  // the bit lies behind the buffer
        {"uint8_t[24]", "{1, 2, 3}", "", 24, 24, {{0, {1, 2, 3}}}},  // elements not given keep their bytes
        {"uint8_t[24]", "{1, 2, 3}", "", 23, -1, {}},  // shorter than the type
        {"uint8_t[24]", list25.c_str(), "", 32, -1, {{0, first24}}},  // 25 elements into 24
        {"uint8_t[24]", "{}", "", 24, -1, {}},  // an empty list fails
        // JSON form naming a type: header, body, identifier and length share
        // the buffer's window (the length S - 4 of a 1-byte type is FFFD),
        // and the destination check reads nothing below buffer + 3.
        {json("CkiTestAppStatus", "\"v\": 1"), nullptr, nullptr, 22, -1, {{4, {0xFD, 0xFF}}}},  // a type named in JSON

        // Structure parser: accepted forms.
        {kCnf, kPtp, "{.m_srcTask\r= CKI_TIMER_PTP_TASK_ID,\n.m_status =\t1}", 22, 22,
         {kCnfId, kHead, {6, {0, 0, 0, 0x12}}, {18, {1}}}},  // blanks around '=', ',' between members
        {kCnf, kPtp, "Name {m_status=1, m_deleteMe=0}", 22, 22,
         {kCnfId, kHead, {15, {0}}, {18, {1}}}},  // text before '{' skipped; names without '.'
        {kCnf, kPtp, "{.m_status=1.m_deleteMe=0} rest", 22, 22,
         {kCnfId, kHead, {15, {0}}, {18, {1}}}},  // '.' right after a value; text after '}' ignored
        {kCnf, kPtp, "{.m_status=1 .m_status=2}", 22, 22, {kCnfId, kHead, {18, {2}}}},  // the later value wins
        // A malformed name or a missing '=' ends parsing with 0, keeping what
        // was written; so do "{}" and an empty text.
        {kCnf, kPtp, "{.m_status=1 .m_bad#=2}", 22, 22, {kCnfId, kHead, {18, {1}}}},  // '#' in a name
        {kCnf, kPtp, "{.m_status=1 .9x=2}", 22, 22, {kCnfId, kHead, {18, {1}}}},  // a name begins with a letter
        {kCnf, kPtp, "{.m_status 1}", 22, 22, {kCnfId, kHead}},  // no '='
        {kCnf, kPtp, "", 22, 22, {kCnfId, kHead}},  // no '{'
        {kCnf, kPtp, "{.m_status=1", 22, -11, {kHead, {18, {1}}}},  // no '}': stops at the end
        {json(kCnf, kDst + "m_status:1"), nullptr, nullptr, 22, 22, {kCnfId, kHead}},  // JSON name without quotes
        {json(kCnf, kDst + "\"m_status\" 1"), nullptr, nullptr, 22, 22, {kCnfId, kHead}},  // no ':'
        {json(kCnf, kDst + "\"m_status\":1,"), nullptr, nullptr, 22, 22, {kCnfId, kHead, {18, {1}}}},  // ',' then '}': no further name
        // Member names: 128 characters are read (no such member: stops at
        // "1}"); the 129th fails the value where it stands.
        {kCnf, kPtp, member128.c_str(), 22, -131, {kHead}},  // read whole; no such member
        {kCnf, kPtp, member129.c_str(), 22, -130, {kHead}},  // stops past the 129th

        // Integer parser: octal, negative, truncation, hexadecimal, size 8.
        {kAt, kPtp, "{.m_channel=010 .m_length=-1}", 102, 102, {kAtId, kHead, {18, {8, 0, 0xFF, 0xFF}}}},  // octal; -1 in two bytes
        {kAt, kPtp, "{.m_channel=300 .m_length=0xa0}", 102, 102, {kAtId, kHead, {18, {0x2C, 0, 0xA0}}}},  // truncated; hexadecimal
        {kTests, kPtp, "{.m_count=0x123456789 .m_tests={{.m_testId=+7 .m_duration=-0x10}}}", 982, 982,
         {kTestsId, kHead, {18, {0x89, 0x67, 0x45, 0x23, 7}}, {28, {0xF0, 0xFF}}}},  // modulo 2^32
        {kAt, kPtp, "{.m_channel=1ABC}", 102, -12, {kHead, {18, {1}}}},  // 'A' is no separator
        {kAt, kPtp, "{.m_channel=0xg}", 102, -12, {kHead}},  // "0x" without a digit reads 0: stops at "xg}"
        {kAt, kPtp, "{.m_channel=08}", 102, -12, {kHead}},   // octal 0: stops at "8}"
        {kAt, kPtp, "{.m_length=- 5}", 102, -10, {kHead}},   // no number
        {kAt, kPtp, "{.m_channel=\"5\"}", 102, -11, {kHead}},            // quotes only in JSON
        // Nested structure with an array, a 1-byte bitmask (ended by the ","),
        // a 64-bit number.
        {"CKI_SYSTEM_START_IND_MSG_ID", kPtp,
         "{.m_version={.sv={1, 2} .m_build=0x0304} .m_resetTrigger=ACC_RESET_WATCHDOG|ACC_RESET_POWER_ON, "
         ".m_bootTime=4294967295}",
         34, 34, {kStartId, kHead, {18, {1, 2, 4, 3, 3}}, {26, {0xFF, 0xFF, 0xFF, 0xFF}}}},  // nested values
        // JSON quotes: a quote opens a number only as the value's first
        // character; a quoted number needs its closing quote.
        {json(kAt, kDst + "\"m_channel\":\"7\", \"m_length\":0x20"), nullptr, nullptr, 102, 102,
         {kAtId, kHead, {18, {7, 0, 0x20}}}},  // quote right after ':'
        {json(kAt, kDst + "\"m_channel\": \"7\""), nullptr, nullptr, 102, -77, {kHead}},  // stops at "\"7\""
        {json(kAt, kDst + "\"m_channel\":\"7"), nullptr, nullptr, 102, -79, {kHead, {18, {7}}}},  // at the last '}'
        {json(kAt, kDst + "\"m_channel\":\"x\""), nullptr, nullptr, 102, -76, {kHead}},  // back on the quote

        // Enumeration parser: any number; names exact, case included. The
        // name parser keeps the blanks it skipped; a quote may follow them.
        {kCnf, kPtp, "{.m_status=7}", 22, 22, {kCnfId, kHead, {18, {7}}}},  // any number
        {kCnf, kPtp, "{.m_status=cki_testapp_status_running}", 22, -10, {kHead}},  // case counts: stops at "cki"
        {kCnf, kPtp, "{.m_status= NOPE}", 22, -11, {kHead}},  // stops at "NOPE}"
        // " \"1\"": no number (blank first); the name "1" is no enumerator.
        {json(kCnf, kDst + "\"m_status\": \"1\""), nullptr, nullptr, 22, -90, {kHead}},  // stops back on the quote
        {json(kCnf, kDst + "\"m_status\": \"CKI_TESTAPP_STATUS_RUNNING"), nullptr, nullptr, 22, -118,
         {kHead, {18, {1}}}},  // no closing quote: written, stops at the last '}'
        // Identifiers up to 127 characters (hand-made table).
        {"CKI_TEST_MSG_ID", kPtp, long127.c_str(), 30, 30, {kTestId, kHead, {23, {5}}}, true, kHand},  // 127 characters
        {"CKI_TEST_MSG_ID", kPtp, long128.c_str(), 30, -9, {kHead}, true, kHand},  // 128: no identifier; stops at it

        // Bitmask parser: items ORed and written once; a ',' ends the list.
        {kHw, kPtp, "{.m_groups=LOG_HW_GROUP_MCE_PRINT|0x80 | LOG_HW_GROUP_MCE_DSP, .m_events=LOG_HW_EVENT_SLEEP}", 30,
         30, {kHwId, kHead, {18, {0x85, 0, 0, 0, 0x04}}}},  // names and numbers; ended by ','
        // A text that is no item stops the list without writing anything.
        {kWm, kPtp, "{.m_statusFlags=WATCHMOLE_ARMED|WATCHMOLE_KICKED .m_result=1}", 30, 30, {kWmId, kHead, {26, {1}}}},  // runs into ".m_result"
        {kHw, kPtp, "{.m_groups=LOG_HW_GROUP_MCE_CKI|BOGUS}", 30, -31, {kHead}},  // stops at "BOGUS}"
        {kHw, kPtp, "{.m_groups=}", 30, 30, {kHwId, kHead}},  // empty list
        // JSON: a bracketed list, or a single (quoted) number.
        {json(kHw, kDst + "\"m_groups\": [\"LOG_HW_GROUP_MCE_PRINT\", \"LOG_HW_GROUP_PTP_USB\"], \"m_events\": \"5\""),
         nullptr, nullptr, 30, 30, {kHwId, kHead, {18, {0x81, 0, 0, 0, 5}}}},  // quoted single number after blanks
        {json(kHw, kDst + "\"m_groups\": [], \"m_events\": []"), nullptr, nullptr, 30, 30, {kHwId, kHead}},  // empty lists
        {json(kHw, kDst + "\"m_groups\": \"LOG_HW_GROUP_MCE_PRINT\""), nullptr, nullptr, 30, -79, {kHead}},  // a name needs brackets
        {json(kHw, kDst + "\"m_groups\": [LOG_HW_GROUP_MCE_CKI"), nullptr, nullptr, 30, -101,
         {kHead, {18, {2}}}},  // written at the '}', then no ']'
        {json(kHw, kDst + "\"m_groups\": [LOG_HW_GROUP_MCE_CKI BOGUS]"), nullptr, nullptr, 30, -101,
         {kHead}},  // BOGUS stops the list: nothing written, no ']'

        // Bit-offset parser: bit k sets bit k % 8 of byte k / 8, read back.
        {kHw, kPtp, "{.m_events=LOG_HW_EVENT_WAKEUP|LOG_HW_EVENT_USB_SUSPEND|LOG_HW_EVENT_USB_RESUME}", 30, 30,
         {kHwId, kHead, {22, {0x02, 0, 0, 0, 0x06}}}},  // bits 1, 33, 34
        {kHw, kPtp, "{.m_events=LOG_HW_EVENT_SLEEP | 0x10}", 30, 30, {kHwId, kHead, {22, {0x10}}}},  // a number is byte 0
        // Bits behind the structure are written within the buffer; a failed
        // write does not end the list, whose result is the last write's.
        {kHw, kPtp, "{.m_events=LOG_HW_EVENT_WATCHDOG}", 64, 30, {kHwId, kHead, {30, {0x01}}}},  // bit 64: payload offset 30
        {json(kHw, kDst + "\"m_events\": [\"LOG_HW_EVENT_WATCHDOG\"]"), nullptr, nullptr, 64, 30, {kHwId, kHead, {30, {1}}}},  // the same in JSON
        {kHw, kPtp, "{.m_events=LOG_HW_EVENT_WATCHDOG}", 30, -32, {kHead}},  // no room: -1, stops at the end
        {kHw, kPtp, "{.m_events=LOG_HW_EVENT_WATCHDOG|LOG_HW_EVENT_RESET}", 30, 30, {kHwId, kHead, {22, {1}}}},  // the failure is not last
        {kHw, kPtp, "{.m_events=LOG_HW_EVENT_RESET|LOG_HW_EVENT_WATCHDOG}", 30, -51, {kHead, {22, {1}}}},  // the failed write is the last
        {kHw, kPtp, "{.m_events=LOG_HW_EVENT_RESET|BOGUS}", 30, -29, {kHead, {22, {1}}}},  // at "BOGUS}"
        {json(kHw, kDst + "\"m_events\": [\"LOG_HW_EVENT_SLEEP\", \"LOG_HW_EVENT_IPC_TX\"]"), nullptr, nullptr, 30, 30,
         {kHwId, kHead, {22, {0x24}}}},  // bits 2 and 5
        {json(kHw, kDst + "\"m_events\": [LOG_HW_EVENT_RESET"), nullptr, nullptr, 30, -99, {kHead, {22, {1}}}},  // no ']'
        // An alias's window is the buffer's too (hand-made: bit 17 of a
        // 2-byte alias).
        {"CKI_TEST_MSG_ID", kPtp, "{.m_events=EV_17}", 30, 30, {kTestId, kHead, {28, {0x02}}}, true, kHand},  // byte 2

        // Member lookup: a match whose entry fails does not end the search
        // (hand-made: m_value is a Level in the base, a Status after it).
        {"CKI_TEST_MSG_ID", kPtp, "{.m_value=LEVEL_INFO}", 30, 30, {kTestId, kHead, {18, {8}}}, true, kHand},  // the base part matches
        {"CKI_TEST_MSG_ID", kPtp, "{.m_value=STATUS_RUNNING}", 30, 30,
         {kTestId, kHead, {22, {1}}}, true, kHand},  // the base part fails, the later member matches
        {"CKI_TEST_MSG_ID", kPtp, "{.m_value=NEITHER}", 30, -9, {kHead}, true, kHand},  // both fail

        // Arrays: a string NUL-terminated when shorter, the rest kept; 'x'
        // quotes; numbers into a character array; too long or unterminated.
        {kAt, kPtp, "{.m_command={\"ABCD\"} .m_command={'XY'}}", 102, 102,
         {kAtId, kHead, {22, {'X', 'Y', 0, 'D'}}}},  // NUL after a shorter string; ' quotes
        {kAt, kPtp, "{.m_command={65, 66}}", 102, 102, {kAtId, kHead, {22, {'A', 'B'}}}},  // an element list into characters
        {kAt, kPtp, string81.c_str(), 104, -97, {kHead, {22, Bytes(80, 'a')}}},  // at the end
        {kAt, kPtp, "{.m_command={\"abc}}", 102, -18, {kHead, {22, {'a', 'b', 'c', '}', '}'}}}},  // no closing quote
        // The first character alone chooses the string form: the rest of a
        // list is then read by the enclosing parsers ("7" ends JSON parsing
        // with 0, "'B'" the designated one), and m_length stays unwritten.
        {json(kAt, kDst + "\"m_command\": [\"6\", 7], \"m_length\": 2"), nullptr, nullptr, 102, 102,
         {kAtId, kHead, {22, {'6'}}}},  // string "6"; ' 7' is no name: ends with 0
        {json(kAt, kDst + "\"m_command\": ['A', 'B'], \"m_length\": 2"), nullptr, nullptr, 102, 102,
         {kAtId, kHead, {22, {'A'}}}},  // string 'A'; "'B'" is no name: ends with 0
        {kAt, kPtp, "{.m_command={'A', 'B'}, .m_length=2}", 102, 102, {kAtId, kHead, {22, {'A'}}}},  // "'B'": a malformed name
        {json(kAt, kDst + "\"m_command\": [\"AT\"]"), nullptr, nullptr, 102, -82, {kHead, {22, {'A', 'T'}}}},  // at "]"
        // Elements of 32 bytes take no string; a nested list skips text up to
        // the next ','.
        {kTests, kPtp, "{.m_tests={\"ab\"}}", 982, -16, {kHead}},  // a structure parse of "ab" skips to the end: no '}'
        {kTests, kPtp, "{.m_count=2 .m_tests={{.m_testId=1 .m_digest={1, 2 junk, 3}}, {.m_status=2}}}", 982, 982,
         {kTestsId, kHead, {18, {2, 0, 0, 0, 1}}, {30, {1, 2, 3}}, {58, {2}}}},  // array of structures; ' junk' skipped
        {json(kTests, kDst + "\"m_tests\": [{\"m_duration\": 258}, {\"m_digest\": [9]}]"), nullptr, nullptr, 982, 982,
         {kTestsId, kHead, {28, {2, 1}}, {62, {9}}}},  // the same in JSON
    });
    uint8_t buffer[22] = {};
    EXPECT_EQ(tkdec_createMessagePayload(nullptr, 22, kCnf, kPtp, "{}"), -1);
    EXPECT_EQ(tkdec_createMessagePayload(buffer, 22, nullptr, kPtp, "{}"), -1);
}

}  // namespace
