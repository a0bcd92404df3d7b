// Readers of the capture forms (docs/capture-formats.md): binary version 1,
// binary version 2 and text, from a file or standard input, behind one
// next(). openCapture picks the reader from the first bytes.
#ifndef TKDEC_CLI_CAPTURE_READER_H
#define TKDEC_CLI_CAPTURE_READER_H

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "capture/capture_format.h"
#include "capture/input_blocks.h"

namespace tkcli {

// One record; payload stays valid until the next call of next().
struct CaptureRecord {
    uint16_t channel = 0;
    uint32_t id = 0;
    uint64_t time = 0;  // host time, nanoseconds since the Unix epoch; 0 unknown
    const uint8_t *payload = nullptr;
    uint32_t size = 0;
    uint64_t position = 0;  // byte offset of a binary record, line of a text one
};

enum class CaptureForm { Binary, Text };

enum class CaptureError {
    None,
    Io,         // cannot open or read
    Malformed,  // bad magic, version, line, hexadecimal or record header
    Truncated,  // the last record is cut short
};

struct ReadOptions {
    bool follow = false;       // wait for a growing file
    bool stopOnError = false;  // end at the first damage instead of skipping it
    uint32_t maxRecord = kDefaultMaxRecord;
    // Whether the build knows a record's channel and id: resynchronising on
    // version 1 wants records the build knows. Every record counts when unset.
    std::function<bool(uint16_t channel, uint32_t id)> knownRecord;
    // Told of every stretch of input skipped, as one line.
    std::function<void(const std::string &)> notice;
    // Told when a second file header starts a new capture on the same
    // input; the reader's version and uuid are the new capture's.
    std::function<void(const class CaptureReader &)> newCapture;
};

class CaptureReader {
public:
    enum class Next { Record, End, Error };

    virtual ~CaptureReader();
    CaptureReader(const CaptureReader &) = delete;
    CaptureReader &operator=(const CaptureReader &) = delete;

    virtual Next next(CaptureRecord &record) = 0;

    CaptureForm form() const { return form_; }
    uint32_t version() const { return version_; }  // 1 or 2; 0 for text
    CaptureError errorKind() const { return errorKind_; }
    const std::string &error() const { return error_; }  // one line, names the file
    const std::string &name() const { return name_; }
    // The 32 lower-case digits of the capture's build UUID; empty when the
    // capture names none (or names the all-zero UUID).
    const std::string &uuid() const { return uuid_; }
    // Input size when known (a regular file), else 0.
    uint64_t totalBytes() const { return totalBytes_; }
    // False for a pipe, socket or terminal: input that may arrive slowly.
    bool regularFile() const { return regularFile_; }
    uint64_t bytesRead() const { return input_->bytesRead(); }
    // Input skipped as damaged: bytes, and the places where reading resumed.
    uint64_t skippedBytes() const { return skippedBytes_; }
    uint64_t skips() const { return skips_; }

    // Opening: the input, already past a binary header, and what that
    // header said. start() reads whatever else comes before the first record.
    struct Opening {
        std::string name;
        int descriptor;
        bool ownsDescriptor;
        uint64_t totalBytes;
        bool regularFile;
        std::unique_ptr<InputBlocks> input;
        std::string uuid;
        uint32_t version;
    };
    virtual bool start() { return true; }

    // Goes on reading at a byte offset of a binary capture where a record
    // starts (a stretch of it read on its own); false when the input cannot
    // be positioned there.
    bool readFrom(uint64_t offset) { return input_->seek(offset); }

protected:
    CaptureReader(Opening &opening, const ReadOptions &options, CaptureForm form);

    Next fail(CaptureError kind, const std::string &message);
    Next readFailure();
    // Counts skipped input; noteSkip also reports it.
    void countSkip(uint64_t bytes) {
        skippedBytes_ += bytes;
        ++skips_;
    }
    void noteSkip(uint64_t offset, uint64_t bytes, const char *reason);
    // A new capture's version and build UUID (16 bytes).
    void beginCapture(uint32_t version, const uint8_t *uuid);

    std::unique_ptr<InputBlocks> input_;
    const ReadOptions &options_;
    std::string name_;
    std::string uuid_;

private:
    int descriptor_;
    bool ownsDescriptor_;
    CaptureForm form_;
    uint32_t version_;
    uint64_t totalBytes_;
    bool regularFile_;
    CaptureError errorKind_ = CaptureError::None;
    std::string error_;
    uint64_t skippedBytes_ = 0;
    uint64_t skips_ = 0;
};

// The form that a capture starting with these bytes has: a text capture
// starts with a digit, '#', a blank, a line break or a byte order mark.
CaptureForm detectForm(const uint8_t *start, size_t count);

// A capture opened for reading, or the reason it could not be.
struct OpenedCapture {
    std::unique_ptr<CaptureReader> reader;
    CaptureError errorKind = CaptureError::None;
    std::string error;
};

// Opens a file ("-" is standard input) and reads its header (the binary
// forms) or leading comments (text). options must outlive the reader.
OpenedCapture openCapture(const char *path, const ReadOptions &options);

// The reader of each form, for openCapture.
std::unique_ptr<CaptureReader> makeBinaryV1Reader(CaptureReader::Opening &opening, const ReadOptions &options);
std::unique_ptr<CaptureReader> makeBinaryV2Reader(CaptureReader::Opening &opening, const ReadOptions &options);
std::unique_ptr<CaptureReader> makeTextReader(CaptureReader::Opening &opening, const ReadOptions &options);

}  // namespace tkcli

#endif
