// The benchmark groups; each registers its benchmarks with Google Benchmark.
#pragma once

#include <vector>

#include "samples.h"

namespace tkdec::bench {

// Returns false when a floor does not reproduce the library's output.
bool registerTextBenchmarks(const std::vector<Sample> &samples);
void registerLookupBenchmarks();
// Returns false when a message's description is not accepted.
bool registerPayloadBenchmarks(const std::vector<Sample> &samples);

}  // namespace tkdec::bench
