"""Checks the build identity (UUID, the leading members of the target
information document, the build information texts) and builds its model
(build_model.py); identity_emitter.py writes it as C++."""

import re

from .build_model import BUILD_INFO_KEYS, Identity
from .description import check_plain_text, fields, is_type

API_VERSION = 6
TARGET_INFORMATION_VERSION = 1


def check_text(node, text):
    """The document is appended unchanged: no conversion character, and no
    double quote that would end a JSON string early."""
    if "%" in text:
        node.error(f"text {text!r} contains '%', which the target information cannot carry")
    if '"' in text:
        node.error(f"text {text!r} contains a double quote, which the target information cannot carry")


def check_build_info_text(node):
    """A build information text goes into the document between double
    quotes as it is: no backslash or control character either."""
    check_text(node, node.value)
    if "\\" in node.value:
        node.error(f"text {node.value!r} contains a backslash, which the target information cannot carry")
        return False
    return check_plain_text(node)


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
    """Returns the Identity, or None after reporting errors."""
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
            plain = [check_build_info_text(node) for node in members.values()]
            if len(members) == len(BUILD_INFO_KEYS) and all(plain):
                result["build_info"] = {key: members[key].value for key in BUILD_INFO_KEYS}
    return Identity(**result) if len(result) == 3 else None
