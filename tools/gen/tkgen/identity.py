"""The build identity: UUID, the pieces of the target information document
and the build information object."""

import getpass
import json
import re
import socket

from . import cpp
from .description import fields, is_type

BUILD_INFO_KEYS = ["UTC", "QUILLON_VERSION", "STREAM", "URL", "VERSION", "SHELVE", "NAME"]
API_VERSION = 6
TARGET_INFORMATION_VERSION = 1

FILES = ["identity.cpp", "build_capture.h"]  # written by emit()


def captured_builder():
    try:
        return getpass.getuser()
    except Exception:  # no login name in this environment
        return "unknown"


def captured_machine():
    return socket.gethostname() or "unknown"


def check_text(node, text):
    """The document is appended unchanged: no conversion character, and no
    double quote that would end a JSON string early."""
    if "%" in text:
        node.error(f"text {text!r} contains '%', which the target information cannot carry")
    if '"' in text:
        node.error(f"text {text!r} contains a double quote, which the target information cannot carry")


def check_texts(node):
    """Checks every key and string value inside a JSON value."""
    value = node.value
    if isinstance(value, str):
        check_text(node, value)
    elif isinstance(value, list):
        for item in node.items():
            check_texts(item)
    elif isinstance(value, dict):
        for key in value:
            check_text(node.member(key), key)
            check_texts(node.member(key))


def check(desc, errors):
    """Returns the identity as a dict, or None after reporting errors."""
    result = {}
    uuid = desc.get("uuid")
    if uuid is None:
        desc.missing("uuid")
    elif not is_type(uuid.value, str) or not re.fullmatch(r"[0-9a-f]{32}", uuid.value):
        uuid.error("the UUID must be 32 lower-case hexadecimal digits")
    else:
        result["uuid"] = uuid.value

    info = desc.get("target_information")
    if info is None:
        desc.missing("target_information")
    elif not is_type(info.value, dict) or not info.value:
        info.error("expected a non-empty object of the document's leading members")
    else:
        check_texts(info)
        version = info.value.get("version")
        if isinstance(version, dict):
            if version.get("tkdec_getApiVersion") != API_VERSION:
                info.member("version").error(f"\"tkdec_getApiVersion\" must be {API_VERSION}, the interface version")
            if version.get("tkdec_getTargetInformation") != TARGET_INFORMATION_VERSION:
                info.member("version").error(
                    f"\"tkdec_getTargetInformation\" must be {TARGET_INFORMATION_VERSION}, the document version")
        result["target_information"] = info.value

    build_info = desc.get("build_info")
    if build_info is None:
        desc.missing("build_info")
    else:
        members = fields(build_info, {key: str for key in BUILD_INFO_KEYS})
        if members is not None:
            for node in members.values():
                check_text(node, node.value)
            if len(members) == len(BUILD_INFO_KEYS):
                result["build_info"] = {key: node.value for key, node in members.items()}
    return result if len(result) == 3 else None


def dumps(value):
    return json.dumps(value, ensure_ascii=False, separators=(", ", ": "))


def document_pieces(identity, builder, machine):
    """The nine pieces of the target information document, in order."""
    pieces = ["{"]
    for index, (key, value) in enumerate(identity["target_information"].items()):
        pieces.append((" " if index == 0 else ",") + dumps(key) + ": " + dumps(value))
    info = identity["build_info"]
    uuid = identity["uuid"]
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

const char uniqueId[] = {cpp.string_literal(identity["uuid"])};

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
