// Building record payloads for the tests: argument words and extended
// payload items, little-endian.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace tkdec::test {

using Bytes = std::vector<uint8_t>;

inline void putWord(Bytes &bytes, uint32_t word) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(word >> (8 * i)));
}

inline Bytes words(std::initializer_list<uint32_t> values) {
    Bytes bytes;
    for (uint32_t value : values) putWord(bytes, value);
    return bytes;
}

// One extended payload item: key, length, data, padding to a multiple of 4.
// A declaredLength other than -1 overrides the length field.
inline Bytes item(uint32_t key, const Bytes &data, int64_t declaredLength = -1, bool pad = true) {
    Bytes bytes;
    putWord(bytes, key);
    putWord(bytes, declaredLength < 0 ? static_cast<uint32_t>(data.size()) : static_cast<uint32_t>(declaredLength));
    bytes.insert(bytes.end(), data.begin(), data.end());
    while (pad && bytes.size() % 4 != 0) bytes.push_back(0);
    return bytes;
}

inline Bytes text(const std::string &characters, bool withNul) {
    Bytes bytes(characters.begin(), characters.end());
    if (withNul) bytes.push_back(0);
    return bytes;
}

inline Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes bytes;
    for (const Bytes &part : parts) bytes.insert(bytes.end(), part.begin(), part.end());
    return bytes;
}

// Runs a writer over a cursor of the given size and returns the text
// between the buffer start and the position that it reached.
template <class Writer>
std::string written(size_t size, Writer writer) {
    std::vector<char> buffer(size, '\x7f');
    char *pos = buffer.data();
    writer(&pos, buffer.data() + size);
    return std::string(buffer.data(), pos);
}

}  // namespace tkdec::test
