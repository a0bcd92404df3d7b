// The tool's one JSON writer: objects and arrays nested, keys, strings
// escaped (and any byte that is not well-formed UTF-8 written \u00XX),
// numbers, and the library's own JSON texts passed through byte for byte
// on one line. Serves JSON Lines, --with-meta JSON and inspect --json.
#ifndef TKDEC_CLI_JSON_WRITER_H
#define TKDEC_CLI_JSON_WRITER_H

#include <cstdint>
#include <string>
#include <string_view>

namespace tkcli {

class JsonWriter {
public:
    // Appends to out.
    explicit JsonWriter(std::string &out) : out_(out) {}

    JsonWriter &beginObject() { return open('{'); }
    JsonWriter &endObject() { return close('}'); }
    JsonWriter &beginArray() { return open('['); }
    JsonWriter &endArray() { return close(']'); }
    // The member name: a value must follow.
    JsonWriter &key(std::string_view name);

    JsonWriter &string(std::string_view text);
    // A string, or null where text is null.
    JsonWriter &stringOrNull(const char *text);
    JsonWriter &number(uint64_t value);
    JsonWriter &boolean(bool value);
    JsonWriter &null();
    // A record id as a string: "0x" and eight lower-case hex digits.
    JsonWriter &id(uint32_t value);
    // A JSON text of the library, laid on one line and otherwise unchanged.
    JsonWriter &document(std::string_view json);

private:
    void separate();
    JsonWriter &open(char bracket);
    JsonWriter &close(char bracket);

    std::string &out_;
    bool afterValue_ = false;  // the next value needs a comma before it
};

}  // namespace tkcli

#endif
