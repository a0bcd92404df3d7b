#include "output/output_stream.h"

#include <cerrno>

namespace tkcli {

bool OutputStream::flush() {
    if (failed_) {
        pending_.clear();
        return false;
    }
    if (take_) {
        if (pending_.empty()) return true;
        // A full buffer changes hands; a line or two is copied.
        std::string text;
        if (pending_.size() >= kFlushSize) {
            text.reserve(2 * kFlushSize);
            text.swap(pending_);
        } else {
            text = pending_;
            pending_.clear();
        }
        failed_ = !take_(std::move(text));
        return !failed_;
    }
    errno = 0;
    failed_ = std::fwrite(pending_.data(), 1, pending_.size(), file_) != pending_.size() || std::fflush(file_) != 0;
    if (failed_) errno_ = errno;
    pending_.clear();
    return !failed_;
}

}  // namespace tkcli
