#include "output/json_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define TKCLI_HAVE_SSE2 1
#else
#define TKCLI_HAVE_SSE2 0
#endif

namespace tkcli {

namespace {

// Length of the well-formed UTF-8 sequence at text[i], or 0.
size_t utf8Length(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    const uint8_t lead = byte(i);
    size_t length = 0;
    uint32_t minimum = 0, code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2, minimum = 0x80, code = lead & 0x1Fu;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3, minimum = 0x800, code = lead & 0x0Fu;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4, minimum = 0x10000, code = lead & 0x07u;
    else return 0;
    if (i + length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = code << 6 | (byte(i + k) & 0x3Fu);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < minimum || code > 0x10FFFF || surrogate ? 0 : length;
}

bool isPrintableByte(char c) {
    const auto byte = static_cast<uint8_t>(c);
    return byte >= 0x20 && byte < 0x80;
}

}  // namespace

// Every JSON record line passes through here, so it goes 64 bytes a step
// where SSE2 is there, then 16, the last step ending at the text's end
// (overlapping the one before): as signed bytes, those below 0x20 and those
// of 0x80 or more are exactly the ones less than 0x20. Elsewhere eight
// bytes a step: a byte below 0x20 borrows in the subtraction and one of
// 0x80 or more has its top bit set, either way setting a top bit of the
// test (a borrow may also fail a printable text, which then takes the
// general path).
bool isPrintableAscii(std::string_view text) {
    const char *const bytes = text.data();
    const size_t size = text.size();
#if TKCLI_HAVE_SSE2
    if (size >= 16) {
        const __m128i space = _mm_set1_epi8(0x20);
        const auto below = [&](size_t at) {
            return _mm_cmplt_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + at)), space);
        };
        __m128i found = below(size - 16);
        size_t i = 0;
        for (; i + 64 < size; i += 64) {
            const __m128i half = _mm_or_si128(below(i), below(i + 16));
            found = _mm_or_si128(found, _mm_or_si128(half, _mm_or_si128(below(i + 32), below(i + 48))));
        }
        for (; i + 16 < size; i += 16) found = _mm_or_si128(found, below(i));
        return _mm_movemask_epi8(found) == 0;
    }
#endif
    constexpr uint64_t kSpaces = 0x2020202020202020u;
    constexpr uint64_t kTopBits = 0x8080808080808080u;
    const auto fails = [&](size_t at) {
        uint64_t word;
        std::memcpy(&word, bytes + at, 8);
        return (((word - kSpaces) | word) & kTopBits) != 0;
    };
    if (size < 8) return std::all_of(text.begin(), text.end(), isPrintableByte);
    for (size_t i = 0; i + 8 < size; i += 8) {
        if (fails(i)) return false;
    }
    return !fails(size - 8);
}

namespace {

void appendUnicodeEscape(uint8_t byte, std::string &out) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out += "\\u00";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 15];
}

// Appends the escaped form of text[i] (and of the rest of its UTF-8
// sequence); returns the number of bytes consumed.
size_t appendEscapedAt(std::string_view text, size_t i, std::string &out) {
    const auto c = static_cast<uint8_t>(text[i]);
    switch (c) {
    case '"': out += "\\\""; return 1;
    case '\\': out += "\\\\"; return 1;
    case '\n': out += "\\n"; return 1;
    case '\r': out += "\\r"; return 1;
    case '\t': out += "\\t"; return 1;
    default: break;
    }
    if (c < 0x20) {
        appendUnicodeEscape(c, out);
        return 1;
    }
    if (c < 0x80) {
        out += static_cast<char>(c);
        return 1;
    }
    const size_t length = utf8Length(text, i);
    if (length == 0) {
        appendUnicodeEscape(c, out);
        return 1;
    }
    out.append(text.substr(i, length));
    return length;
}

// Bytes copied unchanged in a run: outside strings everything but a quote
// and the whitespace that would break the line, inside strings printable
// ASCII but a quote and a backslash.
bool isPlain(char c, bool inString) {
    const auto byte = static_cast<uint8_t>(c);
    if (!inString) return c != '"' && c != '\n' && c != '\r' && c != '\t';
    return byte >= 0x20 && byte < 0x80 && c != '"' && c != '\\';
}

// A recursive-descent check of JSON syntax over a cursor; depth-limited so
// that no input can exhaust the stack.
class JsonChecker {
public:
    JsonChecker(std::string_view text, bool controlsInStrings) : text_(text), controlsInStrings_(controlsInStrings) {}

    bool object() {
        blanks();
        return peek() == '{' && document();
    }
    bool document() { return value(0) && (blanks(), at_ == text_.size()); }

private:
    static constexpr int kDeepest = 200;

