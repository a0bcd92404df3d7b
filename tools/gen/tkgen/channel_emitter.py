"""Writes the checked channels (build_model.py) as channels.cpp: the
channel table, addressed by index, and the decoder kind of each channel id."""

from . import cpp

FILES = ["channels.cpp"]


def emit(channels, source):
    rows = "\n".join(
        "    " + cpp.designated(id=c.id, master=c.master, source=cpp.string_literal(c.source),
                              type=cpp.string_literal(c.type), label=cpp.string_literal(c.label)) + ","
        for c in channels)
    by_kind = {}
    for c in channels:
        by_kind.setdefault(c.kind, []).append(c.id)
    cases = []
    for kind, ids in by_kind.items():
        labels = "\n".join(f"    case {i}:" for i in sorted(ids))
        cases.append(f"{labels}\n        return {kind};")
    switch = "\n".join(cases)
    body = f"""{cpp.preamble(source)}
#include "api/channel_table.h"

namespace tkdec::build {{

// Addressed by index: the order of the rows is part of the interface.
const ChannelDescriptor channels[] = {{
{rows}
}};
const uint32_t channelCount = {len(channels)};

ChannelKind channelKind(uint16_t id) {{
    switch (id) {{
{switch}
    default:
        return ChannelKind::Unknown;
    }}
}}

}}  // namespace tkdec::build
"""
    return {"channels.cpp": body}
