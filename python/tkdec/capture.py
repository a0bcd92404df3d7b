"""Reads captures of the target's log stream in both forms (see
docs/capture-formats.md): binary versions 1 and 2, and text with one record
per line and an optional leading UTC time. The form is told by the first
byte, and damage is skipped exactly as tkdec decode skips it: every
stretch passed over is listed in Capture.problems, one line each as the
tool reports it, and strict=True raises CaptureError at the first."""

import collections
import datetime
import struct
import warnings
import zlib

from .errors import CaptureError

Record = collections.namedtuple("Record", "channel id payload offset time", defaults=(None,))
Record.__doc__ = """One record: channel id, 32-bit id, payload bytes, where it
starts (byte offset in a binary capture, line number in a text one) and its
time in nanoseconds since the Unix epoch (None when the capture has none)."""

MAGIC = b"TKDECCAP"
MAX_RECORD = 64 << 10
_HEADER = struct.Struct("<8sI16s")
_V1 = struct.Struct("<HII")
# Version 2: a sync mark, channel, id, time (ns since the Unix epoch, 0 when
# unknown), payload length; the payload; a CRC-32 of everything before it.
_SYNC = b"\xa5\x5a"
_V2 = struct.Struct("<2sHIQI")
_CRC = struct.Struct("<I")
_TEXT_STARTS = b"0123456789# \t\r\n\xef"
_HEX = frozenset(b"0123456789abcdefABCDEF")
_DIGITS = frozenset(b"0123456789")
_CONFIRMING_RECORDS = 3
_LARGEST_TIME = (1 << 64) - 1
_WHOLE, _SHORT, _CORRUPT, _END = range(4)


def read_capture(source, decoder=None, strict=False, max_record=MAX_RECORD, known_channels=None):
    """A Capture of a path or a binary file object: iterate it for the
    records. Its form, version and build (the UUID the capture names, or
    None) are known once the first record has been read. With a decoder, a
    capture of another build warns (CaptureError with strict=True), and
    version 1 resynchronises on records the decoder knows."""
    return Capture(source, decoder, strict, max_record, known_channels)