    char peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }
    bool take(char c) {
        blanks();
        if (peek() != c) return false;
        ++at_;
        return true;
    }
    void blanks() {
        while (at_ < text_.size() && std::strchr(" \t\r\n", text_[at_]) != nullptr && text_[at_] != '\0') ++at_;
    }

    bool value(int depth) {
        if (depth > kDeepest) return false;
        blanks();
        switch (peek()) {
        case '{': return members(depth);
        case '[': return elements(depth);
        case '"': return string();
        case 't': return word("true");
        case 'f': return word("false");
        case 'n': return word("null");
        default: return number();
        }
    }

    bool members(int depth) {
        ++at_;
        if (take('}')) return true;
        do {
            blanks();
            if (!string() || !take(':') || !value(depth + 1)) return false;
        } while (take(','));
        return take('}');
    }

    bool elements(int depth) {
        ++at_;
        if (take(']')) return true;
        do {
            if (!value(depth + 1)) return false;
        } while (take(','));
        return take(']');
    }

    bool string() {
        if (peek() != '"') return false;
        for (++at_; at_ < text_.size(); ++at_) {
            const char c = text_[at_];
            if (c == '"') {
                ++at_;
                return true;
            }
            if (c == '\\' && !escape()) return false;
            if (!controlsInStrings_ && static_cast<uint8_t>(c) < 0x20) return false;
        }
        return false;
    }

    // At the backslash; leaves at_ on the escape's last character.
    bool escape() {
        const char c = ++at_ < text_.size() ? text_[at_] : '\0';
        if (c != '\0' && std::strchr("\"\\/bfnrt", c) != nullptr) return true;
        if (c != 'u' || at_ + 4 >= text_.size()) return false;
        for (int i = 0; i < 4; ++i) {
            if (std::strchr("0123456789abcdefABCDEF", text_[++at_]) == nullptr || text_[at_] == '\0') return false;
        }
        return true;
    }

    bool word(std::string_view expected) {
        if (text_.substr(at_, expected.size()) != expected) return false;
        at_ += expected.size();
        return true;
    }

    bool digits() {
        const size_t start = at_;
        while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
        return at_ > start;
    }

    bool number() {
        if (peek() == '-') ++at_;
        if (peek() == '0') ++at_;
        else if (!digits()) return false;
        if (peek() == '.' && (++at_, !digits())) return false;
        if (peek() == 'e' || peek() == 'E') {
            ++at_;
            if (peek() == '+' || peek() == '-') ++at_;
            if (!digits()) return false;
        }
        return true;
    }

    std::string_view text_;
    bool controlsInStrings_;
    size_t at_ = 0;
};

}  // namespace

bool isJsonObject(std::string_view document) { return JsonChecker(document, true).object(); }

bool isJsonValue(std::string_view document) { return JsonChecker(document, false).document(); }

void appendJsonEscaped(std::string_view text, std::string &out) {
    size_t i = 0;
    while (i < text.size()) {
        size_t run = i;
        while (run < text.size() && isPlain(text[run], true)) ++run;
        out.append(text.substr(i, run - i));
        i = run;
        if (i < text.size()) i += appendEscapedAt(text, i, out);
    }
}

void appendJsonOneLine(std::string_view document, std::string &out) {
    // The common case: printable ASCII only, which is already one line.
    if (isPrintableAscii(document)) {
        out.append(document);
        return;
    }
    bool inString = false;
    size_t i = 0;
    while (i < document.size()) {
        size_t run = i;
        while (run < document.size() && isPlain(document[run], inString)) ++run;
        out.append(document.substr(i, run - i));
        i = run;
        if (i == document.size()) break;
        const char c = document[i];
        if (c == '"') {
            out += c;
            inString = !inString;
            ++i;
        } else if (!inString) {
            out += ' ';  // a line break or tab between tokens
            ++i;
        } else if (c == '\\' && i + 1 < document.size() &&
                   (isPlain(document[i + 1], true) || document[i + 1] == '"' || document[i + 1] == '\\')) {
            // An escape written by the library stays as it is.
            out.append(document.substr(i, 2));
            i += 2;
        } else {
            i += appendEscapedAt(document, i, out);
        }
    }
}

std::string prettyJson(std::string_view document) {
    std::string out;
    int depth = 0;
    bool inString = false;
    const auto newline = [&] {
        out += '\n';
        out.append(static_cast<size_t>(depth > 0 ? depth : 0) * 2, ' ');
    };
    for (size_t i = 0; i < document.size(); ++i) {
        const char c = document[i];
        if (inString) {
            out += c;
            if (c == '\\' && i + 1 < document.size()) out += document[++i];
            else if (c == '"') inString = false;
            continue;
        }
        switch (c) {
        case '"': inString = true; out += c; break;
        case '{':
        case '[':
            out += c;
            if (i + 1 < document.size() && (document[i + 1] == '}' || document[i + 1] == ']')) {
                out += document[++i];
                break;
            }
            ++depth;
            newline();
            break;
        case '}':
        case ']': --depth; newline(); out += c; break;
        case ',': out += c; newline(); break;
        case ' ':
        case '\n':
        case '\r':
        case '\t': break;
        case ':': out += ": "; break;
        default: out += c; break;
        }
    }
    return out;
}

}  // namespace tkcli
