// Measures the deepest stack that the exported functions use: every call of
// the exercise runs on a thread whose stack was painted with a pattern, and
// the lowest overwritten byte tells how deep it went. The host calls from
// threads with small stacks, so the depth must stay under 256 KiB.
#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "exercise.h"

namespace {

constexpr size_t kStackSize = 2 * 1024 * 1024;
constexpr size_t kLimit = 256 * 1024;
constexpr uint8_t kPaint = 0xCD;

void *runExercise(void *) {
    reliability::exerciseLibrary(reliability::Hooks{});
    return nullptr;
}

TEST(StackDepth, ExportedCallsStayUnder256KiB) {
    std::vector<uint8_t> stack(kStackSize, kPaint);
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstack(&attributes, stack.data(), stack.size()), 0);
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attributes, runExercise, nullptr), 0);
    ASSERT_EQ(pthread_join(thread, nullptr), 0);
    pthread_attr_destroy(&attributes);
    // The bytes written, counted from the stack's top.
    const size_t depth = static_cast<size_t>(stack.end() - std::find_if(stack.begin(), stack.end(),
                                                                         [](uint8_t b) { return b != kPaint; }));
    std::printf("deepest stack use: %zu bytes (%.1f KiB), exercise harness included\n", depth, depth / 1024.0);
    EXPECT_GT(depth, 0u);
    EXPECT_LT(depth, kLimit);
}

}  // namespace
