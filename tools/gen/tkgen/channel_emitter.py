"""Writes the checked channels (build_model.py) as channels.cpp: the
channel table, addressed by index, and the decoder kind of each channel id,
found in a table of slots by one multiplication (perfect_hash.directory)."""

from . import cpp, perfect_hash

FILES = ["channels.cpp"]
MAX_SLOT_BITS = 16  # 2^16 slots take every 16-bit id by itself (multiplier 2^16), so a layout always exists


def emit(channels, source):
    rows = "\n".join(
        "    " + cpp.designated(id=c.id, master=c.master, source=cpp.string_literal(c.source),
                              type=cpp.string_literal(c.type), label=cpp.string_literal(c.label)) + ","
        for c in channels)
    kinds = {}
    for c in channels:
        kinds.setdefault(c.id, c.kind)
    multiplier, shift = perfect_hash.directory(sorted(kinds), MAX_SLOT_BITS)
    slots = ["{0, ChannelKind::Unknown}"] * (1 << (32 - shift))
    for ident, kind in kinds.items():
        slots[perfect_hash.directory_index(ident, multiplier, shift)] = f"{{{ident}, {kind}}}"
    slot_rows = "".join(f"    {', '.join(slots[k:k + 4])},\n" for k in range(0, len(slots), 4))
    body = f"""{cpp.preamble(source)}
// Channel kinds: {len(kinds)} ids in {len(slots)} slots, by (id * {cpp.hex32(multiplier)}) >> {shift}.
#include "api/channel_table.h"

namespace tkdec::build {{

// Every id has a slot of its own; the others read an empty or another id's slot.
const ChannelSlot channelSlots[] = {{
{slot_rows}}};
const uint32_t channelSlotMultiplier = {cpp.hex32(multiplier)};
const uint32_t channelSlotShift = {shift};

// Addressed by index: the order of the rows is part of the interface.
const ChannelDescriptor channels[] = {{
{rows}
}};
const uint32_t channelCount = {len(channels)};
}}  // namespace tkdec::build
"""
    return {"channels.cpp": body}
