"""Helpers for the generator tests: a copy of the reference build that a
test changes, and the generator run on it."""

import copy
import json
import os
import shutil
import sys
import tempfile

SOURCE_DIR = os.environ.get("TKDEC_SOURCE_DIR") or os.path.abspath(
    os.path.join(os.path.dirname(__file__), "..", ".."))
REFERENCE = os.path.join(SOURCE_DIR, "builds", "kestrelmax")
sys.path.insert(0, os.path.join(SOURCE_DIR, "tools", "gen"))

import tkdec_gen  # noqa: E402


def reference(name="build.json"):
    with open(os.path.join(REFERENCE, name), encoding="utf-8") as f:
        return json.load(f)


class BuildCopy:
    """A temporary copy of the reference build whose files a test edits."""

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="tkdec-gen-")
        for name in os.listdir(REFERENCE):
            if name.endswith(".json"):
                shutil.copy(os.path.join(REFERENCE, name), self.dir)

    def path(self, name="build.json"):
        return os.path.join(self.dir, name)

    def load(self, name="build.json"):
        with open(self.path(name), encoding="utf-8") as f:
            return json.load(f)

    def save(self, data, name="build.json"):
        with open(self.path(name), "w", encoding="utf-8") as f:
            json.dump(data, f, indent=1)

    def write_text(self, text, name="build.json"):
        with open(self.path(name), "w", encoding="utf-8") as f:
            f.write(text)

    def generate(self):
        """Runs the generator; returns (outputs, errors) with the file part of
        each error reduced to its base name."""
        cwd = os.getcwd()
        os.chdir(self.dir)
        try:
            outputs, errors = tkdec_gen.generate(self.path())
        finally:
            os.chdir(cwd)
        return outputs, errors

    def close(self):
        shutil.rmtree(self.dir, ignore_errors=True)


def mutated(change, name="build.json"):
    """Errors of the reference build after change(data) edited one file."""
    build = BuildCopy()
    try:
        data = copy.deepcopy(build.load(name))
        change(data)
        build.save(data, name)
        return build.generate()[1]
    finally:
        build.close()
