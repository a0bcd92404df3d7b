"""Checks that a shared library, stripped of its symbols and debug
information, is no larger than a limit.

    library_size_test.py LIBRARY LIMIT_BYTES
"""

import os
import shutil
import subprocess
import sys
import tempfile


def stripped_size(library):
    with tempfile.TemporaryDirectory() as directory:
        copy = os.path.join(directory, os.path.basename(library))
        shutil.copyfile(library, copy)
        subprocess.run(["strip", "--strip-all", copy], check=True)
        return os.path.getsize(copy)


def main(argv):
    library, limit = argv[1], int(argv[2])
    size = stripped_size(library)
    print(f"{library}: {size} bytes stripped (limit {limit})")
    return 0 if size <= limit else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
