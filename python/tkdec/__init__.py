"""tkdec: Python bindings of the tkdec decoder library (ctypes, standard
library only).

    import tkdec
    decoder = tkdec.Decoder()                 # or Decoder("path/to/libtkdec.so")
    decoder.decode(48, 0x94, bytes([2, 0, 0, 0]))
    for record in tkdec.decode_capture("capture.tkcap", decoder):
        print(record["kind"], record["text"])
"""

from .capture import Capture, Record, read_capture
from .decoder import FORMATS, Channel, Decoder
from .errors import CaptureError, TkdecError
from . import records as _records

__all__ = ["Capture", "CaptureError", "Channel", "Decoder", "FORMATS", "Record", "TkdecError",
           "decode_capture", "read_capture"]


def decode_capture(source, decoder=None):
    """The records of a capture as the tool's JSON Lines records (see
    tkdec.records.decode_capture), decoded by decoder or by Decoder()."""
    return _records.decode_capture(source, decoder or Decoder())