class Capture:
    def __init__(self, source, decoder=None, strict=False, max_record=MAX_RECORD, known_channels=None):
        self.name = source if isinstance(source, str) else getattr(source, "name", "capture")
        if not isinstance(self.name, str):
            self.name = "capture"
        self._source = source
        self._decoder, self._strict, self._max = decoder, strict, max_record
        if known_channels is None and decoder is not None:
            known_channels = {channel[1] for channel in decoder.channels()}
        self._known = known_channels
        self.form = self.version = self.build = None
        self.problems = []  # one line per damaged stretch or line skipped
        self.truncated = None  # the message of a cut last record

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
        try:
            data = f.read(0)
            if isinstance(data, (bytes, bytearray)):
                data = f.read()
        except OSError as error:
            raise CaptureError(f"cannot read {self.name}: {error.strerror}") from None
        if not isinstance(data, (bytes, bytearray)):
            raise CaptureError(f"{self.name}: opened in text mode; open captures in binary mode ('rb')")
        data = bytes(data)
        if data[:1] and data[:1] in _TEXT_STARTS or not data:
            self.form = "text"
            return self._text_records(data[3:] if data.startswith(b"\xef\xbb\xbf") else data)
        self.form = "binary"
        return self._binary_records(data)

    def _fail(self, message):
        raise CaptureError(f"{self.name}{message}")

    def _problem(self, message):
        if self._strict:
            raise CaptureError(f"{self.name}{message}")
        self.problems.append(f"{self.name}{message}")

    def _check_build(self, build):
        if self._decoder is None or build is None or build == self._decoder.build_uuid:
            return
        message = (f"{self.name} was made by build {build}, the decoder is for build {self._decoder.build_uuid}: "
                   "records may decode wrongly")
        if self._strict:
            raise CaptureError(message)
        warnings.warn(message, stacklevel=3)

    # Binary forms.

    def _header(self, data, at):
        header = data[at:at + _HEADER.size]
        if header[:len(MAGIC)] != MAGIC[:len(header)] or not header:
            return "bad magic: not a tkdec capture"
        if len(header) < _HEADER.size:
            return f"capture header cut short ({len(header)} of {_HEADER.size} bytes)"
        _, version, uuid = _HEADER.unpack(header)
        if version not in (1, 2):
            return f"capture version {version} is not supported (this reader reads versions 1 and 2)"
        self.version, self.build = version, uuid.hex() if any(uuid) else None
        return None

    def _binary_records(self, data):
        problem = self._header(data, 0)
        if problem:
            self._fail(": " + problem)
        self._check_build(self.build)
        at = _HEADER.size
        while True:
            kind, size, reason = self._frame(data, at)
            if kind == _WHOLE:
                yield self._take(data, at)
                at += size
                continue
            if kind == _END:
                return
            if kind == _CORRUPT and data[at:at + len(MAGIC)] == MAGIC and self._header(data, at) is None:
                self._check_build(self.build)
                at += _HEADER.size
                continue
            at = self._resume(data, at, kind == _SHORT, reason)
            if at is None:
                return

    def _frame(self, data, at):
        """(kind, whole size, reason) of the record at at."""
        present = len(data) - at
        if present <= 0:
            return _END, 0, ""
        if self.version == 1:
            if present < _V1.size:
                return _SHORT, 0, ""
            header = data[at:at + _V1.size]
            length = _V1.unpack(header)[2]
            if length > self._max:
                return _CORRUPT, 0, f"record length {length} above --max-record {self._max}"
            if not any(header):
                return _CORRUPT, 0, "zeroed record header"
            size = _V1.size + length
            return (_SHORT if present < size else _WHOLE), size, ""
        if data[at:at + 2] != _SYNC[:min(present, 2)]:
            return _CORRUPT, 0, "no sync mark"
        if present < _V2.size:
            return _SHORT, 0, ""
        length = _V2.unpack_from(data, at)[4]
        if length > self._max:
            return _CORRUPT, 0, f"record length {length} above --max-record {self._max}"
        size = _V2.size + length + _CRC.size
        if present < size:
            return _SHORT, size, ""
        if zlib.crc32(data[at:at + size - _CRC.size]) != _CRC.unpack_from(data, at + size - _CRC.size)[0]:
            return _CORRUPT, 0, "checksum mismatch"
        return _WHOLE, size, ""

    def _resumes(self, data, at, after_cut):
        if self.version == 2:
            return data[at] == 0xA5 and self._frame(data, at)[0] == _WHOLE
        for i in range(_CONFIRMING_RECORDS):
            kind, size, _ = self._frame(data, at)
            if kind == _END:
                return i > 0 and not after_cut
            if kind != _WHOLE or not self._knows(*_V1.unpack_from(data, at)[:2]):
                return False
            at += size
        return True

    def _knows(self, channel, id):
        """The version 1 resume rule's test of a record: the channel, and the
        token too while the capture is of the decoder's build."""
        if self._known is not None and channel not in self._known:
            return False
        same_build = self._decoder is not None and self.build == self._decoder.build_uuid
        return not same_build or self._decoder.decode_status(channel, id)[0]

    def _resume(self, data, at, cut, reason):
        """Where reading resumes after damage at at, None at the end."""
        if cut:
            reason = "length runs into later records"
        find = data.find if self.version == 2 else None
        resume = at + 1
        while resume < len(data):
            if find is not None:  # only a sync mark can open a version 2 record
                resume = find(_SYNC[:1], resume)
                if resume < 0:
                    break
            if self._resumes(data, resume, cut):
                self._problem(f": skipped {resume - at} bytes at offset {at} ({reason})")
                return resume
            resume += 1
        if cut:
            self.truncated = self._cut_message(data, at)
            if self._strict:
                raise CaptureError(self.truncated)
            return None
        self._problem(f": skipped {len(data) - at} bytes at offset {at} ({reason})")
        return None

    def _cut_message(self, data, at):
        size = _V1.size if self.version == 1 else _V2.size
        present = len(data) - at
        if present < size:
            return f"{self.name}: record cut short at byte offset {at}: {present} of its {size} header bytes present"
        length = struct.unpack_from("<I", data, at + size - 4)[0]
        return (f"{self.name}: record cut short at byte offset {at}: {present - size} of its {length} payload "
                "bytes present")

    def _take(self, data, at):
        if self.version == 1:
            channel, id, length = _V1.unpack_from(data, at)
            return Record(channel, id, data[at + _V1.size:at + _V1.size + length], at, None)
        _, channel, id, time, length = _V2.unpack_from(data, at)
        return Record(channel, id, data[at + _V2.size:at + _V2.size + length], at, time or None)

    # Text form.

    def _text_records(self, data):
        seen_record = False
        limit = 3 * self._max + 4096
        lines = data.split(b"\n")
        if lines[-1] == b"":
            lines.pop()
        for number, raw in enumerate(lines, 1):
            if len(raw) + 1 > limit:
                self._problem(f":{number}: line of {len(raw) + 1} bytes is longer than a record of --max-record "
                              f"{self._max} bytes can be; line skipped")
                continue
            content, _, comment = (raw[:-1] if raw.endswith(b"\r") else raw).partition(b"#")
            words = _words(content)
            if words:
                if not seen_record:
                    self._check_build(self.build)
                seen_record = True
                record, problem = self._text_record(words, number)
                if problem:
                    self._problem(f":{number}: {problem}; line skipped")
                else:
                    yield record
            elif comment and not seen_record and self.build is None:
                self.build = _build_comment(comment)
        if not seen_record:
            self._check_build(self.build)

    def _text_record(self, words, number):
        """(record, None) or (None, the problem)."""
        time = None
        if b"T" in words[0]:
            text = words.pop(0)
            time = utc_time(text)
            if time is None:
                return None, f'time "{_shown(text)}" is not an ISO-8601 UTC time (2026-01-31T12:00:00.5Z)'
        if not words:
            return None, "a record needs a channel and an id"
        channel = _number(words[0], 0xFFFF)
        if channel is None:
            return None, f'channel "{_shown(words[0])}" is not a number from 0 to 65535'
        if len(words) < 2:
            return None, "a record needs a channel and an id"
        id = _number(words[1], 0xFFFFFFFF)
        if id is None:
            return None, f'id "{_shown(words[1])}" is not a number from 0 to 0xffffffff'
        for group in words[2:]:
            if len(group) % 2 or not _HEX.issuperset(group):
                return None, f'bad hexadecimal "{_shown(group)}" in the payload'
        payload = bytes.fromhex(b"".join(words[2:]).decode("ascii"))
        if len(payload) > self._max:
            return None, f"payload of {len(payload)} bytes above --max-record {self._max}"
        return Record(channel, id, payload, number, time), None


