// The benchmarks' records as a binary capture (docs/capture-formats.md),
// repeated to a given size, so that `tkdec decode` can be timed on them.
#include <cstdio>
#include <vector>

#include "benchmarks.h"
#include "tkdec.h"

namespace tkdec::bench {
namespace {

// How often each record appears in one cycle of the capture: a log stream
// is mostly short prints and alarms, with messages among them.
uint32_t weight(const Sample &sample) {
    if (sample.kind == SampleKind::Token) return 20;
    if (sample.name == "message_1000") return 1;
    if (sample.name == "message_200") return 2;
    return 5;
}

void putLittleEndian(std::vector<uint8_t> &bytes, uint64_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint8_t hexDigit(char c) { return static_cast<uint8_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10); }

std::vector<uint8_t> header() {
    std::vector<uint8_t> bytes = {'T', 'K', 'D', 'E', 'C', 'C', 'A', 'P'};
    putLittleEndian(bytes, 1, 4);
    char uuid[33] = {};
    tkdec_getUniqueId(sizeof uuid, uuid);
    for (int i = 0; i < 16; ++i) bytes.push_back(static_cast<uint8_t>(hexDigit(uuid[2 * i]) << 4 | hexDigit(uuid[2 * i + 1])));
    return bytes;
}

}  // namespace

int writeCapture(const std::vector<Sample> &samples, const char *path, uint64_t megabytes) {
    std::vector<uint8_t> cycle;
    for (const Sample &sample : samples) {
        for (uint32_t i = 0; i < weight(sample); ++i) {
            putLittleEndian(cycle, sample.channel, 2);
            putLittleEndian(cycle, sample.id, 4);
            putLittleEndian(cycle, sample.payload.size(), 4);
            cycle.insert(cycle.end(), sample.payload.begin(), sample.payload.end());
        }
    }
    std::FILE *file = std::fopen(path, "wb");
    if (file == nullptr || cycle.empty()) return 1;
    const std::vector<uint8_t> head = header();
    bool ok = std::fwrite(head.data(), 1, head.size(), file) == head.size();
    for (uint64_t written = 0; ok && written < megabytes * 1000000; written += cycle.size())
        ok = std::fwrite(cycle.data(), 1, cycle.size(), file) == cycle.size();
    return std::fclose(file) == 0 && ok ? 0 : 1;
}

}  // namespace tkdec::bench
