// tkdec_decode_loop: the library's own work on a capture, for comparison
// with `tkdec decode`: every record of a binary capture, already in
// memory, handed to tkdec_getText through the shared library, the output
// discarded. Prints the record count and the best time of a few rounds.
//
//   tkdec_decode_loop CAPTURE.tkcap text|xml|longjson|json [ROUNDS]
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tkdec.h"

namespace {

constexpr size_t kHeaderSize = 28;   // magic, version, build UUID
constexpr size_t kRecordHeader = 10;  // channel (2), id (4), payload length (4)
constexpr const char *kFormats[] = {"text", "xml", "longjson", "json"};

uint32_t le(const uint8_t *p, int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= static_cast<uint32_t>(p[i]) << (8 * i);
    return value;
}

// Decodes every record once; returns the record count.
size_t decodeAll(const std::vector<uint8_t> &capture, int32_t format, std::vector<char> &out) {
    size_t records = 0;
    for (size_t at = kHeaderSize; at + kRecordHeader <= capture.size(); ++records) {
        const uint8_t *record = capture.data() + at;
        const uint32_t size = le(record + 6, 4);
        char *pos = out.data();
        tkdec_getText(record + kRecordHeader, record + kRecordHeader + size, &pos, out.data() + out.size(), format,
                      le(record + 2, 4), static_cast<uint16_t>(le(record, 2)));
        at += kRecordHeader + size;
    }
    return records;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s CAPTURE.tkcap text|xml|longjson|json [ROUNDS]\n", argv[0]);
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::vector<uint8_t> capture{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (capture.size() < kHeaderSize || std::memcmp(capture.data(), "TKDECCAP", 8) != 0) {
        std::fprintf(stderr, "%s: not a binary capture\n", argv[1]);
        return 1;
    }
    int32_t format = -1;
    for (int32_t f = 0; f < 4; ++f)
        if (std::strcmp(argv[2], kFormats[f]) == 0) format = f;
    if (format < 0) return 2;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
    std::vector<char> out(1 << 16);
    size_t records = 0;
    double best = 0;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        records = decodeAll(capture, format, out);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (round == 0 || seconds < best) best = seconds;
    }
    std::printf("%zu %.6f\n", records, best);
    return 0;
}
