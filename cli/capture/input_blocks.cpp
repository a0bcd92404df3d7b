#include "capture/input_blocks.h"

#include <cerrno>
#include <cstring>

#include "base/platform.h"

namespace tkcli {

bool InputBlocks::fillFromInput(size_t count) {
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
        readMore();
    }
    return available() >= count;
}

void InputBlocks::readMore() {
    if (interrupted()) {
        ended_ = true;
        return;
    }
    const long got = readSome(descriptor_, buffer_.data() + end_, buffer_.size() - end_);
    if (got > 0) {
        end_ += static_cast<size_t>(got);
    } else if (got == 0 && follow_) {
        pauseBriefly();  // the file may still grow
    } else if (got == 0 || errno != EINTR) {
        ended_ = true;
        failed_ = got < 0;
        errno_ = errno;
    }
}

}  // namespace tkcli
