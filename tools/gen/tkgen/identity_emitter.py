"""Writes the checked identity (build_model.py) as identity.cpp: the UUID
and the target information document in the pieces that the library appends,
with the builder and machine captured now; and build_capture.h, which gives
the tests those captured values."""

import getpass
import json
import socket

from . import cpp

FILES = ["identity.cpp", "build_capture.h"]


def captured_builder():
    try:
        return getpass.getuser()
    except Exception:  # no login name in this environment
        return "unknown"


def captured_machine():
    return socket.gethostname() or "unknown"


def dumps(value):
    return json.dumps(value, ensure_ascii=False, separators=(", ", ": "))


def document_pieces(identity, builder, machine):
    """The nine pieces of the target information document, in order."""
    pieces = ["{"]
    for index, (key, value) in enumerate(identity.target_information.items()):
        pieces.append((" " if index == 0 else ",") + dumps(key) + ": " + dumps(value))
    info = identity.build_info
    uuid = identity.uuid
    build_info = [
        ("UTC", info["UTC"]),
        ("QUILLON_VERSION", info["QUILLON_VERSION"]),
        ("UUID", uuid),
        ("STREAM", info["STREAM"]),
        ("SW_VERSION", f"{uuid}:{info['UTC']}"),
        ("URL", info["URL"]),
        ("BUILDER", builder),
        ("MACHINE", machine),
        ("VERSION", info["VERSION"]),
        ("SHELVE", info["SHELVE"]),
        ("NAME", info["NAME"]),
    ]
    pieces.append(',"build_info": {' + ", ".join(f'"{k}": "{v}"' for k, v in build_info) + "}")
    pieces.append("}")
    return pieces


def emit(identity, source):
    builder = captured_builder().replace('"', "'").replace("%", "_")
    machine = captured_machine().replace('"', "'").replace("%", "_")
    pieces = document_pieces(identity, builder, machine)
    rows = "\n".join(f"    {cpp.string_literal(p)}," for p in pieces)
    body = f"""{cpp.preamble(source)}
#include "api/build_identity.h"

namespace tkdec::build {{

const char uniqueId[] = {cpp.string_literal(identity.uuid)};

// The target information document, appended piece by piece.
const char *const targetInformation[] = {{
{rows}
}};
const uint32_t targetInformationPieceCount = {len(pieces)};

}}  // namespace tkdec::build
"""
    header = f"""{cpp.preamble(source, header=True)}
// Values captured when the tables were generated, for the tests.
#define TKDEC_GENERATED_BUILDER {cpp.string_literal(builder)}
#define TKDEC_GENERATED_MACHINE {cpp.string_literal(machine)}
"""
    return {"identity.cpp": body, "build_capture.h": header}
