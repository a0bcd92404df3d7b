// Invariants of the generated token tables that hold for every build
// description: every record is found by its id, and every token decodes on
// its channels in every output format.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "api/channel_table.h"
#include "records/argument_reader.h"
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

// Every record of a table with its id.
std::vector<Token> tokensOf(const TokenTable &table) {
    std::vector<Token> tokens;
    for (uint32_t i = 0; i < table.restFirst + table.restCount; ++i) tokens.push_back({table.ids[i], &table.records[i]});
    return tokens;
}

// The channels on which a token of the table arrives: its group's print
// channel, or every alarm channel.
std::vector<uint16_t> channelsOf(const TokenTable &table, const TokenRecord &record) {
    if (&table == &build::printTokenTable) return {static_cast<uint16_t>(16 + 32 * record.group)};
    std::vector<uint16_t> ids;
    for (uint32_t i = 0; i < build::channelCount; ++i)
        if (build::channelKind(build::channels[i].id) == ChannelKind::Alarm) ids.push_back(build::channels[i].id);
    return ids;
}

TEST(TokenTables, EveryRecordIsFoundByItsIdAlone) {
    for (const TokenTable *table : {&build::printTokenTable, &build::alarmTokenTable}) {
        const std::vector<Token> tokens = tokensOf(*table);
        ASSERT_FALSE(tokens.empty());
        for (const Token &token : tokens) {
            EXPECT_EQ(findToken(*table, token.id), token.record) << std::hex << token.id;
            // Neighbouring ids are other ids: all 32 bits are compared, and
            // an id one stride or one page away is another slot or page.
            for (uint32_t other : {token.id ^ 1u, token.id ^ 2u, token.id ^ 0x80000000u, token.id + 4,
                                   token.id - 4, token.id ^ (4u << table->pageBits), token.id ^ (1u << table->pageBits)})
                EXPECT_NE(findToken(*table, other), token.record) << std::hex << other;
        }
    }
}

// Ids outside every page are found by the hash of the rest alone: two ids
// in two buckets of two slots, the first displaced by one, so that every
// other id lands on a taken slot that is not its own.
TEST(TokenTables, RestIdsAreFoundByTheirHashAlone) {
    const uint32_t ids[] = {0x00012345u, 0x9ABC0000u};
    const TokenPage directory[] = {{kNoPage, 0}, {kNoPage, 0}};
    const TokenRecord records[2] = {};
    uint32_t seed = 0;
    while ((restHash(ids[0], seed) & 1) == (restHash(ids[1], seed) & 1)) ++seed;
    const uint32_t slotSeed = seed + kRestSlotSeed;
    const uint32_t first = ~restHash(ids[0], slotSeed) & 1;
    uint16_t displacements[2] = {};
    uint16_t slots[2] = {};
    displacements[restHash(ids[0], seed) & 1] = 1;
    displacements[restHash(ids[1], seed) & 1] = static_cast<uint16_t>((1 - first - restHash(ids[1], slotSeed)) & 1);
    slots[first] = 1;
    slots[1 - first] = 2;
    const TokenTable table = {records, ids, directory, nullptr, 1, 31, 1, 1, 0, 0, 2, seed, displacements, 1, slots, 1};
    EXPECT_EQ(findToken(table, ids[0]), &records[0]);
    EXPECT_EQ(findToken(table, ids[1]), &records[1]);
    for (uint32_t other : {0u, ids[0] ^ 1u, ids[1] + 4, 0xFFFFFFFFu}) EXPECT_EQ(findToken(table, other), nullptr) << other;
}

