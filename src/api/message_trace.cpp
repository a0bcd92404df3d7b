#include "api/message_trace.h"

#include "records/argument_reader.h"
#include "render/argument_renderer.h"
#include "render/bounded_append.h"
#include "render/name_filters.h"
#include "render/print_entries.h"
#include "render/text_writer.h"
#include "type_tables.h"

namespace tkdec {
namespace {

// The texts between the three parts, the same in every output format.
constexpr std::string_view kKnownBefore = " -> (";
constexpr std::string_view kKnownAfter = ") -> ";
constexpr std::string_view kUnknownBetween = " -> ";

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

// Appends a task's CKI_TaskId text straight into the output.
void appendTask(uint32_t task, char **pos, char *end, OutputFormat format) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(task), static_cast<uint8_t>(task >> 8),
                              static_cast<uint8_t>(task >> 16), static_cast<uint8_t>(task >> 24)};
    printEnumeration<build::enum_CKI_TaskId>(bytes, bytes + 4, pos, end, format, E_TYPE, 0, nullptr, filterIdentity);
}

// Appends the middle part with the texts around it, in a window that the
// trace has found open.
void appendMiddle(char **pos, char *end, std::string_view before, std::string_view middle, std::string_view after) {
    TextWriter out(pos, end, kCheckedWindow);
    out.text(before);
    out.text(middle);
    out.text(after);
    out.finish();
}

}  // namespace

// The parts are appended one after the other, each a bounded append: their
// output is that of one bounded append of the whole line, without first
// rendering the tasks elsewhere and copying them.
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
    appendTask(tasks[0], pos, end, format);
    if (entry != nullptr)
        appendMiddle(pos, end, kKnownBefore, nameText(entry->type->name, entry->type->nameLength), kKnownAfter);
    else
        appendMiddle(pos, end, kUnknownBetween, idText, kUnknownBetween);
    appendTask(tasks[1], pos, end, format);
}

}  // namespace tkdec
