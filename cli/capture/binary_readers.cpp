// Readers of the binary capture forms. A damaged record is skipped: the
// reader scans forward to where records make sense again and reports the
// bytes it passed over.
//
// Live version 2 input (a pipe, a socket, a followed file) never waits on a
// length that nothing confirms: while a record is incomplete, the bytes
// already read are searched for a later record whose checksum holds, and if
// one is found the incomplete record is damage. Only a regular file, whose
// bytes are there to read, is read on until every earlier candidate is
// decided.
#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <vector>

#include "base/diagnostics.h"
#include "capture/capture_reader.h"

namespace tkcli {

namespace {

// Bytes scanned for a resynchronisation point before the scanned part is
// let go, so that a long damaged stretch costs no memory.
constexpr size_t kScanWindow = size_t{1} << 20;

// CRC-32 of a stretch from the CRC-32 values of the input up to its start
// and up to its end, as zlib's crc32_combine runs backwards: the checksum
// of every candidate record costs a few dozen operations, however long the
// record claims to be.
constexpr uint32_t kPolynomial = 0xEDB88320u;

constexpr uint32_t multiplyModP(uint32_t a, uint32_t b) {
    uint32_t product = 0;
    for (uint32_t mask = uint32_t{1} << 31; mask != 0; mask >>= 1) {
        if (a & mask) product ^= b;
        b = b & 1 ? (b >> 1) ^ kPolynomial : b >> 1;
    }
    return product;
}

constexpr std::array<uint32_t, 64> makePowers() {
    std::array<uint32_t, 64> powers{};  // x^(2^k) modulo the polynomial
    uint32_t power = uint32_t{1} << 30;
    for (uint32_t &entry : powers) {
        entry = power;
        power = multiplyModP(power, power);
    }
    return powers;
}

constexpr std::array<uint32_t, 64> kPowers = makePowers();

// x^(8 * bytes) modulo the polynomial.
uint32_t byteShift(uint64_t bytes) {
    uint32_t result = uint32_t{1} << 31;
    for (unsigned k = 3; bytes != 0; bytes >>= 1, ++k) {
        if (bytes & 1) result = multiplyModP(kPowers[k % 64], result);
    }
    return result;
}

// CRC-32 values of every prefix of the input from a base offset on, kept
// while a stretch is scanned.
class PrefixCrcs {
public:
    // The CRC-32 of the stream bytes [from, to); the window starts at
    // stream offset windowOffset.
    uint32_t of(const uint8_t *window, uint64_t windowOffset, uint64_t from, uint64_t to) {
        if (from < base_ || from - base_ > 2 * kScanWindow || base_ + values_.size() - 1 < windowOffset) {
            base_ = windowOffset;
            values_.assign(1, 0);
        }
        while (base_ + values_.size() - 1 < to) {
            const uint64_t at = base_ + values_.size() - 1;
            values_.push_back(crc32Continue(values_.back(), window + (at - windowOffset), 1));
        }
        const uint32_t head = values_[from - base_];
        return values_[to - base_] ^ multiplyModP(byteShift(to - from), head);
    }

private:
    uint64_t base_ = std::numeric_limits<uint64_t>::max();
    std::vector<uint32_t> values_;
};

class BinaryReader final : public CaptureReader {
public:
    BinaryReader(Opening &opening, const ReadOptions &options) : CaptureReader(opening, options, CaptureForm::Binary) {}

    Next next(CaptureRecord &record) final;

private:
    // The common case, taken without the framing's generality: a whole
    // record that makes sense at the start of the window. False leaves
    // everything to the general path.
    bool takeWhole(CaptureRecord &record);

protected:
    enum class Frame {
        Whole,    // the record is there and makes sense
        Short,    // its header makes sense, the rest has not been read
        Corrupt,  // it does not make sense
        End,      // the input ends before it
    };
    struct Framing {
        Frame kind;
        size_t size = 0;  // of the whole record; for Short, the size it claims
        const char *reason = "corrupt record header";
    };
    // Whether reading may resume at a window offset.
    enum class Resume { Yes, No, Undecided };

