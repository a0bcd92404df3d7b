// The bit-offset printer: a bitmap of words up to the data end whose set
// bit numbers have names.
#include <cstring>

#include "render/bounded_append.h"
#include "render/little_endian.h"
#include "render/text_writer.h"
#include "render/value_printers.h"

namespace tkdec {
namespace {

constexpr NamedRow kOpenTopLevel = {
    {{"(", "<xml>", "{\"typename\":\"", "{\""}}, {{"", "", "\",\"text\":[", "\":["}}, {false, false, true, true}};
constexpr NamedRow kOpenMember = {
    {{"(", "", "{\"typename\":\"", "["}}, {{"", "", "\",\"text\":[", ""}}, {false, false, true, false}};
constexpr TextRow kCloseTopLevel = {{")", "</xml>", "]}", "]}"}};
constexpr TextRow kCloseMember = {{")", "", "]}", "]"}};
constexpr TextRow kSeparator = {{"|", "", ",", ","}};
constexpr NamedRow kName = {{{"", "<", "\"", "\""}}, {{"", "/>", "\"", "\""}}, {true, true, true, true}};
constexpr FormatRow kUnnamedFirstWord = {{"0x%.*x", "0x%.*x", "\"0x%.*x\"", "\"0x%.*x\""}};
constexpr FormatRow kUnnamedShifted = {
    {"(0x%.*x)<<%u", "(0x%.*x)&lt;&lt;%u", "\"(0x%.*x)<<%u\"", "\"(0x%.*x)<<%u\""}};

constexpr uint32_t kBitsPerWord = 32;  // bit numbers advance by 32 per word, whatever its size
constexpr uint32_t kBlock = 8;

// Whether the n blocks of 8 bytes at data are all 0.
bool zeroBlocks(const uint8_t *data, uint32_t n) {
    uint64_t any = 0;
    for (uint32_t i = 0; i < n; ++i) {
        uint64_t block;
        std::memcpy(&block, data + i * kBlock, kBlock);
        any |= block;
    }
    return any == 0;
}

// The first word at or behind word that is not 0 in a run of zero blocks
// of 8 bytes (whole words of 1, 2 or 4 bytes), tested eight blocks at a
// time while there are eight; base follows the words.
const uint8_t *skipZeroBlocks(const uint8_t *word, const uint8_t *dataEnd, uint32_t size, uint32_t *base) {
    if (kBlock % size != 0) return word;
    const uint8_t *const start = word;
    constexpr uint32_t kWide = 8;
    while (static_cast<size_t>(dataEnd - word) >= kWide * kBlock && zeroBlocks(word, kWide)) word += kWide * kBlock;
    while (static_cast<size_t>(dataEnd - word) >= kBlock && zeroBlocks(word, 1)) word += kBlock;
    *base += static_cast<uint32_t>(word - start) / size * kBitsPerWord;
    return word;
}

// Appends the names of the bits set in one word (bit numbers base to
// base + 31) and any bits left without a name; *next walks the table.
void appendWord(const EnumerationInfo &enumeration, const ValueCall &call, uint32_t word, uint32_t base,
                uint32_t *next) {
    uint32_t i = *next;
    while (i < enumeration.count && enumeration.table[i].value < base) ++i;
    for (; i < enumeration.count && word != 0 && enumeration.table[i].value < base + kBitsPerWord; ++i) {
        const uint32_t bit = uint32_t{1} << (enumeration.table[i].value - base);
        if ((word & bit) == 0) continue;
        word &= ~bit;
        TextWriter out(call.pos, call.end, kCheckedWindow);
        out.named(kName, call.format, filteredName(call.filter, enumeration.table[i]));
        if (word != 0) out.text(kSeparator[call.format]);
        out.finish();
    }
    *next = i;
    if (word == 0) return;
    const int digits = static_cast<int>(2 * enumeration.size);
    if (base == 0)
        appendRow(call.pos, call.end, kUnnamedFirstWord, call.format, digits, word);
    else
        appendRow(call.pos, call.end, kUnnamedShifted, call.format, digits, word, base);
}

}  // namespace

void printBitOffsetValue(const EnumerationInfo &enumeration, const ValueCall &call) {
    if (!hasRoom(call.pos, call.end)) return;
    if (enumeration.size == 0 || !hasBytes(call.data, call.dataEnd, enumeration.size))
        return describeEnumeration(enumeration, kKindBitOffset, call);
    const bool topLevel = call.mode == E_TOP_LEVEL;
    TextWriter open(call.pos, call.end, kCheckedWindow);
    open.named(topLevel ? kOpenTopLevel : kOpenMember, call.format, nameText(enumeration.name, enumeration.nameLength));
    open.finish();
    uint32_t base = 0;
    uint32_t next = 0;
    bool first = true;
    for (const uint8_t *word = call.data; hasBytes(word, call.dataEnd, enumeration.size);
         word += enumeration.size, base += kBitsPerWord) {
        word = skipZeroBlocks(word, call.dataEnd, enumeration.size, &base);
        if (!hasBytes(word, call.dataEnd, enumeration.size)) break;
        const uint32_t value = static_cast<uint32_t>(readLittleEndian(enumeration.size, word, call.dataEnd));
        if (value == 0) continue;
        if (!first) appendFixed(call.pos, call.end, kSeparator[call.format], kCheckedWindow);
        first = false;
        appendWord(enumeration, call, value, base, &next);
    }
    appendFixed(call.pos, call.end, (topLevel ? kCloseTopLevel : kCloseMember)[call.format], kCheckedWindow);
}

}  // namespace tkdec
