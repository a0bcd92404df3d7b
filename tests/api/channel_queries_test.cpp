#include <gtest/gtest.h>

#include "tkdec.h"

TEST(ChannelQueries, ReferenceRows) {
    uint16_t id = 0;
    ASSERT_EQ(tkdec_getSupportedChannels(0, &id), 0);
    EXPECT_EQ(id, 8433);
}
