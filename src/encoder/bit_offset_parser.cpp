#include "encoder/little_endian_writer.h"
#include "encoder/quoted_item.h"
#include "encoder/text_scan.h"
#include "encoder/value_parsers.h"

namespace tkdec {
namespace {

// One item of a bit-offset list: the byte to write and where.
struct BitItem {
    uint32_t byteIndex;
    uint8_t byte;
};

// A name with bit number k sets bit k % 8 of byte k / 8 (read back from the
// window, 0 outside it); a number stands for byte 0 itself.
bool readBitItem(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax, uint32_t size,
                 const Enumerator *table, BitItem *item) {
    uint32_t value = 0;
    if (readNumberItem(text, syntax, size, &value) == 0) {
        *item = {0, static_cast<uint8_t>(value)};
        return true;
    }
    if (readNameItem(text, syntax, size, table, &value) != 0) return false;
    const uint8_t *const at = offsetWithin(start, end, value / 8);
    const uint8_t old = at < end ? *at : 0;
    *item = {value / 8, static_cast<uint8_t>(old | (1u << (value % 8)))};
    return true;
}

}  // namespace

// Every item is written as soon as it is read. A byte that lies outside the
// window fails its write, but the list goes on: the result is that of the
// last write. Only a text that is no item or a missing separator ends it.
int32_t parseBitOffset(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax,
                       uint32_t size, const Enumerator *table) {
    if (text == nullptr || *text == nullptr) return -1;
    bool bracketed = false;
    int32_t result = 0;
    if (!openList(start, end, text, syntax, size, &bracketed, &result)) return result;
    const char separator = syntax == UF_AsJson ? ',' : '|';
    for (;;) {
        BitItem item{};
        const bool read = readBitItem(start, end, text, syntax, size, table, &item);
        *text = skipSpace(*text);
        if (!read) break;
        result = writeLittleEndian(1, item.byte, offsetWithin(start, end, item.byteIndex), end);
        if (**text != separator) break;
        ++*text;
    }
    return closeList(text, bracketed, result);
}

}  // namespace tkdec
