// Decodes records through tkdec_getText into a buffer that grows until the
// whole text fits, so no record is ever shown cut.
#ifndef TKDEC_CLI_RECORD_DECODER_H
#define TKDEC_CLI_RECORD_DECODER_H

#include <cstdint>
#include <string_view>
#include <vector>

#include "capture/capture_reader.h"
#include "output/decoder_library.h"
#include "output/text_buffer.h"

namespace tkcli {

class RecordDecoder {
public:
    static constexpr size_t kInitialSize = size_t{64} << 10;
    static constexpr size_t kLargestSize = size_t{256} << 20;

    RecordDecoder(const DecoderFunctions &library, int32_t format, size_t initialSize = kInitialSize)
        : library_(library), format_(format), room_(initialSize) {}

    // The record's text up to its first NUL (where the log viewer ends it)
    // and the library's result. False when the text does not fit even
    // kLargestSize bytes.
    bool decode(const CaptureRecord &record, std::string_view &text, int32_t &result);
    // Appends the record's whole text to out, NULs and all (the caller
    // cuts it at the first), with no copy in between; false as decode.
    bool decodeInto(const CaptureRecord &record, TextBuffer &out, int32_t &result);

    // Number of times a text did not fit and the buffer grew.
    uint64_t retries() const { return retries_; }

private:
    const DecoderFunctions &library_;
    int32_t format_;
    size_t room_;  // given to each text: the largest that one needed so far
    std::vector<char> buffer_;
    uint64_t retries_ = 0;
};

}  // namespace tkcli

#endif
