// tkdec_decodeType: prints a value of a named type or message from raw
// bytes, found in the message type table by name or by id: the entry that
// a search in table order finds first, found through the generated name
// index and the message class lookup in a time that does not grow with
// the table.
#include <cstdint>
#include <cstring>

#include "records/perfect_hash.h"
#include "render/output.h"
#include "render/little_endian.h"
#include "render/name_filters.h"
#include "tkdec.h"
#include "type_tables.h"

namespace tkdec {
namespace {

constexpr uint32_t kPtpCpu = 2;
constexpr uint32_t kSourceTaskOffset = 4;
constexpr size_t kHexIdDigits = 8;
constexpr size_t kMaxDecimalIdDigits = 10;

// The ids that a name spells exactly as "0x%.8x" or as "%i" of an id.
struct SpelledIds {
    bool hasHex = false;
    uint32_t hex = 0;
    bool hasDecimal = false;
    uint32_t decimal = 0;
};

uint32_t hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<uint32_t>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<uint32_t>(c - 'a' + 10);
    return 16;
}

// "0x%.8x" of an id: "0x" and exactly eight lowercase hexadecimal digits.
bool parseHexId(const char *name, uint32_t &id) {
    if (name[0] != '0' || name[1] != 'x') return false;
    uint32_t value = 0;
    for (size_t i = 0; i < kHexIdDigits; ++i) {
        const uint32_t digit = hexDigitValue(name[2 + i]);
        if (digit >= 16) return false;
        value = value << 4 | digit;
    }
    id = value;
    return name[2 + kHexIdDigits] == '\0';
}

// "%i" of an id: "0", or an optional minus and up to ten digits without a
// leading zero, within the range of a 32-bit int ("-0" is no spelling).
bool parseDecimalId(const char *name, uint32_t &id) {
    const bool negative = name[0] == '-';
    const char *digits = negative ? name + 1 : name;
    if (digits[0] == '0') {
        if (negative || digits[1] != '\0') return false;
        id = 0;
        return true;
    }
    int64_t magnitude = 0;
    size_t count = 0;
    for (; digits[count] >= '0' && digits[count] <= '9'; ++count) {
        if (count == kMaxDecimalIdDigits) return false;
        magnitude = magnitude * 10 + (digits[count] - '0');
    }
    if (count == 0 || digits[count] != '\0') return false;
    const int64_t value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX) return false;
    id = static_cast<uint32_t>(value);
    return true;
}

// Reads the name's spelling directly: a name spells an id exactly when
// formatting that id gives the name back, so only these shapes match.
SpelledIds spelledIds(const char *name) {
    SpelledIds ids;
    ids.hasHex = parseHexId(name, ids.hex);
    ids.hasDecimal = parseDecimalId(name, ids.decimal);
    return ids;
}

// A message must have been sent by a task of the target's PTP CPU.
bool sentByPtpTask(const uint8_t *data, uint32_t length) {
    if (data == nullptr || length <= kSourceTaskOffset) return false;
    const uint32_t task =
        static_cast<uint32_t>(readLittleEndian(4, data + kSourceTaskOffset, data + length));
    return ((task >> 24) & 0xF) == kPtpCpu;
}

// The first table entry that a search in table order would take: the
// entries named so, the message entry of an id that the name spells, and
// for id 0 the first type entry are the only ones that match; a message
// entry counts only for a message from a PTP task.
class FirstMatch {
public:
    explicit FirstMatch(bool fromPtp) : fromPtp_(fromPtp) {}
    void consider(const MessageTypeEntry *entry) {
        if (entry == nullptr || (entry->id != 0 && !fromPtp_)) return;
        if (best_ == nullptr || entry < best_) best_ = entry;
    }
    // An entry matches an id only when it has a type.
    void considerId(uint32_t id) {
        const MessageTypeEntry *entry =
            id != 0 ? build::findMessageClass(id) : &build::messageTypeTable[build::messageEntryCount];
        if (entry != nullptr && entry->print != nullptr && entry->type != nullptr) consider(entry);
    }
    const MessageTypeEntry *best() const { return best_; }

private:
    bool fromPtp_;
    const MessageTypeEntry *best_ = nullptr;
};

// The first entry named so that the sender may take, or null: the name's
// key picks the only table name it can be, and one comparison confirms it.
const MessageTypeEntry *namedEntry(const char *name, bool fromPtp) {
    const TypeNameIndex &index = build::messageTypeNameIndex;
    const size_t length = std::strlen(name);
    const uint32_t slot = hashedSlot(nameKey(name, length, index.keySeed), index.seed, index.displacements,
                                     index.bucketMask, index.slots, index.slotMask);
    if (slot == 0) return nullptr;
    const TypeName &named = index.names[slot - 1];
    if (named.length != length || std::memcmp(build::messageTypeTable[named.first].name, name, length) != 0)
        return nullptr;
    const MessageTypeEntry *entry = &build::messageTypeTable[fromPtp ? named.first : named.firstType];
    return entry->print != nullptr ? entry : nullptr;
}

// Only a name that begins with a digit or '-' can spell an id.
bool maySpellId(const char *name) {
    return name[0] == '-' || (name[0] >= '0' && name[0] <= '9');
}

const MessageTypeEntry *findEntry(const char *name, const uint8_t *data, uint32_t length) {
    const bool fromPtp = sentByPtpTask(data, length);
    FirstMatch match(fromPtp);
    match.consider(namedEntry(name, fromPtp));
    if (maySpellId(name)) {
        const SpelledIds ids = spelledIds(name);
        if (ids.hasHex) match.considerId(ids.hex);
        if (ids.hasDecimal) match.considerId(ids.decimal);
    }
    return match.best();
}

}  // namespace
}  // namespace tkdec

extern "C" {

TKDEC_API uint32_t TKDEC_CALL tkdec_decodeType(const char *name, uint32_t length, const uint8_t *data,
                                               uint32_t outSize, char *out, int32_t format) {
    if (name == nullptr || out == nullptr || outSize == 0 || !tkdec::isValidFormat(format)) return 1;
    const tkdec::MessageTypeEntry *entry = tkdec::findEntry(name, data, length);
    if (entry == nullptr) return 1;
    char *pos = out;
    const uint8_t *dataEnd = data != nullptr ? data + length : nullptr;
    entry->print(data, dataEnd, &pos, out + outSize, static_cast<tkdec::OutputFormat>(format), tkdec::E_TOP_LEVEL, 0,
                 nullptr, tkdec::filterIdentity);
    return 0;
}

}  // extern "C"
