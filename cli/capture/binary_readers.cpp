// Readers of the binary capture forms. A damaged record is skipped: the
// reader scans forward to where records make sense again and reports the
// bytes it passed over.
#include <cstring>

#include "base/diagnostics.h"
#include "capture/capture_reader.h"

namespace tkcli {

namespace {

// Bytes scanned for a resynchronisation point before the scanned part is
// let go, so that a long damaged stretch costs no memory.
constexpr size_t kScanWindow = size_t{1} << 20;

class BinaryReader : public CaptureReader {
public:
    BinaryReader(Opening &opening, const ReadOptions &options, size_t headerSize)
        : CaptureReader(opening, options, CaptureForm::Binary), headerSize_(headerSize) {}

    Next next(CaptureRecord &record) final;

protected:
    enum class Frame {
        Whole,    // the record is there and makes sense
        Short,    // the input ends inside it
        Corrupt,  // it does not make sense
        End,      // the input ends before it
    };
    struct Framing {
        Frame kind;
        size_t size = 0;  // of the whole record
        const char *reason = "corrupt record header";
    };

    // The record that starts at window offset at.
    virtual Framing frameAt(size_t at) = 0;
    // Whether reading may resume at window offset at.
    virtual bool resumesAt(size_t at) = 0;
    // The fields of the whole record at the start of the window.
    virtual void take(CaptureRecord &record) = 0;
    virtual uint64_t payloadSizeAt(const uint8_t *header) const = 0;

    bool ends(size_t at) { return !input_->fill(at + 1); }

private:
    Next damaged(const Framing &frame);
    std::string cutMessage();

    size_t headerSize_;
};

CaptureReader::Next BinaryReader::next(CaptureRecord &record) {
    while (errorKind() == CaptureError::None) {
        const Framing frame = frameAt(0);
        if (frame.kind == Frame::Whole) {
            record.position = input_->offset();
            take(record);
            input_->consume(frame.size);
            return Next::Record;
        }
        if (input_->failed()) return readFailure();
        if (frame.kind == Frame::End) return Next::End;
        if (const Next next = damaged(frame); next != Next::Record) return next;
    }
    return Next::Error;
}

// Skips to the next point where reading may resume. Record means go on.
CaptureReader::Next BinaryReader::damaged(const Framing &frame) {
    const uint64_t offset = input_->offset();
    const std::string cut = frame.kind == Frame::Short ? cutMessage() : std::string();
    if (options_.stopOnError) {
        if (frame.kind == Frame::Short) return fail(CaptureError::Truncated, cut);
        return fail(CaptureError::Malformed, formatText("%s: %s at byte offset %llu", name_.c_str(), frame.reason,
                                                        static_cast<unsigned long long>(offset)));
    }
    uint64_t skipped = 0;
    for (size_t at = 1; !ends(at); ++at) {
        if (resumesAt(at)) {
            input_->consume(at);
            noteSkip(offset, skipped + at, frame.reason);
            return Next::Record;
        }
        if (at == kScanWindow) {  // the next offset to try becomes 1
            input_->consume(at - 1);
            skipped += at - 1;
            at = 0;
        }
    }
    if (input_->failed()) return readFailure();
    // Nothing after it makes sense: a record cut short by the end of the
    // input, or damage up to the end.
    if (frame.kind == Frame::Short && skipped == 0) return fail(CaptureError::Truncated, cut);
    noteSkip(offset, skipped + input_->available(), frame.reason);
    input_->consume(input_->available());
    return Next::End;
}

std::string BinaryReader::cutMessage() {
    const size_t present = input_->available();
    const auto offset = static_cast<unsigned long long>(input_->offset());
    if (present < headerSize_) {
        return formatText("%s: record cut short at byte offset %llu: %u of its %u header bytes present",
                          name_.c_str(), offset, static_cast<unsigned>(present), static_cast<unsigned>(headerSize_));
    }
    return formatText("%s: record cut short at byte offset %llu: %llu of its %llu payload bytes present",
                      name_.c_str(), offset, static_cast<unsigned long long>(present - headerSize_),
                      static_cast<unsigned long long>(payloadSizeAt(input_->data())));
}

// Version 1: channel, id, payload length, payload. Nothing marks a record,
// so reading resumes where three records in a row have channels the build
// knows (or fewer, ending exactly at the end of the input).
class BinaryV1Reader final : public BinaryReader {
public:
    BinaryV1Reader(Opening &opening, const ReadOptions &options) : BinaryReader(opening, options, kV1HeaderSize) {}

private:
    static constexpr int kConfirmingRecords = 3;

