// The benchmark groups; each registers its benchmarks with Google Benchmark.
#pragma once

#include <cstdint>
#include <vector>

#include "samples.h"

namespace tkdec::bench {

// Returns false when a floor does not reproduce the library's output.
bool registerTextBenchmarks(const std::vector<Sample> &samples);
void registerLookupBenchmarks();
// Writes the samples, repeated, as a binary capture of about megabytes MB;
// returns the program's exit status.
int writeCapture(const std::vector<Sample> &samples, const char *path, uint64_t megabytes);

// Returns false when a message's description is not accepted.
bool registerPayloadBenchmarks(const std::vector<Sample> &samples);

}  // namespace tkdec::bench
