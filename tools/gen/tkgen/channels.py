"""Checks the channel table of a build and builds its rows (build_model.py);
channel_emitter.py writes them as C++."""

from .build_model import DECODERS, LOG_GROUP, Channel
from .description import check_plain_text, fields, quoted, section

CHANNEL_MEMBERS = {"id": int, "master": int, "source": str, "type": str, "label": str, "decoder": str}
TEXT_MEMBERS = ("source", "type", "label")


def check_row(row, seen):
    members = fields(row, CHANNEL_MEMBERS)
    if members is None or len(members) != len(CHANNEL_MEMBERS):
        return None
    channel = Channel(**{key: node.value for key, node in members.items()})
    ident = channel.id
    if not 0 <= ident <= 0xFFFF:
        members["id"].error(f"channel id {ident} does not fit 16 bits")
    elif ident in seen:
        members["id"].error(f"duplicate channel id {ident}")
    seen.add(ident)
    if not 0 <= channel.master <= 0xFFFF:
        members["master"].error(f"master {channel.master} does not fit 16 bits")
    for key in TEXT_MEMBERS:
        check_plain_text(members[key])
    decoder = channel.decoder
    if decoder not in DECODERS:
        members["decoder"].error(f"unknown decoder {quoted(decoder)}; expected one of {', '.join(DECODERS)}")
        return None
    if decoder == LOG_GROUP and (ident < 16 or (ident - 16) % 32 != 0):
        members["id"].error(f"log-group channel id {ident} is not 16 + 32 * g")
    if decoder != LOG_GROUP and (ident < 17 or (ident - 17) % 32 != 0):
        members["id"].error(f"{decoder} channel id {ident} is not 17 + 32 * k")
    return channel


def check(desc, errors):
    """Returns the list of Channels, or None after reporting errors."""
    before = len(errors.messages)
    rows = section(desc, "channels", "an array of channel rows", required=True)
    if len(errors.messages) != before:
        return None
    seen = set()
    channels = [check_row(row, seen) for row in rows]
    count = desc.get("channel_count")
    if count is None:
        desc.missing("channel_count")
    elif not isinstance(count.value, int) or isinstance(count.value, bool):
        count.error("expected an integer")
    elif count.value != len(rows):
        count.error(f"channel count {count.value} differs from the {len(rows)} rows given")
    if len(errors.messages) != before:
        return None
    return channels


def log_groups(channels):
    """{group value: channel id} of the log-group channels."""
    return {c.log_group: c.id for c in channels if c.log_group is not None}
