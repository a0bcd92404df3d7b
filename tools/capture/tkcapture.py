#!/usr/bin/env python3
"""Writes tkdec captures (binary and text form) from a readable JSON list of
records. See docs/capture-formats.md for the two forms and README.md here
for the record list.

    tkcapture.py LIST.json [--binary OUT.tkcap] [--binary-v2 OUT.tkcap] [--text OUT.txt] [--check]

The captures are written record by record, in constant memory.

Every mistake in the list is reported as FILE: JSON-PATH: reason, and
nothing is written when there is one. With --check the outputs are
compared with the files instead of written (exit status 1 when they
differ).
"""

import argparse
import filecmp
import json
import os
import struct
import sys
import zlib

MAGIC = b"TKDECCAP"
SYNC = bytes([0xA5, 0x5A])
INT_SIZES = {"u8": 1, "u16": 2, "u32": 4, "u64": 8}


class ListError(Exception):
    """A mistake in the record list, at a JSON path."""

    def __init__(self, path, reason):
        super().__init__(f"{path}: {reason}" if path else reason)


class ListErrors(Exception):
    """Every mistake found in a record list."""

    def __init__(self, errors):
        super().__init__("\n".join(str(error) for error in errors))
        self.errors = errors


def number(value, path, size):
    """An unsigned integer of size bytes: a JSON integer or a text in
    decimal or with 0x."""
    if isinstance(value, bool):
        raise ListError(path, "expected a number, got a boolean")
    if isinstance(value, str):
        try:
            value = int(value, 0)
        except ValueError:
            raise ListError(path, f"{value!r} is not a number") from None
    if not isinstance(value, int):
        raise ListError(path, f"expected a number, got {type(value).__name__}")
    if not 0 <= value < 1 << (8 * size):
        raise ListError(path, f"{value:#x} does not fit {size} bytes")
    return value


def text_of(value, path):
    """A JSON string member."""
    if not isinstance(value, str):
        raise ListError(path, f"expected a string, got {type(value).__name__}")
    return value


def list_of(value, path):
    """A JSON array member."""
    if not isinstance(value, list):
        raise ListError(path, f"expected an array, got {type(value).__name__}")
    return value


def hex_bytes(text, path):
    """Bytes from blank-separated groups of hexadecimal digit pairs."""
    text = text_of(text, path)
    try:
        return b"".join(bytes.fromhex(group) for group in text.split())
    except ValueError:
        raise ListError(path, f"bad hexadecimal {text!r}") from None


def item_bytes(part, path):
    """An extended payload item: key, length, data, padding to 4."""
    key = number(part["item"], f"{path}.item", 4)
    if "text" in part:
        data = text_of(part["text"], f"{path}.text").encode("utf-8") + (b"\0" if part.get("nul", True) else b"")
    else:
        data = hex_bytes(part.get("hex", ""), f"{path}.hex")
    length = number(part.get("length", len(data)), f"{path}.length", 4)
    padding = b"\0" * (-len(data) % 4 if part.get("pad", True) else 0)
    return struct.pack("<II", key, length) + data + padding


PART_KEYS = ("u8", "u16", "u32", "u64", "hex", "text", "zeros", "item")


def part_bytes(part, path):
    """One piece of a payload."""
    if not isinstance(part, dict):
        raise ListError(path, "a payload part is an object")
    if "item" in part:
        return item_bytes(part, path)
    kinds = [key for key in PART_KEYS if key in part]
    if len(kinds) != 1:
        raise ListError(path, f"a payload part has exactly one of {', '.join(PART_KEYS)}")
    kind = kinds[0]
    if kind == "hex":
        return hex_bytes(part["hex"], f"{path}.hex")
    if kind == "text":
        return text_of(part["text"], f"{path}.text").encode("utf-8")
    if kind == "zeros":
        return bytes(number(part["zeros"], f"{path}.zeros", 4))
    size = INT_SIZES[kind]
    values = part[kind] if isinstance(part[kind], list) else [part[kind]]
    return b"".join(number(v, f"{path}.{kind}[{i}]", size).to_bytes(size, "little")
                    for i, v in enumerate(values))


RECORD_KEYS = {"note", "channel", "id", "time", "args", "payload", "cut"}


def record_from(entry, path):
    """(channel, id, payload, note) of one record of the list."""
    if not isinstance(entry, dict):
        raise ListError(path, "a record is an object")
    unknown = sorted(set(entry) - RECORD_KEYS)
    if unknown:
        raise ListError(path, f"unknown member {unknown[0]!r}")
    for key in ("channel", "id"):
        if key not in entry:
            raise ListError(path, f"missing member {key!r}")
    channel = number(entry["channel"], f"{path}.channel", 2)
    ident = number(entry["id"], f"{path}.id", 4)
    payload = b"".join(number(v, f"{path}.args[{i}]", 4).to_bytes(4, "little")
                      for i, v in enumerate(list_of(entry.get("args", []), f"{path}.args")))
    payload += b"".join(part_bytes(p, f"{path}.payload[{i}]")
                        for i, p in enumerate(list_of(entry.get("payload", []), f"{path}.payload")))
    if "cut" in entry:
        payload = payload[:number(entry["cut"], f"{path}.cut", 4)]
    time = number(entry.get("time", 0), f"{path}.time", 8)
    return channel, ident, payload, text_of(entry.get("note", ""), f"{path}.note"), time


