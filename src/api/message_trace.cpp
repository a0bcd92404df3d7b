#include "api/message_trace.h"

#include "records/argument_reader.h"
#include "render/argument_renderer.h"
#include "render/bounded_append.h"
#include "render/name_filters.h"
#include "render/print_entries.h"
#include "type_tables.h"

namespace tkdec {
namespace {

constexpr const char *kKnownText = "%s -> (%s) -> %s";
constexpr const char *kUnknownText = "%s -> %s -> %s";
constexpr FormatRow kKnownTrace = {{kKnownText, kKnownText, kKnownText, kKnownText}};
constexpr FormatRow kUnknownTrace = {{kUnknownText, kUnknownText, kUnknownText, kUnknownText}};

struct Scratch {
    char *pos;
    char *end;
    const char *render(uint32_t value, ValuePrinter printer, OutputFormat format) {
        return renderArgument(value, &pos, end, printer, format, 0, filterIdentity);
    }
};

// The first table entry with this id: the message or event entry, or for
// id 0 the first type entry (message ids are never 0).
const MessageTypeEntry *findEntry(uint32_t id) {
    if (id != 0) return build::findMessageClass(id);
    const MessageTypeEntry *entry = build::messageTypeTable;
    while (entry->print != nullptr && entry->id != 0) ++entry;
    return entry->print != nullptr ? entry : nullptr;
}

// The id's CKI_MsgId text, or its CKI_EventId text when the first is no
// name (in text and XML an unknown value prints in parentheses).
const char *renderId(uint32_t id, Scratch &scratch, OutputFormat format) {
    char *const start = scratch.pos;
    const char *text = scratch.render(id, &printEnumeration<build::enum_CKI_MsgId>, format);
    if (text[0] != '(') return text;
    scratch.pos = start;
    return scratch.render(id, &printEnumeration<build::enum_CKI_EventId>, format);
}

}  // namespace

void traceMessage(const uint8_t *payloadStart, const uint8_t *payloadEnd, char **pos, char *end,
                  OutputFormat format, uint32_t id) {
    uint32_t tasks[2];
    const uint32_t length = payloadStart != nullptr && payloadStart < payloadEnd
                                ? static_cast<uint32_t>(payloadEnd - payloadStart)
                                : 0;
    readArguments(length, payloadStart, tasks, 2, pos, end, format);
    char area[kTraceScratchSize];
    Scratch scratch = {area, area + sizeof area};
    const MessageTypeEntry *entry = findEntry(id);
    const char *idText = entry == nullptr ? renderId(id, scratch, format) : nullptr;
    if (!hasRoom(pos, end)) return;
    const char *source = scratch.render(tasks[0], &printEnumeration<build::enum_CKI_TaskId>, format);
    const char *destination = scratch.render(tasks[1], &printEnumeration<build::enum_CKI_TaskId>, format);
    if (entry != nullptr)
        appendRow(pos, end, kKnownTrace, format, source, entry->type->name, destination);
    else
        appendRow(pos, end, kUnknownTrace, format, source, idText, destination);
}

}  // namespace tkdec
