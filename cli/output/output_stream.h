// Buffered output: texts collect in memory and leave in large writes.
#ifndef TKDEC_CLI_OUTPUT_STREAM_H
#define TKDEC_CLI_OUTPUT_STREAM_H

#include <cstdio>
#include <string>
#include <string_view>

namespace tkcli {

class OutputStream {
public:
    static constexpr size_t kFlushSize = size_t{1} << 20;

    explicit OutputStream(std::FILE *file) : file_(file) { pending_.reserve(2 * kFlushSize); }
    ~OutputStream() { flush(); }
    OutputStream(const OutputStream &) = delete;
    OutputStream &operator=(const OutputStream &) = delete;

    // The buffer to append to; call written() after appending.
    std::string &buffer() { return pending_; }
    void written() {
        if (pending_.size() >= kFlushSize) flush();
    }
    void write(std::string_view text) {
        pending_.append(text);
        written();
    }

    // Writes what is pending; false once any write failed.
    bool flush();
    bool failed() const { return failed_; }
    int writeErrno() const { return errno_; }

private:
    std::FILE *file_;
    std::string pending_;
    bool failed_ = false;
    int errno_ = 0;
};

}  // namespace tkcli

#endif
