// The byte layouts of the fuzz inputs: a fixed little-endian header, then
// the texts or payload. Simple layouts let make_seeds write seeds from the
// reference build, and let the fuzzer's mutations stay meaningful.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

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
    // The next count bytes, or fewer at the end of the input.
    const uint8_t *bytes(size_t count, size_t *taken) {
        const uint8_t *start = rest();
        *taken = count < restSize() ? count : restSize();
        next_ += *taken;
        return start;
    }
    // A text up to the next NUL or the end of the input.
    const char *text(size_t *length) {
        const uint8_t *start = rest();
        const void *nul = std::memchr(start, 0, restSize());
        *length = nul != nullptr ? static_cast<const uint8_t *>(nul) - start : restSize();
        next_ += *length + 1;
        return reinterpret_cast<const char *>(start);
    }
    const uint8_t *rest() const { return next_ < size_ ? data_ + next_ : data_ + size_; }
    size_t restSize() const { return next_ < size_ ? size_ - next_ : 0; }

private:
    const uint8_t *data_;
    size_t size_;
    size_t next_ = 0;
};

// A copy of input bytes in an allocation of exactly their size, so that
// ASan catches a read behind the last byte. Empty input gives a null data().
class ExactBytes {
public:
    ExactBytes(const uint8_t *bytes, size_t size) : size_(size), bytes_(size != 0 ? new uint8_t[size] : nullptr) {
        if (size != 0) std::memcpy(bytes_.get(), bytes, size);
    }
    const uint8_t *data() const { return bytes_.get(); }
    const uint8_t *end() const { return bytes_.get() + size_; }
    size_t size() const { return size_; }

private:
    size_t size_;
    std::unique_ptr<uint8_t[]> bytes_;
};

// A NUL-terminated text in an allocation of exactly its length + 1.
class ExactText {
public:
    explicit ExactText(InputReader &input) {
        size_t length = 0;
        const char *text = input.text(&length);
        text_.reset(new char[length + 1]);
        if (length != 0) std::memcpy(text_.get(), text, length);
        text_[length] = '\0';
    }
    const char *get() const { return text_.get(); }

private:
    std::unique_ptr<char[]> text_;
};

// Up to 64 KiB, the size of the host's payload and output buffers: three
// input bytes, so that every size from 0 to 65,536 can be chosen.
inline uint32_t takeSize(InputReader &input) { return input.take(3) % 65537; }

}  // namespace fuzzing
