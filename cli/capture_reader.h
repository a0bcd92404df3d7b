// Reader of the two capture forms (docs/capture-formats.md): the binary
// record stream and the text form, from a file or standard input.
#ifndef TKDEC_CLI_CAPTURE_READER_H
#define TKDEC_CLI_CAPTURE_READER_H

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "input_blocks.h"

namespace tkcli {

inline constexpr char kCaptureMagic[8] = {'T', 'K', 'D', 'E', 'C', 'C', 'A', 'P'};
inline constexpr uint32_t kCaptureVersion = 1;
inline constexpr size_t kCaptureHeaderSize = 28;  // magic, version, UUID
inline constexpr size_t kRecordHeaderSize = 10;   // channel, id, payload length

// One record; payload stays valid until the next call of next().
struct CaptureRecord {
    uint16_t channel = 0;
    uint32_t id = 0;
    const uint8_t *payload = nullptr;
    uint32_t size = 0;
};

enum class CaptureForm { Binary, Text };

enum class CaptureError {
    None,
    Io,         // cannot open or read
    Malformed,  // bad magic, version, line or hexadecimal
    Truncated,  // the last record is cut short
};

class CaptureReader {
public:
    enum class Next { Record, End, Error };

    CaptureReader();
    ~CaptureReader();
    CaptureReader(const CaptureReader &) = delete;
    CaptureReader &operator=(const CaptureReader &) = delete;

    // Opens a file ("-" is standard input) and reads the header or the text
    // form's leading comments. False with error() set when that fails.
    bool open(const char *path);
    Next next(CaptureRecord &record);

    CaptureError errorKind() const { return errorKind_; }
    const std::string &error() const { return error_; }  // one line, names the file
    CaptureForm form() const { return form_; }
    // The 32 lower-case digits of the capture's build UUID; empty when the
    // capture names none (or names the all-zero UUID).
    const std::string &uuid() const { return uuid_; }
    // Input size when known (a regular file), else 0.
    uint64_t totalBytes() const { return totalBytes_; }
    uint64_t bytesRead() const { return input_ ? input_->bytesRead() : 0; }

private:
    bool detectForm();
    bool readBinaryHeader();
    Next nextBinary(CaptureRecord &record);
    bool readTextHead();
    Next nextText(CaptureRecord &record);
    bool nextRecordLine(std::string_view &content);
    bool nextLine(std::string_view &line);
    bool readTextRecord(std::string_view line, CaptureRecord &record);
    void takeUuidComment(std::string_view comment);
    Next fail(CaptureError kind, const std::string &message);
    Next readFailure();

    std::string name_;
    std::FILE *file_ = nullptr;
    bool ownsFile_ = false;
    std::unique_ptr<InputBlocks> input_;
    CaptureForm form_ = CaptureForm::Text;
    CaptureError errorKind_ = CaptureError::None;
    std::string error_;
    std::string uuid_;
    uint64_t totalBytes_ = 0;
    uint64_t lineNumber_ = 0;
    bool recordSeen_ = false;
    bool hasPendingLine_ = false;
    std::string_view pendingLine_;  // into the input window, until the next read
    std::vector<uint8_t> payload_;
};

}  // namespace tkcli

#endif
