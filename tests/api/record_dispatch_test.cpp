#include <gtest/gtest.h>

#include <string>

#include "support/support.h"
#include "tkdec.h"

namespace {

using tkdec::test::Bytes;
using tkdec::test::decode;
using tkdec::test::kFormats;
using tkdec::test::words;

constexpr uint16_t kPowerDomainChannel = 7376;  // log group 230
constexpr uint16_t kDefaultChannel = 48;        // log group 1
constexpr uint16_t kAlarmChannel = 8209;
const char *const kPowerDomainFile = "../../drivers/power/src/mbcpowerdomaindriver.cpp";

// A record and what each output format makes of it: {result, text}.
struct RecordCase {
    const char *name;
    uint16_t channel;
    uint32_t id;
    Bytes payload;
    int32_t result;
    std::string text[4];
};

void expectRecord(const RecordCase &c) {
    for (tkdec::OutputFormat format : kFormats) {
        SCOPED_TRACE(std::string(c.name) + " in format " + std::to_string(format));
        const tkdec::test::Decoded decoded = decode(c.channel, c.id, c.payload, format);
        EXPECT_EQ(decoded.result, c.result);
        EXPECT_EQ(decoded.text, c.text[format]);
    }
}

TEST(RecordDispatch, WholeOutputOfToken0x94) {
    const std::string sourceref = std::string("<sourceref><file>") + kPowerDomainFile + "</file><line>796</line></sourceref>";
    const std::string jsonSourceref = std::string("\"sourceref\":{\"file\":\"") + kPowerDomainFile + "\",\"line\":796},";
    const std::string xml =
        "<xml>" + sourceref + "<group>LOG_GROUP_POWER_DOMAIN 0x000000e6</group><params><p0>0x00000002</p0></params></xml>";
    const std::string longJson = "{" + jsonSourceref +
                                 "\"group\":{\"typename\":\"CKI_LogGroupId\",\"value\":{\"text\":\"LOG_GROUP_POWER_DOMAIN\","
                                 "\"number\":230}},\"params\":[\"0x00000002\"]}";
    const std::string json = "{" + jsonSourceref + "\"group\":\"LOG_GROUP_POWER_DOMAIN\",\"params\":[\"0x00000002\"]}";
    expectRecord({"token 0x94", kPowerDomainChannel, 0x94, words({2}), 0,
                  {"MbcPowerDomainDriver::initMemory:796 - memory controller 2 supports banks", xml,
                   longJson, json}});
}

TEST(RecordDispatch, UnknownChannelsAndTokens) {
    const RecordCase cases[] = {
        {"unknown channel with a short id", 17, 0, {}, 1,
         {"Channel ID 0x0011 is NOT handled by this decoder", "Channel ID 0x0011 is NOT handled by this decoder",
          "{\"ERROR\":\"Channel ID 0x0011 is NOT handled by this decoder\"}",
          "{\"ERROR\":\"Channel ID 0x0011 is NOT handled by this decoder\"}"}},
        {"unknown token", kDefaultChannel, 0x1234, words({1}), 1,
         {"", "<xml></xml>", "{\"token_not_found\":\"channel 0x0030 tokenId 0x00001234\"}",
          "{\"token_not_found\":\"channel 0x0030 tokenId 0x00001234\"}"}},
        {"print token on an alarm channel", kAlarmChannel, 0x94, words({2}), 1,
         {"", "<xml></xml>", "{\"token_not_found\":\"channel 0x2011 tokenId 0x00000094\"}",
          "{\"token_not_found\":\"channel 0x2011 tokenId 0x00000094\"}"}},
    };
    for (const RecordCase &c : cases) expectRecord(c);
}

// A named alarm has no source file and its group is 0: neither is printed.
TEST(RecordDispatch, NamedAlarmWithoutFileAndGroup) {
    const std::string params = "{\"params\":[\"0x00000004\",\"0x00000063\",\"0x12030000\",\"0x00000001\","
                               "\"0x00000002\",\"0x00000003\"]}";
    expectRecord({"named alarm", kAlarmChannel, 0x30000300, words({4, 99, 0x12030000, 1, 2, 3}), 0,
                  {"[ALARM:COOKIE_ALARM_01 WARNING line=99 in CKI_COMMS_TASK_ID] 0x00000001, 0x00000002, 0x00000003",
                   "<xml><params><p0>0x00000004</p0><p1>0x00000063</p1><p2>0x12030000</p2><p3>0x00000001</p3>"
                   "<p4>0x00000002</p4><p5>0x00000003</p5></params></xml>",
                   params, params}});
}

// Null pointers and bad formats are refused with 1, and nothing is written.
TEST(RecordDispatch, RefusesNullArgumentsAndBadFormats) {
    char buffer[8] = "#######";
    char *pos = buffer;
    uint32_t line = 7;
    const Bytes payload = words({2});
    EXPECT_EQ(tkdec_getText(payload.data(), payload.data() + 4, nullptr, buffer + 8, UF_AsText, 0x94, 7376), 1);
    for (int32_t format : {-1, 4})
        EXPECT_EQ(tkdec_getText(payload.data(), payload.data() + 4, &pos, buffer + 8, format, 0x94, 7376), 1);
    EXPECT_EQ(tkdec_getSourceReference(48, 0, nullptr, sizeof buffer, buffer), 1);
    EXPECT_EQ(tkdec_getSourceReference(48, 0, &line, sizeof buffer, nullptr), 1);
    EXPECT_EQ(tkdec_getLabel(0, sizeof buffer, nullptr), 1);
    EXPECT_EQ(pos, buffer);
    EXPECT_EQ(line, 7u);
    EXPECT_STREQ(buffer, "#######");
}

TEST(RecordDispatch, AdvancesTheCallersPosition) {
    char buffer[128];
    char *pos = buffer;
    const Bytes payload = words({2});
    ASSERT_EQ(tkdec_getText(payload.data(), payload.data() + 4, &pos, buffer + sizeof buffer, UF_AsJson, 0x94, 99), 1);
    ASSERT_EQ(tkdec_getText(nullptr, nullptr, &pos, buffer + sizeof buffer, UF_AsText, 0, 48), 0);
    EXPECT_EQ(pos, buffer + std::string(buffer).size());
    EXPECT_EQ(std::string(buffer), "{\"ERROR\":\"Channel ID 0x0063 is NOT handled by this decoder\"}2nd stage boot");
}

}  // namespace
