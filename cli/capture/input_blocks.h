// A window over an input stream. Each read takes what is there, so a
// record is available as soon as its last byte arrives; a regular file is
// read in large blocks.
#ifndef TKDEC_CLI_INPUT_BLOCKS_H
#define TKDEC_CLI_INPUT_BLOCKS_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tkcli {

class InputBlocks {
public:
    static constexpr size_t kBlockSize = size_t{1} << 20;

    // follow: at the end of the input wait for more, as tail -f does, until
    // Ctrl-C.
    InputBlocks(int descriptor, bool follow) : descriptor_(descriptor), follow_(follow) {}

    // Follows the file at path as tail -F does: when it is truncated, or
    // another file takes its path, reading starts again at the start of the
    // new content; the bytes of a record cut there are dropped. notice is
    // told of each, as one line.
    void followPath(std::string path, std::function<void(const std::string &)> notice);
    // Counts the restarts: a reader expects a file header again.
    uint64_t restarts() const { return restarts_; }

    // Makes at least count bytes available at data(). Returns false when the
    // input ends (or fails) first; what there is stays available.
    bool fill(size_t count) { return available() >= count || fillFromInput(count); }
    // Reads what arrives behind what is available; false at the end.
    bool more() { return fill(available() + 1); }

    // Reads a regular file from this byte offset on, what was read before
    // let go; false when the file cannot be positioned there.
    bool seek(uint64_t offset);

    const uint8_t *data() const { return buffer_.data() + begin_; }
    size_t available() const { return end_ - begin_; }
    void consume(size_t count) {
        begin_ += count;
        offset_ += count;
    }

    // Stream offset of data(), and the number of bytes read so far.
    uint64_t offset() const { return offset_; }
    uint64_t bytesRead() const { return offset_ + available(); }
    bool ended() const { return ended_; }
    bool failed() const { return failed_; }
    int readErrno() const { return errno_; }

private:
    bool fillFromInput(size_t count);
    void readMore();
    void checkFollowedFile();
    void restart(const char *what);

    int descriptor_;
    bool follow_;
    std::vector<uint8_t> buffer_;
    size_t begin_ = 0;
    size_t end_ = 0;
    uint64_t offset_ = 0;
    bool ended_ = false;
    bool failed_ = false;
    int errno_ = 0;
    std::string path_;
    std::function<void(const std::string &)> notice_;
    uint64_t fileOffset_ = 0;  // of the next byte read from the file
    uint64_t restarts_ = 0;
};

}  // namespace tkcli

#endif
