#include "host_report.h"

#include <charconv>

namespace host {
namespace {

void appendEscaped(std::string &out, char c) {
    static const char digits[] = "0123456789abcdef";
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
        out += "\\\\";
    } else if (c == '\0') {
        out += "\\0";
    } else if (byte >= 0x20 && byte < 0x7f) {
        out += c;
    } else {
        out += "\\x";
        out += digits[byte >> 4];
        out += digits[byte & 15];
    }
}

void appendHex(std::string &out, char c) {
    static const char digits[] = "0123456789abcdef";
    const auto byte = static_cast<unsigned char>(c);
    out += digits[byte >> 4];
    out += digits[byte & 15];
}

// Length of the bytes in [begin, end) up to the last one that differs
// from the fill; the rest was left untouched.
size_t touchedLength(const char *begin, const char *end) {
    size_t length = static_cast<size_t>(end - begin);
    while (length > 0 && begin[length - 1] == Buffer::kFill) --length;
    return length;
}

// "  label[size]: " and the bytes that the call wrote, each written by
// put, then how many bytes it left untouched, and the guard behind.
template <class Put>
std::string dump(const char *label, const Buffer &buffer, Put put) {
    std::string out = "  ";
    out += label;
    if (buffer.null()) return out + ": null";
    out += '[';
    out += number(buffer.size());
    out += "]: ";
    const char *const begin = buffer.all().data();
    const char *const guard = begin + buffer.size();
    const size_t touched = touchedLength(begin, guard);
    for (size_t i = 0; i < touched; ++i) put(out, begin[i]);
    if (touched < buffer.size()) {
        out += " (";
        out += number(static_cast<int64_t>(buffer.size() - touched));
        out += " untouched)";
    }
    const size_t guardTouched = touchedLength(guard, guard + Buffer::kGuard);
    if (guardTouched == 0) return out + " | guard untouched";
    out += " | guard: ";
    for (size_t i = 0; i < Buffer::kGuard; ++i) put(out, guard[i]);
    return out;
}

}  // namespace

std::string number(int64_t value) {
    char text[24];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return std::string(text, end);
}

std::string hexNumber(uint64_t value) {
    char text[24];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value, 16);
    return std::string("0x") + std::string(text, end);
}

std::string quoted(const char *text) {
    if (text == nullptr) return "null";
    std::string out = "\"";
    for (const char *p = text; *p != '\0'; ++p) appendEscaped(out, *p);
    return out + "\"";
}

std::string arguments(std::initializer_list<std::string> items) {
    std::string out;
    for (const std::string &item : items) {
        if (!out.empty()) out += ", ";
        out += item;
    }
    return out;
}

void Report::call(const std::string &name, const std::string &args, int64_t result) {
    line(name + "(" + args + ") = " + number(result));
}

void Report::stored(const char *label, uint64_t value) {
    line(std::string("  ") + label + ": " + number(static_cast<int64_t>(value)));
}

void Report::text(const char *label, const Buffer &buffer) {
    line(dump(label, buffer, appendEscaped));
}

void Report::hex(const char *label, const Buffer &buffer) {
    line(dump(label, buffer, [](std::string &out, char c) {
        if (out.back() != ' ') out += ' ';
        appendHex(out, c);
    }));
}

void Report::line(const std::string &text) {
    contents_ += text;
    contents_ += '\n';
}

}  // namespace host
