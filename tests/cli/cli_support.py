"""Running the tkdec tool from the tests."""

import os
import subprocess
import sys
from pathlib import Path

SOURCE_DIR = Path(os.environ.get("TKDEC_SOURCE_DIR", Path(__file__).resolve().parents[2]))
TOOL = os.environ.get("TKDEC_TOOL", "tkdec")
UUID = "7d7d9de0768a419da9c3b593855bdb0a"

sys.path.insert(0, str(SOURCE_DIR / "tools" / "capture"))
import tkcapture  # noqa: E402  (path set up above)

# The sample's records (channel, id, payload, note, time) and its reviewed outputs.
SAMPLE_RECORDS = list(tkcapture.records_of(tkcapture.read_list(SOURCE_DIR / "samples" / "kestrelmax.json")[2], []))


def expected(fmt):
    return (SOURCE_DIR / "tests" / "cli" / "expected" / f"kestrelmax.{fmt}").read_text(encoding="utf-8")


class Run:
    """Exit status, standard output (bytes) and standard error (text)."""

    def __init__(self, completed):
        self.status = completed.returncode
        self.out = completed.stdout
        self.err = completed.stderr.decode("utf-8", "replace")

    @property
    def text(self):
        return self.out.decode("utf-8")


def tkdec(*args, stdin=b"", cwd=None):
    return Run(subprocess.run([TOOL, *map(str, args)], input=stdin, capture_output=True, cwd=cwd, timeout=120))


def binary_capture(records, uuid=UUID):
    """records: (channel, id, payload bytes)."""
    return tkcapture.binary_capture(uuid, [(c, i, p, "") for c, i, p in records])


def text_capture(records, uuid=UUID, comment=()):
    return tkcapture.text_capture(uuid, list(comment), [(c, i, p, "") for c, i, p in records])
