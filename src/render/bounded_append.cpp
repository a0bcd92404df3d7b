#include "render/bounded_append.h"

#include <cstring>

#include "render/format_engine.h"

namespace tkdec {
namespace {

// Ends an append: a NUL behind a text that was shorter than the space.
void finish(char **pos, FormatWindow &window) {
    if (window.pos < window.end) *window.pos = '\0';
    *pos = window.pos;
}

}  // namespace

void appendV(char **pos, char *end, const char *format, va_list args) {
    if (!hasRoom(pos, end)) return;
    FormatWindow window{*pos, end};
    formatV(window, format, args);
    finish(pos, window);
}

void append(char **pos, char *end, const char *format, ...) {
    va_list args;
    va_start(args, format);
    appendV(pos, end, format, args);
    va_end(args);
}

void appendRow(char **pos, char *end, const FormatRow &row, int format, ...) {
    if (!hasRoom(pos, end)) return;
    va_list args;
    va_start(args, format);
    FormatWindow window{*pos, end};
    formatV(window, row[static_cast<OutputFormat>(format)], args);
    va_end(args);
    finish(pos, window);
}

void appendText(char **pos, char *end, const char *text) {
    if (!hasRoom(pos, end)) return;
    if (text == nullptr) text = "(null)";
    const size_t room = static_cast<size_t>(end - *pos);
    const void *nul = std::memchr(text, '\0', room);
    const size_t length = nul ? static_cast<size_t>(static_cast<const char *>(nul) - text) : room;
    std::memcpy(*pos, text, length);
    *pos += length;
    if (*pos < end) **pos = '\0';
}

void appendArguments(char **pos, char *end, const char *format, const FormatArgument *arguments,
                     size_t count) {
    if (!hasRoom(pos, end)) return;
    FormatWindow window{*pos, end};
    formatArguments(window, format, arguments, count);
    finish(pos, window);
}

}  // namespace tkdec
