#include "records/argument_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/support.h"

namespace tkdec {
namespace {

using test::Bytes;

struct ReaderCase {
    const char *name;
    Bytes payload;
    bool nullPayload;
    uint32_t wanted;
    OutputFormat format;
    std::vector<uint32_t> arguments;
    const char *message;
};

TEST(ArgumentReader, FillsWordsAndReportsShortPayloads) {
    const uint32_t kMiss = kMissingArgument;
    const ReaderCase cases[] = {
        {"whole words", test::words({1, 0x04030201}), false, 2, UF_AsText, {1, 0x04030201}, ""},
        {"5 bytes for 2 words", {2, 0, 0, 0, 9}, false, 2, UF_AsText, {2, kMiss},
         "*DECODER ERROR* Arguments missing (have 1 want 2):"},
        {"5 bytes for 2 words in XML", {2, 0, 0, 0, 9}, false, 2, UF_AsXml, {2, kMiss}, ""},
        {"short in JSON", {}, false, 1, UF_AsJson, {kMiss}, ""},
        {"null payload", {}, true, 3, UF_AsText, {kMiss, kMiss, kMiss},
         "*DECODER ERROR* Arguments missing (have 0 want 3):"},
        {"longer payload", test::words({7, 8, 9}), false, 1, UF_AsText, {7}, ""},
        {"3 bytes", {1, 2, 3}, false, 1, UF_AsText, {kMiss}, "*DECODER ERROR* Arguments missing (have 0 want 1):"},
        {"nothing wanted", {1, 2, 3}, false, 0, UF_AsText, {}, ""},
    };
    for (const ReaderCase &c : cases) {
        SCOPED_TRACE(c.name);
        uint32_t arguments[kMaxArguments];
        std::fill(std::begin(arguments), std::end(arguments), 0x5555AAAAu);
        const uint8_t *payload = c.nullPayload ? nullptr : c.payload.data();
        const std::string out = test::written(256, [&](char **pos, char *end) {
            readArguments(static_cast<uint32_t>(c.payload.size()), payload, arguments, c.wanted, pos, end,
                          c.format);
        });
        EXPECT_EQ(out, c.message);
        EXPECT_EQ(std::vector<uint32_t>(arguments, arguments + c.wanted), c.arguments);
        EXPECT_EQ(arguments[c.wanted], 0x5555AAAAu) << "wrote past the wanted words";
    }
}

TEST(ArgumentReader, NeverFillsMoreThanTheArray) {
    const Bytes payload = test::words({1, 2, 3});
    uint32_t arguments[kMaxArguments + 1];
    arguments[kMaxArguments] = 0x12345678;
    const std::string out = test::written(256, [&](char **pos, char *end) {
        readArguments(static_cast<uint32_t>(payload.size()), payload.data(), arguments, 40, pos, end, UF_AsText);
    });
    EXPECT_EQ(out, "*DECODER ERROR* Arguments missing (have 3 want 32):");
    EXPECT_EQ(arguments[kMaxArguments], 0x12345678u);
}

}  // namespace
}  // namespace tkdec
