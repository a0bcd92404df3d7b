"""Checks that a shared library, stripped of its symbols and debug
information, is no larger than a limit.

    library_size_test.py LIBRARY LIMIT_BYTES
"""

import os
import shutil
import subprocess
import sys
import tempfile

if __name__ == "__main__":
    library, limit = sys.argv[1], int(sys.argv[2])
    with tempfile.TemporaryDirectory() as directory:
        copy = shutil.copy(library, directory)
        subprocess.run(["strip", "--strip-all", copy], check=True)
        size = os.path.getsize(copy)
    print(f"{library}: {size} bytes stripped (limit {limit})")
    sys.exit(0 if size <= limit else 1)
