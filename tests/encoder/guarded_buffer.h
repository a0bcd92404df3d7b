// A payload window with guard bytes on both sides: tests check that the
// encoder wrote nothing outside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace enctest {

class GuardedBuffer {
public:
    static constexpr size_t kGuard = 16;
    static constexpr uint8_t kGuardByte = 0xA5;

    explicit GuardedBuffer(size_t size, uint8_t fill = 0xEE) : bytes_(size + 2 * kGuard, kGuardByte) {
        for (size_t i = 0; i < size; ++i) bytes_[kGuard + i] = fill;
    }

    uint8_t *start() { return bytes_.data() + kGuard; }
    uint8_t *end() { return bytes_.data() + bytes_.size() - kGuard; }
    size_t size() const { return bytes_.size() - 2 * kGuard; }

    std::vector<uint8_t> contents() const {
        return std::vector<uint8_t>(bytes_.begin() + kGuard, bytes_.end() - kGuard);
    }

    bool guardsIntact() const {
        for (size_t i = 0; i < kGuard; ++i)
            if (bytes_[i] != kGuardByte || bytes_[bytes_.size() - 1 - i] != kGuardByte) return false;
        return true;
    }

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace enctest
