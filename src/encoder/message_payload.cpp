#include "encoder/message_payload.h"

#include <cstddef>
#include <cstring>

#include "encoder/little_endian_writer.h"
#include "encoder/structure_encoding.h"
#include "encoder/text_scan.h"
#include "encoder/value_parsers.h"
#include "render/bounded_append.h"
#include "render/little_endian.h"

namespace tkdec {
namespace {

// The task that every injected message comes from.
constexpr const char *kSourceTaskName = "CKI_TEST_APP_APPS_TASK_ID";

// Header members set before the description, which may override them.
constexpr const char *kThreeTextHeader =
    "{.m_dstTask=%u .m_srcTask=%u .m_postedCounter=0 .m_deleteMe=1 .m_processing=0 .m_flags=0}";
constexpr const char *kJsonHeader = "{.m_srcTask=%u .m_postedCounter=0 .m_deleteMe=1 .m_processing=0 .m_flags=0}";

constexpr uint32_t kTextBufferSize = 256;
constexpr size_t kMaxMessageNameLength = kTextBufferSize - 1;  // JSON form; longer names are refused
constexpr uint32_t kMinimumSize = 7;
constexpr uint32_t kIdentifierSize = 4;
constexpr uint32_t kLengthOffset = 4;
constexpr uint32_t kStructureOffset = 2;   // payload offset of structure offset 0
constexpr uint32_t kDestinationOffset = 10;  // payload offset of m_dstTask
constexpr uint32_t kTargetCpu = 2;           // bits 24 to 27 of the target's tasks

// The value of a task given as a number or a CKI_TaskId name; 0 for any
// other text.
uint32_t taskValue(const Enumerator *taskIds, const char *text) {
    uint8_t scratch[4] = {};
    const char *p = text;
    parseEnumeration(scratch, scratch + sizeof scratch, &p, UF_AsText, sizeof scratch, taskIds);
    return static_cast<uint32_t>(readLittleEndian(sizeof scratch, scratch, scratch + sizeof scratch));
}

// m_dstTask as far as it lies within the payload must be a task of the
// target CPU.
int32_t checkDestination(const uint8_t *buffer, uint32_t size, int32_t result) {
    if (result <= 0) return result;
    uint32_t task = 0;
    for (uint32_t i = 0; i < 4; ++i) {
        const uint32_t at = kDestinationOffset + i;
        if (at < static_cast<uint32_t>(result) && at < size) task |= static_cast<uint32_t>(buffer[at]) << (8 * i);
    }
    return ((task >> 24) & 0xF) == kTargetCpu ? result : -1;
}

// Encodes the header text, then the description (syntax) from *text, then
// identifier and length, all within the caller's buffer: a member value that
// lies behind the structure but inside the buffer is written. Returns the
// payload length, or the error result of the position where the description
// stopped: 1 - (its index in the text that begins at origin).
int32_t encodeMessage(const MessageTypeEntry &entry, uint8_t *buffer, uint32_t size, const char *header,
                      const char *origin, const char *text, OutputFormat syntax) {
    const TypeDescriptor &type = *entry.type;
    uint8_t *const start = buffer + kStructureOffset;
    uint8_t *const end = buffer + size;
    const char *p = text;
    const bool encoded = parseStructure(start, end, &header, UF_AsText, &type) == 0 &&
                         parseStructure(start, end, &p, syntax, &type) == 0 &&
                         writeLittleEndian(kIdentifierSize, entry.id, buffer, end) == 0 &&
                         writeLittleEndian(2, type.size - 4, buffer + kLengthOffset, end) == 0;
    if (encoded) return static_cast<int32_t>(type.size + kStructureOffset);
    return static_cast<int32_t>(1 - (p - origin));
}

bool fitsPayload(const TypeDescriptor &type, uint32_t size) {
    return static_cast<uint64_t>(type.size) + kStructureOffset <= size;
}

// A type entry named in the three-text form: the destination text is a
// value of the type, written from offset 0 within the whole buffer. A buffer
// shorter than the type is refused, as a short payload buffer is.
int32_t encodeTypeValue(const MessageTypeEntry &entry, uint8_t *buffer, uint32_t size, const char *text) {
    if (entry.type->size > size) return -1;
    const char *p = text;
    return parseStructure(buffer, buffer + size, &p, UF_AsText, entry.type) == 0
               ? static_cast<int32_t>(entry.type->size)
               : -1;
}

int32_t threeTextForm(const PayloadTables &tables, uint8_t *buffer, uint32_t size, const char *name,
                      const char *destination, const char *body, uint32_t source) {
    const MessageTypeEntry *const entry = findMessageEntry(tables, name);
    if (entry == nullptr) return -1;
    if (entry->id == 0) return encodeTypeValue(*entry, buffer, size, destination);
    if (!fitsPayload(*entry->type, size)) return -1;
    char header[kTextBufferSize];
    char *pos = header;
    append(&pos, header + sizeof header, kThreeTextHeader, taskValue(tables.taskIds, destination), source);
    return checkDestination(buffer, size, encodeMessage(*entry, buffer, size, header, body, body, UF_AsText));
}

// {"MessageName": {members...}}: the name is copied (at most 255
// characters) and looked up; the member object follows the ':'.
int32_t jsonForm(const PayloadTables &tables, uint8_t *buffer, uint32_t size, const char *text, uint32_t source) {
    const char *p = skipSpace(text);
    if (*p != '{') return -1;
    p = skipSpace(p + 1);
    if (*p++ != '"') return -1;
    const char *const nameStart = p;
    while (*p != '\0' && *p != '"') ++p;
    const auto nameLength = static_cast<size_t>(p - nameStart);
    char name[kTextBufferSize];
    if (*p++ != '"' || nameLength > kMaxMessageNameLength) return -1;
    std::memcpy(name, nameStart, nameLength);
    name[nameLength] = '\0';
    p = skipSpace(p);
    if (*p++ != ':') return -1;
    const MessageTypeEntry *const entry = findMessageEntry(tables, name);
    if (entry == nullptr || !fitsPayload(*entry->type, size)) return -1;
    char header[kTextBufferSize];
    char *pos = header;
    append(&pos, header + sizeof header, kJsonHeader, source);
    return checkDestination(buffer, size, encodeMessage(*entry, buffer, size, header, text, p, UF_AsJson));
}

}  // namespace

const MessageTypeEntry *findMessageEntry(const PayloadTables &tables, const char *name) {
    if (name == nullptr || tables.entries == nullptr) return nullptr;
    uint8_t scratch[4] = {};
    const char *p = name;
    if (parseEnumeration(scratch, scratch + sizeof scratch, &p, UF_AsText, sizeof scratch, tables.messageIds) == 0) {
        const auto id = static_cast<uint32_t>(readLittleEndian(sizeof scratch, scratch, scratch + sizeof scratch));
        for (const MessageTypeEntry *e = tables.entries; e->print != nullptr; ++e)
            if (e->id == id) return e;
        return nullptr;
    }
    for (const MessageTypeEntry *e = tables.entries; e->print != nullptr; ++e)
        if (e->type != nullptr && std::strcmp(e->type->name, name) == 0) return e;
    return nullptr;
}

int32_t buildMessagePayload(const PayloadTables &tables, uint8_t *buffer, uint32_t size, const char *name,
                            const char *destination, const char *body) {
    if (buffer == nullptr || size < kMinimumSize || name == nullptr || *name == '\0') return -1;
    std::memset(buffer, 0, size);
    const uint32_t source = taskValue(tables.taskIds, kSourceTaskName);
    const bool threeText = destination != nullptr && *destination != '\0' && body != nullptr;
    const int32_t result = threeText ? threeTextForm(tables, buffer, size, name, destination, body, source)
                                     : jsonForm(tables, buffer, size, name, source);
    return result == -2 ? -1 : result;
}

}  // namespace tkdec
