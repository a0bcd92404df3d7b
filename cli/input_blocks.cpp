#include "input_blocks.h"

#include <cerrno>
#include <cstring>

namespace tkcli {

bool InputBlocks::fill(size_t count) {
    if (available() >= count) return true;
    if (ended_) return false;
    // Keep the window at the start of the buffer, and make room for the
    // wanted bytes rounded up to whole blocks.
    if (begin_ != 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, available());
        end_ -= begin_;
        begin_ = 0;
    }
    // The buffer grows with the data that actually arrives, never ahead of
    // it, so a record that announces gigabytes costs memory only as far as
    // the input holds them.
    const size_t wanted = (count + kBlockSize - 1) / kBlockSize * kBlockSize;
    while (end_ < count && !ended_) {
        if (end_ == buffer_.size()) {
            const size_t doubled = buffer_.size() < kBlockSize ? kBlockSize : buffer_.size() * 2;
            buffer_.resize(doubled < wanted ? doubled : wanted);
        }
        errno = 0;
        const size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
        end_ += got;
        if (got == 0 || std::feof(file_) || std::ferror(file_)) {
            ended_ = true;
            failed_ = std::ferror(file_) != 0;
            errno_ = errno;
        }
    }
    return available() >= count;
}

}  // namespace tkcli
