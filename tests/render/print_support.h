// Helpers for the printer tests: run one value printer over given bytes
// into a guarded buffer and return what it wrote.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "render/name_filters.h"
#include "render/output.h"

namespace tkdec::test {

inline constexpr OutputFormat kFormats[] = {UF_AsText, UF_AsXml, UF_AsLongJson, UF_AsJson};
inline constexpr const char *kFormatNames[] = {"text", "xml", "long json", "json"};

using Bytes = std::vector<uint8_t>;

// Little-endian bytes of a 32-bit value.
inline Bytes word(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 24)};
}

struct PrintOptions {
    PrintMode mode = E_TOP_LEVEL;
    uint32_t aliasIndex = 0;
    CountFunction count = nullptr;
    NameFilter filter = filterIdentity;
};

// Prints data (null when noData) into a 64 KiB buffer with guard bytes
// behind it and returns the text up to the position.
inline std::string render(ValuePrinter printer, const Bytes &data, OutputFormat format, PrintOptions options = {},
                          bool noData = false) {
    constexpr size_t kSize = 65536;
    constexpr size_t kGuard = 16;
    std::vector<char> buffer(kSize + kGuard, '#');
    // A copy of exactly the data, so that the sanitizer catches any read
    // behind its end.
    std::unique_ptr<uint8_t[]> copy(new uint8_t[data.size()]);
    if (!data.empty()) std::memcpy(copy.get(), data.data(), data.size());
    const uint8_t *start = noData ? nullptr : copy.get();
    char *pos = buffer.data();
    printer(start, noData ? nullptr : copy.get() + data.size(), &pos, buffer.data() + kSize, format, options.mode,
            options.aliasIndex, options.count, options.filter);
    for (size_t i = kSize; i < kSize + kGuard; ++i) EXPECT_EQ(buffer[i], '#') << "write behind the buffer";
    return std::string(buffer.data(), pos);
}

inline std::string render(ValuePrinter printer, const Bytes &data, OutputFormat format, PrintMode mode) {
    PrintOptions options;
    options.mode = mode;
    return render(printer, data, format, options);
}

}  // namespace tkdec::test
