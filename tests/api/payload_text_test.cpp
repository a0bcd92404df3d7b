// Encoder rules checked where the payload tables of the encoder tests leave
// them open: through tkdec_createMessagePayload, and the structure parser
// with a hand-built descriptor.
#include <gtest/gtest.h>

#include <string>

#include "encoder/encode_entries.h"
#include "type_tables.h"

namespace tkdec {
namespace {

TEST(PayloadText, TellingTexts) {
    const struct {
        const char *name;
        const char *destination;
        const char *body;
        int32_t result;
        std::string start;  // the first bytes of the buffer afterwards
    } cases[] = {
        // "%[" skips the blanks in front of a name, also inside JSON quotes.
        {R"({"CkiTestAppQueryStatusCnfMessage": {"m_dstTask": " CKI_TIMER_PTP_TASK_ID", "m_status": 1}})", nullptr,
         nullptr, 22, std::string("\x07\x00\xC4\x2C", 4)},
        // The destination's CPU (bits 24 to 27) must be 2, and 6 is not;
        // "0X" starts a hexadecimal number as "0x" does.
        {"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", "0x16000000", "{.m_status=1}", -1, ""},
        {"CKI_TESTAPP_QUERY_STATUS_CNF_MSG_ID", "0X12000000", "{.m_status=1}", 22, std::string("\x07\x00\xC4\x2C", 4)},
        // A string fills an array of one-byte elements only, and is
        // terminated when it is shorter than the array.
        {"CkiTestAppQueryTestsCnfMessage::TestDescriptor[30]", "{'ab'}", "x", -1, ""},
        {"CKI_SoftwareVersion", "{.sv={7,7} .sv={'a'}}", "x", 4, std::string("a\0", 2)},
    };
    for (const auto &c : cases) {
        uint8_t buffer[1024];
        EXPECT_EQ(tkdec_createMessagePayload(buffer, sizeof buffer, c.name, c.destination, c.body), c.result) << c.name;
        EXPECT_EQ(std::string(reinterpret_cast<const char *>(buffer), c.start.size()), c.start) << c.name;
    }
}

constexpr FieldDescriptor kDigitsFields[] = {
    {nullptr, &encodeInteger<1>, "uint8_t", "m_x2", 0, 1, 1, nullptr, nullptr, false}, {}};
constexpr TypeDescriptor kDigits = {"Digits", 1, kDigitsFields};

TEST(PayloadText, MemberNamesWithDigitsAndUnclosedLists) {
    uint8_t out[2] = {0, 0};
    const char *text = "{.m_x2=5}";
    EXPECT_EQ(parseStructure(out, out + 1, &text, UF_AsText, &kDigits), 0);
    EXPECT_EQ(out[0], 5);
    text = "[1, 2";
    EXPECT_EQ(parseStructure(out, out + 2, &text, UF_AsJson, &build::type_uint8_t_2_), -1);
}

}  // namespace
}  // namespace tkdec
