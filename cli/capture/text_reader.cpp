// Reader of the text capture form: one record per line, with an optional
// leading UTC timestamp. A malformed line is reported and skipped.
#include <algorithm>
#include <cstring>
#include <vector>

#include "base/diagnostics.h"
#include "base/hex.h"
#include "base/time_text.h"
#include "capture/capture_reader.h"

namespace tkcli {

namespace {

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

class TextReader final : public CaptureReader {
public:
    TextReader(Opening &opening, const ReadOptions &options) : CaptureReader(opening, options, CaptureForm::Text) {}

    // Reads the comments up to the first record line, which stays pending,
    // so that the build UUID is known before the first record.
    bool start() override {
        hasPendingLine_ = nextRecordLine(pendingLine_);
        if (!input_->failed()) return true;
        readFailure();
        return false;
    }

    Next next(CaptureRecord &record) override {
        if (errorKind() != CaptureError::None) return Next::Error;
        std::string_view content;
        while (nextRecordLine(content)) {
            recordSeen_ = true;
            std::string problem;
            if (readRecord(content, record, problem)) return Next::Record;
            const std::string where = formatText("%s:%llu: ", name_.c_str(), static_cast<unsigned long long>(lineNumber_));
            if (options_.stopOnError) return fail(CaptureError::Malformed, where + problem);
            noteLineSkipped(where + problem);
        }
        return input_->failed() ? readFailure() : Next::End;
    }

private:
    bool nextLine(std::string_view &line);
    bool nextRecordLine(std::string_view &content);
    bool readRecord(std::string_view line, CaptureRecord &record, std::string &problem);
    void takeUuidComment(std::string_view comment);

    void noteLineSkipped(const std::string &message) {
        countSkip(lineLength_);
        if (options_.notice) options_.notice(message + "; line skipped");
    }

    uint64_t lineNumber_ = 0;
    uint64_t lineLength_ = 0;
    bool recordSeen_ = false;
    bool hasPendingLine_ = false;
    std::string_view pendingLine_;  // into the input window, until the next read
    std::vector<uint8_t> payload_;
};

bool TextReader::nextLine(std::string_view &line) {
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
        lineLength_ = consumed;
        input_->consume(consumed);
        ++lineNumber_;
        return true;
    }
}

// The next line that holds a record. Comment lines before the first record
// may name the build.
bool TextReader::nextRecordLine(std::string_view &content) {
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

bool TextReader::readRecord(std::string_view line, CaptureRecord &record, std::string &problem) {
    std::string_view channelText = takeWord(line);
    record.time = 0;
    if (channelText.find('T') != std::string_view::npos) {
        if (!parseUtcTime(channelText, record.time)) {
            problem = "time " + quoted(channelText) + " is not an ISO-8601 UTC time (2026-01-31T12:00:00.5Z)";
            return false;
        }
        channelText = takeWord(line);
    }
    const std::string_view idText = takeWord(line);
    uint64_t channel = 0, id = 0;
    if (!parseUnsigned(channelText, 0xFFFF, channel)) {
        problem = "channel " + quoted(channelText) + " is not a number from 0 to 65535";
        return false;
    }
    if (idText.empty()) {
        problem = "a record needs a channel and an id";
        return false;
    }
    if (!parseUnsigned(idText, 0xFFFFFFFF, id)) {
        problem = "id " + quoted(idText) + " is not a number from 0 to 0xffffffff";
        return false;
    }
    payload_.clear();
    std::string_view bad;
    if (!parseHexBytes(line, payload_, bad)) {
        problem = "bad hexadecimal " + quoted(bad) + " in the payload";
        return false;
    }
    if (payload_.size() > 0xFFFFFFFFu) {
        problem = "payload longer than 4 GiB";
        return false;
    }
    record.channel = static_cast<uint16_t>(channel);
    record.id = static_cast<uint32_t>(id);
    record.payload = payload_.data();
    record.size = static_cast<uint32_t>(payload_.size());
    record.position = lineNumber_;
    return true;
}

// "# build 7d7d9de0768a419da9c3b593855bdb0a" before the first record names
// the build the capture was made with; the first such line counts.
void TextReader::takeUuidComment(std::string_view comment) {
    if (takeWord(comment) != "build" || !uuid_.empty()) return;
    const std::string_view digits = takeWord(comment);
    const bool isUuid = digits.size() == 32 && trimmed(comment).empty() &&
                        std::all_of(digits.begin(), digits.end(), [](char c) { return hexDigit(c) >= 0; });
    if (!isUuid) return;
    std::string uuid(digits);
    for (char &c : uuid) c = static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
    if (uuid != std::string(32, '0')) uuid_ = uuid;
}

}  // namespace

std::unique_ptr<CaptureReader> makeTextReader(CaptureReader::Opening &opening, const ReadOptions &options) {
    return std::make_unique<TextReader>(opening, options);
}

}  // namespace tkcli
