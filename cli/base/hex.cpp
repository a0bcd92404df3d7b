#include "base/hex.h"

namespace tkcli {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool appendGroup(std::string_view group, std::vector<uint8_t> &bytes) {
    if (group.size() % 2 != 0) return false;
    for (size_t i = 0; i < group.size(); i += 2) {
        const int high = hexDigit(group[i]);
        const int low = hexDigit(group[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes.push_back(static_cast<uint8_t>(high << 4 | low));
    }
    return true;
}

}  // namespace

bool parseHexBytes(std::string_view text, std::vector<uint8_t> &bytes, std::string_view &badGroup) {
    size_t i = 0;
    while (i < text.size()) {
        if (isBlank(text[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && !isBlank(text[end])) ++end;
        const std::string_view group = text.substr(i, end - i);
        if (!appendGroup(group, bytes)) {
            badGroup = group;
            return false;
        }
        i = end;
    }
    return true;
}

void appendHexBytes(const uint8_t *bytes, size_t count, std::string &out) {
    static constexpr char kDigits[] = "0123456789abcdef";
    for (size_t i = 0; i < count; ++i) {
        if (i != 0) out += ' ';
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 15];
    }
}

bool parseUnsigned(std::string_view text, uint64_t maximum, uint64_t &value) {
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return false;
    uint64_t result = 0;
    for (const char c : text) {
        const int digit = hexDigit(c);
        if (digit < 0 || static_cast<unsigned>(digit) >= base || static_cast<unsigned>(digit) > maximum) return false;
        if (result > (maximum - static_cast<unsigned>(digit)) / base) return false;
        result = result * base + static_cast<unsigned>(digit);
    }
    value = result;
    return true;
}

}  // namespace tkcli
