// tkdec_createMessagePayload of the benchmark's messages, from the JSON
// form that their compact JSON decoding gives: the decoder's document with
// the message's name in place of its structure's.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "benchmarks.h"
#include "samples.h"
#include "tkdec.h"

namespace tkdec::bench {
namespace {

struct PayloadCase {
    const Sample *sample;
    std::string description;
    uint32_t size;  // the payload: the message structure and 2 bytes
};

std::deque<PayloadCase> &cases() {
    static std::deque<PayloadCase> all;
    return all;
}

// The name by which the payload builder finds a message entry: its
// CKI_MsgId name, or the number of an event.
std::string messageName(const MessageTypeEntry &entry) {
    if ((entry.id >> 24) == 0x2C) return entry.name;
    char number[16];
    std::snprintf(number, sizeof number, "0x%08X", entry.id);
    return number;
}

std::string jsonDescription(const Sample &sample) {
    std::vector<char> out(1 << 16);
    char *pos = out.data();
    tkdec_getText(sample.payload.data(), sample.payload.data() + sample.payload.size(), &pos, out.data() + out.size(),
                  UF_AsJson, sample.id, sample.channel);
    const std::string document(out.data(), pos);
    const std::string structure = std::string("{\"") + sample.message->type->name + "\":";
    if (document.rfind(structure, 0) != 0) return {};
    return "{\"" + messageName(*sample.message) + "\":" + document.substr(structure.size());
}

void createPayload(benchmark::State &state, const PayloadCase *c) {
    std::vector<uint8_t> buffer(c->size);
    for (auto _ : state) {
        benchmark::DoNotOptimize(tkdec_createMessagePayload(buffer.data(), c->size, c->description.c_str(), nullptr,
                                                            nullptr));
        benchmark::ClobberMemory();
    }
    state.counters["description_bytes"] = static_cast<double>(c->description.size());
}

}  // namespace

bool registerPayloadBenchmarks(const std::vector<Sample> &samples) {
    bool ok = true;
    for (const Sample &sample : samples) {
        if (sample.kind != SampleKind::Message) continue;
        PayloadCase &c = cases().emplace_back();
        c.sample = &sample;
        c.description = jsonDescription(sample);
        c.size = sample.message->type->size + 2;
        std::vector<uint8_t> buffer(c.size);
        const int32_t result = tkdec_createMessagePayload(buffer.data(), c.size, c.description.c_str(), nullptr, nullptr);
        if (result != static_cast<int32_t>(c.size)) {
            std::fprintf(stderr, "createMessagePayload of %s gave %d:\n  %s\n", sample.name.c_str(), result,
                         c.description.c_str());
            ok = false;
            continue;
        }
        benchmark::RegisterBenchmark(("createMessagePayload/" + sample.name + "/json").c_str(), createPayload, &c);
    }
    return ok;
}

}  // namespace tkdec::bench
