#include "capture/capture_reader.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/diagnostics.h"
#include "base/hex.h"
#include "base/platform.h"

namespace tkcli {

namespace {

constexpr uint8_t kByteOrderMark[3] = {0xEF, 0xBB, 0xBF};

OpenedCapture failure(CaptureError kind, std::string message) { return {nullptr, kind, std::move(message)}; }

OpenedCapture readFailure(const CaptureReader::Opening &opening) {
    return failure(CaptureError::Io,
                   formatText("cannot read %s: %s", opening.name.c_str(), std::strerror(opening.input->readErrno())));
}

// Checks the magic and version of a binary capture, takes its build UUID
// and consumes the header; returns a failure or an empty result.
OpenedCapture readBinaryHeader(CaptureReader::Opening &opening) {
    InputBlocks &input = *opening.input;
    const bool whole = input.fill(kCaptureHeaderSize);
    if (input.failed()) return readFailure(opening);
    const uint8_t *header = input.data();
    const size_t present = std::min(input.available(), kCaptureHeaderSize);
    if (std::memcmp(header, kCaptureMagic, std::min(present, sizeof kCaptureMagic)) != 0) {
        return failure(CaptureError::Malformed, opening.name + ": bad magic: not a tkdec capture");
    }
    if (!whole) {
        return failure(CaptureError::Malformed, formatText("%s: capture header cut short (%u of %u bytes)",
                                                           opening.name.c_str(), static_cast<unsigned>(present),
                                                           static_cast<unsigned>(kCaptureHeaderSize)));
    }
    opening.version = static_cast<uint32_t>(readLe(header + 8, 4));
    if (opening.version != 1 && opening.version != 2) {
        return failure(CaptureError::Malformed,
                       formatText("%s: capture version %u is not supported (this tool reads versions 1 and 2)",
                                  opening.name.c_str(), opening.version));
    }
    std::string uuid;
    appendHexBytes(header + 12, 16, uuid);
    std::erase(uuid, ' ');
    if (uuid != std::string(32, '0')) opening.uuid = uuid;
    input.consume(kCaptureHeaderSize);
    return {};
}

}  // namespace

CaptureReader::CaptureReader(Opening &opening, const ReadOptions &options, CaptureForm form)
    : input_(std::move(opening.input)),
      options_(options),
      name_(opening.name),
      uuid_(opening.uuid),
      descriptor_(opening.descriptor),
      ownsDescriptor_(opening.ownsDescriptor),
      form_(form),
      version_(opening.version),
      totalBytes_(opening.totalBytes),
      regularFile_(opening.regularFile) {
    opening.ownsDescriptor = false;
}

CaptureReader::~CaptureReader() {
    if (ownsDescriptor_) closeDescriptor(descriptor_);
}

CaptureReader::Next CaptureReader::fail(CaptureError kind, const std::string &message) {
    errorKind_ = kind;
    error_ = message;
    return Next::Error;
}

CaptureReader::Next CaptureReader::readFailure() {
    return fail(CaptureError::Io, formatText("cannot read %s: %s", name_.c_str(), std::strerror(input_->readErrno())));
}

void CaptureReader::noteSkip(uint64_t offset, uint64_t bytes, const char *reason) {
    countSkip(bytes);
    if (!options_.notice) return;
    options_.notice(formatText("%s: skipped %llu bytes at offset %llu (%s)", name_.c_str(),
                               static_cast<unsigned long long>(bytes), static_cast<unsigned long long>(offset),
                               reason));
}

CaptureForm detectForm(const uint8_t *start, size_t count) {
    if (count == 0) return CaptureForm::Text;
    const uint8_t first = start[0];
    const bool text = (first >= '0' && first <= '9') || first == '#' || first == ' ' || first == '\t' ||
                      first == '\r' || first == '\n' || first == kByteOrderMark[0];
    return text ? CaptureForm::Text : CaptureForm::Binary;
}

OpenedCapture openCapture(const char *path, const ReadOptions &options) {
    const bool standardInput = std::strcmp(path, "-") == 0;
    CaptureReader::Opening opening{standardInput ? "standard input" : path, -1, false, 0, false, nullptr, {}, 0};
    if (standardInput) {
        setBinaryMode(stdin);
        opening.descriptor = standardInputDescriptor();
    } else {
        opening.descriptor = openForReading(path);
        if (opening.descriptor < 0) {
            return failure(CaptureError::Io, formatText("cannot open %s: %s", path, std::strerror(errno)));
        }
        opening.ownsDescriptor = true;
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error)) opening.totalBytes = std::filesystem::file_size(path, error);
        if (error) opening.totalBytes = 0;
    }
    opening.regularFile = isRegularFile(opening.descriptor);
    // Whoever ends up owning the descriptor closes it; on failure, this guard.
    struct Guard {
        CaptureReader::Opening &opening;
        ~Guard() {
            if (opening.ownsDescriptor) closeDescriptor(opening.descriptor);
        }
    } guard{opening};
    opening.input = std::make_unique<InputBlocks>(opening.descriptor, options.follow);
    InputBlocks &input = *opening.input;
    input.fill(1);
    if (input.failed()) return readFailure(opening);
    std::unique_ptr<CaptureReader> reader;
    if (detectForm(input.data(), input.available()) == CaptureForm::Text) {
        input.fill(sizeof kByteOrderMark);
        if (input.available() >= 3 && std::memcmp(input.data(), kByteOrderMark, 3) == 0) input.consume(3);
        reader = makeTextReader(opening, options);
    } else {
        if (OpenedCapture bad = readBinaryHeader(opening); !bad.error.empty()) return bad;
        reader = opening.version == 1 ? makeBinaryV1Reader(opening, options) : makeBinaryV2Reader(opening, options);
    }
    if (!reader->start()) return failure(reader->errorKind(), reader->error());
    return {std::move(reader), CaptureError::None, {}};
}

}  // namespace tkcli
