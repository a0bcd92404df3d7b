#!/usr/bin/env python3
"""Generates the constant C++ tables of one firmware build.

    tkdec_gen.py [--source-root DIR] BUILD_JSON OUT_DIR
                                        check the description, write OUT_DIR/*
    tkdec_gen.py --inputs BUILD_JSON    list the description's files (for the build)
    tkdec_gen.py --outputs              list the files that a run writes

Files are named by their path relative to --source-root (default: the
current directory), in the errors and in the generated files. Every mistake
in the description is reported as 'FILE:LINE:COLUMN: JSON-PATH: reason';
when there is one, nothing is written and the exit status is 1.
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from tkgen import channel_emitter, channels, identity, identity_emitter, token_emitter, tokens  # noqa: E402
from tkgen import type_emitter, types  # noqa: E402
from tkgen.description import Errors, included_files, load  # noqa: E402

OUTPUT_FILES = identity_emitter.FILES + channel_emitter.FILES + type_emitter.FILES + token_emitter.FILES
TOP_LEVEL = {"format", "name", "uuid", "target_information", "build_info", "channel_count", "channels"} \
    | types.TOP_LEVEL | tokens.TOP_LEVEL
FORMAT_VERSION = 1


def check_top_level(desc, errors):
    version = desc.get("format")
    if version is None:
        desc.missing("format")
    elif version.value != FORMAT_VERSION:
        version.error(f"unsupported format {version.value!r}; this generator reads format {FORMAT_VERSION}")
    for key, node in desc.items():
        if key not in TOP_LEVEL:
            node.error(f"unknown member \"{key}\"")


def generate(build_json, source_root="."):
    """Returns ({file name: text}, [error messages])."""
    errors = Errors()
    desc = load(build_json, errors, source_root)
    if desc is None or desc.incomplete:
        return {}, errors.messages  # checking the rest would only report what the unread file holds
    check_top_level(desc, errors)
    build_identity = identity.check(desc, errors)
    channel_rows = channels.check(desc, errors)
    type_tables = types.check(desc, errors, channel_rows)
    token_tables = tokens.check(desc, errors, channel_rows, type_tables)
    if errors:
        return {}, errors.messages
    source = desc.file
    del desc  # the models hold all that the emitters need
    outputs = {}
    outputs.update(identity_emitter.emit(build_identity, source))
    outputs.update(channel_emitter.emit(channel_rows, source))
    outputs.update(type_emitter.emit(type_tables, source))
    outputs.update(token_emitter.emit(token_tables, source))
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


def parse_arguments(argv):
    parser = argparse.ArgumentParser(prog="tkdec_gen.py", description=__doc__.splitlines()[0])
    parser.add_argument("--outputs", action="store_true", help="list the files that a run writes")
    parser.add_argument("--inputs", metavar="BUILD_JSON", help="list the description's files")
    parser.add_argument("--source-root", metavar="DIR", default=".",
                        help="name files by their path relative to DIR (default: the current directory)")
    parser.add_argument("build_json", nargs="?", metavar="BUILD_JSON")
    parser.add_argument("out_dir", nargs="?", metavar="OUT_DIR")
    arguments = parser.parse_args(argv[1:])
    if not (arguments.outputs or arguments.inputs or (arguments.build_json and arguments.out_dir)):
        parser.error("give BUILD_JSON and OUT_DIR, --inputs BUILD_JSON or --outputs")
    return arguments


def main(argv):
    arguments = parse_arguments(argv)
    if arguments.outputs:
        print(";".join(OUTPUT_FILES))
        return 0
    if arguments.inputs:
        print(";".join(os.path.abspath(f) for f in included_files(arguments.inputs)))
        return 0
    outputs, errors = generate(arguments.build_json, arguments.source_root)
    for message in errors:
        print(message, file=sys.stderr)
    if errors:
        print(f"{len(errors)} error(s); nothing written", file=sys.stderr)
        return 1
    os.makedirs(arguments.out_dir, exist_ok=True)
    for name, text in outputs.items():
        write_if_changed(os.path.join(arguments.out_dir, name), text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
