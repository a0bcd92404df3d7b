"""Loading and checking a build description.

A build description is one JSON object in build.json; its "includes"
member names further JSON files beside it whose members join the top level
(so types, messages and tokens can live in files of their own). Every
mistake is collected as 'FILE:LINE:COLUMN: JSON-PATH: reason', at the
value that is wrong; nothing stops at the first one.
"""

import difflib
import json
import os
import re

from . import json_reader

_UNPRINTABLE = re.compile(r"[\x00-\x1f\x7f]")
BYTE_ORDER_MARK = "\ufeff"


def printable(text):
    """text with its control characters written as escapes, so that a
    report stays one line whatever a description holds."""
    return _UNPRINTABLE.sub(lambda m: json.dumps(m.group(0))[1:-1], text)


def quoted(text):
    """A name as a report shows it: in double quotes, escaped as in JSON."""
    return json.dumps(text, ensure_ascii=False)


def check_plain_text(node):
    """Whether a text that the library hands on as a C string holds no
    control character (a NUL would cut it short, a line break split a
    line); reports one that does."""
    if _UNPRINTABLE.search(node.value) is None:
        return True
    node.error(f"text {quoted(node.value)} contains a control character")
    return False


class Errors:
    def __init__(self):
        self.messages = []

    def add(self, file, position, path, reason):
        line, column = position
        self.messages.append(printable(f"{file}:{line}:{column}: {path or '(top level)'}: {reason}"))

    def __bool__(self):
        return bool(self.messages)


def suggestion(name, names):
    """'; did you mean "X"?' for the existing name closest to name, or ''."""
    close = difflib.get_close_matches(name, list(names), n=1) if isinstance(name, str) else []
    return f"; did you mean \"{close[0]}\"?" if close else ""


class Source:
    """One JSON file of the description: its display name and where every
    value in it starts (json_reader.Positions)."""

    def __init__(self, file, positions):
        self.file = file
        self.positions = positions

    def position(self, key):
        """The (line, column) of the value at key, or of the nearest
        enclosing value that the file holds (a value made by the generator
        itself)."""
        return self.positions.line_and_column(key)


class Node:
    """A JSON value with the file, JSON path and position it came from."""

    def __init__(self, value, source, key, errors):
        self.value = value
        self.source = source
        self.key = key          # the path as a tuple of member names and indices
        self.errors = errors

    @property
    def file(self):
        return self.source.file

    @property
    def path(self):
        text = ""
        for part in self.key:
            text += f"[{part}]" if isinstance(part, int) else (f".{part}" if text else part)
        return text

    def error(self, reason):
        self.errors.add(self.source.file, self.source.position(self.key), self.path, reason)

    def member(self, key):
        return Node(self.value.get(key), self.source, self.key + (key,), self.errors)

    def item(self, index):
        return Node(self.value[index], self.source, self.key + (index,), self.errors)

    def items(self):
        return [self.item(i) for i in range(len(self.value))]

    def with_value(self, value):
        """A node of the same place holding a value the generator made."""
        return Node(value, self.source, self.key, self.errors)


class Description(dict):
    """The top-level members {key: Node}; root is build.json's object."""

    def __init__(self, members, root):
        super().__init__(members)
        self.root = root
        self.incomplete = False  # an included file could not be read: what it held is unknown
        self.file = root.file

    def at(self, key):
        """The member's Node; for a member that is not given, a Node at
        build.json's object with the member's path."""
        return self.get(key) or Node(None, self.root.source, (key,), self.root.errors)

    def missing(self, key):
        self.at(key).error(f"missing member \"{key}\"")


_TYPE_NAMES = {int: "an integer", str: "a string", bool: "true or false", list: "an array",
               dict: "an object", float: "a number"}


def is_type(value, kind):
    if kind is int:
        return isinstance(value, int) and not isinstance(value, bool)
    return isinstance(value, kind)


