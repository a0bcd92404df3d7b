// Scanning of the encoder's input texts: character classes and the number
// and identifier conversions ("%i%n", " %[a-zA-Z0-9_]%n"). Written by hand
// so that parsing depends on no locale and allocates nothing.
#pragma once

#include <cstdint>

namespace tkdec {

// ASCII classes: whitespace is space, \t, \n, \v, \f and \r.
inline bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }
inline bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
inline bool isIdentifierChar(char c) { return isLetter(c) || isDigit(c) || c == '_'; }

inline const char *skipSpace(const char *text) {
    while (isSpace(*text)) ++text;
    return text;
}

struct NumberScan {
    bool found;
    uint32_t value;   // modulo 2^32; a leading '-' negates it
    uint32_t length;  // characters consumed, leading whitespace included
};

// "%i": optional whitespace, an optional sign, then a hexadecimal number
// after 0x or 0X, an octal number after a leading 0, or a decimal number.
// A "0x" without a hexadecimal digit behind it reads as the number 0.
// Texts beginning with 0x read the same as with "%x", so this one scan
// serves both conversions.
NumberScan scanNumber(const char *text);

// The longest identifiers that the enumerator name parser reads.
inline constexpr uint32_t kMaxIdentifierLength = 127;

struct IdentifierScan {
    bool found;
    uint32_t offset;  // of the identifier's first character
    uint32_t length;  // of the identifier
};

// " %[a-zA-Z0-9_]": optional whitespace, then the longest run of letters,
// digits and '_'. A run longer than kMaxIdentifierLength is not found.
IdentifierScan scanIdentifier(const char *text);

}  // namespace tkdec