// With argument words that no extended item answers, every rule renders:
// text (without a decoder error for a print), well-formed XML and JSON
// values. Without a payload, the missing arguments are reported.
TEST(TokenTables, EveryTokenDecodesOnItsChannels) {
    for (const TokenTable *table : {&build::printTokenTable, &build::alarmTokenTable}) {
        const bool print = table == &build::printTokenTable;
        for (const Token &token : tokensOf(*table)) {
            const uint32_t wanted = token.record->argumentCount;
            Bytes payload;
            for (uint32_t i = 0; i < wanted; ++i) putWord(payload, 0x01020304u * (i + 1));
            const std::vector<uint16_t> channels = channelsOf(*table, *token.record);
            ASSERT_FALSE(channels.empty());
            for (uint16_t channel : channels) {
                ASSERT_EQ(build::channelKind(channel), print ? ChannelKind::TokenisedPrint : ChannelKind::Alarm);
                for (tkdec_OutputFormat format : kFormats) {
                    const Decoded decoded = decode(channel, token.id, payload, format);
                    EXPECT_EQ(decoded.result, 0) << std::hex << token.id;
                    const bool clean = !print || decoded.text.find("*DECODER ERROR*") == std::string::npos;
                    const bool valid = format == UF_AsText  ? !decoded.text.empty() && clean
                                       : format == UF_AsXml ? isWellFormedXml(decoded.text)
                                                            : isJson(decoded.text);
                    EXPECT_TRUE(valid) << std::hex << token.id << ": " << decoded.text;
                }
            }
            const std::string text = decode(channels[0], token.id, {}).text;
            const std::string missing = "*DECODER ERROR* Arguments missing (have 0 want " + std::to_string(wanted) + "):";
            EXPECT_EQ(text.find(wanted == 0 ? "*DECODER ERROR*" : missing), wanted == 0 ? std::string::npos : 0) << text;
        }
    }
}

// The generated skips of a rule's filter take off each name what the
// filter itself takes, options of a choice included.
void expectSkipsOfTheFilter(const ConversionRule &rule, uint32_t id) {
    for (uint32_t i = 0; i < rule.optionCount; ++i) expectSkipsOfTheFilter(rule.options[i], id);
    if (rule.filterSkips == nullptr) return;
    for (uint32_t i = 0; i < rule.enumeration->count; ++i) {
        const char *name = rule.enumeration->table[i].name;
        EXPECT_EQ(name + rule.filterSkips[i], rule.filter(name)) << std::hex << id << " " << name;
    }
}

TEST(TokenTables, FilterSkipsAreWhatTheFiltersSkip) {
    for (const TokenTable *table : {&build::printTokenTable, &build::alarmTokenTable})
        for (const Token &token : tokensOf(*table))
            for (uint32_t i = 0; i < token.record->formatter.ruleCount; ++i)
                expectSkipsOfTheFilter(token.record->formatter.rules[i], token.id);
}

// A format written from its generated pieces or verbatim reads as the
// format engine writes it, whole and cut at every output size.
TEST(TokenTables, PiecesWriteWhatTheFormatEngineWrites) {
    uint32_t arguments[kMaxArguments];
    for (uint32_t i = 0; i < kMaxArguments; ++i) arguments[i] = i % 3 == 1 ? 0xFFFFFF85u : 0x01020304u * (i + 1);
    for (const TokenTable *table : {&build::printTokenTable, &build::alarmTokenTable}) {
        for (const Token &token : tokensOf(*table)) {
            const TokenFormatter &fast = token.record->formatter;
            if (fast.pieces == nullptr && !fast.verbatim) continue;
            const TokenFormatter engine{fast.format, fast.rules, fast.ruleCount};
            const auto writer = [&](const TokenFormatter &formatter) {
                return [&](char **pos, char *end) {
                    formatToken(formatter, nullptr, nullptr, arguments, kMaxArguments, pos, end, UF_AsText);
                };
            };
            const std::string whole = written(4096, writer(engine));
            for (size_t size = 1; size <= whole.size() + 1; size += size < 24 ? 1 : 7)
                ASSERT_EQ(written(size, writer(fast)), written(size, writer(engine))) << std::hex << token.id;
            EXPECT_EQ(written(4096, writer(fast)), whole);
        }
    }
}

}  // namespace
}  // namespace tkdec::test
