// An output buffer between guard bytes, for the fuzz targets and the unit
// tests: a fuzz target traps as soon as a call wrote outside the size it
// was given, a test asks guardsIntact(). The buffer itself starts filled
// with the guard byte too, so that a target can tell which bytes a call
// wrote.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace fuzzing {

constexpr size_t kGuardSize = 64;
constexpr uint8_t kGuardByte = 0xA5;

class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t size) : size_(size), bytes_(new uint8_t[size + 2 * kGuardSize]) {
        std::memset(bytes_, kGuardByte, size + 2 * kGuardSize);
    }
    ~GuardedBuffer() {
        checkGuards();
        delete[] bytes_;
    }
    GuardedBuffer(const GuardedBuffer &) = delete;
    GuardedBuffer &operator=(const GuardedBuffer &) = delete;

    char *text() { return reinterpret_cast<char *>(bytes_ + kGuardSize); }
    uint8_t *data() { return bytes_ + kGuardSize; }
    char *textEnd() { return text() + size_; }
    size_t size() const { return size_; }

    bool guardsIntact() const {
        for (size_t i = 0; i < kGuardSize; ++i) {
            if (bytes_[i] != kGuardByte || bytes_[kGuardSize + size_ + i] != kGuardByte) return false;
        }
        return true;
    }
    void checkGuards() const {
        if (!guardsIntact()) std::abort();
    }

    // True when a NUL lies among the first n bytes.
    bool hasTerminatorWithin(size_t n) const { return std::memchr(bytes_ + kGuardSize, 0, n) != nullptr; }

    // True when no call wrote into the buffer's first n bytes.
    bool untouchedWithin(size_t n) const {
        for (size_t i = 0; i < n; ++i)
            if (bytes_[kGuardSize + i] != kGuardByte) return false;
        return true;
    }
    bool untouched() const { return untouchedWithin(size_); }

    bool sameBytes(const GuardedBuffer &other) const {
        return size_ == other.size_ && std::memcmp(bytes_, other.bytes_, size_ + 2 * kGuardSize) == 0;
    }

private:
    size_t size_;
    uint8_t *bytes_;
};

inline void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace fuzzing
