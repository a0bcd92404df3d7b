// The floor of a text benchmark: the C library's vsnprintf producing the
// same output text from one format string and already-rendered values.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "render/output.h"
#include "samples.h"

namespace tkdec::bench {

// Slots point into texts and scratch, so a floor moves but is never copied
// (a copy's slots would point into the original's texts).
struct Floor {
    Floor() = default;
    Floor(Floor &&) = default;
    Floor &operator=(Floor &&) = default;
    Floor(const Floor &) = delete;
    Floor &operator=(const Floor &) = delete;

    std::string format;
    std::vector<uint64_t> slots;   // one 64-bit argument slot per conversion (and per "*")
    std::deque<std::string> texts;  // the texts that slots point at
    std::vector<char> scratch;      // texts rendered by the library's rules
    uint32_t conversions = 0;
};

// Formats the floor's format with its slots into out; returns what
// vsnprintf returns.
int runFloor(const Floor &floor, char *out, size_t size);

// A token in UF_AsText: the formatter's own format string, with the values
// of its rules rendered beforehand.
Floor tokenFloor(const Sample &sample);

// The message trace: "%s -> (%s) -> %s" of the texts in the output.
Floor traceFloor(const std::string &output);

// Any other document: its text with every value (a JSON string or number
// in a value position, a number, a 0x hexadecimal number, a name behind
// "=" or ">") turned into one conversion fed with that value.
Floor documentFloor(const std::string &output, OutputFormat format);

// The floor of a sample's output in a format: one of the above.
Floor floorOf(const Sample &sample, OutputFormat format, const std::string &output);

}  // namespace tkdec::bench
