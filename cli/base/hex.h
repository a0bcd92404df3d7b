// Hexadecimal byte texts: "02 00 c4 2c" or "0200c42c".
#ifndef TKDEC_CLI_HEX_H
#define TKDEC_CLI_HEX_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tkcli {

// Value of one hexadecimal digit, or -1.
int hexDigit(char c);

// Appends the bytes of a text of blank-separated groups, each an even number
// of hexadecimal digits. On a bad group returns false and sets badGroup to it.
bool parseHexBytes(std::string_view text, std::vector<uint8_t> &bytes, std::string_view &badGroup);

// Appends the bytes as lower-case pairs separated by one blank.
void appendHexBytes(const uint8_t *bytes, size_t count, std::string &out);

// Reads an unsigned number, decimal or with a 0x prefix, that is at most
// maximum; the whole text must be the number.
bool parseUnsigned(std::string_view text, uint64_t maximum, uint64_t &value);

}  // namespace tkcli

#endif
