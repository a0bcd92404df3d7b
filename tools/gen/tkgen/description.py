"""Loading and checking a build description.

A build description is one JSON object in build.json; its "includes"
member names further JSON files beside it whose members join the top level
(so types, messages and tokens can live in files of their own). Every
mistake is collected as 'FILE: JSON-PATH: reason'; nothing stops at the
first one.
"""

import json
import os


class Errors:
    def __init__(self):
        self.messages = []

    def add(self, file, path, reason):
        self.messages.append(f"{file}: {path or '(top level)'}: {reason}")

    def __bool__(self):
        return bool(self.messages)


class Description(dict):
    """The top-level members {key: Node}; file is the build.json path."""

    def __init__(self, members, file):
        super().__init__(members)
        self.file = file


class Node:
    """A JSON value with the file and JSON path it came from."""

    def __init__(self, value, file, path, errors):
        self.value = value
        self.file = file
        self.path = path
        self.errors = errors

    def error(self, reason):
        self.errors.add(self.file, self.path, reason)

    def member(self, key):
        path = f"{self.path}.{key}" if self.path else key
        return Node(self.value.get(key), self.file, path, self.errors)

    def item(self, index):
        return Node(self.value[index], self.file, f"{self.path}[{index}]", self.errors)

    def items(self):
        return [self.item(i) for i in range(len(self.value))]


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
            node.member(key).error(f"unknown member \"{key}\"")
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


def _reject_duplicate_keys(pairs):
    seen = {}
    for key, value in pairs:
        if key in seen:
            raise ValueError(f"duplicate key \"{key}\"")
        seen[key] = value
    return seen


def load_json(path, display, errors):
    try:
        with open(path, encoding="utf-8") as f:
            text = f.read()
    except OSError as e:
        errors.add(display, "", f"cannot read: {e.strerror}")
        return None
    try:
        return json.loads(text, object_pairs_hook=_reject_duplicate_keys)
    except json.JSONDecodeError as e:
        errors.add(display, f"line {e.lineno} column {e.colno}", f"malformed JSON: {e.msg}")
    except ValueError as e:
        errors.add(display, "", f"malformed JSON: {e}")
    return None


def load(build_json, errors):
    """Returns the description as {member: Node}, with each member's Node
    knowing the file it came from, or None when nothing could be read."""
    display = os.path.relpath(build_json)
    top = load_json(build_json, display, errors)
    if top is None:
        return None
    if not isinstance(top, dict):
        errors.add(display, "", f"expected an object, found {json_kind(top)}")
        return None
    members = Description({key: Node(value, display, key, errors) for key, value in top.items()}, display)
    includes = members.pop("includes", None)
    if includes is None:
        return members
    if not is_type(includes.value, list) or not all(is_type(v, str) for v in includes.value):
        includes.error("expected an array of file names")
        return members
    base = os.path.dirname(build_json)
    for index, name in enumerate(includes.value):
        path = os.path.join(base, name)
        part_display = os.path.relpath(path)
        part = load_json(path, part_display, errors)
        if part is None:
            continue
        if not isinstance(part, dict):
            errors.add(part_display, "", f"expected an object, found {json_kind(part)}")
            continue
        for key, value in part.items():
            if key in members:
                errors.add(part_display, key, f"member \"{key}\" is also given in {members[key].file}")
                continue
            members[key] = Node(value, part_display, key, errors)
    return members


def included_files(build_json):
    """The description's files, for the build's dependency list."""
    files = [build_json]
    try:
        with open(build_json, encoding="utf-8") as f:
            top = json.load(f)
        base = os.path.dirname(build_json)
        files += [os.path.join(base, name) for name in top.get("includes", []) if isinstance(name, str)]
    except (OSError, ValueError, AttributeError):
        pass
    return files
