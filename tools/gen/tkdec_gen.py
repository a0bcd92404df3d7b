#!/usr/bin/env python3
"""Generates the constant C++ tables of one firmware build.

    tkdec_gen.py BUILD_JSON OUT_DIR     check the description, write OUT_DIR/*
    tkdec_gen.py --inputs BUILD_JSON    list the description's files (for the build)
    tkdec_gen.py --outputs              list the files that a run writes

Every mistake in the description is reported as 'FILE: JSON-PATH: reason';
when there is one, nothing is written and the exit status is 1.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from tkgen import channels, identity, tokens, types  # noqa: E402
from tkgen.description import Errors, included_files, load  # noqa: E402

OUTPUT_FILES = identity.FILES + channels.FILES + types.FILES + tokens.FILES
TOP_LEVEL = {"format", "name", "uuid", "target_information", "build_info", "channel_count", "channels"} \
    | types.TOP_LEVEL | tokens.TOP_LEVEL
FORMAT_VERSION = 1


def check_top_level(desc, errors):
    version = desc.get("format")
    if version is None:
        errors.add(desc.file, "format", "missing member \"format\"")
    elif version.value != FORMAT_VERSION:
        version.error(f"unsupported format {version.value!r}; this generator reads format {FORMAT_VERSION}")
    for key, node in desc.items():
        if key not in TOP_LEVEL:
            node.error(f"unknown member \"{key}\"")


def generate(build_json):
    """Returns ({file name: text}, [error messages])."""
    errors = Errors()
    desc = load(build_json, errors)
    if desc is None:
        return {}, errors.messages
    check_top_level(desc, errors)
    build_identity = identity.check(desc, errors)
    channel_rows = channels.check(desc, errors)
    type_tables = types.check(desc, errors, channel_rows)
    token_tables = tokens.check(desc, errors, channel_rows, type_tables)
    if errors:
        return {}, errors.messages
    source = os.path.relpath(build_json)
    outputs = {}
    outputs.update(identity.emit(build_identity, source))
    outputs.update(channels.emit(channel_rows, source))
    outputs.update(types.emit(type_tables, source))
    outputs.update(tokens.emit(token_tables, type_tables, source))
    return outputs, []


def write_if_changed(path, text):
    try:
        with open(path, encoding="utf-8") as f:
            if f.read() == text:
                return
    except OSError:
        pass
    with open(path + ".tmp", "w", encoding="utf-8") as f:
        f.write(text)
    os.replace(path + ".tmp", path)


def main(argv):
    if len(argv) == 2 and argv[1] == "--outputs":
        print(";".join(OUTPUT_FILES))
        return 0
    if len(argv) == 3 and argv[1] == "--inputs":
        print(";".join(os.path.abspath(f) for f in included_files(argv[2])))
        return 0
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    build_json, out_dir = argv[1], argv[2]
    outputs, errors = generate(build_json)
    for message in errors:
        print(message, file=sys.stderr)
    if errors:
        print(f"{len(errors)} error(s); nothing written", file=sys.stderr)
        return 1
    os.makedirs(out_dir, exist_ok=True)
    for name, text in outputs.items():
        write_if_changed(os.path.join(out_dir, name), text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
