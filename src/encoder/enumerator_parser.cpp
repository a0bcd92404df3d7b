#include <cstring>

#include "encoder/little_endian_writer.h"
#include "encoder/quoted_item.h"
#include "encoder/text_scan.h"
#include "encoder/value_parsers.h"

namespace tkdec {
namespace {

// The first pair whose name is exactly the `length` characters at name.
const Enumerator *findByName(const Enumerator *table, const char *name, uint32_t length) {
    for (const Enumerator *e = table; e->name != nullptr; ++e)
        if (std::strncmp(e->name, name, length) == 0 && e->name[length] == '\0') return e;
    return nullptr;
}

}  // namespace

int32_t parseEnumeratorName(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax,
                            uint32_t size, const Enumerator *table) {
    if (table == nullptr || text == nullptr || *text == nullptr) return -1;
    *text = skipSpace(*text);
    const QuotedItem item = openQuote(*text, syntax);
    const IdentifierScan identifier = scanIdentifier(item.body);
    const Enumerator *const found =
        identifier.found ? findByName(table, item.body + identifier.offset, identifier.length) : nullptr;
    const int32_t result = found ? writeLittleEndian(size, found->value, start, end) : -1;
    return closeQuote(text, item, result, identifier.offset + identifier.length);
}

int32_t parseEnumeration(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax,
                         uint32_t size, const Enumerator *table) {
    if (parseInteger(start, end, text, syntax, size) == 0) return 0;
    return parseEnumeratorName(start, end, text, syntax, size, table);
}

}  // namespace tkdec
