// JSON texts of the tool: string escaping, one-line and pretty layouts.
#ifndef TKDEC_CLI_JSON_TEXT_H
#define TKDEC_CLI_JSON_TEXT_H

#include <string>
#include <string_view>

namespace tkcli {

// Appends text as the contents of a JSON string (without the quotes):
// quotes, backslashes and control characters escaped, and every byte that is
// not part of a well-formed UTF-8 sequence written as \u00XX, so the result
// is valid JSON whatever the bytes.
void appendJsonEscaped(std::string_view text, std::string &out);

// Whether every byte is printable ASCII (0x20 to 0x7F): such a document is
// already one line, and holds no NUL.
bool isPrintableAscii(std::string_view text);

// Appends a JSON document on one line: line breaks and tabs between tokens
// become blanks, control characters inside strings are escaped as by
// appendJsonEscaped. Everything else is copied unchanged.
void appendJsonOneLine(std::string_view document, std::string &out);

// Whether the document is one JSON object (blanks around it allowed).
// Bytes inside strings are not judged: appendJsonOneLine makes any of them
// valid.
bool isJsonObject(std::string_view document);

// Whether the document is one JSON value (blanks around it allowed) whose
// strings hold no raw control character: what the library must write.
bool isJsonValue(std::string_view document);

// Indents a compact JSON document, two blanks per level.
std::string prettyJson(std::string_view document);

}  // namespace tkcli

#endif
