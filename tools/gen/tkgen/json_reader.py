"""A JSON reader that remembers where each value stands in its file.

read(text) returns the value, as json.loads would give it, and a map from
the path of every value (a tuple of member names and array indices) to the
(line, column) of its first character, both counted from 1. A mistake in
the text raises JsonError with its own position and the path of the value
being read.
"""

import bisect
import json.decoder
import re

_WHITESPACE = re.compile(r"[ \t\n\r]*")
_NUMBER = re.compile(r"(-?(?:0|[1-9][0-9]*))(\.[0-9]+)?([eE][-+]?[0-9]+)?")
_LITERALS = (("true", True), ("false", False), ("null", None))
MAX_DEPTH = 200


class JsonError(Exception):
    def __init__(self, reason, offset, path):
        super().__init__(reason)
        self.reason = reason
        self.offset = offset
        self.path = path


class _Reader:
    def __init__(self, text):
        self.text = text
        self.positions = {}
        self.line_starts = [0] + [m.end() for m in re.finditer("\n", text)]

    def position(self, offset):
        line = bisect.bisect_right(self.line_starts, offset)
        return line, offset - self.line_starts[line - 1] + 1

    def skip(self, offset):
        return _WHITESPACE.match(self.text, offset).end()

    def fail(self, reason, offset, path):
        raise JsonError(reason, offset, path)

    def value(self, offset, path):
        """(value, offset behind it) of the value at offset (no blanks before)."""
        if len(path) > MAX_DEPTH:
            self.fail(f"more than {MAX_DEPTH} levels of nesting", offset, path)
        self.positions[path] = self.position(offset)
        char = self.text[offset:offset + 1]
        if char == "{":
            return self.object(offset + 1, path)
        if char == "[":
            return self.array(offset + 1, path)
        if char == '"':
            return self.string(offset, path)
        for word, value in _LITERALS:
            if self.text.startswith(word, offset):
                return value, offset + len(word)
        match = _NUMBER.match(self.text, offset)
        if match is None or match.end() == offset:
            self.fail("expected a value" if char else "the text ends where a value should be", offset, path)
        integer, fraction, exponent = match.groups()
        if fraction or exponent:
            return float(integer + (fraction or "") + (exponent or "")), match.end()
        return int(integer), match.end()

    def string(self, offset, path):
        try:
            return json.decoder.scanstring(self.text, offset + 1)
        except json.JSONDecodeError as e:
            self.fail(e.msg.lower().removesuffix(" starting at"), e.pos, path)

    def object(self, offset, path):
        members = {}
        offset = self.skip(offset)
        if self.text.startswith("}", offset):
            return members, offset + 1
        while True:
            if not self.text.startswith('"', offset):
                self.fail("expected a member name in double quotes", offset, path)
            key, offset = self.string(offset, path)
            offset = self.skip(offset)
            if not self.text.startswith(":", offset):
                self.fail(f"expected ':' after the member name \"{key}\"", offset, path)
            start = self.skip(offset + 1)
            if key in members:
                self.fail(f"duplicate member \"{key}\"", start, path + (key,))
            members[key], offset = self.value(start, path + (key,))
            offset = self.skip(offset)
            if self.text.startswith("}", offset):
                return members, offset + 1
            if not self.text.startswith(",", offset):
                self.fail("expected ',' or '}' after a member", offset, path)
            offset = self.skip(offset + 1)

    def array(self, offset, path):
        items = []
        offset = self.skip(offset)
        if self.text.startswith("]", offset):
            return items, offset + 1
        while True:
            item, offset = self.value(offset, path + (len(items),))
            items.append(item)
            offset = self.skip(offset)
            if self.text.startswith("]", offset):
                return items, offset + 1
            if not self.text.startswith(",", offset):
                self.fail("expected ',' or ']' after an item", offset, path)
            offset = self.skip(offset + 1)


def read(text):
    """(value, {path: (line, column)}); raises JsonError with a .position."""
    reader = _Reader(text)
    try:
        value, offset = reader.value(reader.skip(0), ())
        offset = reader.skip(offset)
        if offset != len(text):
            reader.fail("unexpected text after the value", offset, ())
    except JsonError as e:
        e.position = reader.position(e.offset)
        raise
    return value, reader.positions
