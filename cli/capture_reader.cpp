#include "capture_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "diagnostics.h"
#include "hex.h"
#include "platform.h"

namespace tkcli {

namespace {

uint32_t readLe(const uint8_t *bytes, size_t size) {
    uint32_t value = 0;
    for (size_t i = size; i-- > 0;) value = value << 8 | bytes[i];
    return value;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Splits off the first blank-separated word of text.
std::string_view takeWord(std::string_view &text) {
    text = trimmed(text);
    size_t end = 0;
    while (end < text.size() && !isBlank(text[end])) ++end;
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(end);
    return word;
}

// A text capture starts with a record line, a comment or a blank line (or
// the byte order mark an editor may put first).
bool startsText(uint8_t first) {
    return (first >= '0' && first <= '9') || first == '#' || first == ' ' || first == '\t' ||
           first == '\r' || first == '\n' || first == 0xEF;
}

constexpr uint8_t kByteOrderMark[3] = {0xEF, 0xBB, 0xBF};

}  // namespace

CaptureReader::CaptureReader() = default;

CaptureReader::~CaptureReader() {
    if (ownsFile_) std::fclose(file_);
}

bool CaptureReader::open(const char *path) {
    const bool standardInput = std::strcmp(path, "-") == 0;
    name_ = standardInput ? "standard input" : path;
    if (standardInput) {
        file_ = stdin;
        setBinaryMode(stdin);
    } else {
        file_ = std::fopen(path, "rb");
        if (file_ == nullptr) {
            fail(CaptureError::Io, formatText("cannot open %s: %s", path, std::strerror(errno)));
            return false;
        }
        ownsFile_ = true;
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error)) totalBytes_ = std::filesystem::file_size(path, error);
        if (error) totalBytes_ = 0;
    }
    input_ = std::make_unique<InputBlocks>(file_);
    return detectForm();
}

bool CaptureReader::detectForm() {
    input_->fill(sizeof kByteOrderMark);
    if (input_->failed()) {
        readFailure();
        return false;
    }
    if (input_->available() == 0 || startsText(input_->data()[0])) {
        form_ = CaptureForm::Text;
        if (input_->available() >= 3 && std::memcmp(input_->data(), kByteOrderMark, 3) == 0) input_->consume(3);
        return readTextHead();
    }
    form_ = CaptureForm::Binary;
    return readBinaryHeader();
}

bool CaptureReader::readBinaryHeader() {
    const bool whole = input_->fill(kCaptureHeaderSize);
    if (input_->failed()) {
        readFailure();
        return false;
    }
    const uint8_t *header = input_->data();
    const size_t present = input_->available() < kCaptureHeaderSize ? input_->available() : kCaptureHeaderSize;
    const size_t magicPresent = present < sizeof kCaptureMagic ? present : sizeof kCaptureMagic;
    if (std::memcmp(header, kCaptureMagic, magicPresent) != 0) {
        fail(CaptureError::Malformed, name_ + ": bad magic: not a tkdec capture");
        return false;
    }
    if (!whole) {
        fail(CaptureError::Malformed,
             formatText("%s: capture header cut short (%zu of %zu bytes)", name_.c_str(), present, kCaptureHeaderSize));
        return false;
    }
    const uint32_t version = readLe(header + 8, 4);
    if (version != kCaptureVersion) {
        fail(CaptureError::Malformed, formatText("%s: capture version %u is not supported (this tool reads version %u)",
                                                 name_.c_str(), version, kCaptureVersion));
        return false;
    }
    std::string uuid;
    appendHexBytes(header + 12, 16, uuid);
    std::erase(uuid, ' ');
    if (uuid != std::string(32, '0')) uuid_ = uuid;
    input_->consume(kCaptureHeaderSize);
    return true;
}

CaptureReader::Next CaptureReader::next(CaptureRecord &record) {
    if (errorKind_ != CaptureError::None) return Next::Error;
    return form_ == CaptureForm::Binary ? nextBinary(record) : nextText(record);
}

CaptureReader::Next CaptureReader::nextBinary(CaptureRecord &record) {
    const uint64_t offset = input_->offset();
    if (!input_->fill(kRecordHeaderSize)) {
        if (input_->failed()) return readFailure();
        if (input_->available() == 0) return Next::End;
        return fail(CaptureError::Truncated,
                    formatText("%s: record cut short at byte offset %llu: %zu of its %zu header bytes present",
                               name_.c_str(), static_cast<unsigned long long>(offset), input_->available(),
                               kRecordHeaderSize));
    }
    const uint8_t *header = input_->data();
    const uint32_t size = readLe(header + 6, 4);
    if (!input_->fill(kRecordHeaderSize + size)) {
        if (input_->failed()) return readFailure();
        return fail(CaptureError::Truncated,
                    formatText("%s: record cut short at byte offset %llu: %zu of its %u payload bytes present",
                               name_.c_str(), static_cast<unsigned long long>(offset),
                               input_->available() - kRecordHeaderSize, size));
    }
    header = input_->data();  // the window may have moved
    record.channel = static_cast<uint16_t>(readLe(header, 2));
    record.id = readLe(header + 2, 4);
    record.payload = header + kRecordHeaderSize;
    record.size = size;
    input_->consume(kRecordHeaderSize + size);
    return Next::Record;
}

