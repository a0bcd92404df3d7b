#include "encoder/little_endian_writer.h"
#include "encoder/quoted_item.h"
#include "encoder/text_scan.h"
#include "encoder/value_parsers.h"

namespace tkdec {

int32_t parseInteger(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax, uint32_t size) {
    if (text == nullptr || *text == nullptr) return -1;
    const QuotedItem item = openQuote(*text, syntax);
    const NumberScan number = scanNumber(item.body);
    const int32_t result = number.found ? writeLittleEndian(size, number.value, start, end) : -1;
    return closeQuote(text, item, result, number.length);
}

}  // namespace tkdec
