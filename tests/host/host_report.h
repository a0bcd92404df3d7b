// The host test's report: one line per call with its arguments and
// result, followed by what the call wrote. Two runs of the same calls,
// one per platform, must produce the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace host {

// The bytes that a call may write: its size plus a guard behind it, all
// filled with kFill beforehand, so that a write past the size shows in the
// report. A "null" buffer hands the call a null pointer instead.
class Buffer {
public:
    static constexpr char kFill = '\xa5';
    static constexpr size_t kGuard = 4;

    explicit Buffer(uint32_t size, bool null = false)
        : bytes_(size + kGuard, kFill), size_(size), null_(null) {}
    char *data() { return null_ ? nullptr : bytes_.data(); }
    uint8_t *bytes() { return reinterpret_cast<uint8_t *>(data()); }
    uint32_t size() const { return size_; }
    bool null() const { return null_; }
    const std::vector<char> &all() const { return bytes_; }

private:
    std::vector<char> bytes_;
    uint32_t size_;
    bool null_;
};

// Texts of arguments for the call lines.
std::string number(int64_t value);
std::string hexNumber(uint64_t value);
std::string quoted(const char *text);  // "text" with escapes, or null
std::string arguments(std::initializer_list<std::string> items);  // "a, b, c"

class Report {
public:
    // Starts the entry of one call: "name(arguments) = result".
    void call(const std::string &name, const std::string &arguments, int64_t result);
    // A value that the call stored through a pointer.
    void stored(const char *label, uint64_t value);
    // The buffer as text: printable bytes as they are, others escaped;
    // the guard follows a " | ".
    void text(const char *label, const Buffer &buffer);
    // The buffer as hexadecimal bytes (binary output); the guard follows a " | ".
    void hex(const char *label, const Buffer &buffer);
    // A free line, for notes that are the same on every platform.
    void line(const std::string &text);

    const std::string &contents() const { return contents_; }

private:
    std::string contents_;
};

}  // namespace host