    // The record that starts at window offset at, judged on the bytes that
    // are there (nothing is read).
    Framing frameAt(size_t at) { return version() == 1 ? v1FrameAt(at) : v2FrameAt(at); }
    // Whether reading may resume at window offset at, on the bytes that are
    // there; afterCut: the damage is a record that ran past the bytes read.
    Resume resumesAt(size_t at, bool afterCut) { return version() == 1 ? v1ResumesAt(at, afterCut) : v2ResumesAt(at); }
    // The fields of the whole record at the start of the window.
    void take(CaptureRecord &record) { version() == 1 ? v1Take(record) : v2Take(record); }
    uint64_t payloadSizeAt(const uint8_t *header) const { return readLe(header + (version() == 1 ? 6 : 16), 4); }
    size_t headerSize() const { return version() == 1 ? kV1HeaderSize : kV2HeaderSize; }

    Framing v1FrameAt(size_t at);
    Resume v1ResumesAt(size_t at, bool afterCut);
    void v1Take(CaptureRecord &record);
    bool known(uint16_t channel, uint32_t id) const { return !options_.knownRecord || options_.knownRecord(channel, id); }
    Framing v2FrameAt(size_t at);
    Resume v2ResumesAt(size_t at);
    void v2Take(CaptureRecord &record);
    const char *tooLong(uint64_t length) {
        reason_ = formatText("record length %llu above --max-record %u", static_cast<unsigned long long>(length),
                             options_.maxRecord);
        return reason_.c_str();
    }
    // A file header at the start of the window: a capture that follows
    // another on the same stream.
    bool newCapture();

    bool live() const { return options_.follow || !regularFile(); }
    bool ended() const { return input_->ended(); }
    // The bytes needed for a record of this header and payload size, or
    // false when that is more than the window may ever hold.
    static bool recordSize(size_t header, uint64_t payload, size_t trailer, size_t &size) {
        if (payload > std::numeric_limits<size_t>::max() - header - trailer) return false;
        size = header + static_cast<size_t>(payload) + trailer;
        return true;
    }

    Next damaged(Framing frame);
    std::string cutMessage(const Framing &frame);
    std::string damageMessage(const std::string &reason, uint64_t offset) const;
    void noteDamage(uint64_t offset, uint64_t bytes, const std::string &reason);

