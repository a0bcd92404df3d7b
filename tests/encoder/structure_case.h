// One structure-encoding case: a text encoded as a value of a type into a
// guarded window, and the bytes expected afterwards as patches over the
// window's fill.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "encoder/guarded_buffer.h"
#include "encoder/structure_encoding.h"

namespace enctest {

inline constexpr uint8_t kFill = 0xEE;
inline constexpr size_t kWholeText = static_cast<size_t>(-1);
inline constexpr size_t kTypeSize = static_cast<size_t>(-2);

struct Patch {
    size_t offset;
    std::vector<uint8_t> bytes;
};

struct StructureCase {
    std::string text;
    tkdec::OutputFormat syntax;
    int32_t result;
    size_t consumed;  // characters before the final position, or kWholeText
    std::vector<Patch> patches;
    size_t window = kTypeSize;
    uint8_t fill = kFill;
};

inline void runStructureCases(const tkdec::TypeDescriptor &type, const std::vector<StructureCase> &cases) {
    for (const StructureCase &c : cases) {
        SCOPED_TRACE(std::string(type.name) + " [" + c.text + "] syntax " + std::to_string(c.syntax));
        GuardedBuffer window(c.window == kTypeSize ? type.size : c.window, c.fill);
        std::vector<uint8_t> expected = window.contents();
        for (const Patch &p : c.patches)
            for (size_t i = 0; i < p.bytes.size(); ++i) expected.at(p.offset + i) = p.bytes[i];
        const char *const text = c.text.c_str();
        const char *position = text;
        EXPECT_EQ(tkdec::parseStructure(window.start(), window.end(), &position, c.syntax, &type), c.result);
        EXPECT_EQ(window.contents(), expected);
        EXPECT_EQ(static_cast<size_t>(position - text), c.consumed == kWholeText ? c.text.size() : c.consumed);
        EXPECT_TRUE(window.guardsIntact());
    }
}

}  // namespace enctest
