#include "encoder/little_endian_writer.h"
#include "encoder/quoted_item.h"
#include "encoder/text_scan.h"
#include "encoder/value_parsers.h"

namespace tkdec {
namespace {

bool endsMask(char c) { return c == ']' || c == '}' || c == ',' || c == '\0'; }

const char *skipSpaceAndSeparators(const char *text, char separator) {
    while (isSpace(*text) || *text == separator) ++text;
    return text;
}

}  // namespace

// Items are ORed into one value, written once when the list ends at a
// closing bracket or brace, a ',' or the end of the text. A text that is no
// item (such as the " .m_next=" of the next member) stops the list without
// writing anything and is left for the caller to check.
int32_t parseBitmask(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax, uint32_t size,
                     const Enumerator *table) {
    if (text == nullptr || *text == nullptr) return -1;
    bool bracketed = false;
    int32_t result = 0;
    if (!openList(start, end, text, syntax, size, &bracketed, &result)) return result;
    const char separator = syntax == UF_AsJson ? ',' : '|';
    uint32_t mask = 0;
    for (;;) {
        uint32_t item = 0;
        if (readNumberItem(text, syntax, size, &item) != 0 && readNameItem(text, syntax, size, table, &item) != 0)
            break;
        mask |= item;
        *text = skipSpaceAndSeparators(*text, separator);
        if (endsMask(**text)) {
            result = writeLittleEndian(size, mask, start, end);
            break;
        }
    }
    return closeList(text, bracketed, result);
}

}  // namespace tkdec
