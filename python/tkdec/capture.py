"""Reads captures of the target's log stream in both forms (see
docs/capture-formats.md): binary versions 1 and 2, and text with one record
per line and an optional leading UTC time. The form is told by the first
byte, as tkdec decode tells it. A damaged record ends the reading with a
CaptureError, after every record before it."""

import calendar
import collections
import datetime
import itertools
import re
import string
import struct
import time
import zlib

from .errors import CaptureError

Record = collections.namedtuple("Record", "channel id payload offset time", defaults=(None,))
Record.__doc__ = """One record: channel id, 32-bit id, payload bytes, where it
starts (byte offset in a binary capture, line number in a text one) and its
time in nanoseconds since the Unix epoch (None when the capture has none)."""

MAGIC = b"TKDECCAP"
_HEADER = struct.Struct("<8sI16s")
_RECORD_HEADER = struct.Struct("<HII")
# Version 2: a sync mark, channel, id, time (ns since the Unix epoch, 0 when
# unknown), payload length; the payload; a CRC-32 of everything before it.
_SYNC = b"\xa5\x5a"
_RECORD_HEADER_V2 = struct.Struct("<2sHIQI")
_CRC = struct.Struct("<I")
_TEXT_STARTS = b"0123456789# \t\r\n\xef"
_HEX_GROUP = re.compile(r"(?:[0-9a-fA-F]{2})+")
_UUID = re.compile(r"[0-9a-fA-F]{32}")
_TIME = re.compile(r"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d)(?:\.(\d{1,9}))?Z")


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
        if self.version not in (1, 2):
            self._fail("", f"capture version {self.version} is not supported (this reader reads versions 1 and 2)")
        self.build = uuid.hex() if any(uuid) else None
        header_size = _RECORD_HEADER.size if self.version == 1 else _RECORD_HEADER_V2.size
        offset = _HEADER.size
        while True:
            head = f.read(header_size)
            if not head:
                return
            self._check_length(offset, head, header_size, "header bytes")
            if self.version == 1:
                (channel, id, length), time, sync = _RECORD_HEADER.unpack(head), None, _SYNC
            else:
                sync, channel, id, time, length = _RECORD_HEADER_V2.unpack(head)
            payload = f.read(length)
            self._check_length(offset, payload, length, "payload bytes")
            if self.version == 2:
                crc = f.read(_CRC.size)
                self._check_length(offset, crc, _CRC.size, "checksum bytes")
                if sync != _SYNC or _CRC.unpack(crc)[0] != zlib.crc32(head + payload):
                    self._fail("", f"damaged record at byte offset {offset}: "
                               + ("no sync mark" if sync != _SYNC else "checksum mismatch"))
            yield Record(channel, id, payload, offset, time or None)
            offset += len(head) + length + (_CRC.size if self.version == 2 else 0)

    def _check_length(self, offset, data, wanted, what):
        if len(data) < wanted:
            self._fail("", f"record cut short at byte offset {offset}: {len(data)} of its {wanted} {what} present")

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
        time = None
        if "T" in words[0]:
            text = words.pop(0)
            time = _utc_time(text)
            if time is None:
                self._fail(where, f'time "{text}" is not an ISO-8601 UTC time (2026-01-31T12:00:00.5Z)')
        if not words:
            self._fail(where, "a record needs a channel and an id")
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
        return Record(channel, id, bytes.fromhex("".join(words[2:])), number, time)


def _build_comment(comment):
    """The UUID of a "# build UUID" comment, None for any other comment or an
    all-zero UUID."""
    words = comment.split()
    if len(words) == 2 and words[0] == "build" and _UUID.fullmatch(words[1]) and words[1].strip("0"):
        return words[1].lower()
    return None


def _utc_time(text):
    """Nanoseconds since the Unix epoch of YYYY-MM-DDTHH:MM:SS[.F]Z (up to 9
    digits of F), None when the text is no such time."""
    match = _TIME.fullmatch(text)
    if not match:
        return None
    try:
        seconds = calendar.timegm(time.strptime(match.group(1), "%Y-%m-%dT%H:%M:%S"))
    except ValueError:
        return None
    return seconds * 10**9 + int((match.group(2) or "").ljust(9, "0"))


def utc_text(nanoseconds):
    """2026-01-31T12:00:00.500000000Z: the tool's form of a record's time."""
    seconds, fraction = divmod(nanoseconds, 10**9)
    moment = datetime.datetime(1970, 1, 1) + datetime.timedelta(seconds=seconds)
    return f"{moment:%Y-%m-%dT%H:%M:%S}.{fraction:09d}Z"


def _number(text, largest):
    """An unsigned number, decimal or with 0x, up to largest; else None."""
    digits, allowed = (text[2:], string.hexdigits) if text[:2].lower() == "0x" else (text, string.digits)
    if not digits or not all(c in allowed for c in digits):
        return None
    value = int(digits, 16 if allowed is string.hexdigits else 10)
    return value if value <= largest else None
