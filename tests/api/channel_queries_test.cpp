// The channel table as the host reads it: ids, masters and texts by index,
// and the argument checks.
#include <gtest/gtest.h>

#include <string>

#include "tkdec.h"

namespace {

TEST(ChannelQueries, CountIsConstant) {
    EXPECT_EQ(tkdec_getNrSupportedChannels(), 166);
    EXPECT_EQ(tkdec_getApiVersion(), 6);
    EXPECT_EQ(tkdec_init(), 0);
    EXPECT_EQ(tkdec_exit(), 0);
}

TEST(ChannelQueries, IdsAtTellingIndexes) {
    const struct {
        int32_t index;
        uint16_t id;
    } rows[] = {{0, 8433}, {1, 8209}, {2, 8241}, {3, 48}, {4, 80}, {164, 9360}, {165, 8465}};
    for (const auto &row : rows) {
        uint16_t id = 0;
        EXPECT_EQ(tkdec_getSupportedChannels(row.index, &id), 0);
        EXPECT_EQ(id, row.id) << row.index;
    }
}

TEST(ChannelQueries, LogGroupChannelsAscendAsSixteenPlus32G) {
    uint16_t previous = 0;
    for (int32_t index = 3; index <= 164; ++index) {
        uint16_t id = 0;
        ASSERT_EQ(tkdec_getSupportedChannels(index, &id), 0);
        EXPECT_EQ((id - 16) % 32, 0) << index;
        EXPECT_GT(id, previous);
        previous = id;
    }
}

TEST(ChannelQueries, EveryMasterIsOneAndEverySourceNimbaPtp) {
    for (int32_t index = 0; index < 166; ++index) {
        uint16_t master = 0;
        char source[16];
        EXPECT_EQ(tkdec_getChannelMaster(index, &master), 0);
        EXPECT_EQ(master, 1);
        EXPECT_EQ(tkdec_getSource(index, sizeof source, source), 0);
        EXPECT_STREQ(source, "NIMBA_PTP");
    }
}

TEST(ChannelQueries, NumberQueriesRefuseBadArguments) {
    for (auto query : {tkdec_getSupportedChannels, tkdec_getChannelMaster}) {
        for (int32_t index : {-1, 166, INT32_MIN, INT32_MAX}) {
            uint16_t value = 0xBEEF;
            EXPECT_EQ(query(index, &value), 1);
            EXPECT_EQ(value, 0xBEEF);
        }
        EXPECT_EQ(query(0, nullptr), 1);
    }
}

using TextQuery = int32_t (*)(int32_t, uint32_t, char *);

struct TextCase {
    TextQuery query;
    int32_t index;
    uint32_t size;
    int32_t result;
    std::string written;  // what lies in the buffer afterwards (the NUL included when written)
};

TEST(ChannelQueries, TextQueriesCopyWhatFits) {
    const TextCase cases[] = {
        {tkdec_getLabel, 3, 26, 0, std::string("PTP:LOG_GROUP_CKI_DEFAULT", 26)},
        {tkdec_getLabel, 3, 25, 1, "PTP:LOG_GROUP_CKI_DEFAULT"},
        {tkdec_getLabel, 3, 4, 1, "PTP:"},
        {tkdec_getLabel, 0, 64, 0, std::string("PTP:CKI MSG TX", 15)},
        {tkdec_getLabel, 165, 64, 0, std::string("PTP:CKI MSG RX", 15)},
        {tkdec_getLabel, 2, 64, 0, std::string("PTP:LOG_CHANNEL_TOKENISED_CKI_EXCEPTION_DATA", 45)},
        {tkdec_getType, 0, 64, 0, std::string("MESSAGE", 8)},
        {tkdec_getType, 1, 64, 0, std::string("ALARM", 6)},
        {tkdec_getType, 165, 64, 0, std::string("TOKENIZED_PRINT", 16)},
        {tkdec_getSource, 100, 10, 0, std::string("NIMBA_PTP", 10)},
        {tkdec_getSource, 100, 9, 1, "NIMBA_PTP"},
    };
    for (const TextCase &c : cases) {
        std::string buffer(64, '#');
        EXPECT_EQ(c.query(c.index, c.size, buffer.data()), c.result) << c.index << " " << c.size;
        EXPECT_EQ(buffer.substr(0, c.written.size()), c.written);
        EXPECT_EQ(buffer.find_first_not_of('#', c.size), std::string::npos) << "wrote past the size";
    }
}

TEST(ChannelQueries, TextQueriesRefuseBadArgumentsInOrder) {
    for (TextQuery query : {tkdec_getSource, tkdec_getType, tkdec_getLabel}) {
        char buffer[8] = "#######";
        EXPECT_EQ(query(0, 8, nullptr), 1);
        EXPECT_EQ(query(0, 0, buffer), 1);
        EXPECT_EQ(query(-1, 8, buffer), 1);
        EXPECT_EQ(query(166, 8, buffer), 1);
        EXPECT_STREQ(buffer, "#######");
    }
}

}  // namespace
