// What the unit tests share: little-endian byte builders, the fuzz targets'
// guarded buffer, the four output formats, and one way to run each kind of
// call (a record through the exported wrappers, a named type, a printer).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "../../fuzz/guarded_buffer.h"
#include "render/name_filters.h"
#include "render/output.h"
#include "tkdec.h"

namespace tkdec::test {

using Bytes = std::vector<uint8_t>;

inline constexpr OutputFormat kFormats[] = {UF_AsText, UF_AsXml, UF_AsLongJson, UF_AsJson};
inline constexpr const char *kFormatNames[] = {"text", "xml", "long json", "json"};

inline void putWord(Bytes &bytes, uint32_t word) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(word >> (8 * i)));
}

inline Bytes words(std::initializer_list<uint32_t> values) {
    Bytes bytes;
    for (uint32_t value : values) putWord(bytes, value);
    return bytes;
}

inline Bytes word(uint32_t value) { return words({value}); }

inline Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes bytes;
    for (const Bytes &part : parts) bytes.insert(bytes.end(), part.begin(), part.end());
    return bytes;
}

// One extended payload item: key, length, data, padding to a multiple of 4.
// A declaredLength other than -1 overrides the length field.
inline Bytes item(uint32_t key, const Bytes &data, int64_t declaredLength = -1, bool pad = true) {
    Bytes bytes = words({key, declaredLength < 0 ? static_cast<uint32_t>(data.size())
                                                 : static_cast<uint32_t>(declaredLength)});
    bytes.insert(bytes.end(), data.begin(), data.end());
    while (pad && bytes.size() % 4 != 0) bytes.push_back(0);
    return bytes;
}

inline Bytes text(const std::string &characters, bool withNul) {
    Bytes bytes(characters.begin(), characters.end());
    if (withNul) bytes.push_back(0);
    return bytes;
}

using GuardedBuffer = fuzzing::GuardedBuffer;

// Runs a writer over a guarded cursor of the given size and returns the
// text between the buffer start and the position that it reached.
template <class Writer>
std::string written(size_t size, Writer writer) {
    GuardedBuffer buffer(size);
    char *pos = buffer.text();
    writer(&pos, buffer.textEnd());
    EXPECT_TRUE(buffer.guardsIntact()) << "write outside the buffer";
    return std::string(buffer.text(), pos);
}

// A heap copy of exactly the data, so that the sanitizers see any read
// behind its end.
struct ExactCopy {
    explicit ExactCopy(const Bytes &data) : bytes(new uint8_t[data.size() + 1]), size(data.size()) {
        if (!data.empty()) std::memcpy(bytes.get(), data.data(), data.size());
    }
    const uint8_t *begin() const { return bytes.get(); }
    const uint8_t *end() const { return bytes.get() + size; }
    std::unique_ptr<uint8_t[]> bytes;
    size_t size;
};

struct Decoded {
    int32_t result;
    std::string text;  // up to the terminating NUL
};

using Wrapper = int32_t (*)(uint16_t, uint32_t, uint32_t, const uint8_t *, uint32_t, char *);

inline Wrapper wrapperOf(OutputFormat format) {
    constexpr Wrapper wrappers[] = {tkdec_getShortText, tkdec_getXml, tkdec_getLongJson, tkdec_getJson};
    return wrappers[format];
}

// A record through the format's wrapper, into a large buffer; the text must
// end with a NUL.
inline Decoded decode(uint16_t channel, uint32_t id, const Bytes &payload, OutputFormat format = UF_AsText) {
    std::vector<char> buffer(1 << 16, '\x7f');
    const ExactCopy copy(payload);
    const int32_t result = wrapperOf(format)(channel, id, static_cast<uint32_t>(payload.size()),
                                             payload.empty() ? nullptr : copy.begin(),
                                             static_cast<uint32_t>(buffer.size()), buffer.data());
    return {result, std::string(buffer.data())};
}

// The output of tkdec_decodeType, or "<result N>" when it failed.
inline std::string decodeType(const char *name, const Bytes &data, OutputFormat format) {
    std::vector<char> out(1 << 17, '#');
    const ExactCopy copy(data);
    const uint32_t result = tkdec_decodeType(name, static_cast<uint32_t>(data.size()), copy.begin(),
                                             static_cast<uint32_t>(out.size()), out.data(), format);
    if (result != 0) return "<result " + std::to_string(result) + ">";
    return std::string(out.data());
}

struct PrintOptions {
    PrintOptions(PrintMode mode = E_TOP_LEVEL, uint32_t aliasIndex = 0, NameFilter filter = filterIdentity)
        : mode(mode), aliasIndex(aliasIndex), filter(filter) {}
    PrintMode mode;
    uint32_t aliasIndex;
    NameFilter filter;
};

// One value printer over the data (null when noData), into a guarded
// buffer; returns the text up to the position.
inline std::string render(ValuePrinter printer, const Bytes &data, OutputFormat format, PrintOptions options = {},
                          bool noData = false) {
    const ExactCopy copy(data);
    return written(1 << 16, [&](char **pos, char *end) {
        printer(noData ? nullptr : copy.begin(), noData ? nullptr : copy.end(), pos, end, format, options.mode,
                options.aliasIndex, nullptr, options.filter);
    });
}

// A value printer's row: what it writes of the data in each format.
struct PrinterCase {
    ValuePrinter printer;
    Bytes data;
    PrintOptions options;
    const char *expected[4];  // text, XML, long JSON, JSON
};

template <size_t N>
void expectRows(const PrinterCase (&cases)[N]) {
    for (const PrinterCase &c : cases) {
        for (OutputFormat format : kFormats) {
            EXPECT_EQ(render(c.printer, c.data, format, c.options), c.expected[format])
                << kFormatNames[format] << ", mode " << c.options.mode << ", first expected " << c.expected[0];
        }
    }
}

}  // namespace tkdec::test
