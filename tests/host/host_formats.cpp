// Formatting rows run through the library's own printf engine, compiled
// for the host's platform as it is compiled into the library. Its output
// must not depend on the platform's C library or on the width of long.
#include <cstdint>
#include <iterator>

#include "host_calls.h"
#include "render/bounded_append.h"

namespace host {
namespace {

using tkdec::FormatArgument;

struct FormatRow {
    const char *call;  // the call as written, for the report
    uint32_t size;     // the output buffer's size
    void (*run)(char **position, char *end);
};

// A row that formats its C arguments (the library's constant format rows).
#define FORMAT(bytes, ...) \
    {#__VA_ARGS__, bytes, [](char **position, char *end) { tkdec::append(position, end, __VA_ARGS__); }}

// A row that formats 32- and 64-bit words chosen at run time (the token
// formatters).
#define FORMAT_WORDS(bytes, text, ...)                                         \
    {#text " <- " #__VA_ARGS__, bytes, [](char **position, char *end) {         \
         const FormatArgument words[] = {__VA_ARGS__};                         \
         tkdec::appendArguments(position, end, text, words, std::size(words)); \
     }}

const FormatRow kFormatRows[] = {
    FORMAT(64, "%hhu %hhu %hhu", uint8_t{200}, uint8_t{0}, uint8_t{255}),
    FORMAT(64, "%hhd %hd %hu", int8_t{-56}, int16_t{-25536}, uint16_t{65535}),
    FORMAT(64, "%llu %llu", 18446744073709551615ULL, 1234567890123ULL),
    FORMAT(64, "%lld %llx", -9223372036854775807LL - 1, 0x0123456789abcdefULL),
    FORMAT(64, "%lu %ld %lx", 4294967295UL, -2147483647L - 1, 0xdeadbeefUL),
    FORMAT(64, "0x%.*x 0x%.*x 0x%.*x", 8, 0xabcu, 2, 0x12345u, 0, 0u),
    FORMAT(64, "0x%.*x", 16, 0xffffffffu),
    FORMAT(64, "[%.0s][%.2s][%s]", "skipped", "cut", "whole"),
    FORMAT(64, "%.0s,\"value\":{\"number\":%u}", "CKI_ALARM_ERROR", 2u),
    FORMAT(64, "[%5d][%-5d][%05d][%+d][% d][%#x][%#o][%X][%c]", 42, 42, -42, 7, 7, 255u, 8u, 0xbeefu, 'z'),
    FORMAT(64, "[%*d][%-*s][%.*s]", -6, 1, 4, "ab", -1, "negative precision"),
    FORMAT(64, "%zu %jd %td %%", static_cast<size_t>(4000000000u), static_cast<intmax_t>(-1),
           static_cast<ptrdiff_t>(-2)),
    FORMAT(6, "%llu", 1234567890123ULL),
    FORMAT(5, "abcd"),
    FORMAT(5, "abc%s", "de"),
    FORMAT_WORDS(64, "%hhu %hu %u %d", {0x1ff, nullptr}, {0x1ffff, nullptr}, {0x1ffffffffULL, nullptr},
                 {0xffffffffULL, nullptr}),
    FORMAT_WORDS(64, "%lu %ld %lx", {0x1ffffffffULL, nullptr}, {0x180000000ULL, nullptr}, {0x1deadbeefULL, nullptr}),
    FORMAT_WORDS(64, "%llu %lld", {0xffffffffffffffffULL, nullptr}, {0x8000000000000000ULL, nullptr}),
    FORMAT_WORDS(64, "0x%.*x %.0s%s", {8, nullptr}, {0xabc, nullptr}, {0, "hidden"}, {0, "shown"}),
    FORMAT_WORDS(64, "%s|%.3s|%.6s", {0, nullptr}, {0, nullptr}, {0, nullptr}),
    FORMAT_WORDS(64, "%d %s %u", {5, nullptr}),
};

}  // namespace

void runFormats(Report &report) {
    for (const FormatRow &row : kFormatRows) {
        Buffer out(row.size);
        char *position = out.data();
        row.run(&position, out.data() + row.size);
        report.line(std::string("format ") + row.call + " = " + number(position - out.data()));
        report.text("out", out);
    }
}

}  // namespace host
