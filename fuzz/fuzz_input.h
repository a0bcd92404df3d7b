// The byte layouts of the fuzz inputs: a fixed little-endian header, then
// the texts or payload. Simple layouts let make_corpus.py write seeds from
// the reference build, and let the fuzzer's mutations stay meaningful.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzing {

class InputReader {
public:
    InputReader(const uint8_t *data, size_t size) : data_(data), size_(size) {}

    uint32_t take(size_t bytes) {
        uint32_t value = 0;
        for (size_t i = 0; i < bytes; ++i, ++next_)
            if (next_ < size_) value |= static_cast<uint32_t>(data_[next_]) << (8 * i);
        return value;
    }
    // A text up to the next NUL or the end of the input.
    std::string text() {
        std::string out;
        while (next_ < size_ && data_[next_] != 0) out += static_cast<char>(data_[next_++]);
        ++next_;
        return out;
    }
    const uint8_t *rest() const { return next_ < size_ ? data_ + next_ : data_ + size_; }
    size_t restSize() const { return next_ < size_ ? size_ - next_ : 0; }

private:
    const uint8_t *data_;
    size_t size_;
    size_t next_ = 0;
};

}  // namespace fuzzing
