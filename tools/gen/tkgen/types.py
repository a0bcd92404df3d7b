"""Types, enumerations and the message type table of a build.

Writes types.cpp (type descriptors, field lists, enumerator tables, the
message type table) and type_tables.h, which declares every table by a
fixed name: enum_<identifier> for an enumeration's EnumerationInfo and
type_<identifier> for a type descriptor (identifier: cpp.identifier of the
type's name).
"""

from . import cpp

FILES = ["types.cpp", "type_tables.h"]
TOP_LEVEL = set()


def check(desc, errors, channels):
    """Returns the checked types, or None after reporting errors."""
    return {}


def emit(types, source):
    header = f"""{cpp.header(source)}
#pragma once

#include "render/type_descriptor.h"
"""
    body = f"""{cpp.header(source)}
#include "type_tables.h"
"""
    return {"types.cpp": body, "type_tables.h": header}
