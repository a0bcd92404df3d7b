// Per-record tkdec_getText of the representative mix in all four formats,
// each beside its floor; and tkdec_decodeType of the messages.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "benchmarks.h"
#include "floors.h"
#include "samples.h"
#include "tkdec.h"

namespace tkdec::bench {
namespace {

constexpr size_t kOutputSize = 1 << 16;
constexpr const char *kFormatNames[] = {"text", "xml", "longjson", "json"};

struct TextCase {
    const Sample *sample;
    OutputFormat format;
    std::string output;
    Floor floor;
};

std::deque<TextCase> &cases() {
    static std::deque<TextCase> all;
    return all;
}

// A floor must write exactly the library's text, or it measures something else.
bool verified(const TextCase &c) {
    std::vector<char> out(kOutputSize);
    const int length = runFloor(c.floor, out.data(), out.size());
    if (length >= 0 && std::string(out.data(), static_cast<size_t>(length)) == c.output) return true;
    std::fprintf(stderr, "floor of %s/%s differs:\n  library: %s\n  floor:   %s\n", c.sample->name.c_str(),
                 kFormatNames[c.format], c.output.c_str(), out.data());
    return false;
}

void getText(benchmark::State &state, const TextCase *c) {
    std::vector<char> out(kOutputSize);
    const Sample &s = *c->sample;
    const uint8_t *payload = s.payload.data();
    const uint8_t *payloadEnd = payload + s.payload.size();
    for (auto _ : state) {
        char *pos = out.data();
        tkdec_getText(payload, payloadEnd, &pos, out.data() + out.size(), c->format, s.id, s.channel);
        benchmark::DoNotOptimize(pos);
        benchmark::ClobberMemory();
    }
    state.counters["bytes"] = static_cast<double>(c->output.size());
}

void formatFloor(benchmark::State &state, const TextCase *c) {
    std::vector<char> out(kOutputSize);
    for (auto _ : state) {
        benchmark::DoNotOptimize(runFloor(c->floor, out.data(), out.size()));
        benchmark::ClobberMemory();
    }
    state.counters["bytes"] = static_cast<double>(c->output.size());
    state.counters["conversions"] = c->floor.conversions;
}

void decodeType(benchmark::State &state, const TextCase *c, const char *name) {
    std::vector<char> out(kOutputSize);
    const Bytes message = c->sample->payload;  // the message from offset 4: decodeType wants it whole
    Bytes whole(4, 0);
    whole.insert(whole.end(), message.begin(), message.end());
    for (auto _ : state) {
        benchmark::DoNotOptimize(tkdec_decodeType(name, static_cast<uint32_t>(whole.size()), whole.data(),
                                                  static_cast<uint32_t>(out.size()), out.data(), c->format));
        benchmark::ClobberMemory();
    }
}

}  // namespace

bool registerTextBenchmarks(const std::vector<Sample> &samples) {
    bool ok = true;
    for (const Sample &sample : samples) {
        for (int f = UF_AsText; f <= UF_AsJson; ++f) {
            const OutputFormat format = static_cast<OutputFormat>(f);
            TextCase &c = cases().emplace_back();
            c.sample = &sample;
            c.format = format;
            c.output = decodeSample(sample, format);
            c.floor = floorOf(sample, format, c.output);
            if (!verified(c)) {
                ok = false;
                continue;
            }
            const std::string suffix = sample.name + "/" + kFormatNames[f];
            benchmark::RegisterBenchmark(("getText/" + suffix).c_str(), getText, &c);
            benchmark::RegisterBenchmark(("floor/" + suffix).c_str(), formatFloor, &c);
            if (sample.kind == SampleKind::Message) {
                // The same message by tkdec_decodeType: its output is the
                // message channel's, so the floor is the same.
                benchmark::RegisterBenchmark(("decodeType/" + suffix).c_str(), decodeType, &c, sample.message->name);
                benchmark::RegisterBenchmark(("floor/decodeType_" + suffix).c_str(), formatFloor, &c);
            }
        }
    }
    return ok;
}

}  // namespace tkdec::bench
