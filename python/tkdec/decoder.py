"""Decoder: one loaded decoder library and its queries."""

import collections
import ctypes
import json
import threading

from . import _library
from .errors import TkdecError

FORMATS = {"text": 0, "xml": 1, "longjson": 2, "json": 3}
Channel = collections.namedtuple("Channel", "index id master source type label")

_LAST_OUTPUT = 256 * 1024 * 1024
_PAYLOAD_CAPACITY = 64 * 1024
_NO_PAYLOAD = ("no payload: unknown name, malformed description, or a destination that is not a PTP task")


def _format_index(format):
    if format in FORMATS.values():
        return format
    try:
        return FORMATS[format]
    except KeyError:
        raise TkdecError(f'unknown format "{format}" (text, xml, json or longjson)') from None


def _text(raw):
    return raw.decode("utf-8", "replace")


def _bytes_in(data):
    """A ctypes copy of data, exactly as long, and its address."""
    copy = (ctypes.c_uint8 * len(data)).from_buffer_copy(bytes(data))
    return copy, ctypes.cast(copy, ctypes.POINTER(ctypes.c_uint8))


class Decoder:
    """The decoder library of one firmware build.

    Decoder() loads $TKDEC_LIBRARY, the library installed beside this
    package, the one built in the source checkout, or one on the system's
    search path; Decoder(path) loads that file. Any number of threads may
    share a decoder."""

    first_output_size = 64 * 1024  # doubled while a text fills the output

    def __init__(self, path=None):
        self.path = path or _library.default_path()
        self._lib = _library.load(self.path)
        self._scratch = threading.local()
        buffer = ctypes.create_string_buffer(33)
        self._lib.tkdec_getUniqueId(33, buffer)
        self.build_uuid = _text(buffer.value)
        self._channels = {c.id: c for c in self.channels()}

    def __repr__(self):
        return f"Decoder({self.path!r}, build {self.build_uuid})"

    def channel(self, channel):
        """The channel table's row of a channel id, None when the build has none."""
        return self._channels.get(channel)

    def decode(self, channel, id, payload=b"", format="text"):
        """The library's text for one record (its marked text for an unknown
        channel or token)."""
        return self.decode_status(channel, id, payload, format)[1]

    def decode_status(self, channel, id, payload=b"", format="text"):
        """(decoded, text): decoded is False when the channel or token is
        unknown. The output grows until the whole text fits."""
        index = _format_index(format)
        data, _ = _bytes_in(payload)
        start = ctypes.addressof(data)
        size = self.first_output_size
        while True:
            output = self._output(size)
            base = ctypes.addressof(output)
            position = ctypes.c_void_p(base)
            status = self._lib.tkdec_getText(start, start + len(payload), ctypes.byref(position), base + size,
                                             index, id, channel)
            if position.value < base + size or size >= _LAST_OUTPUT:
                return status == 0, _text(ctypes.string_at(base, position.value - base))
            size *= 2

    def _output(self, size):
        output = getattr(self._scratch, "output", None)
        if output is None or len(output) < size:
            output = self._scratch.output = ctypes.create_string_buffer(size)
        return output

    def source(self, channel, token):
        """(file, line) of a token's log point; TkdecError with the library's
        text when the channel has no such token."""
        line = ctypes.c_uint32()
        buffer = ctypes.create_string_buffer(4096)
        if self._lib.tkdec_getSourceReference(channel, token, ctypes.byref(line), len(buffer), buffer) != 0:
            raise TkdecError(_text(buffer.value))
        return _text(buffer.value), line.value

    def decode_type(self, name, data=b"", format="text"):
        """A value of a named type or message printed from its raw bytes."""
        index = _format_index(format)
        _kept, pointer = _bytes_in(data)
        size = self.first_output_size
        while True:
            output = ctypes.create_string_buffer(size)
            if self._lib.tkdec_decodeType(name.encode(), len(data), pointer, size, output, index) != 0:
                raise TkdecError(_text(output.value) or f'no type or message named "{name}" '
                                 "(a message also needs a PTP task in its bytes 4 to 7)")
            if len(output.value) < size or size >= _LAST_OUTPUT:
                return _text(output.value)
            size *= 2

    def encode(self, name, destination=None, body=None):
        """The payload of a message: from its name, destination task and body
        in the designated-initialiser syntax, or from one JSON description
        (encode('{"Message": {...}}'))."""
        output = (ctypes.c_uint8 * _PAYLOAD_CAPACITY)()
        texts = [None if t is None else t.encode() for t in (name, destination, body)]
        result = self._lib.tkdec_createMessagePayload(output, len(output), *texts)
        if result == -1:
            raise TkdecError(_NO_PAYLOAD)
        if result <= 0:
            what, text = ("the body", body) if body is not None and destination else ("the text", name)
            stop = -result + 1
            raise TkdecError(f'{what} does not parse at offset {stop}: "{text[stop:]}"')
        return bytes(output[:result])

    def channels(self):
        """The channel table, in the order the log viewer addresses it."""
        rows = []
        for index in range(self._lib.tkdec_getNrSupportedChannels()):
            number, master = ctypes.c_uint16(), ctypes.c_uint16()
            self._lib.tkdec_getSupportedChannels(index, ctypes.byref(number))
            self._lib.tkdec_getChannelMaster(index, ctypes.byref(master))
            texts = [self._channel_text(query, index) for query in
                     (self._lib.tkdec_getSource, self._lib.tkdec_getType, self._lib.tkdec_getLabel)]
            rows.append(Channel(index, number.value, master.value, *texts))
        return rows

    @staticmethod
    def _channel_text(query, index):
        buffer = ctypes.create_string_buffer(1024)
        query(index, len(buffer), buffer)
        return _text(buffer.value)

    def info(self):
        """The target information document, parsed."""
        size = 4096
        while True:
            buffer = ctypes.create_string_buffer(size)
            written = self._lib.tkdec_getTargetInformation(size, buffer)
            if written < size:
                return json.loads(_text(buffer.value))
            size *= 2
