"""Helpers for the generator tests: a copy of the reference build that a
test changes, the generator run on it, and the library compiled from it."""

import concurrent.futures
import glob
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

SOURCE_DIR = os.environ.get("TKDEC_SOURCE_DIR") or os.path.abspath(
    os.path.join(os.path.dirname(__file__), "..", ".."))
REFERENCE = os.path.join(SOURCE_DIR, "builds", "kestrelmax")
GENERATOR = os.path.join(SOURCE_DIR, "tools", "gen", "tkdec_gen.py")
sys.path.insert(0, os.path.join(SOURCE_DIR, "tools", "gen"))

import tkdec_gen  # noqa: E402

# Decodes "channel id word..." lines of stdin in UF_AsText: "result|text".
DRIVER = r"""
#include <stdio.h>
#include <stdlib.h>
#include "tkdec.h"
int main(void) {
    char line[512];
    while (fgets(line, sizeof line, stdin)) {
        uint32_t values[18];
        uint32_t count = 0;
        char *next = line;
        for (char *end = line; count < 18; next = end) {
            unsigned long value = strtoul(next, &end, 0);
            if (end == next) break;
            values[count++] = (uint32_t)value;
        }
        char text[1024] = "";
        int32_t result = tkdec_getShortText((uint16_t)values[0], values[1], (count - 2) * 4,
                                            (const uint8_t *)(values + 2), sizeof text, text);
        printf("%d|%s\n", result, text);
    }
    return 0;
}
"""


class Build:
    """A temporary copy of the reference build; use with `with`."""

    def __enter__(self):
        self.dir = tempfile.mkdtemp(prefix="tkdec-gen-")
        for name in glob.glob(os.path.join(REFERENCE, "*.json")):
            shutil.copy(name, self.dir)
        return self

    def __exit__(self, *exc):
        shutil.rmtree(self.dir, ignore_errors=True)

    def path(self, name="build.json"):
        return os.path.join(self.dir, name)

    def text(self, name="build.json"):
        with open(self.path(name), encoding="utf-8") as f:
            return f.read()

    def edit(self, change, name="build.json"):
        """Applies change(data) to one file; returns the file's new text."""
        data = json.loads(self.text(name))
        change(data)
        return self.write(name, json.dumps(data, indent=1))

    def write(self, name, text):
        with open(self.path(name), "w", encoding="utf-8") as f:
            f.write(text)
        return text

    def generate(self):
        """(outputs, errors), the files named relative to the build folder."""
        return tkdec_gen.generate(self.path(), self.dir)

    def compile(self):
        """Generates the tables, compiles the library with them and a
        decoding driver; returns the driver's path."""
        out = os.path.join(self.dir, "generated")
        subprocess.run([sys.executable, GENERATOR, self.path(), out], check=True)
        self.write("driver.c", DRIVER)
        sources = glob.glob(os.path.join(SOURCE_DIR, "src", "*", "*.cpp")) + glob.glob(os.path.join(out, "*.cpp"))
        flags = ["-std=c++20", "-O1", "-fno-exceptions", "-fno-rtti", "-DTKDEC_BUILDING",
                 "-I", os.path.join(SOURCE_DIR, "include"), "-I", os.path.join(SOURCE_DIR, "src"), "-I", out]
        objects = [os.path.join(self.dir, f"{i}.o") for i in range(len(sources))]
        with concurrent.futures.ThreadPoolExecutor(2) as pool:
            list(pool.map(lambda job: run_compiler(flags + ["-c", job[0], "-o", job[1]]), zip(sources, objects)))
        run_compiler(["-I", os.path.join(SOURCE_DIR, "include"), "-c", self.path("driver.c"), "-o",
                      self.path("driver.o")], compiler="cc")
        run_compiler([self.path("driver.o"), *objects, "-o", self.path("driver")])
        return self.path("driver")


def run_compiler(arguments, compiler="c++"):
    launcher = [shutil.which("ccache")] if shutil.which("ccache") else []
    subprocess.run(launcher + [compiler] + arguments, check=True, capture_output=True, text=True)


def decode(driver, records):
    """[(result, text)] of the records, each (channel, id, words...)."""
    lines = "".join(" ".join(str(v) for v in record) + "\n" for record in records)
    run = subprocess.run([driver], input=lines, capture_output=True, text=True, check=True)
    return [(int(result), text) for result, text in (line.split("|", 1) for line in run.stdout.splitlines())]


def position_of(text, marked):
    """"LINE:COLUMN" of the character after "»" in marked, found in text."""
    before, after = marked.split("»")
    offset = text.index(before + after) + len(before)
    line = text.count("\n", 0, offset) + 1
    return f"{line}:{offset - text.rfind(chr(10), 0, offset)}"


def without_position(message):
    """An error message with its line and column taken out."""
    return re.sub(r"^([^:]+):[0-9]+:[0-9]+: ", r"\1: ", message)
