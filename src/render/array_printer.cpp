// The array printer: the elements of an array type with their indices,
// the element count checked against its maximum and the data present.
#include "render/bounded_append.h"
#include "render/value_printers.h"

namespace tkdec {
namespace {

constexpr FormatRow kNoData = {{"{}", "", "", ""}};
constexpr FormatRow kAboveMaximum = {
    {"**expected %d max %d**", "<error>expected %d max %d</error>", "\"expected %d max %d\"", "\"expected %d max %d\""}};
constexpr FormatRow kTooShort = {{"**expected %d have %d**", "<error>expected %d have %d</error>",
                                  "\"expected %d have %d\"", "\"expected %d have %d\""}};
constexpr FormatRow kOpen = {{"{", "", "[", "["}};
constexpr FormatRow kFirstElementOpen = {{"", "<_%d>", "", ""}};
constexpr FormatRow kElementOpen = {{",", "<_%d>", ",", ","}};
constexpr FormatRow kElementClose = {{"", "</_%d>", "", ""}};
constexpr FormatRow kClose = {{"}", "", "]", "]"}};

uint32_t elementCount(const FieldDescriptor &field, const ValueCall &call) {
    const uint32_t maximum = field.elementCount;
    const uint32_t count = call.count != nullptr ? call.count(call.data, call.dataEnd, 0) : maximum;
    if (count <= maximum) return count;
    appendRow(call.pos, call.end, kAboveMaximum, call.format, static_cast<int>(count), static_cast<int>(maximum));
    return maximum;
}

void checkPresent(const FieldDescriptor &field, const ValueCall &call, uint32_t count) {
    const uint64_t present = static_cast<uint64_t>(call.dataEnd - call.data);
    const uint64_t wanted = static_cast<uint64_t>(count) * field.elementSize;
    if (wanted <= present) return;
    const uint64_t whole = field.elementSize != 0 ? present / field.elementSize : 0;
    appendRow(call.pos, call.end, kTooShort, call.format, static_cast<int>(count), static_cast<int>(whole));
}

}  // namespace

void printArray(const FieldDescriptor &field, const ValueCall &call) {
    if (!hasRoom(call.pos, call.end)) return;
    if (call.data == nullptr || call.data >= call.dataEnd) return appendRow(call.pos, call.end, kNoData, call.format);
    const uint32_t count = elementCount(field, call);
    checkPresent(field, call, count);
    appendRow(call.pos, call.end, kOpen, call.format);
    const uint8_t *element = call.data;
    for (uint32_t i = 0; i < count && hasRoom(call.pos, call.end); ++i) {
        appendRow(call.pos, call.end, i == 0 ? kFirstElementOpen : kElementOpen, call.format, static_cast<int>(i));
        if (field.print != nullptr)
            field.print(element, call.dataEnd, call.pos, call.end, call.format, E_ARRAY, 0, nullptr, call.filter);
        // Once the data end is reached every further element prints its
        // no-data form.
        element = memberData(element, call.dataEnd, field.elementSize);
        appendRow(call.pos, call.end, kElementClose, call.format, static_cast<int>(i));
    }
    appendRow(call.pos, call.end, kClose, call.format);
}

}  // namespace tkdec
