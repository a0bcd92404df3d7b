// Invariants of the generated token tables that hold for every build
// description: every record is found by its id, and every token decodes on
// its channels in every output format.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "api/channel_table.h"
#include "records/token_table.h"
#include "render/document_checks.h"
#include "support/support.h"
#include "tkdec.h"

namespace tkdec::test {
namespace {

struct Token {
    uint32_t id;
    const TokenRecord *record;
};

// Every record of a table with its id: the directly indexed ones, then the
// rest.
std::vector<Token> tokensOf(const TokenTable &table) {
    std::vector<Token> tokens;
    for (uint32_t i = 0; i < table.directCount; ++i)
        if (table.direct[i] != 0) tokens.push_back({4 * i, &table.records[table.direct[i] - 1]});
    for (uint32_t i = 0; i < table.restCount; ++i)
        tokens.push_back({table.restIds[i], &table.records[table.restFirst + i]});
    return tokens;
}

std::vector<uint16_t> channelsOf(ChannelKind kind) {
    std::vector<uint16_t> ids;
    for (uint32_t i = 0; i < build::channelCount; ++i)
        if (build::channelKind(build::channels[i].id) == kind) ids.push_back(build::channels[i].id);
    return ids;
}

// Argument words that no extended item answers, so every rule renders.
Bytes argumentsOf(const TokenRecord &record) {
    Bytes payload;
    for (uint32_t i = 0; i < record.argumentCount; ++i) putWord(payload, 0x01020304u * (i + 1));
    return payload;
}

void expectDocuments(uint16_t channel, const Token &token, const Bytes &payload) {
    for (tkdec_OutputFormat format : {UF_AsXml, UF_AsLongJson, UF_AsJson}) {
        const Decoded decoded = decode(channel, token.id, payload, format);
        EXPECT_EQ(decoded.result, 0) << std::hex << token.id;
        const bool valid = format == UF_AsXml ? isWellFormedXml(decoded.text) : isJson(decoded.text);
        EXPECT_TRUE(valid) << std::hex << token.id << ": " << decoded.text;
    }
}

TEST(TokenTables, EveryRecordIsFoundByItsIdAlone) {
    for (const TokenTable *table : {&build::printTokenTable, &build::alarmTokenTable}) {
        const std::vector<Token> tokens = tokensOf(*table);
        ASSERT_FALSE(tokens.empty());
        for (const Token &token : tokens) {
            EXPECT_EQ(findToken(*table, token.id), token.record) << std::hex << token.id;
            // Neighbouring ids are other ids: all 32 bits are compared.
            for (uint32_t other : {token.id ^ 1u, token.id ^ 0x80000000u, token.id + 2}) {
                EXPECT_NE(findToken(*table, other), token.record) << std::hex << other;
            }
        }
    }
}

TEST(TokenTables, PrintTokensDecodeOnTheirGroupsChannel) {
    for (const Token &token : tokensOf(build::printTokenTable)) {
        const TokenRecord &record = *token.record;
        const uint16_t channel = static_cast<uint16_t>(16 + 32 * record.group);
        ASSERT_EQ(build::channelKind(channel), ChannelKind::TokenisedPrint) << std::hex << token.id;
        const Bytes payload = argumentsOf(record);
        const Decoded text = decode(channel, token.id, payload);
        EXPECT_EQ(text.result, 0);
        EXPECT_FALSE(text.text.empty()) << std::hex << token.id;
        EXPECT_EQ(text.text.find("*DECODER ERROR*"), std::string::npos) << text.text;
        expectDocuments(channel, token, payload);
    }
}

TEST(TokenTables, AlarmTokensDecodeOnEveryAlarmChannel) {
    const std::vector<uint16_t> channels = channelsOf(ChannelKind::Alarm);
    ASSERT_FALSE(channels.empty());
    for (const Token &token : tokensOf(build::alarmTokenTable)) {
        const Bytes payload = argumentsOf(*token.record);
        for (uint16_t channel : channels) {
            const Decoded text = decode(channel, token.id, payload);
            EXPECT_EQ(text.result, 0);
            EXPECT_FALSE(text.text.empty()) << std::hex << token.id;
            expectDocuments(channel, token, payload);
        }
    }
}

// The channel on which a token of the table arrives.
uint16_t channelOf(const TokenTable &table, const TokenRecord &record) {
    if (&table == &build::alarmTokenTable) return channelsOf(ChannelKind::Alarm)[0];
    return static_cast<uint16_t>(16 + 32 * record.group);
}

TEST(TokenTables, EmptyPayloadsReportTheMissingArguments) {
    for (const TokenTable *table : {&build::printTokenTable, &build::alarmTokenTable}) {
        for (const Token &token : tokensOf(*table)) {
            const std::string text = decode(channelOf(*table, *token.record), token.id, {}).text;
            const std::string expected = "*DECODER ERROR* Arguments missing (have 0 want " +
                                         std::to_string(token.record->argumentCount) + "):";
            if (token.record->argumentCount == 0)
                EXPECT_EQ(text.find("*DECODER ERROR*"), std::string::npos) << text;
            else
                EXPECT_EQ(text.compare(0, expected.size(), expected), 0) << text;
        }
    }
}

}  // namespace
}  // namespace tkdec::test
