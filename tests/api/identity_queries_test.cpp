// The build UUID, and the target information document cut at every size
// of interest.
#include <gtest/gtest.h>

#include <string>

#include "render/document_checks.h"
#include "tkdec.h"

namespace {

const char kUuid[] = "7d7d9de0768a419da9c3b593855bdb0a";

// The whole document, read into a large buffer: one JSON value (its text
// is the tool's tests'), with the build's UUID.
std::string wholeDocument() {
    std::string buffer(1 << 16, '#');
    const int32_t length = tkdec_getTargetInformation(static_cast<uint32_t>(buffer.size()), buffer.data());
    EXPECT_GT(length, 0);
    EXPECT_EQ(buffer[static_cast<size_t>(length)], '\0');
    return buffer.substr(0, static_cast<size_t>(length));
}

TEST(TargetInformation, CutAtEverySizeOfInterest) {
    const std::string expected = wholeDocument();
    EXPECT_TRUE(tkdec::test::isJson(expected)) << expected;
    EXPECT_NE(expected.find(std::string("\"UUID\": \"") + kUuid + "\""), std::string::npos);
    const size_t length = expected.size();
    for (size_t size : {size_t{0}, size_t{1}, size_t{10}, length - 1, length, length + 1}) {
        std::string buffer(length + 8, '#');
        const int32_t result = tkdec_getTargetInformation(static_cast<uint32_t>(size), buffer.data());
        const size_t written = size < length ? size : length;
        EXPECT_EQ(result, static_cast<int32_t>(written)) << size;
        EXPECT_EQ(buffer.substr(0, written), expected.substr(0, written)) << size;
        const char after = size > length ? '\0' : '#';
        EXPECT_EQ(buffer[written], after) << size;
        EXPECT_EQ(buffer.find_first_not_of('#', written + 1), std::string::npos) << size;
    }
    EXPECT_EQ(tkdec_getTargetInformation(100, nullptr), -1);
}

TEST(UniqueId, TerminatorOnlyWhenThereIsRoom) {
    const struct {
        uint32_t size;
        int32_t result;
        std::string written;
    } cases[] = {
        {33, 32, std::string(kUuid, 33)}, {32, 32, kUuid}, {31, -1, std::string(kUuid, 31)}, {0, -1, ""},
    };
    for (const auto &c : cases) {
        std::string buffer(64, '#');
        EXPECT_EQ(tkdec_getUniqueId(c.size, buffer.data()), c.result) << c.size;
        EXPECT_EQ(buffer.substr(0, c.written.size()), c.written) << c.size;
        EXPECT_EQ(buffer.find_first_not_of('#', c.size), std::string::npos) << c.size;
    }
    EXPECT_EQ(tkdec_getUniqueId(33, nullptr), -1);
}

}  // namespace
