// The text writer: the printers' fast way to write the fixed texts and the
// numbers of their documents, piece by piece, without a format string.
//
// The pieces written through one writer form one bounded append of their
// concatenation: each piece is cut at the window's end (one check per
// piece, not per character), and the terminator is written once, by
// finish(), behind a text shorter than the space. A writer over a null
// position or a full window writes nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "render/output.h"

namespace tkdec {

// The writer and the helpers that take one by reference are inlined where
// they are used, so that its position stays in a register: a writer left
// in memory makes every piece wait for the store of the one before.
#if defined(__GNUC__)
#define TKDEC_WRITER_INLINE inline __attribute__((always_inline))
#else
#define TKDEC_WRITER_INLINE inline
#endif

// A fixed text per output format, with its length known at compile time.
struct TextRow {
    std::string_view text[kOutputFormatCount];
    constexpr std::string_view operator[](OutputFormat format) const { return text[format]; }
};

// Calls write with the output format as a type (an integral_constant), so
// that every row that write indexes is known where it is compiled: empty
// texts drop out and the others are copied with moves of fixed size. The
// printers' per-member appends are written this way.
template <class Write>
inline void withFormat(OutputFormat format, Write &&write) {
    switch (format) {
    case UF_AsText: return write(std::integral_constant<OutputFormat, UF_AsText>{});
    case UF_AsXml: return write(std::integral_constant<OutputFormat, UF_AsXml>{});
    case UF_AsLongJson: return write(std::integral_constant<OutputFormat, UF_AsLongJson>{});
    case UF_AsJson: return write(std::integral_constant<OutputFormat, UF_AsJson>{});
    }
}

// Fixed texts around a name, per output format; where named is false the
// name is left out (and so are the texts, when empty).
struct NamedRow {
    TextRow before;
    TextRow after;
    bool named[kOutputFormatCount];
};

// The hexadecimal digits of "%x" and of "%X".
inline constexpr char kLowerHexDigits[] = "0123456789abcdef";
inline constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

// "00" to "99": decimal numbers are written two digits at a time.
inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The decimal digits of value at the end of a buffer (20 bytes suffice);
// returns their start. Called with a uint32_t where the value fits, whose
// divisions are cheaper.
template <class Unsigned>
inline char *decimalDigits(Unsigned value, char *bufferEnd) {
    static_assert(std::is_unsigned_v<Unsigned>);
    char *p = bufferEnd;
    while (value >= 100) {
        const Unsigned pair = value % 100;
        value /= 100;
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * pair, 2);
    }
    if (value >= 10) {
        p -= 2;
        std::memcpy(p, kDigitPairs + 2 * value, 2);
    } else {
        *--p = static_cast<char>('0' + value);
    }
    return p;
}

// Copies up to 16 bytes with fixed-size moves (two overlapping ones), so
// that the short pieces and runs of the documents cost no call.
TKDEC_WRITER_INLINE void copyShort(char *to, const char *from, size_t n) {
    if (n >= 8) {
        std::memcpy(to, from, 8);
        std::memcpy(to + n - 8, from + n - 8, 8);
    } else if (n >= 4) {
        std::memcpy(to, from, 4);
        std::memcpy(to + n - 4, from + n - 4, 4);
    } else if (n > 0) {
        to[0] = from[0];
        to[n / 2] = from[n / 2];
        to[n - 1] = from[n - 1];
    }
}

// Marks a window that the caller has found open (hasRoom) and that only
// appends have moved since, so its position lies within [start, end]: the
// printers check once at their entry, and their writers skip the checks.
struct CheckedWindow {};
inline constexpr CheckedWindow kCheckedWindow{};

class TextWriter {
public:
    // A writer over a null position or a full window writes nothing and
    // leaves the position where it is.
    TextWriter(char **pos, char *end) : position_(pos), end_(end), pos_(end) {
        if (pos != nullptr && *pos != nullptr && *pos < end)
            pos_ = *pos;
        else
            position_ = nullptr;
    }
    TextWriter(char **pos, char *end, CheckedWindow) : position_(pos), end_(end), pos_(*pos) {}

    // Whether a piece would still be written.
    bool open() const { return pos_ < end_; }

    void text(std::string_view piece) { put(piece.data(), piece.size()); }
    void text(const char *piece) {
        if (piece == nullptr) piece = "(null)";
        put(piece, std::strlen(piece));
    }

    void unsignedDecimal(uint32_t value) {
        char buffer[24];
        const char *digits = decimalDigits(value, buffer + sizeof buffer);
        put(digits, static_cast<size_t>(buffer + sizeof buffer - digits));
    }
    void signedDecimal(int32_t value) {
        char buffer[24];
        const uint32_t magnitude = value < 0 ? 0 - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
        char *digits = decimalDigits(magnitude, buffer + sizeof buffer);
        if (value < 0) *--digits = '-';
        put(digits, static_cast<size_t>(buffer + sizeof buffer - digits));
    }
    void unsignedDecimal64(uint64_t value) {
        char buffer[24];
        const char *digits = decimalDigits(value, buffer + sizeof buffer);
        put(digits, static_cast<size_t>(buffer + sizeof buffer - digits));
    }

    // At least digits hexadecimal digits, as "%.*x" (or, with the
    // uppercase digits, "%.*X") writes them.
    void hex(uint64_t value, int digits, const char *hexDigits = kLowerHexDigits) {
        char buffer[24];
        char *const bufferEnd = buffer + sizeof buffer;
        char *p = bufferEnd;
        do *--p = hexDigits[value & 0xF]; while ((value >>= 4) != 0);
        while (bufferEnd - p < digits && p > buffer) *--p = '0';
        put(p, static_cast<size_t>(bufferEnd - p));
    }

    void character(char c) { put(&c, 1); }

    void named(const NamedRow &row, OutputFormat format, std::string_view name) {
        text(row.before[format]);
        if (row.named[format]) text(name);
        text(row.after[format]);
    }

    // Ends the append: the terminator behind a text shorter than the
    // space, and the caller's position moved to the text's end.
    void finish() {
        if (position_ == nullptr) return;
        if (pos_ < end_) *pos_ = '\0';
        *position_ = pos_;
    }

private:
    // Short pieces are copied inline, long ones out of line; either is cut
    // at the window's end.
    TKDEC_WRITER_INLINE void put(const char *piece, size_t length) {
        if (length == 0) return;
        const size_t room = static_cast<size_t>(end_ - pos_);
        const size_t n = length < room ? length : room;
#if defined(__GNUC__)
        // Hides the piece's size from the compiler: some versions warn about
        // the moves for longer pieces although n rules them out.
        __asm__("" : "+r"(piece));
#endif
        if (n <= 16)
            copyShort(pos_, piece, n);
        else
            copyLong(pos_, piece, n);
        pos_ += n;
    }

    // Out of line: long pieces are rare, and a call keeps the inlined
    // pieces small.
#if defined(__GNUC__)
    __attribute__((noinline))
#endif
    static void copyLong(char *to, const char *from, size_t n) {
        std::memcpy(to, from, n);
    }

    char **position_;
    char *end_;
    char *pos_;
};

// One fixed text as one bounded append.
inline void appendFixed(char **pos, char *end, std::string_view text) {
    TextWriter out(pos, end);
    out.text(text);
    out.finish();
}
inline void appendFixed(char **pos, char *end, std::string_view text, CheckedWindow checked) {
    TextWriter out(pos, end, checked);
    out.text(text);
    out.finish();
}

}  // namespace tkdec
