// tkdec_bench: the library's per-record costs beside their floors, for the
// build it is linked with. bench/report.py turns the JSON output of one or
// more builds into ratios.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "benchmarks.h"
#include "samples.h"
#include "tkdec.h"

int main(int argc, char **argv) {
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
