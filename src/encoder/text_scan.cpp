#include "encoder/text_scan.h"

namespace tkdec {
namespace {

// The digit's value, or 36 for a character that is no digit of any base.
uint32_t digitValue(char c) {
    if (isDigit(c)) return static_cast<uint32_t>(c - '0');
    if (c >= 'a' && c <= 'z') return static_cast<uint32_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'Z') return static_cast<uint32_t>(c - 'A' + 10);
    return 36;
}

bool startsHexPrefix(const char *p) { return p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && digitValue(p[2]) < 16; }

}  // namespace

NumberScan scanNumber(const char *text) {
    const char *p = skipSpace(text);
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    uint32_t base = 10;
    if (startsHexPrefix(p)) {
        base = 16;
        p += 2;
    } else if (*p == '0') {
        base = 8;
    }
    const char *const digits = p;
    uint32_t value = 0;
    for (; digitValue(*p) < base; ++p) value = value * base + digitValue(*p);
    if (p == digits) return {false, 0, 0};
    return {true, negative ? 0u - value : value, static_cast<uint32_t>(p - text)};
}

IdentifierScan scanIdentifier(const char *text) {
    const char *const first = skipSpace(text);
    const char *p = first;
    while (isIdentifierChar(*p)) ++p;
    const auto length = static_cast<uint64_t>(p - first);
    if (length == 0 || length > kMaxIdentifierLength) return {false, 0, 0};
    return {true, static_cast<uint32_t>(first - text), static_cast<uint32_t>(length)};
}

}  // namespace tkdec
