#include "records/extended_payload.h"

#include <cstddef>
#include <cstring>

#include "render/bounded_append.h"

#if defined(__GNUC__)
#define TKDEC_ITEM_INLINE inline __attribute__((always_inline))
#else
#define TKDEC_ITEM_INLINE inline
#endif

namespace tkdec {
namespace {

constexpr uint32_t kNullPointerWord = 17;
constexpr uint32_t kNoDataWord = 18;
constexpr uint32_t kFirstNonKey = 16;
constexpr size_t kItemHeader = 8;

// The marked texts, by item status (Found has none).
constexpr const char *kStringTexts[] = {
    "** String lookup failed: use LOG_STRING()? **",
    nullptr,
    "** Extended payload too small: use LOG_STRING()? **",
    "(null ptr)",
    "(null ptr)",
};
constexpr const char *kDataTexts[] = {
    "**Extended Data lookup failed: use LOG_DATA()?**",
    nullptr,
    "** Extended payload too small **",
    "(no data)",
    "(null ptr)",
};
constexpr const char *kStringNotTerminated = "** String is NOT null terminated **";
constexpr const char *kCannotPrint = "** Cannot print to buffer, not enough space **";

// A little-endian word that lies before the payload end.
uint32_t wordAt(const uint8_t *at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
           static_cast<uint32_t>(at[3]) << 24;
}

size_t roomLeft(char *const *pos, const char *end) {
    return hasRoom(pos, end) ? static_cast<size_t>(end - *pos) : 0;
}

// findExtendedItem, inlined into the string lookup of every %s rule: a
// header is read only where its 8 bytes lie before the end.
TKDEC_ITEM_INLINE ExtendedItem lookUpItem(uint32_t word, const uint8_t *start, const uint8_t *end) {
    if (word >= kFirstNonKey) {
        if (word == kNullPointerWord) return {ItemStatus::NullPointer, nullptr, 0};
        if (word == kNoDataWord) return {ItemStatus::NoData, nullptr, 0};
        return {ItemStatus::LookupFailed, nullptr, 0};
    }
    if (start == nullptr || end == nullptr || start >= end) return {ItemStatus::PayloadTooSmall, nullptr, 0};
    const uint8_t *item = start;
    while (static_cast<size_t>(end - item) >= kItemHeader) {
        const uint32_t length = wordAt(item + 4);
        const uint8_t *data = item + kItemHeader;
        const size_t behind = static_cast<size_t>(end - data);
        if (length > behind) return {ItemStatus::PayloadTooSmall, nullptr, 0};
        if (wordAt(item) == word) {
            if (length == 0) return {ItemStatus::NoData, nullptr, 0};
            return {ItemStatus::Found, data, length};
        }
        const size_t padded = (static_cast<size_t>(length) + 3) & ~static_cast<size_t>(3);
        if (padded >= behind) break;  // nothing behind this item's padding
        item = data + padded;
    }
    return {ItemStatus::LookupFailed, nullptr, 0};
}

}  // namespace

ExtendedItem findExtendedItem(uint32_t word, const uint8_t *start, const uint8_t *end) {
    return lookUpItem(word, start, end);
}

const char *extendedString(uint32_t word, const uint8_t *start, const uint8_t *end, char **scratchPos,
                           char *scratchEnd) {
    const ExtendedItem item = lookUpItem(word, start, end);
    if (item.status != ItemStatus::Found) return kStringTexts[static_cast<int>(item.status)];
    const char *text = reinterpret_cast<const char *>(item.data);
    if (text[item.length - 1] == '\0') return text;
    if (static_cast<size_t>(item.length) + 1 >= roomLeft(scratchPos, scratchEnd)) return kStringNotTerminated;
    char *const copy = *scratchPos;
    std::memcpy(copy, text, item.length);
    copy[item.length] = '\0';
    *scratchPos = copy + item.length + 1;
    return copy;
}

const char *extendedData(uint32_t word, uint32_t unitSize, const char *unitFormat, const char *separator,
                         const uint8_t *start, const uint8_t *end, char **scratchPos, char *scratchEnd) {
    if (scratchPos == nullptr || *scratchPos == nullptr) return kCannotPrint;
    const ExtendedItem item = findExtendedItem(word, start, end);
    if (item.status != ItemStatus::Found) return kDataTexts[static_cast<int>(item.status)];
    if (*scratchPos >= scratchEnd) return kCannotPrint;

    char *const text = *scratchPos;
    const size_t reserve = 2 * static_cast<size_t>(unitSize) + 1;
    const size_t room = static_cast<size_t>(scratchEnd - text);
    char *const limit = room > reserve ? scratchEnd - reserve : text;
    char *pos = text;
    uint32_t unit = 0;
    uint32_t filled = 0;
    FormatArgument value{0, nullptr};
    for (uint32_t i = 0; i < item.length && pos < limit; ++i) {
        unit |= static_cast<uint32_t>(item.data[i]) << (8 * filled);
        if (++filled < unitSize) continue;
        value.number = unit;
        appendArguments(&pos, limit, unitFormat, &value, 1);
        appendText(&pos, limit, separator);
        unit = 0;
        filled = 0;
    }
    if (filled != 0 && pos < limit) {
        value.number = unit;
        appendArguments(&pos, limit, unitFormat, &value, 1);
        appendText(&pos, limit, separator);
    }
    // The limit lies before the scratch end, so the terminator always fits.
    *pos = '\0';
    *scratchPos = pos + 1;
    return text;
}

}  // namespace tkdec
