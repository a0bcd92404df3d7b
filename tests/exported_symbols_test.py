#!/usr/bin/env python3
"""The shared library exports exactly the tkdec_ functions of its interface."""

import subprocess
import sys

EXPECTED = {
    "tkdec_init", "tkdec_exit", "tkdec_getApiVersion", "tkdec_getUniqueId",
    "tkdec_getTargetInformation", "tkdec_getNrSupportedChannels", "tkdec_getSupportedChannels",
    "tkdec_getChannelMaster", "tkdec_getSource", "tkdec_getType", "tkdec_getLabel",
    "tkdec_decodeType",
    "tkdec_getText", "tkdec_getShortText", "tkdec_getXml", "tkdec_getLongJson", "tkdec_getJson",
    "tkdec_getSourceReference",
    "tkdec_createMessagePayload",
}


def exported(library):
    out = subprocess.run(["nm", "-D", "--defined-only", library], check=True,
                         capture_output=True, text=True).stdout
    # Lines are "ADDRESS TYPE NAME"; only code and data symbols are exports
    # of the library's own (not the linker's version nodes).
    names = set()
    for line in out.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[1] in "TtDdBbRrVvWwiu":
            names.add(parts[2].split("@")[0])
    return names


def main():
    names = exported(sys.argv[1])
    missing = sorted(EXPECTED - names)
    extra = sorted(names - EXPECTED)
    for name in missing:
        print(f"missing export: {name}")
    for name in extra:
        print(f"unexpected export: {name}")
    if missing or extra:
        return 1
    print(f"{len(EXPECTED)} passed, 0 failed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
