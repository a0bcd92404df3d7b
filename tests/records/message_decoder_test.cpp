#include <gtest/gtest.h>

#include <string>

#include "support/support.h"
#include "tkdec.h"

namespace tkdec::test {
namespace {

constexpr uint16_t kMessageChannel = 8433;


// A message payload: the message from offset 4 on (tasks, flags, body).
Bytes payload(uint32_t source, uint32_t destination, Bytes body = {}, Bytes flags = {0, 0, 0, 0}) {
    return concat({words({source, destination}), flags, body});
}

constexpr uint32_t kComms = 0x12030000;
constexpr uint32_t kAtTask = 0x12050000;
constexpr uint32_t kTimerApp = 0x13000000;
constexpr uint32_t kTimerMce = 0x11000000;
constexpr uint32_t kUnknownId = 0x2C0000FF;

const char kCommsHeaderText[] =
    "(CKI_Message){.m_srcTask=CKI_COMMS_TASK_ID .m_dstTask=CKI_AT_TASK_ID .m_postedCounter=1 .m_deleteMe=0 "
    ".m_processing=0 .m_flags=0}";

struct HintCase {
    const char *title;
    uint32_t id;
    Bytes payload;
    const char *expected[4];  // text, XML, long JSON, JSON: the hint, or "" for none
    const char *structure;    // the type the message prints as
};

const HintCase kHintCases[] = {
    {"no class, no enumerator",
     kUnknownId,
     payload(kComms, kAtTask, {}, {1, 0, 0, 0}),
     {"[DECODER INFO::Unknown MsgId 0x2c0000ff - use CKI_ENUM_EXTENDS(<EnumType>, CKI_MsgId)]",
      "[DECODER INFO::use CKI_MESSAGE_ID(<xml>(CKI_MsgId) 0x2c0000ff</xml>) to link an ID to a CKI_Message class]",
      R"([DECODER INFO::use CKI_MESSAGE_ID({"typename":"CKI_MsgId","value":{"number":738197759}}) to link an ID to a CKI_Message class])",
      R"([DECODER INFO::use CKI_MESSAGE_ID({"CKI_MsgId":738197759}) to link an ID to a CKI_Message class])"},
     "CKI_Message"},
    {"an enumerator without class",
     0x2C050002,
     payload(kComms, kAtTask, {}, {1, 0, 0, 0}),
     {"[DECODER INFO::use CKI_MESSAGE_ID(AT_RESPONSE_REQ_MSG_ID) to link an ID to a CKI_Message class]",
      "[DECODER INFO::use CKI_MESSAGE_ID(<xml>AT_RESPONSE_REQ_MSG_ID 0x2c050002</xml>) to link an ID to a "
      "CKI_Message class]",
      R"([DECODER INFO::use CKI_MESSAGE_ID({"typename":"CKI_MsgId","value":{"text":"AT_RESPONSE_REQ_MSG_ID","number":738525186}}) to link an ID to a CKI_Message class])",
      R"([DECODER INFO::use CKI_MESSAGE_ID({"CKI_MsgId":"AT_RESPONSE_REQ_MSG_ID"}) to link an ID to a CKI_Message class])"},
     "CKI_Message"},
    // Timers: by the id's name, by either task's name.
    {"a timer by its id", 0x2C2A0003, payload(kComms, kAtTask, Bytes(40, 0)), {"", "", "", ""}, "CKI_Timer"},
    {"a timer by its source task", kUnknownId, payload(kTimerApp, kAtTask, Bytes(40, 0)), {"", "", "", ""},
     "CKI_Timer"},
    {"a timer by its destination task", kUnknownId, payload(kComms, kTimerMce), {"", "", "", ""}, "CKI_Timer"},
    {"a timer task in the only task word present", kUnknownId, word(kTimerMce), {"", "", "", ""}, "CKI_Timer"},
};

TEST(MessageDecoder, IdsWithoutClass) {
    for (const HintCase &c : kHintCases) {
        for (OutputFormat format : kFormats) {
            const Decoded decoded = decode(kMessageChannel, c.id, c.payload, format);
            EXPECT_EQ(decoded.result, 0);
            EXPECT_EQ(decoded.text, c.expected[format] + decodeType(c.structure, concat({word(c.id), c.payload}), format))
                << c.title << ", format " << format;
        }
    }
    EXPECT_EQ(decode(kMessageChannel, kUnknownId, payload(kComms, kAtTask, {}, {1, 0, 0, 0})).text,
              std::string("[DECODER INFO::Unknown MsgId 0x2c0000ff - use CKI_ENUM_EXTENDS(<EnumType>, CKI_MsgId)]") +
                  kCommsHeaderText);
}

// A payload too short for a task word: the missing task is neither read
// nor rendered, so the description of all tasks (which names timer tasks)
// cannot make the message a timer.
TEST(MessageDecoder, ShortPayloadsAreNoTimers) {
    const std::string hint = "[DECODER INFO::Unknown MsgId 0x2c0000ff - use CKI_ENUM_EXTENDS(<EnumType>, CKI_MsgId)]";
    const Bytes full = payload(kComms, kTimerMce);
    for (size_t length : {0, 1, 3, 4, 5, 7}) {
        const Bytes part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length));
        const Decoded decoded = decode(kMessageChannel, kUnknownId, part, UF_AsText);
        EXPECT_EQ(decoded.result, 0);
        EXPECT_EQ(decoded.text.substr(0, hint.size()), hint) << length;
        EXPECT_NE(decoded.text.find("(CKI_Message){"), std::string::npos) << length;
    }
}

}  // namespace
}  // namespace tkdec::test