def fields(node, required, optional=None):
    """Checks that node is an object with the required members and no
    unknown ones, each of the given JSON type. Returns {key: Node} for the
    members that are present and well-typed, or None when node is not an
    object. A type may be a tuple of accepted types."""
    optional = optional or {}
    if not isinstance(node.value, dict):
        node.error(f"expected an object, found {json_kind(node.value)}")
        return None
    result = {}
    for key, kind in list(required.items()) + list(optional.items()):
        if key not in node.value:
            if key in required:
                node.error(f"missing member \"{key}\"")
            continue
        child = node.member(key)
        kinds = kind if isinstance(kind, tuple) else (kind,)
        if any(is_type(child.value, k) for k in kinds):
            result[key] = child
        else:
            wanted = " or ".join(_TYPE_NAMES[k] for k in kinds)
            child.error(f"expected {wanted}, found {json_kind(child.value)}")
    for key in node.value:
        if key not in required and key not in optional:
            known = list(required) + list(optional)
            node.member(key).error(f"unknown member {quoted(key)}{suggestion(key, known)}")
    return result


def json_kind(value):
    if value is None:
        return "null"
    if isinstance(value, bool):
        return "true or false"
    for kind, name in _TYPE_NAMES.items():
        if isinstance(value, kind):
            return name
    return type(value).__name__


def load_json(path, display, errors, where):
    """(value, Source) of one file, or None after reporting at where
    (a node of the file that names this one, or None)."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        reason = f"cannot read {display}: {e.strerror or e}"
        if where is not None:
            where.error(reason)
        else:
            errors.add(display, (1, 1), "", reason)
        return None
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError as e:
        errors.add(display, byte_position(data, e.start), "", f"byte 0x{data[e.start]:02X} is not UTF-8 text")
        return None
    if text.startswith(BYTE_ORDER_MARK):
        errors.add(display, (1, 1), "", "the file starts with a byte-order mark, which JSON does not allow; "
                                        "save it as UTF-8 without one")
        return None
    try:
        value, positions = json_reader.read(text)
    except json_reader.JsonError as e:
        path = Node(None, None, e.path, errors).path
        errors.add(display, e.position, path, f"malformed JSON: {e.reason}" if e.syntax else e.reason)
        return None
    return value, Source(display, positions)


def byte_position(data, offset):
    """The (line, column) of a byte that starts no UTF-8 character: the
    column counts the characters of its line before it."""
    start = data.rfind(b"\n", 0, offset) + 1
    before = data[start:offset].decode("utf-8", errors="replace")
    return data.count(b"\n", 0, offset) + 1, len(before) + 1


def top_object(loaded, errors):
    """The Node of a file's top-level object, or None after reporting."""
    if loaded is None:
        return None
    node = Node(loaded[0], loaded[1], (), errors)
    if not isinstance(node.value, dict):
        node.error(f"expected an object, found {json_kind(node.value)}")
        return None
    return node


def load(build_json, errors, source_root="."):
    """Returns the description as {member: Node}, with each member's Node
    knowing the file it came from, or None when nothing could be read.
    Files are named by their path relative to source_root."""
    display = display_name(build_json, source_root)
    root = top_object(load_json(build_json, display, errors, None), errors)
    if root is None:
        return None
    members = Description({key: root.member(key) for key in root.value}, root)
    includes = members.pop("includes", None)
    if includes is None:
        return members
    if not is_type(includes.value, list) or not all(is_type(v, str) for v in includes.value):
        includes.error("expected an array of file names")
        return members
    base = os.path.dirname(build_json)
    for name_node in includes.items():
        path = os.path.join(base, name_node.value)
        part = top_object(load_json(path, display_name(path, source_root), errors, name_node), errors)
        if part is None:
            members.incomplete = True
            continue
        for key in part.value:
            if key in members:
                part.member(key).error(f"member \"{key}\" is also given in {members[key].file}")
                continue
            members[key] = part.member(key)
    return members


def section(desc, key, what="an array", required=False):
    """The item Nodes of a top-level array; [] after reporting one that
    is not an array, or one that is required and not given."""
    node = desc.get(key)
    if node is None:
        if required:
            desc.missing(key)
        return []
    if not is_type(node.value, list):
        node.error(f"expected {what}")
        return []
    return node.items()


def display_name(path, source_root):
    return os.path.relpath(os.path.abspath(path), os.path.abspath(source_root)).replace(os.sep, "/")


def included_files(build_json):
    """The description's files, for the build's dependency list."""
    files = [build_json]
    try:
        with open(build_json, encoding="utf-8") as f:
            top, _ = json_reader.read(f.read().removeprefix(BYTE_ORDER_MARK))
        base = os.path.dirname(build_json)
        files += [os.path.join(base, name) for name in top.get("includes", []) if isinstance(name, str)]
    except (OSError, ValueError, AttributeError, json_reader.JsonError):
        pass
    return files