    PrefixCrcs crcs_;
    std::string reason_;
};

bool BinaryReader::takeWhole(CaptureRecord &record) {
    const size_t present = input_->available();
    const uint8_t *header = input_->data();
    // A byte that may start a file header goes the general way.
    if (errorKind() != CaptureError::None || present == 0 || header[0] == kCaptureMagic[0]) return false;
    size_t size = 0;
    if (version() == 1) {
        if (present < kV1HeaderSize) return false;
        const uint32_t length = loadLe<uint32_t>(header + 6);
        const bool zeroed = length == 0 && loadLe<uint32_t>(header) == 0 && loadLe<uint16_t>(header + 4) == 0;
        if (length > options_.maxRecord || present - kV1HeaderSize < length || zeroed) return false;
        record.time = 0;
        record.channel = loadLe<uint16_t>(header);
        record.id = loadLe<uint32_t>(header + 2);
        record.size = length;
        record.payload = header + kV1HeaderSize;
        size = kV1HeaderSize + length;
    } else {
        if (present < kV2HeaderSize + kV2TrailerSize || header[0] != kSyncMark[0] || header[1] != kSyncMark[1]) {
            return false;
        }
        const uint32_t length = loadLe<uint32_t>(header + 16);
        if (length > options_.maxRecord || present - kV2HeaderSize - kV2TrailerSize < length) return false;
        if (crc32(header, kV2HeaderSize + length) != loadLe<uint32_t>(header + kV2HeaderSize + length)) return false;
        record.channel = loadLe<uint16_t>(header + 2);
        record.id = loadLe<uint32_t>(header + 4);
        record.time = loadLe<uint64_t>(header + 8);
        record.size = length;
        record.payload = header + kV2HeaderSize;
        size = kV2HeaderSize + length + kV2TrailerSize;
    }
    record.position = input_->offset();
    input_->consume(size);
    return true;
}

CaptureReader::Next BinaryReader::next(CaptureRecord &record) {
    if (takeWhole(record)) return Next::Record;
    // While the record at the start is incomplete, the offset behind it
    // from which candidates for resuming are judged next.
    size_t scanned = 1;
    while (errorKind() == CaptureError::None) {
        // A file header where a record would start: another capture follows
        // on the same input, or a followed file started anew.
        if (input_->available() != 0 && input_->data()[0] == kCaptureMagic[0] && newCapture()) continue;
        const Framing frame = frameAt(0);
        if (frame.kind == Frame::Whole) {
            record.position = input_->offset();
            take(record);
            input_->consume(frame.size);
            return Next::Record;
        }
        if (frame.kind == Frame::Corrupt) {
            if (const Next next = damaged(frame); next != Next::Record) return next;
            scanned = 1;
            continue;
        }
        if (frame.kind == Frame::End && ended()) return input_->failed() ? readFailure() : Next::End;
        if (frame.kind == Frame::Short && live() && !options_.stopOnError && version() == 2) {
            // A later record that checks out within the bytes read shows that
            // this length is wrong: do not wait for it. Only a checksum shows
            // that: in version 1 the bytes of a record still arriving may look
            // like records themselves, so a header that makes sense is waited
            // on, at most --max-record bytes.
            bool overtaken = false;
            size_t undecided = 0;  // the first candidate that more bytes may confirm: scanned again
            for (; scanned < input_->available() && !overtaken; ++scanned) {
                const Resume resume = resumesAt(scanned, true);
                overtaken = resume == Resume::Yes;
                if (resume == Resume::Undecided && undecided == 0) undecided = scanned;
            }
            if (undecided != 0 && !overtaken) scanned = undecided;
            if (overtaken) {
                if (const Next next = damaged(frame); next != Next::Record) return next;
                scanned = 1;
                continue;
            }
        }
        const size_t next = input_->available() + 1;
        const size_t wanted = frame.kind == Frame::Short && !live() ? std::max(frame.size, next) : next;
        if (!input_->fill(wanted)) {
            if (input_->failed()) return readFailure();
            if (input_->available() == 0) return Next::End;
            if (frameAt(0).kind != Frame::Whole) {
                if (const Next next = damaged({Frame::Short, frame.size}); next != Next::Record) return next;
                scanned = 1;
            }
        }
    }
    return Next::Error;
}

// Skips to the next point where reading may resume. Record means go on.
CaptureReader::Next BinaryReader::damaged(Framing frame) {
    const uint64_t offset = input_->offset();
    if (frame.kind != Frame::Corrupt) frame.kind = Frame::Short;
    const bool cut = frame.kind == Frame::Short;
    // The reason, kept: judging candidates rewrites the texts frames point to.
    const std::string reason = cut ? "length runs into later records" : frame.reason;
    if (options_.stopOnError) {
        if (cut && ended()) return fail(CaptureError::Truncated, cutMessage(frame));
        return fail(CaptureError::Malformed, damageMessage(reason, offset));
    }
    uint64_t skipped = 0;
    size_t firstUndecided = 0;  // 0: none
    size_t at = 1;
    for (;;) {
        for (; at < input_->available(); ++at) {
            const Resume resume = resumesAt(at, cut);
            if (resume == Resume::Undecided && firstUndecided == 0) firstUndecided = at;
            // On live input a later sure point does not wait for an earlier
            // undecided one; in a file the earlier one is decided first.
            if (resume == Resume::Yes && (firstUndecided == 0 || live())) {
                input_->consume(at);
                noteDamage(offset, skipped + at, reason);
                return Next::Record;
            }
            if (resume == Resume::Yes) break;
        }
        if (firstUndecided != 0) {
            at = firstUndecided;
            firstUndecided = 0;
            if (ended()) continue;  // with the input at its end, nothing stays undecided
        }
        if (at >= kScanWindow && firstUndecided == 0) {  // let the scanned part go
            input_->consume(at - 1);
            skipped += at - 1;
            at = 1;
        }
        const uint64_t restarts = input_->restarts();
        if (!input_->more() && (input_->failed() || at >= input_->available())) break;
        if (input_->restarts() != restarts) {  // a followed file started anew: the damage ends with it
            return Next::Record;
        }
    }
    if (input_->failed()) return readFailure();
    // Nothing after it makes sense: a record cut short by the end of the
    // input, or damage up to the end.
    if (cut && skipped == 0) return fail(CaptureError::Truncated, cutMessage(frame));
    noteDamage(offset, skipped + input_->available(), cut ? "record runs past the end of the input" : reason);
    input_->consume(input_->available());
    return Next::End;
}

void BinaryReader::noteDamage(uint64_t offset, uint64_t bytes, const std::string &reason) {
    noteSkip(offset, bytes, reason.c_str());
}

std::string BinaryReader::damageMessage(const std::string &reason, uint64_t offset) const {
    return formatText("%s: %s at byte offset %llu", name_.c_str(), reason.c_str(),
                      static_cast<unsigned long long>(offset));
}

std::string BinaryReader::cutMessage(const Framing &frame) {
    const size_t present = input_->available();
    const auto offset = static_cast<unsigned long long>(input_->offset());
    if (present < headerSize() || frame.size == 0) {
        return formatText("%s: record cut short at byte offset %llu: %u of its %u header bytes present",
                          name_.c_str(), offset, static_cast<unsigned>(present), static_cast<unsigned>(headerSize()));
    }
    return formatText("%s: record cut short at byte offset %llu: %llu of its %llu payload bytes present",
                      name_.c_str(), offset, static_cast<unsigned long long>(present - headerSize()),
                      static_cast<unsigned long long>(payloadSizeAt(input_->data())));
}

// Version 1: channel, id, payload length, payload. Nothing marks a record,
// so a header is judged by what it says: a length within --max-record, and
// not all zero bytes (zeroed storage, which no target sends). Reading
// resumes where three records in a row are known to the build (their
// channels, and their tokens where the capture is of the decoder's build) (or
// fewer, ending exactly at the end of the input, unless the damage was a
// record running past that end).
BinaryReader::Framing BinaryReader::v1FrameAt(size_t at) {
    const size_t present = input_->available();
    if (present <= at) return {Frame::End};
    if (present < at + kV1HeaderSize) return {Frame::Short};
    const uint8_t *header = input_->data() + at;
    const uint64_t length = payloadSizeAt(header);
    if (length > options_.maxRecord) return {Frame::Corrupt, 0, tooLong(length)};
    if (std::all_of(header, header + kV1HeaderSize, [](uint8_t byte) { return byte == 0; })) {
        return {Frame::Corrupt, 0, "zeroed record header"};
    }
    size_t size = 0;
    if (!recordSize(kV1HeaderSize, length, 0, size)) return {Frame::Corrupt};
    if (present - at < size) return {Frame::Short, size};
    return {Frame::Whole, size};
}

BinaryReader::Resume BinaryReader::v1ResumesAt(size_t at, bool afterCut) {
    constexpr int kConfirmingRecords = 3;
    for (int i = 0; i < kConfirmingRecords; ++i) {
        const Framing frame = v1FrameAt(at);
        if (frame.kind == Frame::End) {
            if (!ended()) return Resume::Undecided;
            return i > 0 && !afterCut ? Resume::Yes : Resume::No;
        }
        if (frame.kind == Frame::Corrupt) return Resume::No;
        // The channel and id are judged only once the header has been read.
        const bool headerRead = input_->available() >= at + kV1HeaderSize;
        const uint8_t *header = input_->data() + at;
        if (headerRead && !known(static_cast<uint16_t>(readLe(header, 2)), static_cast<uint32_t>(readLe(header + 2, 4)))) {
            return Resume::No;
        }
        if (frame.kind == Frame::Short) return ended() ? Resume::No : Resume::Undecided;
        at += frame.size;
    }
    return Resume::Yes;
}

void BinaryReader::v1Take(CaptureRecord &record) {
    const uint8_t *header = input_->data();
    record.channel = static_cast<uint16_t>(readLe(header, 2));
    record.id = static_cast<uint32_t>(readLe(header + 2, 4));
    record.time = 0;
    record.size = static_cast<uint32_t>(payloadSizeAt(header));
    record.payload = header + kV1HeaderSize;
}

// Version 2: a sync mark opens each record and a CRC-32 closes it, so one
// record whose checksum holds is enough to resume. A candidate's header is
// judged (sync mark, length within --max-record) before its checksum.
BinaryReader::Framing BinaryReader::v2FrameAt(size_t at) {
    const size_t present = input_->available();
    if (present <= at) return {Frame::End};
    const uint8_t *header = input_->data() + at;
    const size_t marked = std::min(present - at, sizeof kSyncMark);
    if (std::memcmp(header, kSyncMark, marked) != 0) return {Frame::Corrupt, 0, "no sync mark"};
    if (present - at < kV2HeaderSize) return {Frame::Short};
    const uint64_t length = payloadSizeAt(header);
    if (length > options_.maxRecord) return {Frame::Corrupt, 0, tooLong(length)};
    size_t whole = 0;
    if (!recordSize(kV2HeaderSize, length, kV2TrailerSize, whole)) return {Frame::Corrupt};
    if (present - at < whole) return {Frame::Short, whole};
    const uint64_t start = input_->offset() + at;
    const uint32_t crc = at == 0 ? crc32(header, whole - kV2TrailerSize)
                                 : crcs_.of(input_->data(), input_->offset(), start, start + whole - kV2TrailerSize);
    if (crc != readLe(header + whole - kV2TrailerSize, 4)) return {Frame::Corrupt, 0, "checksum mismatch"};
    return {Frame::Whole, whole};
}

BinaryReader::Resume BinaryReader::v2ResumesAt(size_t at) {
    if (at < input_->available() && input_->data()[at] != kSyncMark[0]) return Resume::No;
    switch (v2FrameAt(at).kind) {
    case Frame::Whole: return Resume::Yes;
    case Frame::Short:
    case Frame::End: return ended() ? Resume::No : Resume::Undecided;
    case Frame::Corrupt: return Resume::No;
    }
    return Resume::No;
}

void BinaryReader::v2Take(CaptureRecord &record) {
    const uint8_t *header = input_->data();
    record.channel = static_cast<uint16_t>(readLe(header + 2, 2));
    record.id = static_cast<uint32_t>(readLe(header + 4, 4));
    record.time = readLe(header + 8, 8);
    record.size = static_cast<uint32_t>(payloadSizeAt(header));
    record.payload = header + kV2HeaderSize;
}

bool BinaryReader::newCapture() {
    const size_t present = std::min(input_->available(), sizeof kCaptureMagic);
    if (std::memcmp(input_->data(), kCaptureMagic, present) != 0 || !input_->fill(kCaptureHeaderSize)) return false;
    const uint8_t *header = input_->data();
    const auto version = static_cast<uint32_t>(readLe(header + 8, 4));
    if (std::memcmp(header, kCaptureMagic, sizeof kCaptureMagic) != 0 || (version != 1 && version != 2)) return false;
    const uint64_t offset = input_->offset();
    beginCapture(version, header + 12);
    input_->consume(kCaptureHeaderSize);
    if (options_.notice) {
        options_.notice(formatText("%s: a new capture begins at byte offset %llu (version %u, %s)", name_.c_str(),
                                   static_cast<unsigned long long>(offset), version,
                                   uuid_.empty() ? "names no build" : ("build " + uuid_).c_str()));
    }
    if (options_.newCapture) options_.newCapture(*this);
    return true;
}

}  // namespace

std::unique_ptr<CaptureReader> makeBinaryV1Reader(CaptureReader::Opening &opening, const ReadOptions &options) {
    return std::make_unique<BinaryReader>(opening, options);
}

std::unique_ptr<CaptureReader> makeBinaryV2Reader(CaptureReader::Opening &opening, const ReadOptions &options) {
    return std::make_unique<BinaryReader>(opening, options);
}

}  // namespace tkcli
