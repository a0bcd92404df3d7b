// tkdec_bench: the library's per-record costs beside their floors, for the
// build it is linked with. bench/report.py turns the JSON output of one or
// more builds into ratios.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "benchmarks.h"
#include "samples.h"
#include "tkdec.h"

int main(int argc, char **argv) {
    // tkdec_bench --write-capture FILE MEGABYTES: the records of the
    // benchmarks, repeated, as a binary capture (for tkdec decode).
    if (argc == 4 && std::strcmp(argv[1], "--write-capture") == 0)
        return tkdec::bench::writeCapture(tkdec::bench::pickSamples(), argv[2], std::strtoull(argv[3], nullptr, 10));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    static const std::vector<tkdec::bench::Sample> samples = tkdec::bench::pickSamples();
    if (!tkdec::bench::registerTextBenchmarks(samples)) return 1;
    tkdec::bench::registerLookupBenchmarks();
    if (!tkdec::bench::registerPayloadBenchmarks(samples)) return 1;
    char id[64] = {};
    tkdec_getUniqueId(sizeof id, id);
    benchmark::AddCustomContext("tkdec_build", id);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
