"""decode_capture: every record of a capture as a dictionary with the
members of the tool's JSON Lines records."""

import json

from .capture import read_capture, utc_text
from .errors import TkdecError

# The kind of a known channel: the first row whose type matches and whose
# text occurs in the channel's label.
KIND_RULES = [
    ("MESSAGE", "", "message"),
    ("ALARM", "EXCEPTION", "exception"),
    ("ALARM", "", "alarm"),
    ("TOKENIZED_PRINT", "MSG RX", "trace"),
    ("TOKENIZED_PRINT", "", "print"),
]


def decode_capture(source, decoder):
    """Yields one dictionary per record of the capture at source (a path or
    a binary file object): record, offset, time (when known), channel, label,
    id, kind, group/file/line (where the build knows them), text, fields and,
    for a record that could not be decoded, payload."""
    for number, record in enumerate(read_capture(source, decoder), 1):
        yield record_dictionary(decoder, number, record)


def record_dictionary(decoder, number, record):
    row = decoder.channel(record.channel)
    decoded, text = decoder.decode_status(record.channel, record.id, record.payload, "text")
    fields = _parsed(decoder.decode(record.channel, record.id, record.payload, "longjson"))
    kind = _kind(row, decoded)
    result = {"record": number, "offset": record.offset}
    if record.time is not None:
        result["time"] = utc_text(record.time)
    result.update(channel=record.channel, label=row.label if row else None, id=f"0x{record.id:08x}", kind=kind)
    if row and _kind(row, True) == "print":
        result["group"] = row.label.rpartition(":")[2]  # a print channel's label is SOURCE:GROUP
    if kind in ("print", "alarm", "exception"):
        result.update(_source_reference(decoder, record))
    result.update(text=text, fields=fields, payload=record.payload.hex())
    return result


def _kind(row, decoded):
    kind = next((k for type, part, k in KIND_RULES if row and row.type == type and part in row.label),
                "unknown_channel")
    return "unknown_token" if kind != "unknown_channel" and not decoded else kind


def _parsed(text):
    """The long-JSON output as an object, None when it is no JSON object."""
    try:
        fields = json.loads(text)
    except ValueError:
        return None
    return fields if isinstance(fields, dict) else None


def _source_reference(decoder, record):
    try:
        file, line = decoder.source(record.channel, record.id)
    except TkdecError:
        return {}
    return {"file": file, "line": line}
