#include "base/time_text.h"

#include <chrono>
#include <cstdio>

namespace tkcli {

namespace {

constexpr uint64_t kSecond = 1'000'000'000;
constexpr uint64_t kDay = 86'400;

// Exactly count decimal digits at text[at].
bool digits(std::string_view text, size_t at, size_t count, unsigned &value) {
    if (at + count > text.size()) return false;
    value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    return true;
}

}  // namespace

bool parseUtcTime(std::string_view text, uint64_t &nanoseconds) {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    const bool shape = digits(text, 0, 4, year) && text.size() > 19 && text[4] == '-' && digits(text, 5, 2, month) &&
                       text[7] == '-' && digits(text, 8, 2, day) && text[10] == 'T' && digits(text, 11, 2, hour) &&
                       text[13] == ':' && digits(text, 14, 2, minute) && text[16] == ':' &&
                       digits(text, 17, 2, second) && text.back() == 'Z';
    const std::chrono::year_month_day date{std::chrono::year{static_cast<int>(year)}, std::chrono::month{month},
                                           std::chrono::day{day}};
    if (!shape || year < 1970 || year > 2554 || !date.ok() || hour > 23 || minute > 59 || second > 59) {
        return false;
    }
    uint64_t fraction = 0;
    std::string_view rest = text.substr(19, text.size() - 20);
    if (!rest.empty()) {
        if (rest[0] != '.' || rest.size() < 2 || rest.size() > 10) return false;
        unsigned value = 0;
        if (!digits(rest, 1, rest.size() - 1, value)) return false;
        fraction = value;
        for (size_t i = rest.size() - 1; i < 9; ++i) fraction *= 10;
    }
    const auto days = static_cast<uint64_t>(std::chrono::sys_days{date}.time_since_epoch().count());
    const uint64_t seconds = days * kDay + hour * 3600u + minute * 60u + second;
    // Host times are unsigned 64-bit nanoseconds: up to 2554-07-21T23:34:33.709551615Z.
    if (seconds > UINT64_MAX / kSecond || (seconds == UINT64_MAX / kSecond && fraction > UINT64_MAX % kSecond)) {
        return false;
    }
    nanoseconds = seconds * kSecond + fraction;
    return true;
}

void appendUtcTime(uint64_t nanoseconds, std::string &out) {
    const uint64_t seconds = nanoseconds / kSecond;
    const std::chrono::year_month_day date{
        std::chrono::sys_days{std::chrono::days{static_cast<int64_t>(seconds / kDay)}}};
    const uint64_t secondOfDay = seconds % kDay;
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02u:%02u:%02u.%09uZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<unsigned>(secondOfDay / 3600), static_cast<unsigned>(secondOfDay / 60 % 60),
                  static_cast<unsigned>(secondOfDay % 60), static_cast<unsigned>(nanoseconds % kSecond));
    out += text;
}

void appendDelta(uint64_t from, uint64_t to, std::string &out) {
    const bool back = to < from;
    const uint64_t nanoseconds = back ? from - to : to - from;
    char text[32];
    std::snprintf(text, sizeof text, "%c%llu.%09u", back ? '-' : '+',
                  static_cast<unsigned long long>(nanoseconds / kSecond), static_cast<unsigned>(nanoseconds % kSecond));
    out += text;
}

}  // namespace tkcli
