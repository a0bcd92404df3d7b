"""The channel table and the decoder that each channel id selects."""

from . import cpp
from .description import fields

DECODERS = {
    "log_group": "ChannelKind::TokenisedPrint",
    "alarm": "ChannelKind::Alarm",
    "message": "ChannelKind::Message",
    "message_trace": "ChannelKind::MessageTrace",
}
CHANNEL_MEMBERS = {"id": int, "master": int, "source": str, "type": str, "label": str, "decoder": str}

FILES = ["channels.cpp"]  # written by emit()


def check_row(row, seen):
    members = fields(row, CHANNEL_MEMBERS)
    if members is None or len(members) != len(CHANNEL_MEMBERS):
        return None
    channel = {key: node.value for key, node in members.items()}
    ident = channel["id"]
    if not 0 <= ident <= 0xFFFF:
        members["id"].error(f"channel id {ident} does not fit 16 bits")
    elif ident in seen:
        members["id"].error(f"duplicate channel id {ident}")
    seen.add(ident)
    if not 0 <= channel["master"] <= 0xFFFF:
        members["master"].error(f"master {channel['master']} does not fit 16 bits")
    decoder = channel["decoder"]
    if decoder not in DECODERS:
        members["decoder"].error(f"unknown decoder \"{decoder}\"; expected one of {', '.join(DECODERS)}")
        return None
    if decoder == "log_group" and (ident < 16 or (ident - 16) % 32 != 0):
        members["id"].error(f"log-group channel id {ident} is not 16 + 32 * g")
    if decoder != "log_group" and (ident < 17 or (ident - 17) % 32 != 0):
        members["id"].error(f"{decoder} channel id {ident} is not 17 + 32 * k")
    return channel


def check(desc, errors):
    """Returns the list of channel rows, or None after reporting errors."""
    rows = desc.get("channels")
    count = desc.get("channel_count")
    if rows is None:
        desc.missing("channels")
        return None
    if not isinstance(rows.value, list):
        rows.error("expected an array of channel rows")
        return None
    before = len(errors.messages)
    seen = set()
    channels = [check_row(row, seen) for row in rows.items()]
    if count is None:
        desc.missing("channel_count")
    elif not isinstance(count.value, int) or isinstance(count.value, bool):
        count.error("expected an integer")
    elif count.value != len(rows.value):
        count.error(f"channel count {count.value} differs from the {len(rows.value)} rows given")
    if len(errors.messages) != before:
        return None
    return channels


def log_groups(channels):
    """{group value: channel id} of the log-group channels."""
    return {(c["id"] - 16) // 32: c["id"] for c in channels if c["decoder"] == "log_group"}


def emit(channels, source):
    rows = "\n".join(
        "    " + cpp.designated(id=c["id"], master=c["master"], source=cpp.string_literal(c["source"]),
                              type=cpp.string_literal(c["type"]), label=cpp.string_literal(c["label"])) + ","
        for c in channels)
    by_kind = {}
    for c in channels:
        by_kind.setdefault(DECODERS[c["decoder"]], []).append(c["id"])
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
