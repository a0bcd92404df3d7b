"""Reads captures of the target's log stream in both forms (see
docs/capture-formats.md): binary version 1, and text with one record per
line. The form is told by the first byte, as tkdec decode tells it."""

import collections
import itertools
import re
import string
import struct

from .errors import CaptureError

Record = collections.namedtuple("Record", "channel id payload offset time", defaults=(None,))
Record.__doc__ = """One record: channel id, 32-bit id, payload bytes, where it
starts (byte offset in a binary capture, line number in a text one) and its
time in nanoseconds since the Unix epoch (None when the capture has none)."""

MAGIC = b"TKDECCAP"
_HEADER = struct.Struct("<8sI16s")
_RECORD_HEADER = struct.Struct("<HII")
_TEXT_STARTS = b"0123456789# \t\r\n\xef"
_HEX_GROUP = re.compile(r"(?:[0-9a-fA-F]{2})+")
_UUID = re.compile(r"[0-9a-fA-F]{32}")


def read_capture(source):
    """A Capture of a path or a binary file object: iterate it for the
    records. Its form, version and build (the UUID the capture names, or None)
    are known once the first record has been read."""
    return Capture(source)


class Capture:
    def __init__(self, source):
        self.name = source if isinstance(source, str) else getattr(source, "name", "capture")
        self._source = source
        self.form = self.version = self.build = None

    def __iter__(self):
        if isinstance(self._source, str):
            try:
                with open(self._source, "rb") as f:
                    yield from self._records(f)
            except OSError as error:
                raise CaptureError(f"cannot open {self.name}: {error.strerror}") from None
        else:
            yield from self._records(self._source)

    def _records(self, f):
        first = f.read(1)
        if first and first in _TEXT_STARTS:
            self.form = "text"
            lines = itertools.chain([first if first == b"\n" else first + f.readline()], f)
            return self._text_records(lines)
        self.form = "binary"
        return self._binary_records(first + f.read(_HEADER.size - 1), f)

    def _fail(self, where, message):
        raise CaptureError(f"{self.name}{where}: {message}")

    def _binary_records(self, header, f):
        if header[:len(MAGIC)] != MAGIC[:len(header)] or not header:
            self._fail("", "bad magic: not a tkdec capture")
        if len(header) < _HEADER.size:
            self._fail("", f"capture header cut short ({len(header)} of {_HEADER.size} bytes)")
        _, self.version, uuid = _HEADER.unpack(header)
        if self.version != 1:
            self._fail("", f"capture version {self.version} is not supported (this reader reads version 1)")
        self.build = uuid.hex() if any(uuid) else None
        offset = _HEADER.size
        while True:
            head = f.read(_RECORD_HEADER.size)
            if not head:
                return
            if len(head) < _RECORD_HEADER.size:
                self._fail("", f"record cut short at byte offset {offset}: "
                           f"{len(head)} of its {_RECORD_HEADER.size} header bytes present")
            channel, id, length = _RECORD_HEADER.unpack(head)
            payload = f.read(length)
            if len(payload) < length:
                self._fail("", f"record cut short at byte offset {offset}: "
                           f"{len(payload)} of its {length} payload bytes present")
            yield Record(channel, id, payload, offset)
            offset += _RECORD_HEADER.size + length

    def _text_records(self, lines):
        seen_record = False
        for number, raw in enumerate(lines, 1):
            content, _, comment = raw.decode("utf-8", "replace").lstrip("\ufeff").partition("#")
            words = content.split()
            if words:
                seen_record = True
                yield self._text_record(words, number)
            elif not seen_record and self.build is None:
                self.build = _build_comment(comment)

    def _text_record(self, words, number):
        where = f":{number}"
        channel = _number(words[0], 0xFFFF)
        if channel is None:
            self._fail(where, f'channel "{words[0]}" is not a number from 0 to 65535')
        if len(words) < 2:
            self._fail(where, "a record needs a channel and an id")
        id = _number(words[1], 0xFFFFFFFF)
        if id is None:
            self._fail(where, f'id "{words[1]}" is not a number from 0 to 0xffffffff')
        for group in words[2:]:
            if not _HEX_GROUP.fullmatch(group):
                self._fail(where, f'bad hexadecimal "{group}" in the payload')
        return Record(channel, id, bytes.fromhex("".join(words[2:])), number)


def _build_comment(comment):
    """The UUID of a "# build UUID" comment, None for any other comment or an
    all-zero UUID."""
    words = comment.split()
    if len(words) == 2 and words[0] == "build" and _UUID.fullmatch(words[1]) and words[1].strip("0"):
        return words[1].lower()
    return None


def _number(text, largest):
    """An unsigned number, decimal or with 0x, up to largest; else None."""
    digits, allowed = (text[2:], string.hexdigits) if text[:2].lower() == "0x" else (text, string.digits)
    if not digits or not all(c in allowed for c in digits):
        return None
    value = int(digits, 16 if allowed is string.hexdigits else 10)
    return value if value <= largest else None
