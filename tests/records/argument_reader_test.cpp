#include "records/argument_reader.h"

#include <gtest/gtest.h>

#include "support/support.h"

namespace tkdec {
namespace {

TEST(ArgumentReader, NeverFillsMoreThanTheArray) {
    const test::Bytes payload = test::words({1, 2, 3});
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
