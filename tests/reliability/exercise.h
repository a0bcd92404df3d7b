// Drives every exported function over the reference build: every token id
// on every kind of channel, every alarm, message and type, named-type
// printing and payload building, with payloads of several lengths and
// every output format. The reliability tests run it under an allocation
// counter, on a painted stack and on many threads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

namespace reliability {

struct Hooks {
    // Called right before and right after each library call.
    std::function<void()> before = [] {};
    std::function<void()> after = [] {};
    // Receives the output of call number `call`.
    std::function<void(size_t call, std::string_view output)> output = [](size_t, std::string_view) {};
};

// Runs the whole set of calls; returns their number.
size_t exerciseLibrary(const Hooks &hooks);

}  // namespace reliability
