#include "output/record_decoder.h"

#include <cstring>

namespace tkcli {

bool RecordDecoder::decode(const CaptureRecord &record, std::string_view &text, int32_t &result) {
    if (buffer_.size() < room_) buffer_.resize(room_);
    for (;;) {
        char *position = buffer_.data();
        char *const end = buffer_.data() + buffer_.size();
        result = library_.getText(record.payload, record.payload + record.size, &position, end, format_, record.id,
                                  record.channel);
        // A text that left room for its terminator is complete; one that
        // reached the end of the buffer may have been cut.
        if (position < end) {
            const size_t length = static_cast<size_t>(position - buffer_.data());
            const auto *nul = static_cast<const char *>(std::memchr(buffer_.data(), '\0', length));
            text = std::string_view(buffer_.data(), nul ? static_cast<size_t>(nul - buffer_.data()) : length);
            return true;
        }
        if (buffer_.size() >= kLargestSize) return false;
        buffer_.resize(buffer_.size() * 2);
        room_ = buffer_.size();
        ++retries_;
    }
}

bool RecordDecoder::decodeInto(const CaptureRecord &record, TextBuffer &out, int32_t &result) {
    for (;;) {
        char *const start = out.room(room_);
        char *position = start;
        result = library_.getText(record.payload, record.payload + record.size, &position, start + room_, format_,
                                  record.id, record.channel);
        if (position < start + room_) {
            out.commit(static_cast<size_t>(position - start));
            return true;
        }
        if (room_ >= kLargestSize) return false;
        room_ *= 2;
        ++retries_;
    }
}

}  // namespace tkcli
