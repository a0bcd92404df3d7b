// A growable byte buffer that, unlike std::string, leaves new room
// unfilled: a record is decoded straight into the output, and the room it
// was given costs nothing until it is written.
#ifndef TKDEC_CLI_TEXT_BUFFER_H
#define TKDEC_CLI_TEXT_BUFFER_H

#include <cstring>
#include <memory>
#include <string_view>

namespace tkcli {

class TextBuffer {
public:
    TextBuffer() = default;
    TextBuffer(const TextBuffer &) = delete;
    TextBuffer &operator=(const TextBuffer &) = delete;

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const char *data() const { return bytes_.get(); }
    std::string_view view() const { return {bytes_.get(), size_}; }
    void clear() { size_ = 0; }
    void reserve(size_t capacity) {
        if (capacity > capacity_) reallocate(capacity);
    }

    // At least count bytes of room behind the contents; commit() the bytes
    // written there.
    char *room(size_t count) {
        if (capacity_ - size_ < count) reallocate(size_ + count > 2 * capacity_ ? size_ + count : 2 * capacity_);
        return bytes_.get() + size_;
    }
    void commit(size_t count) { size_ += count; }
    // Drops everything from size on.
    void cut(size_t size) { size_ = size; }

    void append(const char *text, size_t count) {
        if (count == 0) return;
        std::memcpy(room(count), text, count);
        size_ += count;
    }
    TextBuffer &operator+=(std::string_view text) {
        append(text.data(), text.size());
        return *this;
    }
    TextBuffer &operator+=(char c) {
        *room(1) = c;
        ++size_;
        return *this;
    }

private:
    void reallocate(size_t capacity) {
        std::unique_ptr<char[]> bytes(new char[capacity]);
        if (size_ != 0) std::memcpy(bytes.get(), bytes_.get(), size_);
        bytes_ = std::move(bytes);
        capacity_ = capacity;
    }

    std::unique_ptr<char[]> bytes_;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

}  // namespace tkcli

#endif
