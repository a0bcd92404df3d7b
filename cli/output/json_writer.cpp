#include "output/json_writer.h"

#include <charconv>

#include "output/json_text.h"

namespace tkcli {

void JsonWriter::separate() {
    if (afterValue_) out_ += ',';
    afterValue_ = true;
}

JsonWriter &JsonWriter::open(char bracket) {
    separate();
    out_ += bracket;
    afterValue_ = false;
    return *this;
}

JsonWriter &JsonWriter::close(char bracket) {
    out_ += bracket;
    afterValue_ = true;
    return *this;
}

JsonWriter &JsonWriter::key(std::string_view name) {
    string(name);
    out_ += ':';
    afterValue_ = false;
    return *this;
}

JsonWriter &JsonWriter::string(std::string_view text) {
    separate();
    out_ += '"';
    appendJsonEscaped(text, out_);
    out_ += '"';
    return *this;
}

JsonWriter &JsonWriter::stringOrNull(const char *text) { return text != nullptr ? string(text) : null(); }

JsonWriter &JsonWriter::number(uint64_t value) {
    separate();
    char digits[24];
    out_.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
    return *this;
}

JsonWriter &JsonWriter::boolean(bool value) {
    separate();
    out_ += value ? "true" : "false";
    return *this;
}

JsonWriter &JsonWriter::null() {
    separate();
    out_ += "null";
    return *this;
}

JsonWriter &JsonWriter::id(uint32_t value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    char text[10] = {'0', 'x'};
    for (int i = 0; i < 8; ++i) text[2 + i] = kDigits[value >> (28 - 4 * i) & 15];
    return string({text, sizeof text});
}

JsonWriter &JsonWriter::document(std::string_view json) {
    separate();
    appendJsonOneLine(json, out_);
    return *this;
}

}  // namespace tkcli
