// The formatting engine must agree byte for byte with the C library's
// printf for every conversion the library's rows and token formats use.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "render/bounded_append.h"

namespace {

std::string viaEngine(const char *format, ...) __attribute__((format(printf, 1, 2)));
std::string viaEngine(const char *format, ...) {
    char buffer[512];
    char *pos = buffer;
    va_list args;
    va_start(args, format);
    tkdec::appendV(&pos, buffer + sizeof buffer, format, args);
    va_end(args);
    return std::string(buffer, static_cast<size_t>(pos - buffer));
}

std::string viaLibc(const char *format, ...) __attribute__((format(printf, 1, 2)));
std::string viaLibc(const char *format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return std::string(buffer, static_cast<size_t>(n));
}

#define EXPECT_SAME(...) EXPECT_EQ(viaEngine(__VA_ARGS__), viaLibc(__VA_ARGS__)) << #__VA_ARGS__

TEST(FormatEngine, IntegersMatchPrintf) {
    for (int v : {0, 1, -1, 7, -42, 255, 65535, 2147483647, -2147483647 - 1}) {
        EXPECT_SAME("%d|%i|%u|%x|%X|%o", v, v, static_cast<unsigned>(v), static_cast<unsigned>(v),
                    static_cast<unsigned>(v), static_cast<unsigned>(v));
        EXPECT_SAME("[%5d][%-5d][%05d][%+d][% d][%.3d][%8.3d][%-8.3d][%.0d]", v, v, v, v, v, v, v, v, v);
        EXPECT_SAME("[%#x][%#o][%#X][%08x][%.8x][%.2x][%#010x][%.0x]", static_cast<unsigned>(v),
                    static_cast<unsigned>(v), static_cast<unsigned>(v), static_cast<unsigned>(v),
                    static_cast<unsigned>(v), static_cast<unsigned>(v), static_cast<unsigned>(v),
                    static_cast<unsigned>(v));
        EXPECT_SAME("[%.*x][%*d][%-*d][%.*d][%*d]", 8, static_cast<unsigned>(v), 6, v, -6, v, -1, v, -6, v);
    }
}

TEST(FormatEngine, LengthModifiersMatchPrintf) {
    EXPECT_SAME("%hhu %hhd %hu %hd", 0x1FF, 0xFF, 0x1FFFF, 0xFFFF);
    EXPECT_SAME("%llu %lld %llx %.16llx", 18446744073709551615ULL, -9223372036854775807LL - 1,
                0x0000000100000002ULL, 0x0000000100000002ULL);
    EXPECT_SAME("%lu %ld %zu", 4294967295UL, -5L, static_cast<size_t>(12345));
}

TEST(FormatEngine, TextsAndCharactersMatchPrintf) {
    EXPECT_SAME("[%s][%.0s][%.3s][%10s][%-10s][%5.2s]", "abc", "hidden", "abcdef", "right", "left", "xyz");
    EXPECT_SAME("[%c][%3c][%-3c]%%[%c]", 'A', 'b', 'c', 0x27);
    EXPECT_SAME("0x%.2x &apos;%c&apos; (%d)", 0x41, 0x41, 0x41);
    EXPECT_SAME("%s", "");
}

TEST(FormatEngine, TextPrecisionReadsNoFurtherThanItsLength) {
    const char unterminated[3] = {'a', 'b', 'c'};
    EXPECT_EQ(viaEngine("%.3s|%.0s", unterminated, unterminated), "abc|");
}

// Array arguments are the target's words: no length modifier reads 32
// bits, "h" 16, "hh" 8, "ll" 64; a missing argument reads 0 or the empty
// text, and a null text prints as printf prints it.
TEST(FormatEngine, ArrayArgumentsUseTheTargetsWidths) {
    const struct {
        const char *format;
        std::vector<tkdec::FormatArgument> arguments;
        const char *expected;
    } cases[] = {
        {"%d %u %.*x %s %c %llu",
         {{0xFFFFFFFFu, nullptr}, {0x1FFFFFFFFu, nullptr}, {8, nullptr}, {0xDEADBEEF, nullptr}, {0, "text"},
          {0x141, nullptr}, {0x0000000100000002ULL, nullptr}},
         "-1 4294967295 deadbeef text A 4294967298"},
        {"%hhd %hd %hhu %hu %d", {{0x1FF, nullptr}, {0x18000, nullptr}, {0x1FF, nullptr}, {0x1FFFF, nullptr},
                                  {0x100000005, nullptr}},
         "-1 -32768 255 65535 5"},
        {"[%s][%.3s][%.6s][%5.7s]", {{0, nullptr}, {0, nullptr}, {0, nullptr}, {0, nullptr}},
         "[(null)][][(null)][(null)]"},
        {"[%d][%s][%x]", {}, "[0][][0]"},
        {"%qu %jd %ju", {{0x100000002, nullptr}, {0x100000002, nullptr}, {0x100000002, nullptr}},
         "4294967298 4294967298 4294967298"},
        // a conversion cut by the format's end: nothing behind the NUL is read
        {"[%d]%\0[%d]", {{5, nullptr}, {6, nullptr}}, "[5]"},
        {"%ll\0[%d]", {{5, nullptr}}, ""},
        // printf ignores '0' beside a precision or '-'
        {"[%08.3d][%-08d]", {{0xFFFFFFFB, nullptr}, {0xFFFFFFFB, nullptr}}, "[    -005][-5      ]"},
    };
    for (const auto &c : cases) {
        char buffer[128];
        char *pos = buffer;
        tkdec::appendArguments(&pos, buffer + sizeof buffer, c.format, c.arguments.data(), c.arguments.size());
        EXPECT_STREQ(buffer, c.expected);
    }
}

}  // namespace
