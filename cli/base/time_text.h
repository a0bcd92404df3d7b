// Host timestamps (nanoseconds since the Unix epoch) as ISO-8601 UTC text:
// 2026-12-06T15:40:02.123456789Z.
#ifndef TKDEC_CLI_TIME_TEXT_H
#define TKDEC_CLI_TIME_TEXT_H

#include <cstdint>
#include <string>
#include <string_view>

namespace tkcli {

// Reads YYYY-MM-DDTHH:MM:SS with an optional fraction of up to nine digits
// and a closing Z; years 1970 to 2554 (the range of 64-bit nanoseconds).
bool parseUtcTime(std::string_view text, uint64_t &nanoseconds);

// Writes the time with all nine fraction digits.
void appendUtcTime(uint64_t nanoseconds, std::string &out);

// "+S.NNNNNNNNN" seconds, for the time between two records.
void appendDelta(uint64_t nanoseconds, std::string &out);

}  // namespace tkcli

#endif
