"""decode_capture: every record of a capture as a dictionary with the
members of the tool's JSON Lines records."""

import json

from .capture import read_capture


def decode_capture(source, decoder):
    """Yields one dictionary per record of the capture at source (a path or
    a binary file object): record, offset, time (when known), channel, label,
    id, kind, group/file/line (where the build knows them), text, fields and,
    for a record that could not be decoded, payload."""
    for number, record in enumerate(read_capture(source), 1):
        yield record_dictionary(decoder, number, record)


def record_dictionary(decoder, number, record):
    row = decoder.channel(record.channel)
    decoded, text = decoder.decode_status(record.channel, record.id, record.payload, "text")
    fields = _parsed(decoder.decode(record.channel, record.id, record.payload, "longjson"))
    kind = _kind(row, decoded)
    result = {"record": number, "offset": record.offset}
    if record.time is not None:
        result["time"] = record.time
    result.update(channel=record.channel, label=row.label if row else None, id=f"0x{record.id:08x}", kind=kind)
    group = _group(fields)
    if group is not None:
        result["group"] = group
    if kind in ("print", "alarm", "exception"):
        result.update(_source_reference(decoder, record))
    result.update(text=text, fields=fields)
    if not decoded:
        result["payload"] = record.payload.hex()
    return result


def _kind(row, decoded):
    """The record's kind from its channel's row: the type column names
    messages and alarms (the exception channel's label says so); of the
    channels typed as prints, those numbered 17 + 32k carry message traces."""
    if row is None:
        return "unknown_channel"
    if not decoded:
        return "unknown_token"
    if row.type == "MESSAGE":
        return "message"
    if row.type == "ALARM":
        return "exception" if "EXCEPTION" in row.label else "alarm"
    return "trace" if row.id % 32 == 17 else "print"


def _parsed(text):
    try:
        return json.loads(text)
    except ValueError:
        return None


def _group(fields):
    """The log group that the long-JSON output names, if any."""
    group = fields.get("group") if isinstance(fields, dict) else None
    value = group.get("value") if isinstance(group, dict) else None
    return value.get("text") if isinstance(value, dict) else None


def _source_reference(decoder, record):
    try:
        file, line = decoder.source(record.channel, record.id)
    except Exception:
        return {}
    return {"file": file, "line": line}