bool CaptureReader::nextLine(std::string_view &line) {
    size_t scanned = 0;
    for (;;) {
        const auto *text = reinterpret_cast<const char *>(input_->data());
        const void *newline = std::memchr(text + scanned, '\n', input_->available() - scanned);
        size_t length = 0, consumed = 0;
        if (newline != nullptr) {
            length = static_cast<size_t>(static_cast<const char *>(newline) - text);
            consumed = length + 1;
        } else {
            scanned = input_->available();
            if (input_->more()) continue;
            if (input_->failed() || input_->available() == 0) return false;
            length = consumed = input_->available();  // last line without a line break
        }
        text = reinterpret_cast<const char *>(input_->data());
        line = std::string_view(text, length);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        input_->consume(consumed);
        ++lineNumber_;
        return true;
    }
}

// The next line that holds a record. Comment lines before the first record
// may name the build.
bool CaptureReader::nextRecordLine(std::string_view &content) {
    if (hasPendingLine_) {
        hasPendingLine_ = false;
        content = pendingLine_;
        return true;
    }
    std::string_view line;
    while (nextLine(line)) {
        const size_t hash = line.find('#');
        content = trimmed(line.substr(0, hash));
        if (!content.empty()) return true;
        if (hash != std::string_view::npos && !recordSeen_) takeUuidComment(line.substr(hash + 1));
    }
    return false;
}

// Reads the comments up to the first record line, which stays pending, so
// that the build UUID is known before the first record.
bool CaptureReader::readTextHead() {
    hasPendingLine_ = nextRecordLine(pendingLine_);
    if (!input_->failed()) return true;
    readFailure();
    return false;
}

CaptureReader::Next CaptureReader::nextText(CaptureRecord &record) {
    std::string_view content;
    if (!nextRecordLine(content)) return input_->failed() ? readFailure() : Next::End;
    recordSeen_ = true;
    return readTextRecord(content, record) ? Next::Record : Next::Error;
}

bool CaptureReader::readTextRecord(std::string_view line, CaptureRecord &record) {
    const std::string where = formatText("%s:%llu: ", name_.c_str(), static_cast<unsigned long long>(lineNumber_));
    const std::string_view channelText = takeWord(line);
    const std::string_view idText = takeWord(line);
    uint64_t channel = 0, id = 0;
    if (!parseUnsigned(channelText, 0xFFFF, channel)) {
        fail(CaptureError::Malformed, where + "channel " + quoted(channelText) + " is not a number from 0 to 65535");
        return false;
    }
    if (idText.empty()) {
        fail(CaptureError::Malformed, where + "a record needs a channel and an id");
        return false;
    }
    if (!parseUnsigned(idText, 0xFFFFFFFF, id)) {
        fail(CaptureError::Malformed, where + "id " + quoted(idText) + " is not a number from 0 to 0xffffffff");
        return false;
    }
    payload_.clear();
    std::string_view bad;
    if (!parseHexBytes(line, payload_, bad)) {
        fail(CaptureError::Malformed, where + "bad hexadecimal " + quoted(bad) + " in the payload");
        return false;
    }
    if (payload_.size() > 0xFFFFFFFFu) {
        fail(CaptureError::Malformed, where + "payload longer than 4 GiB");
        return false;
    }
    record.channel = static_cast<uint16_t>(channel);
    record.id = static_cast<uint32_t>(id);
    record.payload = payload_.data();
    record.size = static_cast<uint32_t>(payload_.size());
    return true;
}

// "# build 7d7d9de0768a419da9c3b593855bdb0a" before the first record names
// the build the capture was made with; the first such line counts.
void CaptureReader::takeUuidComment(std::string_view comment) {
    if (takeWord(comment) != "build" || !uuid_.empty()) return;
    const std::string_view digits = takeWord(comment);
    const bool isUuid = digits.size() == 32 && trimmed(comment).empty() &&
                        std::all_of(digits.begin(), digits.end(), [](char c) { return hexDigit(c) >= 0; });
    if (!isUuid) return;
    std::string uuid(digits);
    for (char &c : uuid) c = static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
    if (uuid != std::string(32, '0')) uuid_ = uuid;
}

CaptureReader::Next CaptureReader::fail(CaptureError kind, const std::string &message) {
    errorKind_ = kind;
    error_ = message;
    return Next::Error;
}

CaptureReader::Next CaptureReader::readFailure() {
    return fail(CaptureError::Io, formatText("cannot read %s: %s", name_.c_str(), std::strerror(input_->readErrno())));
}

}  // namespace tkcli
