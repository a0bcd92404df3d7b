// tkdec_decode_loop: the library's own work on a capture, for comparison
// with `tkdec decode`: every record of a capture, read beforehand by the
// tool's capture readers and kept in memory, handed to tkdec_getText through the shared library, the output
// discarded. Prints the record count and the best time of a few rounds.
//
//   tkdec_decode_loop CAPTURE.tkcap text|xml|longjson|json [ROUNDS]
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "capture/capture_reader.h"
#include "tkdec.h"

namespace {

constexpr const char *kFormats[] = {"text", "xml", "longjson", "json"};

// The records of a capture, read by the tool's own readers, with their
// payloads back to back in one buffer.
struct Records {
    struct Record {
        uint16_t channel;
        uint32_t id;
        size_t offset;
        uint32_t size;
    };
    std::vector<Record> records;
    std::vector<uint8_t> payloads;
};

bool readAll(const char *path, Records &all) {
    const tkcli::ReadOptions options;
    tkcli::OpenedCapture opened = tkcli::openCapture(path, options);
    if (!opened.reader) {
        std::fprintf(stderr, "%s\n", opened.error.c_str());
        return false;
    }
    tkcli::CaptureRecord record;
    tkcli::CaptureReader::Next next;
    while ((next = opened.reader->next(record)) == tkcli::CaptureReader::Next::Record) {
        all.records.push_back({record.channel, record.id, all.payloads.size(), record.size});
        all.payloads.insert(all.payloads.end(), record.payload, record.payload + record.size);
    }
    if (next == tkcli::CaptureReader::Next::Error) std::fprintf(stderr, "%s\n", opened.reader->error().c_str());
    return next == tkcli::CaptureReader::Next::End && opened.reader->skips() == 0;
}

// Decodes every record once.
void decodeAll(const Records &all, int32_t format, std::vector<char> &out) {
    for (const Records::Record &record : all.records) {
        const uint8_t *payload = all.payloads.data() + record.offset;
        char *pos = out.data();
        tkdec_getText(payload, payload + record.size, &pos, out.data() + out.size(), format, record.id,
                      record.channel);
    }
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s CAPTURE.tkcap text|xml|longjson|json [ROUNDS]\n", argv[0]);
        return 2;
    }
    Records all;
    if (!readAll(argv[1], all)) return 1;
    int32_t format = -1;
    for (int32_t f = 0; f < 4; ++f)
        if (std::strcmp(argv[2], kFormats[f]) == 0) format = f;
    if (format < 0) return 2;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
    std::vector<char> out(1 << 16);
    double best = 0;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        decodeAll(all, format, out);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (round == 0 || seconds < best) best = seconds;
    }
    std::printf("%zu %.6f\n", all.records.size(), best);
    return 0;
}