def _words(text):
    """The blank-separated words of text (blanks: space and tab, as the tool has them)."""
    return [word for word in text.replace(b"\t", b" ").split(b" ") if word]


def _shown(word):
    """A word as the tool quotes it: 40 bytes at most, others as \\xNN."""
    shown = "".join(chr(c) if 0x20 <= c < 0x7F and c not in b'"\\' else f"\\x{c:02x}" for c in word[:40])
    return shown + ("..." if len(word) > 40 else "")


def _build_comment(comment):
    """The UUID of a "# build UUID" comment, None for any other comment or an
    all-zero UUID."""
    words = _words(comment)
    if (len(words) == 2 and words[0] == b"build" and len(words[1]) == 32 and _HEX.issuperset(words[1])
            and words[1].strip(b"0")):
        return words[1].decode("ascii").lower()
    return None


def _digits(text, at, count):
    part = text[at:at + count]
    return int(part) if len(part) == count and _DIGITS.issuperset(part) else None


def _days_in_month(year, month):
    leap = year % 4 == 0 and (year % 100 != 0 or year % 400 == 0)
    return 29 if month == 2 and leap else (31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31)[month - 1]


def utc_time(text):
    """Nanoseconds since the Unix epoch of YYYY-MM-DDTHH:MM:SS[.F]Z (1 to 9
    ASCII digits of F, up to 2554-07-21T23:34:33.709551615Z), None when the
    text is no such time; as the tool reads it."""
    if isinstance(text, str):
        text = text.encode("utf-8", "replace")
    fields = [_digits(text, at, count) for at, count in ((0, 4), (5, 2), (8, 2), (11, 2), (14, 2), (17, 2))]
    if (None in fields or len(text) < 20 or text[4:5] != b"-" or text[7:8] != b"-" or text[10:11] != b"T"
            or text[13:14] != b":" or text[16:17] != b":" or not text.endswith(b"Z")):
        return None
    year, month, day, hour, minute, second = fields
    if not (1970 <= year <= 2554 and 1 <= month <= 12 and 1 <= day <= _days_in_month(year, month)
            and hour <= 23 and minute <= 59 and second <= 59):
        return None
    rest = text[19:-1]
    fraction = 0
    if rest:
        if rest[:1] != b"." or not 2 <= len(rest) <= 10 or not _DIGITS.issuperset(rest[1:]):
            return None
        fraction = int(rest[1:].ljust(9, b"0"))
    days = (datetime.date(year, month, day) - datetime.date(1970, 1, 1)).days
    nanoseconds = ((days * 86400 + hour * 3600 + minute * 60 + second) * 10**9) + fraction
    return nanoseconds if nanoseconds <= _LARGEST_TIME else None


def utc_text(nanoseconds):
    """2026-01-31T12:00:00.500000000Z: the tool's form of a record's time."""
    seconds, fraction = divmod(nanoseconds, 10**9)
    moment = datetime.datetime(1970, 1, 1) + datetime.timedelta(seconds=seconds)
    return f"{moment:%Y-%m-%dT%H:%M:%S}.{fraction:09d}Z"


def _number(text, largest):
    """An unsigned number, decimal or with 0x, up to largest; else None."""
    hexadecimal = text[:2].lower() == b"0x"
    digits = text[2:] if hexadecimal else text
    if not digits or not (_HEX if hexadecimal else _DIGITS).issuperset(digits):
        return None
    digits = digits.lstrip(b"0") or b"0"
    if len(digits) > 20:  # more than any number in range, and no giant int() to make
        return None
    value = int(digits, 16 if hexadecimal else 10)
    return value if value <= largest else None
