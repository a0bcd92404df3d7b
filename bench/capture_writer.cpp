// The benchmarks' records as a binary capture, written by the tool's own
// capture writers and repeated to a given size, so that `tkdec decode` can
// be timed on them.
#include <cstdio>
#include <string>
#include <vector>

#include "capture/capture_writer.h"

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

// The build UUID of the library linked in: the capture's header names it.
std::string buildUuid() {
    char uuid[33] = {};
    tkdec_getUniqueId(sizeof uuid, uuid);
    return std::string(uuid, 32);
}

}  // namespace

int writeCapture(const std::vector<Sample> &samples, const char *path, uint64_t megabytes) {
    std::string cycle;
    for (const Sample &sample : samples) {
        const tkcli::CaptureRecord record{sample.channel, sample.id, 0, sample.payload.data(),
                                          static_cast<uint32_t>(sample.payload.size()), 0};
        for (uint32_t i = 0; i < weight(sample); ++i) tkcli::appendBinaryV1Record(record, cycle);
    }
    std::FILE *file = std::fopen(path, "wb");
    if (file == nullptr) return 1;
    std::string head;
    tkcli::appendBinaryHeader(1, buildUuid(), head);
    bool ok = !cycle.empty() && std::fwrite(head.data(), 1, head.size(), file) == head.size();
    for (uint64_t written = 0; ok && written < megabytes * 1000000; written += cycle.size())
        ok = std::fwrite(cycle.data(), 1, cycle.size(), file) == cycle.size();
    return std::fclose(file) == 0 && ok ? 0 : 1;
}

}  // namespace tkdec::bench
