// Buffered output: texts collect in memory and leave in large writes.
#ifndef TKDEC_CLI_OUTPUT_STREAM_H
#define TKDEC_CLI_OUTPUT_STREAM_H

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "output/text_buffer.h"

namespace tkcli {

class OutputStream {
public:
    static constexpr size_t kFlushSize = size_t{1} << 20;

    explicit OutputStream(std::FILE *file) : file_(file) { pending_.reserve(2 * kFlushSize); }
    // Hands each flushed text whole to take instead of writing it; take
    // returns false when it can go nowhere.
    explicit OutputStream(std::function<bool(std::string text)> take) : file_(nullptr), take_(std::move(take)) {
        pending_.reserve(2 * kFlushSize);
    }
    ~OutputStream() { flush(); }
    OutputStream(const OutputStream &) = delete;
    OutputStream &operator=(const OutputStream &) = delete;

    // The buffer to append to; call written() after appending.
    TextBuffer &buffer() { return pending_; }
    void written() {
        if (pending_.size() >= kFlushSize) flush();
    }
    void write(std::string_view text) {
        pending_ += text;
        written();
    }

    // Writes what is pending; false once any write failed.
    bool flush();
    bool failed() const { return failed_; }
    int writeErrno() const { return errno_; }

private:
    std::FILE *file_;
    std::function<bool(std::string)> take_;
    TextBuffer pending_;
    bool failed_ = false;
    int errno_ = 0;
};

}  // namespace tkcli

#endif
