"""Finds and loads the decoder library, and declares its nineteen exported
functions for ctypes."""

import ctypes
import ctypes.util
import os
import sys

from .errors import TkdecError

API_VERSION = 6

_u8p = ctypes.POINTER(ctypes.c_uint8)
_i32, _u32, _u16 = ctypes.c_int32, ctypes.c_uint32, ctypes.c_uint16
_size_buffer = [_u32, ctypes.c_char_p]
_index_buffer = [_i32, _u32, ctypes.c_char_p]
_record = [_u16, _u32, _u32, _u8p, _u32, ctypes.c_char_p]

# name: (result, argument types), in the order of include/tkdec.h.
PROTOTYPES = {
    "tkdec_init": (_i32, []),
    "tkdec_exit": (_i32, []),
    "tkdec_getApiVersion": (_i32, []),
    "tkdec_getUniqueId": (_i32, _size_buffer),
    "tkdec_getTargetInformation": (_i32, _size_buffer),
    "tkdec_getNrSupportedChannels": (_i32, []),
    "tkdec_getSupportedChannels": (_i32, [_i32, ctypes.POINTER(_u16)]),
    "tkdec_getChannelMaster": (_i32, [_i32, ctypes.POINTER(_u16)]),
    "tkdec_getSource": (_i32, _index_buffer),
    "tkdec_getType": (_i32, _index_buffer),
    "tkdec_getLabel": (_i32, _index_buffer),
    "tkdec_getText": (_i32, [ctypes.c_void_p, ctypes.c_void_p, ctypes.POINTER(ctypes.c_void_p), ctypes.c_void_p,
                             _i32, _u32, _u16]),
    "tkdec_getShortText": (_i32, _record),
    "tkdec_getXml": (_i32, _record),
    "tkdec_getLongJson": (_i32, _record),
    "tkdec_getJson": (_i32, _record),
    "tkdec_getSourceReference": (_i32, [_u16, _u32, ctypes.POINTER(_u32), _u32, ctypes.c_char_p]),
    "tkdec_decodeType": (_u32, [ctypes.c_char_p, _u32, _u8p, _u32, ctypes.c_char_p, _i32]),
    "tkdec_createMessagePayload": (_i32, [_u8p, _u32, ctypes.c_char_p, ctypes.c_char_p, ctypes.c_char_p]),
}

_FILE_NAME = "tkdec.dll" if sys.platform == "win32" else "libtkdec.so"
_PACKAGE_DIR = os.path.dirname(os.path.abspath(__file__))


def _candidates():
    """Where a library is looked for when neither a path nor $TKDEC_LIBRARY
    names one: the one installed beside this package, the build trees of a
    source checkout, then the system's search path."""
    try:
        from ._installed import LIBRARY
        yield os.path.normpath(os.path.join(_PACKAGE_DIR, LIBRARY))
    except ImportError:
        pass
    checkouts = [os.path.dirname(os.path.dirname(_PACKAGE_DIR))]
    try:  # a package that pip installed from a checkout knows where it was
        from ._checkout import CHECKOUT
        checkouts.append(CHECKOUT)
    except ImportError:
        pass
    for checkout in checkouts:
        for preset in ("default", "demo"):
            yield os.path.join(checkout, "build", preset, _FILE_NAME)
    found = ctypes.util.find_library("tkdec")
    if found:
        yield found


def default_path():
    if os.environ.get("TKDEC_LIBRARY"):
        return os.environ["TKDEC_LIBRARY"]
    for path in _candidates():
        if os.path.isfile(path) or not os.path.dirname(path):
            return path
    tried = ", ".join(p for p in _candidates() if os.path.dirname(p))
    raise TkdecError(f"no tkdec library found (looked for {tried}): build one (cmake --workflow --preset demo), "
                     "give Decoder(path) or set TKDEC_LIBRARY")


def load(path):
    """The library at path with its functions declared; TkdecError when it
    cannot be loaded, lacks an export or has another interface version."""
    try:
        library = ctypes.CDLL(path)
    except OSError as error:
        raise TkdecError(f"cannot load {path}: {error}") from None
    for name, (result, arguments) in PROTOTYPES.items():
        try:
            function = getattr(library, name)
        except AttributeError:
            raise TkdecError(f"{path}: not a tkdec library: no export {name}") from None
        function.restype, function.argtypes = result, arguments
    version = library.tkdec_getApiVersion()
    if version != API_VERSION:
        raise TkdecError(f"{path}: interface version {version}, this package needs {API_VERSION}")
    return library
