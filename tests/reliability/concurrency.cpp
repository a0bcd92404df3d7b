// Many host threads decode, print named types and build payloads at the
// same time into their own buffers; every output must equal the output of
// the same call made alone. Built under ThreadSanitizer by the tsan preset.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string_view>
#include <thread>
#include <vector>

#include "exercise.h"

namespace {

constexpr int kThreads = 8;

std::vector<uint64_t> fingerprintsOfOneRun() {
    std::vector<uint64_t> prints;
    reliability::Hooks hooks;
    hooks.output = [&prints](size_t call, std::string_view output) {
        if (prints.size() <= call) prints.resize(call + 1);
        prints[call] = std::hash<std::string_view>{}(output) ^ output.size();
    };
    reliability::exerciseLibrary(hooks);
    return prints;
}

TEST(Concurrency, EightThreadsGiveTheSingleThreadedOutputs) {
    const std::vector<uint64_t> expected = fingerprintsOfOneRun();
    std::vector<std::vector<uint64_t>> results(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) threads.emplace_back([&results, t] { results[t] = fingerprintsOfOneRun(); });
    for (std::thread &thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(results[t].size(), expected.size()) << "thread " << t;
        size_t differing = 0;
        for (size_t call = 0; call < expected.size(); ++call) differing += results[t][call] != expected[call];
        EXPECT_EQ(differing, 0u) << "thread " << t << ": calls whose output differs";
    }
}

}  // namespace
