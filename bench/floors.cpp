#include "floors.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "records/argument_reader.h"
#include "records/token_formatter.h"

namespace tkdec::bench {
namespace {

bool isIdentifier(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool isHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }
bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

void literal(Floor &floor, char c) {
    if (c == '%') floor.format += '%';
    floor.format += c;
}

void textSlot(Floor &floor, std::string text) {
    floor.texts.push_back(std::move(text));
    floor.slots.push_back(reinterpret_cast<uintptr_t>(floor.texts.back().c_str()));
    ++floor.conversions;
}

void numberSlot(Floor &floor, uint64_t value) {
    floor.slots.push_back(value);
    ++floor.conversions;
}

size_t stringEnd(const std::string &text, size_t quote) {
    size_t i = quote + 1;
    while (i < text.size() && text[i] != '"') i += text[i] == '\\' ? 2 : 1;
    return i;
}

bool keyFollows(const std::string &text, size_t i) {
    while (i < text.size() && text[i] == ' ') ++i;
    return i < text.size() && text[i] == ':';
}

// A JSON string at i: a key stays text, a value becomes "%s". Returns the
// index behind it.
size_t jsonString(Floor &floor, const std::string &text, size_t i) {
    const size_t end = stringEnd(text, i);
    if (keyFollows(text, end + 1)) {
        for (size_t k = i; k <= end && k < text.size(); ++k) literal(floor, text[k]);
    } else {
        floor.format += "\"%s\"";
        textSlot(floor, text.substr(i + 1, end - i - 1));
    }
    return end + 1;
}

// A number at i (decimal, or 0x and hexadecimal digits) as one conversion
// that prints it the same way; returns i when there is none.
size_t number(Floor &floor, const std::string &text, size_t i) {
    if (text.compare(i, 2, "0x") == 0 && i + 2 < text.size() && isHex(text[i + 2])) {
        size_t end = i + 2;
        bool upper = false;
        while (end < text.size() && isHex(text[end])) upper = upper || std::isupper(static_cast<unsigned char>(text[end++]));
        if (end < text.size() && isIdentifier(text[end])) return i;
        floor.format += "0x%." + std::to_string(end - i - 2) + (upper ? "llX" : "llx");
        numberSlot(floor, std::strtoull(text.c_str() + i + 2, nullptr, 16));
        return end;
    }
    const size_t digits = i + (text[i] == '-' ? 1 : 0);
    if (digits >= text.size() || !isDigit(text[digits])) return i;
    size_t end = digits;
    while (end < text.size() && isDigit(text[end])) ++end;
    if ((end < text.size() && (isIdentifier(text[end]) || text[end] == '.')) || (text[digits] == '0' && end - digits > 1))
        return i;
    floor.format += "%lld";
    numberSlot(floor, static_cast<uint64_t>(std::strtoll(text.c_str() + i, nullptr, 10)));
    return end;
}

// A name behind "=" (text) or ">" (XML) as one "%s".
size_t name(Floor &floor, const std::string &text, size_t i, bool xml) {
    size_t end = i;
    while (end < text.size() && (xml ? text[end] != '<' && text[end] != ' ' : isIdentifier(text[end]))) ++end;
    if (end == i) return i;
    floor.format += "%s";
    textSlot(floor, text.substr(i, end - i));
    return end;
}

}  // namespace

int runFloor(const Floor &floor, char *out, size_t size) {
#if defined(__x86_64__) && !defined(_WIN32)
    // A va_list whose register save area is used up, so that every
    // argument comes from the slot array: one vsnprintf call with any
    // number of conversions (the System V x86-64 calling convention).
    struct VaListTag {
        unsigned gpOffset;
        unsigned fpOffset;
        const void *overflowArea;
        void *registerSaveArea;
    };
    static_assert(sizeof(va_list) == sizeof(VaListTag));
    va_list args;
    VaListTag *tag = reinterpret_cast<VaListTag *>(&args[0]);
    tag->gpOffset = 48;
    tag->fpOffset = 304;
    tag->overflowArea = floor.slots.data();
    tag->registerSaveArea = nullptr;
    return std::vsnprintf(out, size, floor.format.c_str(), args);
#else
#error "the floors build their argument lists for the System V x86-64 calling convention"
#endif
}

Floor tokenFloor(const Sample &sample) {
    Floor floor;
    const TokenRecord &record = *sample.record;
    const Bytes &payload = sample.payload;
    uint32_t arguments[kMaxArguments] = {};
    readArguments(static_cast<uint32_t>(payload.size()), payload.data(), arguments, record.argumentCount, nullptr,
                  nullptr, UF_AsText);
    const size_t words = 4 * static_cast<size_t>(record.argumentCount);
    const uint8_t *extended = payload.data() + (words < payload.size() ? words : payload.size());
    floor.scratch.resize(kFormatterScratchSize + kNoOptionBufferSize);
    char *scratchPos = floor.scratch.data();
    FormatArgument values[kMaxConversions];
    const uint32_t count = formatterValues(record.formatter, extended, payload.data() + payload.size(), arguments,
                                           record.argumentCount, UF_AsText, &scratchPos, floor.scratch.data() + kFormatterScratchSize,
                                           floor.scratch.data() + kFormatterScratchSize, values);
    floor.format = record.formatter.format;
    for (uint32_t i = 0; i < count; ++i)
        floor.slots.push_back(values[i].text != nullptr ? reinterpret_cast<uintptr_t>(values[i].text) : values[i].number);
    floor.conversions = count;
    return floor;
}

Floor traceFloor(const std::string &output) {
    Floor floor;
    floor.format = "%s -> (%s) -> %s";
    const size_t first = output.find(" -> (");
    const size_t second = output.rfind(") -> ");
    textSlot(floor, output.substr(0, first));
    textSlot(floor, output.substr(first + 5, second - first - 5));
    textSlot(floor, output.substr(second + 5));
    return floor;
}

Floor documentFloor(const std::string &output, OutputFormat format) {
    Floor floor;
    const bool json = format == UF_AsJson || format == UF_AsLongJson;
    size_t i = 0;
    while (i < output.size()) {
        const char c = output[i];
        const char before = i > 0 ? output[i - 1] : '\0';
        if (json && c == '"') {
            i = jsonString(floor, output, i);
            continue;
        }
        if (!isIdentifier(before)) {
            size_t next = number(floor, output, i);
            if (next == i && !json && (before == '=' || (before == '>' && format == UF_AsXml)))
                next = name(floor, output, i, format == UF_AsXml);
            if (next != i) {
                i = next;
                continue;
            }
        }
        literal(floor, c);
        ++i;
    }
    return floor;
}

Floor floorOf(const Sample &sample, OutputFormat format, const std::string &output) {
    if (sample.kind == SampleKind::Token && format == UF_AsText) return tokenFloor(sample);
    if (sample.kind == SampleKind::Trace) return traceFloor(output);
    return documentFloor(output, format);
}

}  // namespace tkdec::bench
