// Fuzzes record decoding as the host builds a view: several records are
// appended through one output cursor, which starts at an offset into a
// buffer that already holds text, at its end, beyond it, or is not given.
//
// Input: cursor u8 (0: at the offset, 1: at the end, 2: beyond the end,
// 3: null position address), output size u24 (up to 65,536), offset u16,
// then records: channel u16, id u32, mode u8, [format i32], payload length
// u16, payload. Mode bits 0-1: the format; bit 2: a raw format of any
// value follows; bits 3-4: the payload pointers as given, reversed, start
// null or end null; bit 7: the id is replaced by a known token, alarm or
// message id chosen by its value.
#include <utility>

#include "build_ids.h"
#include "fuzz_input.h"
#include "guarded_buffer.h"
#include "tkdec.h"

using fuzzing::GuardedBuffer;
using fuzzing::require;

namespace {

enum Cursor : uint32_t { kAtOffset, kAtEnd, kBeyondEnd, kNullPosition };
enum Pointers : uint32_t { kAsGiven, kReversed, kStartNull, kEndNull };
constexpr int kMaxRecords = 16;

struct Record {
    uint16_t channel;
    uint32_t id;
    int32_t format;
    Pointers pointers;
};

Record readRecord(fuzzing::InputReader &input) {
    Record record;
    record.channel = static_cast<uint16_t>(input.take(2));
    record.id = input.take(4);
    const uint32_t mode = input.take(1);
    record.format = static_cast<int32_t>(mode & 3);
    if (mode & 4) record.format = static_cast<int32_t>(input.take(4));
    record.pointers = static_cast<Pointers>((mode >> 3) & 3);
    if (mode & 0x80) record.id = fuzzing::knownId(record.id);
    return record;
}

int32_t decode(const Record &record, const fuzzing::ExactBytes &payload, char **position, char *end) {
    const uint8_t *start = payload.data();
    const uint8_t *stop = payload.data() != nullptr ? payload.end() : nullptr;
    switch (record.pointers) {
    case kAsGiven: break;
    case kReversed: std::swap(start, stop); break;
    case kStartNull: start = nullptr; break;
    case kEndNull: stop = nullptr; break;
    }
    return tkdec_getText(start, stop, position, end, record.format, record.id, record.channel);
}

char *cursorStart(GuardedBuffer &out, Cursor cursor, uint32_t offset) {
    switch (cursor) {
    case kAtOffset: return out.text() + offset % (out.size() + 1);
    case kAtEnd: return out.textEnd();
    case kBeyondEnd: return out.textEnd() + 1 + offset % fuzzing::kGuardSize;
    case kNullPosition: break;
    }
    return nullptr;
}

// What a record's call may have done to the cursor and the buffer.
void checkRecord(int32_t result, const Record &record, char *before, char *after, GuardedBuffer &out) {
    require(result == 0 || result == 1);
    const bool validFormat = record.format >= UF_AsText && record.format <= UF_AsJson;
    if (!validFormat) require(result == 1);
    if (before >= out.textEnd() || !validFormat) {
        require(after == before);
        return;
    }
    require(after >= before && after <= out.textEnd());
    if (after < out.textEnd()) require(*after == '\0');
}

// Nothing was written behind the last terminator.
void checkTail(GuardedBuffer &out, const char *position) {
    if (position >= out.textEnd()) return;
    for (const char *p = position + 1; p < out.textEnd(); ++p)
        require(static_cast<uint8_t>(*p) == fuzzing::kGuardByte);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::InputReader input(data, size);
    const Cursor cursor = static_cast<Cursor>(input.take(1) & 3);
    GuardedBuffer out(fuzzing::takeSize(input));
    char *position = cursorStart(out, cursor, input.take(2));
    char *const filledUpTo = position;

    for (int n = 0; n < kMaxRecords && input.restSize() != 0; ++n) {
        const Record record = readRecord(input);
        size_t length = 0;
        const uint8_t *bytes = input.bytes(input.take(2), &length);
        const fuzzing::ExactBytes payload(bytes, length);
        if (cursor == kNullPosition) {
            require(decode(record, payload, nullptr, out.textEnd()) == 1);
            continue;
        }
        char *const before = position;
        const int32_t result = decode(record, payload, &position, out.textEnd());
        checkRecord(result, record, before, position, out);
    }
    if (cursor == kNullPosition) {
        require(out.untouched());
    } else if (filledUpTo <= out.textEnd()) {
        // The text that the buffer held before the cursor stays as it was.
        require(out.untouchedWithin(static_cast<size_t>(filledUpTo - out.text())));
        checkTail(out, position);
    }
    out.checkGuards();
    return 0;
}
