// A window over an input stream. Each read takes what is there, so a
// record is available as soon as its last byte arrives; a regular file is
// read in large blocks.
#ifndef TKDEC_CLI_INPUT_BLOCKS_H
#define TKDEC_CLI_INPUT_BLOCKS_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tkcli {

class InputBlocks {
public:
    static constexpr size_t kBlockSize = size_t{1} << 20;

    // follow: at the end of the input wait for more, as tail -f does, until
    // Ctrl-C.
    InputBlocks(int descriptor, bool follow) : descriptor_(descriptor), follow_(follow) {}

    // Makes at least count bytes available at data(). Returns false when the
    // input ends (or fails) first; what there is stays available.
    bool fill(size_t count) { return available() >= count || fillFromInput(count); }
    // Reads what arrives behind what is available; false at the end.
    bool more() { return fill(available() + 1); }

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

    int descriptor_;
    bool follow_;
    std::vector<uint8_t> buffer_;
    size_t begin_ = 0;
    size_t end_ = 0;
    uint64_t offset_ = 0;
    bool ended_ = false;
    bool failed_ = false;
    int errno_ = 0;
};

}  // namespace tkcli

#endif