def read_list(path):
    """(uuid, comment lines, entries) of a record list file; raises
    ListErrors for a file that is not a record list."""
    try:
        with open(path, encoding="utf-8") as file:
            document = json.load(file)
    except OSError as error:
        raise ListErrors([ListError("", f"cannot read: {error.strerror}")]) from None
    except json.JSONDecodeError as error:
        raise ListErrors([ListError("", f"line {error.lineno} column {error.colno}: malformed JSON: {error.msg}")]) from None
    if not isinstance(document, dict):
        raise ListErrors([ListError("", "a record list is a JSON object")])
    uuid = document.get("uuid", "")
    if uuid and (not isinstance(uuid, str) or len(uuid) != 32 or any(c not in "0123456789abcdef" for c in uuid)):
        raise ListErrors([ListError("uuid", "a build UUID is 32 lower-case hexadecimal digits")])
    comment = document.get("comment", [])
    comment = [comment] if isinstance(comment, str) else comment
    return uuid, comment, document.get("records", [])


def records_of(entries, errors):
    """The records of the list one at a time; each mistake goes to errors
    and its record is left out."""
    for i, entry in enumerate(entries):
        try:
            yield record_from(entry, f"records[{i}]")
        except ListError as error:
            errors.append(error)


def binary_header(uuid, version):
    return MAGIC + struct.pack("<I", version) + bytes.fromhex(uuid or "0" * 32)


def binary_record(record, version):
    """Version 1: channel u16, id u32, length u32, payload. Version 2: sync
    mark, channel, id, time u64, length, payload, CRC-32 of all before it."""
    channel, ident, payload, _, *time = record
    if version == 1:
        return struct.pack("<HII", channel, ident, len(payload)) + payload
    body = SYNC + struct.pack("<HIQI", channel, ident, time[0] if time else 0, len(payload)) + payload
    return body + struct.pack("<I", zlib.crc32(body))


def text_head(uuid, comment):
    lines = [f"# {line}" if line else "#" for line in comment]
    if uuid:
        lines.append(f"# build {uuid}")
    return "".join(line + "\n" for line in lines).encode("utf-8")


def text_record(record):
    channel, ident, payload, note = record[:4]
    lines = [f"# {line}" for line in note.splitlines()]
    lines.append(" ".join([str(channel), f"0x{ident:08x}"] + [f"{b:02x}" for b in payload]))
    return "".join(line + "\n" for line in lines).encode("utf-8")


def binary_capture(uuid, records, version=1):
    """The binary form of the records (channel, id, payload, note[, time])."""
    return binary_header(uuid, version) + b"".join(binary_record(r, version) for r in records)


def text_capture(uuid, comment, records):
    """The text form: one record per line, notes as comment lines."""
    return text_head(uuid, comment) + b"".join(text_record(r) for r in records)


def write_captures(outputs, uuid, comment, records):
    """Writes every output (path, form) record by record: memory stays the
    same whatever the number of records."""
    heads = {"text": text_head(uuid, comment), "v1": binary_header(uuid, 1), "v2": binary_header(uuid, 2)}
    pieces = {"text": text_record, "v1": lambda r: binary_record(r, 1), "v2": lambda r: binary_record(r, 2)}
    files = [(open(path, "wb"), form) for path, form in outputs]
    try:
        for file, form in files:
            file.write(heads[form])
        for record in records:
            for file, form in files:
                file.write(pieces[form](record))
    finally:
        for file, _ in files:
            file.close()


def main(argv=None):
    parser = argparse.ArgumentParser(description="Write tkdec captures from a JSON list of records.")
    parser.add_argument("list", help="the record list (JSON)")
    parser.add_argument("--binary", help="binary capture (version 1) to write")
    parser.add_argument("--binary-v2", help="binary capture of version 2 to write")
    parser.add_argument("--text", help="text capture to write")
    parser.add_argument("--check", action="store_true", help="compare with the files instead of writing them")
    options = parser.parse_args(argv)
    errors = []
    try:
        uuid, comment, entries = read_list(options.list)
    except ListErrors as failure:
        errors = failure.errors
    outputs = [(path, form) for path, form in ((options.binary, "v1"), (options.binary_v2, "v2"),
                                               (options.text, "text")) if path]
    status = 0
    if not errors:
        written = [(path + ".new" if options.check else path + ".tmp", form) for path, form in outputs]
        write_captures(written, uuid, comment, records_of(entries, errors))
        for (path, _), (new, _) in zip(outputs, written):
            if errors:
                os.remove(new)
            elif options.check:
                same = os.path.exists(path) and filecmp.cmp(path, new, shallow=False)
                os.remove(new)
                if not same:
                    print(f"{path}: not up to date with {options.list}", file=sys.stderr)
                    status = 1
            else:
                os.replace(new, path)
    for error in errors:
        print(f"{options.list}: {error}", file=sys.stderr)
    return 1 if errors else status


if __name__ == "__main__":
    sys.exit(main())
