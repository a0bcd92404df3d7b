#include "encoder/little_endian_writer.h"
#include "encoder/quoted_item.h"
#include "encoder/text_scan.h"
#include "encoder/value_parsers.h"
#include "render/little_endian.h"

namespace tkdec {
namespace {

constexpr uint32_t kScratchSize = 4;

uint32_t scratchSize(uint32_t size) { return size < kScratchSize ? size : kScratchSize; }

}  // namespace

int32_t readNumberItem(const char **text, OutputFormat syntax, uint32_t size, uint32_t *value) {
    uint8_t scratch[kScratchSize] = {};
    const uint32_t n = scratchSize(size);
    const int32_t result = parseInteger(scratch, scratch + n, text, syntax, n);
    *value = static_cast<uint32_t>(readLittleEndian(n, scratch, scratch + n));
    return result;
}

int32_t readNameItem(const char **text, OutputFormat syntax, uint32_t size, const Enumerator *table,
                     uint32_t *value) {
    uint8_t scratch[kScratchSize] = {};
    const uint32_t n = scratchSize(size);
    const int32_t result = parseEnumeratorName(scratch, scratch + n, text, syntax, n, table);
    *value = static_cast<uint32_t>(readLittleEndian(n, scratch, scratch + n));
    return result;
}

bool openList(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax, uint32_t size,
              bool *bracketed, int32_t *result) {
    *bracketed = false;
    if (syntax != UF_AsJson) return true;
    *text = skipSpace(*text);
    if (**text == '[') {
        ++*text;
        *bracketed = true;
        return true;
    }
    uint32_t value = 0;
    *result = readNumberItem(text, syntax, size, &value);
    if (*result == 0) *result = writeLittleEndian(size, value, start, end);
    return false;
}

int32_t closeList(const char **text, bool bracketed, int32_t result) {
    if (result != 0 || !bracketed) return result;
    if (**text != ']') return -1;
    ++*text;
    return 0;
}

}  // namespace tkdec
