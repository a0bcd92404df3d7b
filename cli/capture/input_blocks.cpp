#include "capture/input_blocks.h"

#include <cerrno>
#include <cstring>

#include "base/diagnostics.h"
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

bool InputBlocks::seek(uint64_t offset) {
    if (!seekDescriptor(descriptor_, offset)) return false;
    begin_ = end_ = 0;
    offset_ = fileOffset_ = offset;
    ended_ = failed_ = false;
    return true;
}

void InputBlocks::readMore() {
    if (interrupted()) {
        ended_ = true;
        return;
    }
    const long got = readSome(descriptor_, buffer_.data() + end_, buffer_.size() - end_);
    if (got > 0) {
        end_ += static_cast<size_t>(got);
        fileOffset_ += static_cast<uint64_t>(got);
    } else if (got == 0 && follow_) {
        pauseBriefly();  // the file may still grow
        if (!path_.empty()) checkFollowedFile();
    } else if (got == 0 || errno != EINTR) {
        ended_ = true;
        failed_ = got < 0;
        errno_ = errno;
    }
}

}  // namespace tkcli

namespace tkcli {

void InputBlocks::followPath(std::string path, std::function<void(const std::string &)> notice) {
    path_ = std::move(path);
    notice_ = std::move(notice);
}

// At the end of a followed file: the file at its path may be another one
// now (rotation), or this one may have been cut back (truncation).
void InputBlocks::checkFollowedFile() {
    const FileIdentity atPath = identifyPath(path_.c_str());
    if (!atPath.exists) return;  // rotated away; the new file has not appeared yet
    const FileIdentity open = identifyDescriptor(descriptor_);
    const bool replaced = atPath.inode != 0 && (atPath.inode != open.inode || atPath.device != open.device);
    if (replaced) {
        if (reopenAt(path_.c_str(), descriptor_)) restart("replaced by a new file");
    } else if (open.size < fileOffset_) {
        if (rewindDescriptor(descriptor_)) restart("truncated");
    }
}

void InputBlocks::restart(const char *what) {
    if (notice_) {
        notice_(formatText("%s: %s; reading from its start%s", path_.c_str(), what,
                           available() != 0 ? formatText(" (%zu bytes of a cut record dropped)", available()).c_str()
                                            : ""));
    }
    consume(available());
    fileOffset_ = 0;
    ++restarts_;
}

}  // namespace tkcli
