"""A JSON reader that remembers where each value stands in its file.

read(text) returns the value, as json.loads would give it, and its
Positions: the (line, column) of the first character of the value at any
path (a tuple of member names and array indices), both counted from 1. A
mistake in the text raises JsonError with its own position and the path of
the value being read.

Positions keep one offset per value in arrays beside the values, not a
map of paths, so that a large description stays small in memory.
"""

import bisect
import json.decoder
import re
from array import array

_WHITESPACE = re.compile(r"[ \t\n\r]*")
_NUMBER = re.compile(r"(-?(?:0|[1-9][0-9]*))(\.[0-9]+)?([eE][-+]?[0-9]+)?")
_SURROGATE = re.compile("[\ud800-\udfff]")
_LITERALS = (("true", True), ("false", False), ("null", None))
MAX_DEPTH = 200
MAX_OFFSET = 0xFFFFFFFF  # offsets are kept as 32-bit numbers
MAX_DIGITS = 20  # an unsigned 64-bit value has at most 20 decimal digits


class JsonError(Exception):
    def __init__(self, reason, offset, path, syntax=True):
        super().__init__(reason)
        self.reason = reason
        self.offset = offset
        self.path = path
        self.syntax = syntax  # False: well-formed JSON that no description may hold


class Positions:
    """Where the values of one file start. A container's record is the
    array of the offsets of its items or members in order, or, when
    containers are among them, (that array, {index: their record})."""

    def __init__(self, value, offset, record, line_starts):
        self.value = value
        self.offset = offset
        self.record = record
        self.line_starts = line_starts
        self.orders = {}  # id(object) -> {member name: index}, made when a report needs it

    def line_and_column(self, key):
        """Of the value at key, or of the nearest enclosing value that the file holds."""
        value, record, offset = self.value, self.record, self.offset
        for part in key:
            index = self.index(value, part)
            if record is None or index is None:
                break
            if isinstance(record, tuple):
                offset, record = record[0][index], record[1].get(index)
            else:
                offset, record = record[index], None
            value = value[part]
        return line_and_column(self.line_starts, offset)

    def index(self, value, part):
        if isinstance(value, list) and isinstance(part, int) and 0 <= part < len(value):
            return part
        if isinstance(value, dict) and part in value:
            order = self.orders.get(id(value))
            if order is None:
                order = self.orders[id(value)] = {name: index for index, name in enumerate(value)}
            return order[part]
        return None


def line_and_column(line_starts, offset):
    line = bisect.bisect_right(line_starts, offset)
    return line, offset - line_starts[line - 1] + 1


class _Reader:
    def __init__(self, text):
        self.text = text
        self.keys = {}
        self.line_starts = array("I", [0] + [m.end() for m in re.finditer("\n", text)])

    def position(self, offset):
        return line_and_column(self.line_starts, offset)

    def skip(self, offset):
        return _WHITESPACE.match(self.text, offset).end()

    def fail(self, reason, offset, path, syntax=True):
        raise JsonError(reason, offset, path, syntax)

    def value(self, offset, path):
        """(value, offset behind it, record of a container or None) of the
        value at offset (no blanks before)."""
        if len(path) > MAX_DEPTH:
            self.fail(f"more than {MAX_DEPTH} levels of nesting", offset, path)
        char = self.text[offset:offset + 1]
        if char == "{":
            return self.object(offset + 1, path)
        if char == "[":
            return self.array(offset + 1, path)
        if char == '"':
            return (*self.string(offset, path), None)
        for word, value in _LITERALS:
            if self.text.startswith(word, offset):
                return value, offset + len(word), None
        match = _NUMBER.match(self.text, offset)
        if match is None or match.end() == offset:
            self.fail("expected a value" if char else "the text ends where a value should be", offset, path)
        integer, fraction, exponent = match.groups()
        if fraction or exponent:
            return float(integer + (fraction or "") + (exponent or "")), match.end(), None
        digits = len(integer.lstrip("-"))
        if digits > MAX_DIGITS:
            self.fail(f"an integer of {digits} digits is longer than any 64-bit value", offset, path, syntax=False)
        return int(integer), match.end(), None

    def string(self, offset, path):
        try:
            text, end = json.decoder.scanstring(self.text, offset + 1)
        except json.JSONDecodeError as e:
            self.fail(e.msg.lower().removesuffix(" starting at"), e.pos, path)
        if _SURROGATE.search(text):
            self.fail("a \\u escape gives half of a surrogate pair, which is no character", offset, path,
                      syntax=False)
        return text, end

    def object(self, offset, path):
        members, record = {}, (array("I"), {})
        offset = self.skip(offset)
        if self.text.startswith("}", offset):
            return members, offset + 1, self.finished(record)
        while True:
            if not self.text.startswith('"', offset):
                self.fail("expected a member name in double quotes", offset, path)
            key, offset = self.string(offset, path)
            key = self.keys.setdefault(key, key)  # one string for each member name, as json.loads keeps it
            offset = self.skip(offset)
            if not self.text.startswith(":", offset):
                self.fail(f"expected ':' after the member name \"{key}\"", offset, path)
            start = self.skip(offset + 1)
            if key in members:
                self.fail(f"duplicate member \"{key}\"", start, path + (key,))
            members[key], offset = self.add(record, start, path + (key,))
            offset = self.skip(offset)
            if self.text.startswith("}", offset):
                return members, offset + 1, self.finished(record)
            if not self.text.startswith(",", offset):
                self.fail("expected ',' or '}' after a member", offset, path)
            offset = self.skip(offset + 1)

    def array(self, offset, path):
        items, record = [], (array("I"), {})
        offset = self.skip(offset)
        if self.text.startswith("]", offset):
            return items, offset + 1, self.finished(record)
        while True:
            item, offset = self.add(record, offset, path + (len(items),))
            items.append(item)
            offset = self.skip(offset)
            if self.text.startswith("]", offset):
                return items, offset + 1, self.finished(record)
            if not self.text.startswith(",", offset):
                self.fail("expected ',' or ']' after an item", offset, path)
            offset = self.skip(offset + 1)


    def add(self, record, offset, path):
        """Reads the item or member at offset into a container's record;
        (value, offset behind it)."""
        value, end, child = self.value(offset, path)
        if child is not None:
            record[1][len(record[0])] = child
        record[0].append(offset)
        return value, end

    @staticmethod
    def finished(record):
        return record if record[1] else record[0]


def read(text):
    """(value, Positions); raises JsonError with a .position."""
    if len(text) > MAX_OFFSET:
        too_long = JsonError(f"a file of more than {MAX_OFFSET} characters", 0, (), syntax=False)
        too_long.position = (1, 1)
        raise too_long
    reader = _Reader(text)
    try:
        start = reader.skip(0)
        value, offset, record = reader.value(start, ())
        offset = reader.skip(offset)
        if offset != len(text):
            reader.fail("unexpected text after the value", offset, ())
    except JsonError as e:
        e.position = reader.position(e.offset)
        raise
    return value, Positions(value, start, record, reader.line_starts)
