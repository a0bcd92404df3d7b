#include "records/token_table.h"

#include <gtest/gtest.h>

namespace tkdec {
namespace {

// Records of the ids 0, 8, 2, 0x30000300 and 0xFFFFFFFC: 0 and 8 by the
// direct index (up to 8), the rest by search.
constexpr TokenRecord kRecords[] = {
    {{"id 0", nullptr, 0}, 1, 0, 10, "a.cpp"},
    {{"id 8", nullptr, 0}, 1, 0, 18, "a.cpp"},
    {{"id 2", nullptr, 0}, 1, 0, 12, "a.cpp"},
    {{"id 0x30000300", nullptr, 0}, 0, 6, 0, nullptr},
    {{"id 0xFFFFFFFC", nullptr, 0}, 0, 2, 0, nullptr},
};
constexpr uint32_t kDirect[] = {1, 0, 2};
constexpr uint32_t kRestIds[] = {2, 0x30000300, 0xFFFFFFFC};
// The perfect hash that tools/gen/tkgen/perfect_hash.py builds for them:
// seed 1, one bucket, four slots.
constexpr uint16_t kDisplacements[] = {0};
constexpr uint16_t kSlots[] = {1, 3, 2, 0};
constexpr TokenTable kTable = {kRecords, kDirect, 3, kRestIds, 2, 3, 1, kDisplacements, 0, kSlots, 3};
// The generator's hash (tests/gen/perfect_hash_test.py pins the same values).
static_assert(restHash(0, 0) == 0);
static_assert(restHash(2, 1) == 0xCF111D0Eu);
static_assert(restHash(0x30000300, 1 + kRestSlotSeed) == 0xB3ACF27Au);

TEST(TokenTable, ExactMatchOnAllBits) {
    const struct {
        uint32_t id;
        const char *found;  // the record's format, or null
    } cases[] = {
        {0, "id 0"},           {4, nullptr},        {8, "id 8"},
        {12, nullptr},         {2, "id 2"},         {1, nullptr},
        {3, nullptr},          {0x30000300, "id 0x30000300"},
        {0x00000300, nullptr}, {0x30000301, nullptr}, {0x20000300, nullptr},
        {0xFFFFFFFC, "id 0xFFFFFFFC"}, {0xFFFFFFFF, nullptr}, {0x7FFFFFFC, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        const TokenRecord *record = findToken(kTable, c.id);
        if (c.found == nullptr) {
            EXPECT_EQ(record, nullptr);
        } else {
            ASSERT_NE(record, nullptr);
            EXPECT_STREQ(record->formatter.format, c.found);
        }
    }
}

}  // namespace
}  // namespace tkdec
