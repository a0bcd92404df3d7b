#!/usr/bin/env python3
"""Damaged captures of the sample's records, in every form, for the tool's
and the Python package's tests and as seeds of the capture fuzzer:

    python3 tools/capture/damage_corpus.py OUT_DIR    # one file per capture

Each capture is named after its form and its damage; the set is the same
on every run."""

import pathlib
import struct
import sys

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
import tkcapture  # noqa: E402  (path set up above)

SAMPLE = HERE.parent.parent / "samples" / "kestrelmax.json"
UUID = "7d7d9de0768a419da9c3b593855bdb0a"
FORMS = {"v1": 1, "v2": 2, "text": 0}


def sample_records():
    return list(tkcapture.records_of(tkcapture.read_list(SAMPLE)[2], []))


def capture(form, records, uuid=UUID):
    if form == "text":
        return tkcapture.text_capture(uuid, [], records)
    return tkcapture.binary_capture(uuid, records, FORMS[form])


def record_offsets(form, records):
    """Byte offset of each record in capture(form, records), and of its end."""
    return [len(capture(form, records[:n])) for n in range(len(records) + 1)]


def damages(form, records):
    """(name, bytes) of every damaged capture of one form."""
    whole = capture(form, records)
    at = record_offsets(form, records)
    k = len(records) // 3  # the damaged record
    header = 10 if form == "v1" else 20
    length = at[k] + header - 4  # the first byte of record k's payload length
    cases = [
        ("clean", whole),
        ("garbage", whole[:at[k]] + bytes(range(0xF0, 0xFA)) + whole[at[k]:]),
        ("zeroed stretch", whole[:at[k] + 3] + bytes(256) + whole[at[k] + 3:]),
        ("deleted byte", whole[:at[k] + 5] + whole[at[k] + 6:]),
        ("two captures", whole + capture(form, records[:5])),
        ("another build behind", whole + capture(form, records[:3], "0123456789abcdef0123456789abcdef")),
    ]
    for cut in (1, 5, header - 1, header + 1):
        cases.append((f"cut {cut} bytes into the last record", whole[:at[-2] + cut]))
    cases.append(("cut inside a middle record", whole[:at[k] + 7]))
    if form != "text":
        for bit, name in ((0x80, "top"), (0x01, "low")):
            cases.append((f"{name} length bit flipped", whole[:length + 3 if bit == 0x80 else length]
                          + bytes([whole[length + 3 if bit == 0x80 else length] ^ bit])
                          + whole[length + 4 if bit == 0x80 else length + 1:]))
        for offset in range(28, len(whole), 97):  # single flipped bytes across the capture
            cases.append((f"byte {offset} flipped", whole[:offset] + bytes([whole[offset] ^ 0xFF]) + whole[offset + 1:]))
    if form == "v1":  # records of a known channel but tokens of no build, right after damage
        fake = tkcapture.binary_record((48, 0xFF0, b"", ""), 1) * 3
        cases.append(("unknown tokens after damage", whole[:at[k]] + bytes(10) + fake + whole[at[k]:]))
    if form == "v2":
        fake = b"\xa5\x5a" + struct.pack("<HIQI", 48, 0, 0, 65535)
        cases.append(("fake sync marks", whole[:at[k]] + fake * 40 + whole[at[k]:]))
        cases.append(("largest time", capture(form, [(48, 0, b"", "", (1 << 64) - 1)])))
    if form == "text":
        cases += [("bad lines", whole.replace(b"\n48 0x00000004", b"\n48 0x0000004g", 1)
                   .replace(b"\n7376 ", b"\n2026-13-01T00:00:00Z 7376 ", 1)),
                  ("long line", whole[:at[k]] + b"48 0 " + b"00" * 250000 + b"\n" + whole[at[k]:]),
                  ("non-ASCII digits and second 60", b"48 0\n\xd9\xa48 0\n2026-01-01T00:00:60Z 48 0\n1969-12-31T23:59:59Z 48 0\n"
                   b"2554-07-21T23:34:33.709551615Z 48 0\n2554-07-21T23:34:33.709551616Z 48 0\n")]
    cases.append(("largest record", capture(form, [(48, 4, bytes(64 << 10), "")])))
    cases.append(("record above the largest", capture(form, [(48, 4, bytes((64 << 10) + 1), ""), records[0]])))
    return cases


def corpus():
    """(file name, bytes) of every capture of every form."""
    records = sample_records()
    out = []
    for form in FORMS:
        for name, data in damages(form, records):
            out.append((f"{form}-{name.replace(' ', '-')}", data))
    return out


def main(argv):
    if len(argv) != 2:
        print("usage: damage_corpus.py OUT_DIR", file=sys.stderr)
        return 2
    folder = pathlib.Path(argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    for name, data in corpus():
        (folder / name).write_bytes(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
