#include "records/message_decoder.h"

#include <cstring>

#include "render/bounded_append.h"
#include "render/name_filters.h"
#include "render/print_entries.h"
#include "type_tables.h"

namespace tkdec {
namespace {

constexpr const char *kUnknownMsgIdText = "[DECODER INFO::Unknown MsgId 0x%.8x - use CKI_ENUM_EXTENDS(<EnumType>, CKI_MsgId)]";
constexpr const char *kNoClassText = "[DECODER INFO::use CKI_MESSAGE_ID(%s) to link an ID to a CKI_Message class]";
constexpr FormatRow kUnknownMsgIdHint = {{kUnknownMsgIdText, kUnknownMsgIdText, kUnknownMsgIdText, kUnknownMsgIdText}};
constexpr FormatRow kNoClassHint = {{kNoClassText, kNoClassText, kNoClassText, kNoClassText}};
constexpr const char *kTimerMark = "TIMER";
constexpr uint32_t kTaskSize = 4;

struct Payload {
    const uint8_t *start;
    const uint8_t *end;
    size_t length() const { return start != nullptr && start < end ? static_cast<size_t>(end - start) : 0; }
};

// Prints the message as a structure, from 4 bytes before the payload so
// that member offsets are message offsets; no member lies in those 4
// bytes, so nothing is read there.
void printMessage(ValuePrinter printer, const Payload &payload, char **pos, char *end, OutputFormat format) {
    const uint8_t *message = payload.start != nullptr ? payload.start - kMessageIdSize : nullptr;
    const uint8_t *messageEnd = payload.start != nullptr ? payload.end : nullptr;
    printer(message, messageEnd, pos, end, format, E_TOP_LEVEL, 0, nullptr, filterIdentity);
}

// Renders a value at top level into the scratch area as a text of its own
// (terminated, the scratch position behind its terminator).
const char *renderText(ValuePrinter printer, const uint8_t *data, char **scratchPos, char *scratchEnd,
                       OutputFormat format) {
    if (!hasRoom(scratchPos, scratchEnd)) return nullptr;
    char *const start = *scratchPos;
    printer(data, data + kTaskSize, scratchPos, scratchEnd, format, E_TOP_LEVEL, 0, nullptr, filterIdentity);
    if (*scratchPos >= scratchEnd) {
        scratchEnd[-1] = '\0';  // cut: the text gives up its last character for a terminator
        *scratchPos = scratchEnd;
    } else {
        **scratchPos = '\0';
        ++*scratchPos;
    }
    return start;
}

bool marksTimer(const char *text) { return text != nullptr && std::strstr(text, kTimerMark) != nullptr; }

// A message without class is a timer when the id's name or the name of
// one of its two tasks contains "TIMER". A task word that the payload
// does not hold completely takes no part in the test: it is not read
// behind the payload end, and not rendered (the enumeration printer would
// describe the whole task type without it, and that list always contains
// a timer task).
bool isTimer(const char *idText, const Payload &payload, char **scratchPos, char *scratchEnd, OutputFormat format) {
    if (marksTimer(idText)) return true;
    for (uint32_t task = 0; task < 2; ++task) {
        if (payload.length() < (task + 1) * kTaskSize) return false;
        const uint8_t *word = payload.start + task * kTaskSize;
        if (marksTimer(renderText(&printEnumeration<build::enum_CKI_TaskId>, word, scratchPos, scratchEnd, format)))
            return true;
    }
    return false;
}

void decodeWithoutClass(const Payload &payload, char **pos, char *end, OutputFormat format, uint32_t id) {
    char scratch[kMessageIdScratchSize];
    char *scratchPos = scratch;
    char *const scratchEnd = scratch + sizeof scratch;
    const uint8_t idBytes[4] = {static_cast<uint8_t>(id), static_cast<uint8_t>(id >> 8),
                                static_cast<uint8_t>(id >> 16), static_cast<uint8_t>(id >> 24)};
    const char *idText = renderText(&printEnumeration<build::enum_CKI_MsgId>, idBytes, &scratchPos, scratchEnd, format);
    if (isTimer(idText, payload, &scratchPos, scratchEnd, format)) {
        return printMessage(&printStructure<build::type_CKI_Timer>, payload, pos, end, format);
    }
    if (idText[0] == '(')
        appendRow(pos, end, kUnknownMsgIdHint, format, id);
    else
        appendRow(pos, end, kNoClassHint, format, idText);
    printMessage(&printStructure<build::type_CKI_Message>, payload, pos, end, format);
}

}  // namespace

int32_t decodeMessage(const uint8_t *payloadStart, const uint8_t *payloadEnd, char **pos, char *end,
                      OutputFormat format, uint32_t id) {
    const Payload payload = {payloadStart, payloadEnd};
    const MessageTypeEntry *entry = build::findMessageClass(id);
    if (entry != nullptr)
        printMessage(entry->print, payload, pos, end, format);
    else
        decodeWithoutClass(payload, pos, end, format, id);
    return 0;
}

}  // namespace tkdec
