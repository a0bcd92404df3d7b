// tkdec_call_counts: runs each benchmark call of the representative mix a
// fixed number of times inside tkdec_measured_calls, one call of that
// function per case, so that callgrind counts the instructions of each
// case on its own (bench/instruction_counts.py runs it):
//
//   tkdec_call_counts REPEAT [NAME...]
//
// NAME is getText/RECORD/FORMAT, decodeType/RECORD/FORMAT,
// floor/RECORD/FORMAT, or lookup/print_tokens or lookup/alarm_tokens (one
// findToken of every id of the table: divide by the count of ids that
// REPEAT 0 prints); without names, every case. Prints the names of the
// measured cases in order, one a line; REPEAT 0 prints each case's output
// beside its name instead.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "floors.h"
#include "records/token_table.h"
#include "samples.h"
#include "tkdec.h"

namespace tkdec::bench {
namespace {

constexpr size_t kOutputSize = 1 << 16;
constexpr const char *kFormatNames[] = {"text", "xml", "longjson", "json"};

enum class Call { GetText, DecodeType, Floor, Lookup };

struct Case {
    std::string name;
    Call call;
    const Sample *sample;
    OutputFormat format;
    Bytes whole;  // decodeType: the message from offset 0
    Floor floor;
    std::string output;  // floor: the library's text, which the floor must write
    const TokenTable *table = nullptr;
    std::vector<uint32_t> ids = {};  // lookup: the table's ids
};

std::vector<Case> allCases(const std::vector<Sample> &samples) {
    std::vector<Case> cases;
    for (const Sample &sample : samples) {
        for (int f = UF_AsText; f <= UF_AsJson; ++f) {
            const OutputFormat format = static_cast<OutputFormat>(f);
            const std::string suffix = sample.name + "/" + kFormatNames[f];
            std::string output = decodeSample(sample, format);
            Floor floor = floorOf(sample, format, output);
            cases.push_back({"getText/" + suffix, Call::GetText, &sample, format, {}, {}, {}});
            cases.push_back({"floor/" + suffix, Call::Floor, &sample, format, {}, std::move(floor), std::move(output)});
            if (sample.kind != SampleKind::Message) continue;
            Bytes whole(4, 0);
            whole.insert(whole.end(), sample.payload.begin(), sample.payload.end());
            cases.push_back({"decodeType/" + suffix, Call::DecodeType, &sample, format, whole, {}, {}});
        }
    }
    for (const auto &[name, table] : {std::pair{"print_tokens", &build::printTokenTable},
                                      std::pair{"alarm_tokens", &build::alarmTokenTable}}) {
        std::vector<uint32_t> ids;
        for (const TableToken &token : tokensOf(*table)) ids.push_back(token.id);
        cases.push_back({std::string("lookup/") + name, Call::Lookup, nullptr, UF_AsText, {}, {}, {}, table, ids});
    }
    return cases;
}

void runOnce(const Case &c, char *out) {
    const Sample &s = *c.sample;
    switch (c.call) {
    case Call::GetText: {
        char *pos = out;
        tkdec_getText(s.payload.data(), s.payload.data() + s.payload.size(), &pos, out + kOutputSize, c.format, s.id,
                      s.channel);
        break;
    }
    case Call::DecodeType:
        tkdec_decodeType(s.message->name, static_cast<uint32_t>(c.whole.size()), c.whole.data(), kOutputSize, out,
                         c.format);
        break;
    case Call::Floor: runFloor(c.floor, out, kOutputSize); break;
    case Call::Lookup: {
        const TokenRecord *found = nullptr;
        for (uint32_t id : c.ids) {
            found = findToken(*c.table, id);
            __asm__ volatile("" : : "r"(found));
        }
        break;
    }
    }
}

}  // namespace
}  // namespace tkdec::bench

// The function that callgrind counts in and dumps after: one call per case.
extern "C" __attribute__((noinline)) void tkdec_measured_calls(const tkdec::bench::Case *c, char *out, int repeat) {
    for (int i = 0; i < repeat; ++i) tkdec::bench::runOnce(*c, out);
    __asm__ volatile("" ::: "memory");
}

int main(int argc, char **argv) {
    using namespace tkdec::bench;
    if (argc < 2) {
        std::fprintf(stderr, "usage: tkdec_call_counts REPEAT [NAME...]\n");
        return 2;
    }
    const int repeat = std::atoi(argv[1]);
    static const std::vector<Sample> samples = pickSamples();
    std::vector<Case> cases;
    for (Case &c : allCases(samples)) {
        bool wanted = argc == 2;
        for (int i = 2; i < argc; ++i) wanted = wanted || c.name == argv[i];
        if (wanted) cases.push_back(std::move(c));
    }
    std::vector<char> out(kOutputSize);
    // The first call binds the C library's symbols; a floor must write
    // exactly the library's text, or its count measures something else.
    for (const Case &c : cases) {
        runOnce(c, out.data());
        if (c.call == Call::Floor && c.output != out.data()) {
            std::fprintf(stderr, "%s differs from the library's text:\n  library: %s\n  floor:   %s\n", c.name.c_str(),
                         c.output.c_str(), out.data());
            return 1;
        }
    }
    for (const Case &c : cases) tkdec_measured_calls(&c, out.data(), repeat);
    for (const Case &c : cases) {
        if (repeat == 0) runOnce(c, out.data());
        if (c.call == Call::Lookup) std::snprintf(out.data(), kOutputSize, "%zu ids", c.ids.size());
        std::printf(repeat == 0 ? "%s\t%s\n" : "%s\n", c.name.c_str(), out.data());
    }
    return 0;
}
