// The build UUID and the target information document, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "build_capture.h"
#include "tkdec.h"

namespace {

const char kUuid[] = "7d7d9de0768a419da9c3b593855bdb0a";

// The nine pieces of the reference build's document, assembled by hand.
std::string expectedDocument() {
    const std::string utc = "2018-11-12 14:32:11.500000";
    std::string document = "{";
    document += " \"CPU_MASTER_CHANNEL_ID\": 1";
    document += ",\"version\": {\"tkdec_getApiVersion\": 6, \"decoder_utils\": 46, \"decoder_pdb\": 11, "
                "\"decoder_elf\": 17, \"tkdec_getTargetInformation\": 1, \"decoder\": 64, \"encoder\": 15}";
    document += ",\"target\": {\"revision\": 2, \"CPU_name\": \"PTP\", \"name\": \"KESTRELMAX\", "
                "\"CPU_UID\": 1, \"board\": \"BRD7\"}";
    document += ",\"comms\": [{\"ip\": \"192.168.9.2\", \"netmask\": \"255.255.255.0\", \"type\": \"usb\", "
                "\"name\": \"/ETH/1\", \"logging\": \"192.168.9.3:50000\"}, null]";
    document += ",\"logging_type\": {\"MESSAGE\": {\"header\": {\"size_in_bytes\": 4, \"id\": "
                "{\"size_in_bytes\": 4, \"lookup\": \"CKI_MsgId\", \"offset\": 0}}, \"payload\": {\"source\": "
                "{\"size_in_bytes\": 4, \"lookup\": \"CKI_TaskId\", \"offset\": 0}, \"destination\": "
                "{\"size_in_bytes\": 4, \"lookup\": \"CKI_TaskId\", \"offset\": 4}}}, \"RAW_PRINT\": "
                "{\"characters_in_32bits\": 1}}";
    document += ",\"RuntimeFilterTarget\": [\"PTP\", \"STM\"]";
    document += ",\"build_info\": {\"UTC\": \"" + utc + "\", \"QUILLON_VERSION\": \"0.10.0\", \"UUID\": \"" +
                kUuid + "\", \"STREAM\": \"Not found\", \"SW_VERSION\": \"" + kUuid + ":" + utc +
                "\", \"URL\": \"Not found\", \"BUILDER\": \"" TKDEC_GENERATED_BUILDER
                "\", \"MACHINE\": \"" TKDEC_GENERATED_MACHINE
                "\", \"VERSION\": \"Not found\", \"SHELVE\": \"Not found\", \"NAME\": \"quillon_ptp\"}";
    document += "}";
    return document;
}

TEST(TargetInformation, CutAtEverySizeOfInterest) {
    const std::string expected = expectedDocument();
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
