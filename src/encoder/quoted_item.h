// The optional quotes around a number or enumerator name in JSON syntax,
// and the reading of one list item into a scratch word.
#pragma once

#include <cstdint>

#include "encoder/text_scan.h"
#include "render/output.h"
#include "render/type_descriptor.h"

namespace tkdec {

struct QuotedItem {
    const char *body;  // the item's text, behind the opening quote if any
    bool quoted;
};

// In JSON syntax a quote opens an item only as the very first character of
// its text: ` "7"` holds no number, as the host's encoder reads it.
inline QuotedItem openQuote(const char *text, OutputFormat syntax) {
    return syntax == UF_AsJson && *text == '"' ? QuotedItem{text + 1, true} : QuotedItem{text, false};
}

// Sets the position after an item of `length` characters that was (result
// 0) or was not written. A written quoted item needs its closing quote,
// which is consumed; without it the result is -1 and the position stays
// behind the item. An item that was not written leaves the position on the
// opening quote (or where it was).
inline int32_t closeQuote(const char **text, QuotedItem item, int32_t result, uint32_t length) {
    if (result != 0) return result;
    const char *const after = item.body + length;
    if (item.quoted && *after != '"') {
        *text = after;
        return -1;
    }
    *text = item.quoted ? after + 1 : after;
    return 0;
}

// Reads one list item into a scratch word of size bytes (at most 4) and
// returns its value through *value: a number, or with a table an
// enumerator name.
int32_t readNumberItem(const char **text, OutputFormat syntax, uint32_t size, uint32_t *value);
int32_t readNameItem(const char **text, OutputFormat syntax, uint32_t size, const Enumerator *table,
                     uint32_t *value);

// Opens a list value: in JSON syntax whitespace is skipped and a '[' is
// consumed (*bracketed is set). Returns false when the JSON value is not a
// list, after reading it as a single number written at start (*result).
bool openList(uint8_t *start, uint8_t *end, const char **text, OutputFormat syntax, uint32_t size,
              bool *bracketed, int32_t *result);

// What ends a bracketed list in JSON syntax: result 0 needs the closing ']'
// (consumed), otherwise the list fails.
int32_t closeList(const char **text, bool bracketed, int32_t result);

}  // namespace tkdec
