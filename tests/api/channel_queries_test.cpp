// The channel table as the host reads it: ids, masters and texts by index,
// and the argument checks.
#include <gtest/gtest.h>

#include <string>

#include "tkdec.h"

namespace {

TEST(ChannelQueries, CountAndNumbersByIndex) {
    EXPECT_EQ(tkdec_getNrSupportedChannels(), 166);
    EXPECT_EQ(tkdec_getApiVersion(), 6);
    EXPECT_EQ(tkdec_init(), 0);
    EXPECT_EQ(tkdec_exit(), 0);
    uint16_t id = 0, master = 0;
    EXPECT_EQ(tkdec_getSupportedChannels(165, &id), 0);
    EXPECT_EQ(id, 8465);
    EXPECT_EQ(tkdec_getChannelMaster(165, &master), 0);
    EXPECT_EQ(master, 1);
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

}  // namespace
