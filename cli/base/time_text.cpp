#include "base/time_text.h"

#include <cstdio>

namespace tkcli {

namespace {

constexpr uint64_t kSecond = 1'000'000'000;
constexpr uint64_t kDay = 86'400;

// Days since 1970-01-01 of a proleptic Gregorian date, and back (the
// era-based algorithms of H. Hinnant's chrono notes).
int64_t daysFromCivil(int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

void civilFromDays(int64_t days, int64_t &year, unsigned &month, unsigned &day) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    year = static_cast<int64_t>(yearOfEra) + era * 400 + (month <= 2);
}

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

unsigned daysInMonth(int64_t year, unsigned month) {
    static constexpr unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

bool parseUtcTime(std::string_view text, uint64_t &nanoseconds) {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    const bool shape = digits(text, 0, 4, year) && text.size() > 19 && text[4] == '-' && digits(text, 5, 2, month) &&
                       text[7] == '-' && digits(text, 8, 2, day) && text[10] == 'T' && digits(text, 11, 2, hour) &&
                       text[13] == ':' && digits(text, 14, 2, minute) && text[16] == ':' &&
                       digits(text, 17, 2, second) && text.back() == 'Z';
    if (!shape || year < 1970 || year > 2554 || month < 1 || month > 12 || day < 1 ||
        day > daysInMonth(year, month) || hour > 23 || minute > 59 || second > 59) {
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
    const auto days = static_cast<uint64_t>(daysFromCivil(year, month, day));
    const uint64_t seconds = days * kDay + hour * 3600u + minute * 60u + second;
    if (seconds > UINT64_MAX / kSecond - 1) return false;
    nanoseconds = seconds * kSecond + fraction;
    return true;
}

void appendUtcTime(uint64_t nanoseconds, std::string &out) {
    const uint64_t seconds = nanoseconds / kSecond;
    int64_t year = 0;
    unsigned month = 0, day = 0;
    civilFromDays(static_cast<int64_t>(seconds / kDay), year, month, day);
    const uint64_t secondOfDay = seconds % kDay;
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02u:%02u:%02u.%09uZ", static_cast<long long>(year), month,
                  day, static_cast<unsigned>(secondOfDay / 3600), static_cast<unsigned>(secondOfDay / 60 % 60),
                  static_cast<unsigned>(secondOfDay % 60), static_cast<unsigned>(nanoseconds % kSecond));
    out += text;
}

void appendDelta(uint64_t nanoseconds, std::string &out) {
    char text[32];
    std::snprintf(text, sizeof text, "+%llu.%09u", static_cast<unsigned long long>(nanoseconds / kSecond),
                  static_cast<unsigned>(nanoseconds % kSecond));
    out += text;
}

}  // namespace tkcli
