#include "base/diagnostics.h"

#include <cstdarg>
#include <cstdio>

namespace tkcli {

namespace {

std::string formatList(const char *format, std::va_list arguments) {
    std::va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, arguments);
    text.pop_back();
    return text;
}

}  // namespace

std::string formatText(const char *format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    std::string text = formatList(format, arguments);
    va_end(arguments);
    return text;
}

int report(int code, const char *format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    const std::string text = formatList(format, arguments);
    va_end(arguments);
    std::fflush(stdout);
    std::fprintf(stderr, "tkdec: %s\n", text.c_str());
    return code;
}

std::string quoted(std::string_view text) {
    static constexpr size_t kLongest = 40;
    std::string out = "\"";
    for (size_t i = 0; i < text.size() && i < kLongest; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') out += formatText("\\x%02x", c);
        else out += static_cast<char>(c);
    }
    if (text.size() > kLongest) out += "...";
    out += '"';
    return out;
}

}  // namespace tkcli
