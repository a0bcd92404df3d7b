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
        std::string text(pending_.view());
        pending_.clear();
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