    Framing frameAt(size_t at) override {
        if (!input_->fill(at + kV1HeaderSize)) return {input_->available() <= at ? Frame::End : Frame::Short};
        const uint64_t length = payloadSizeAt(input_->data() + at);
        if (length > options_.maxRecord) return {Frame::Corrupt};
        const auto size = static_cast<size_t>(length);  // at most 4 GiB
        if (!input_->fill(at + kV1HeaderSize + size)) return {Frame::Short};
        return {Frame::Whole, kV1HeaderSize + size};
    }

    bool resumesAt(size_t at) override {
        for (int i = 0; i < kConfirmingRecords; ++i) {
            const Framing frame = frameAt(at);
            if (frame.kind == Frame::End) return i > 0;
            if (frame.kind != Frame::Whole || !known(static_cast<uint16_t>(readLe(input_->data() + at, 2)))) {
                return false;
            }
            at += frame.size;
        }
        return true;
    }

    bool known(uint16_t channel) const { return !options_.knownChannel || options_.knownChannel(channel); }

    void take(CaptureRecord &record) override {
        const uint8_t *header = input_->data();
        record.channel = static_cast<uint16_t>(readLe(header, 2));
        record.id = static_cast<uint32_t>(readLe(header + 2, 4));
        record.time = 0;
        record.size = static_cast<uint32_t>(payloadSizeAt(header));
        record.payload = header + kV1HeaderSize;
    }

    uint64_t payloadSizeAt(const uint8_t *header) const override { return readLe(header + 6, 4); }
};

// Version 2: a sync mark opens each record and a CRC-32 closes it, so one
// record whose checksum holds is enough to resume.
class BinaryV2Reader final : public BinaryReader {
public:
    BinaryV2Reader(Opening &opening, const ReadOptions &options) : BinaryReader(opening, options, kV2HeaderSize) {}

private:
    Framing frameAt(size_t at) override {
        if (!input_->fill(at + kV2HeaderSize)) return {input_->available() <= at ? Frame::End : Frame::Short};
        const uint8_t *header = input_->data() + at;
        if (std::memcmp(header, kSyncMark, sizeof kSyncMark) != 0) return {Frame::Corrupt};
        const uint64_t length = payloadSizeAt(header);
        if (length > options_.maxRecord) return {Frame::Corrupt};
        const size_t whole = kV2HeaderSize + static_cast<size_t>(length) + kV2TrailerSize;
        if (!input_->fill(at + whole)) return {Frame::Short};
        header = input_->data() + at;  // the window may have moved
        if (crc32(header, whole - kV2TrailerSize) != readLe(header + whole - kV2TrailerSize, 4)) {
            return {Frame::Corrupt, 0, "checksum mismatch"};
        }
        return {Frame::Whole, whole};
    }

    bool resumesAt(size_t at) override {
        return input_->data()[at] == kSyncMark[0] && frameAt(at).kind == Frame::Whole;
    }

    void take(CaptureRecord &record) override {
        const uint8_t *header = input_->data();
        record.channel = static_cast<uint16_t>(readLe(header + 2, 2));
        record.id = static_cast<uint32_t>(readLe(header + 4, 4));
        record.time = readLe(header + 8, 8);
        record.size = static_cast<uint32_t>(payloadSizeAt(header));
        record.payload = header + kV2HeaderSize;
    }

    uint64_t payloadSizeAt(const uint8_t *header) const override { return readLe(header + 16, 4); }
};

}  // namespace

std::unique_ptr<CaptureReader> makeBinaryV1Reader(CaptureReader::Opening &opening, const ReadOptions &options) {
    return std::make_unique<BinaryV1Reader>(opening, options);
}

std::unique_ptr<CaptureReader> makeBinaryV2Reader(CaptureReader::Opening &opening, const ReadOptions &options) {
    return std::make_unique<BinaryV2Reader>(opening, options);
}

}  // namespace tkcli
