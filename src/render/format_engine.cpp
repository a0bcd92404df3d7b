// printf-compatible formatting into a bounded window.
//
// The C library's snprintf cannot express the bounded-append rule (it
// always spends the last byte on a NUL) and cannot take arguments chosen at
// run time, so the library formats on its own. The conversions match the C
// standard byte for byte.
#include "render/format_engine.h"

#include <cstdint>
#include <cstring>

#include "render/text_writer.h"

namespace tkdec {
namespace {

// The window's writes are a few instructions each: inlined wherever they
// are used, they cost no call.
#if defined(__GNUC__)
#define TKDEC_INLINE inline __attribute__((always_inline))
#else
#define TKDEC_INLINE inline
#endif

enum class Length { None, Char, Short, Long, LongLong, IntMax, Size, PtrDiff };

struct Conversion {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool alternate = false;
    bool zero = false;
    int width = 0;
    int precision = -1;  // -1: none given
    Length length = Length::None;
    char type = 0;
};

// Arguments from a va_list (the library's own constant format rows).
class VaArguments {
public:
    explicit VaArguments(va_list *args) : args_(args) {}
    int nextInt() { return va_arg(*args_, int); }
    const char *nextText() { return va_arg(*args_, const char *); }
    int64_t nextSigned(Length length) {
        switch (length) {
        case Length::Long: return va_arg(*args_, long);
        case Length::LongLong: return va_arg(*args_, long long);
        case Length::IntMax: return va_arg(*args_, intmax_t);
        case Length::Size: return static_cast<int64_t>(va_arg(*args_, size_t));
        case Length::PtrDiff: return va_arg(*args_, ptrdiff_t);
        case Length::Char: return static_cast<signed char>(va_arg(*args_, int));
        case Length::Short: return static_cast<short>(va_arg(*args_, int));
        case Length::None: break;
        }
        return va_arg(*args_, int);
    }
    uint64_t nextUnsigned(Length length) {
        switch (length) {
        case Length::Long: return va_arg(*args_, unsigned long);
        case Length::LongLong: return va_arg(*args_, unsigned long long);
        case Length::IntMax: return va_arg(*args_, uintmax_t);
        case Length::Size: return va_arg(*args_, size_t);
        case Length::PtrDiff: return static_cast<uint64_t>(va_arg(*args_, ptrdiff_t));
        case Length::Char: return static_cast<unsigned char>(va_arg(*args_, unsigned));
        case Length::Short: return static_cast<unsigned short>(va_arg(*args_, unsigned));
        case Length::None: break;
        }
        return va_arg(*args_, unsigned);
    }

private:
    va_list *args_;
};

// Arguments from an array (token formatters): the target's int, short and
// long are 32 bits wide, "ll" is 64.
class ArrayArguments {
public:
    ArrayArguments(const FormatArgument *arguments, size_t count) : arguments_(arguments), count_(count) {}
    int nextInt() { return static_cast<int32_t>(nextNumber()); }
    const char *nextText() {
        const char *text = next_ < count_ ? arguments_[next_].text : "";
        ++next_;
        return text;
    }
    int64_t nextSigned(Length length) {
        const uint64_t value = nextNumber();
        switch (length) {
        case Length::Char: return static_cast<int8_t>(value);
        case Length::Short: return static_cast<int16_t>(value);
        case Length::LongLong:
        case Length::IntMax: return static_cast<int64_t>(value);
        default: return static_cast<int32_t>(value);
        }
    }
    uint64_t nextUnsigned(Length length) {
        const uint64_t value = nextNumber();
        switch (length) {
        case Length::Char: return static_cast<uint8_t>(value);
        case Length::Short: return static_cast<uint16_t>(value);
        case Length::LongLong:
        case Length::IntMax: return value;
        default: return static_cast<uint32_t>(value);
        }
    }

private:
    uint64_t nextNumber() {
        const uint64_t value = next_ < count_ ? arguments_[next_].number : 0;
        ++next_;
        return value;
    }
    const FormatArgument *arguments_;
    size_t count_;
    size_t next_ = 0;
};

TKDEC_INLINE void put(FormatWindow &window, char c) {
    if (window.pos < window.end) *window.pos++ = c;
}

TKDEC_INLINE void putRun(FormatWindow &window, const char *text, size_t length) {
    const size_t room = static_cast<size_t>(window.end - window.pos);
    const size_t n = length < room ? length : room;
    if (n <= 16)
        copyShort(window.pos, text, n);
    else
        std::memcpy(window.pos, text, n);
    window.pos += n;
}

// The length of the literal run at p (up to a '%' or the end): short runs
// are scanned here, long ones by the C library many bytes at a time
// (strchr stops at the end of the text too).
TKDEC_INLINE size_t literalRun(const char *p) {
    constexpr size_t kShort = 8;
    for (size_t i = 0; i < kShort; ++i)
        if (p[i] == '\0' || p[i] == '%') return i;
    const char *percent = std::strchr(p + kShort, '%');
    return percent != nullptr ? static_cast<size_t>(percent - p) : kShort + std::strlen(p + kShort);
}

void putRepeated(FormatWindow &window, char c, int count) {
    for (int i = 0; i < count && !window.full(); ++i) put(window, c);
}

// Digits of value in the given base, most significant first, at the end of
// buffer; returns their start. Each base divides by a constant, which the
// compiler turns into multiplications and shifts; decimals go two digits
// at a time.
char *toDigits(uint64_t value, unsigned base, bool upper, char *bufferEnd) {
    const char *digits = upper ? kUpperHexDigits : kLowerHexDigits;
    char *p = bufferEnd;
    switch (base) {
    case 16:
        do *--p = digits[value & 0xF]; while ((value >>= 4) != 0);
        break;
    case 8:
        do *--p = static_cast<char>('0' + (value & 7)); while ((value >>= 3) != 0);
        break;
    default:
        p = value <= UINT32_MAX ? decimalDigits(static_cast<uint32_t>(value), p) : decimalDigits(value, p);
        break;
    }
    return p;
}

void putInteger(FormatWindow &window, const Conversion &c, uint64_t magnitude, bool negative) {
    unsigned base = 10;
    if (c.type == 'o') base = 8;
    if (c.type == 'x' || c.type == 'X') base = 16;

    char buffer[24];
    char *const bufferEnd = buffer + sizeof buffer;
    const char *digits = bufferEnd;
    if (!(magnitude == 0 && c.precision == 0)) digits = toDigits(magnitude, base, c.type == 'X', bufferEnd);
    int digitCount = static_cast<int>(bufferEnd - digits);

    int zeros = c.precision > digitCount ? c.precision - digitCount : 0;
    if (c.type == 'o' && c.alternate && zeros == 0 && (digitCount == 0 || digits[0] != '0')) zeros = 1;

    char prefix[2];
    int prefixLength = 0;
    if (c.type == 'd' || c.type == 'i') {
        if (negative) prefix[prefixLength++] = '-';
        else if (c.plus) prefix[prefixLength++] = '+';
        else if (c.space) prefix[prefixLength++] = ' ';
    } else if ((c.type == 'x' || c.type == 'X') && c.alternate && magnitude != 0) {
        prefix[prefixLength++] = '0';
        prefix[prefixLength++] = c.type;
    }

    const int body = prefixLength + zeros + digitCount;
    const int padding = c.width > body ? c.width - body : 0;
    const bool zeroPad = c.zero && !c.left && c.precision < 0;
    if (!c.left && !zeroPad) putRepeated(window, ' ', padding);
    putRun(window, prefix, static_cast<size_t>(prefixLength));
    if (zeroPad) putRepeated(window, '0', padding);
    putRepeated(window, '0', zeros);
    putRun(window, digits, static_cast<size_t>(digitCount));
    if (c.left) putRepeated(window, ' ', padding);
}

void putText(FormatWindow &window, const Conversion &c, const char *text) {
    if (text == nullptr) text = (c.precision < 0 || c.precision >= 6) ? "(null)" : "";
    size_t length = 0;
    if (c.precision < 0) {
        length = std::strlen(text);
    } else {
        // Never read beyond the precision: the text need not be terminated.
        const size_t limit = static_cast<size_t>(c.precision);
        while (length < limit && text[length] != '\0') ++length;
    }
    const int padding = c.width > static_cast<int>(length) ? c.width - static_cast<int>(length) : 0;
    if (!c.left) putRepeated(window, ' ', padding);
    putRun(window, text, length);
    if (c.left) putRepeated(window, ' ', padding);
}

// The plain conversions "%s", "%u" and "%d" (no flags, width, precision
// or length), which the library's rows use most.
void putPlainText(FormatWindow &window, const char *text) {
    if (text == nullptr) text = "(null)";
    putRun(window, text, std::strlen(text));
}

void putPlainDecimal(FormatWindow &window, uint64_t magnitude, bool negative) {
    char buffer[24];
    char *const bufferEnd = buffer + sizeof buffer;
    char *digits = toDigits(magnitude, 10, false, bufferEnd);
    if (negative) *--digits = '-';
    putRun(window, digits, static_cast<size_t>(bufferEnd - digits));
}

void putCharacter(FormatWindow &window, const Conversion &c, char ch) {
    const int padding = c.width > 1 ? c.width - 1 : 0;
    if (!c.left) putRepeated(window, ' ', padding);
    put(window, ch);
    if (c.left) putRepeated(window, ' ', padding);
}

const char *parseFlags(const char *p, Conversion &c) {
    for (;; ++p) {
        switch (*p) {
        case '-': c.left = true; break;
        case '+': c.plus = true; break;
        case ' ': c.space = true; break;
        case '#': c.alternate = true; break;
        case '0': c.zero = true; break;
        default: return p;
        }
    }
}

const char *parseNumber(const char *p, int &value) {
    value = 0;
    while (*p >= '0' && *p <= '9') {
        if (value < 100000000) value = value * 10 + (*p - '0');
        ++p;
    }
    return p;
}

const char *parseLength(const char *p, Length &length) {
    switch (*p) {
    case 'h':
        if (p[1] == 'h') { length = Length::Char; return p + 2; }
        length = Length::Short;
        return p + 1;
    case 'l':
        if (p[1] == 'l') { length = Length::LongLong; return p + 2; }
        length = Length::Long;
        return p + 1;
    case 'q': length = Length::LongLong; return p + 1;
    case 'j': length = Length::IntMax; return p + 1;
    case 'z': length = Length::Size; return p + 1;
    case 't': length = Length::PtrDiff; return p + 1;
    default: return p;
    }
}

// Parses one conversion after its '%'; "*" width and precision take their
// values from the arguments.
template <class Arguments>
const char *parseConversion(const char *p, Conversion &c, Arguments &arguments) {
    p = parseFlags(p, c);
    if (*p == '*') {
        c.width = arguments.nextInt();
        if (c.width < 0) {
            c.left = true;
            c.width = c.width == INT32_MIN ? INT32_MAX : -c.width;
        }
        ++p;
    } else {
        p = parseNumber(p, c.width);
    }
    if (*p == '.') {
        ++p;
        if (*p == '*') {
            c.precision = arguments.nextInt();
            if (c.precision < 0) c.precision = -1;
            ++p;
        } else {
            p = parseNumber(p, c.precision);
        }
    }
    p = parseLength(p, c.length);
    c.type = *p;
    return *p != '\0' ? p + 1 : p;
}

template <class Arguments>
void putConversion(FormatWindow &window, const Conversion &c, Arguments &arguments) {
    switch (c.type) {
    case 'd':
    case 'i': {
        const int64_t value = arguments.nextSigned(c.length);
        const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
        putInteger(window, c, magnitude, value < 0);
        break;
    }
    case 'u':
    case 'o':
    case 'x':
    case 'X': putInteger(window, c, arguments.nextUnsigned(c.length), false); break;
    case 'c': putCharacter(window, c, static_cast<char>(arguments.nextInt())); break;
    case 's': putText(window, c, arguments.nextText()); break;
    case '%': put(window, '%'); break;
    case 'n': break;  // never written: output only goes to the window
    default: break;   // unknown conversion: nothing (the generator refuses these)
    }
}

// Handles a plain conversion at p (behind its '%'); returns p behind it,
// or null when the conversion is not plain.
template <class Arguments>
const char *putPlainConversion(FormatWindow &window, const char *p, Arguments &arguments) {
    switch (*p) {
    case 's': putPlainText(window, arguments.nextText()); return p + 1;
    case 'u': putPlainDecimal(window, arguments.nextUnsigned(Length::None), false); return p + 1;
    case 'd':
    case 'i': {
        const int64_t value = arguments.nextSigned(Length::None);
        putPlainDecimal(window, value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value), value < 0);
        return p + 1;
    }
    default: return nullptr;
    }
}

template <class Arguments>
void format(FormatWindow &window, const char *p, Arguments &arguments) {
    while (*p != '\0' && !window.full()) {
        if (*p != '%') {
            const size_t run = literalRun(p);
            putRun(window, p, run);
            p += run;
            continue;
        }
        if (const char *next = putPlainConversion(window, p + 1, arguments)) {
            p = next;
            continue;
        }
        Conversion c;
        p = parseConversion(p + 1, c, arguments);
        putConversion(window, c, arguments);
    }
}

}  // namespace

void formatV(FormatWindow &window, const char *format, va_list *args) {
    VaArguments arguments(args);
    tkdec::format(window, format, arguments);
}

void formatArguments(FormatWindow &window, const char *format, const FormatArgument *arguments,
                     size_t count) {
    ArrayArguments source(arguments, count);
    tkdec::format(window, format, source);
}

}  // namespace tkdec
