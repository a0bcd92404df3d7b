#!/usr/bin/env python3
"""Latency of tkdec decode on a live stream: from the write of a record's
last byte to the arrival of its line, through a pipe and through TCP
(socat), in each capture form, on a clean stream and for the first record
right after damage. Prints a Markdown table (median, p95, max in ms).

    python3 bench/live_latency.py build/default/cli/tkdec [--records N]
"""

import argparse
import os
import pathlib
import select
import socket
import statistics
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tools" / "capture"))
import damage_corpus  # noqa: E402  (path set up above)
import tkcapture  # noqa: E402

UUID = damage_corpus.UUID


def piece(form, record):
    if form == "text":
        return tkcapture.text_record(record)
    return tkcapture.binary_record(record, 1 if form == "v1" else 2)


def head(form):
    return damage_corpus.capture(form, [])


def damage(form, record):
    """Bytes that damage the stream just before record."""
    if form == "v2":  # a header that claims 60000 bytes, as a flipped length does
        data = bytearray(piece(form, record))
        data[16:20] = (60000).to_bytes(4, "little")
        return bytes(data[:20])
    if form == "v1":
        return bytes(range(0xF0, 0xFA))
    return b"48 0xnot-a-number\n"


class Pipe:
    def __init__(self, tool):
        self.process = subprocess.Popen([tool, "decode", "-q", "-"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, bufsize=0)
        self.out = self.process.stdout

    def write(self, data):
        self.process.stdin.write(data)

    def close(self):
        self.process.stdin.close()
        self.process.wait(timeout=30)


class Tcp:
    def __init__(self, tool):
        listener = socket.socket()
        listener.bind(("127.0.0.1", 0))
        port = listener.getsockname()[1]
        listener.close()
        self.process = subprocess.Popen(f"socat -u TCP-LISTEN:{port},reuseaddr STDOUT | {tool} decode -q -",
                                        shell=True, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, bufsize=0)
        self.out = self.process.stdout
        for _ in range(100):
            try:
                self.sock = socket.create_connection(("127.0.0.1", port))
                break
            except OSError:
                time.sleep(0.05)
        self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

    def write(self, data):
        self.sock.sendall(data)

    def close(self):
        self.sock.close()
        self.process.wait(timeout=30)


def lines_after(stream, start, count, timeout=5.0):
    """Seconds from start until count whole lines have arrived."""
    got = b""
    while got.count(b"\n") < count:
        if not select.select([stream], [], [], timeout)[0]:
            raise RuntimeError("no line within %.0f s" % timeout)
        got += os.read(stream.fileno(), 65536)
    return time.perf_counter() - start


def measure(transport, tool, form, records, damaged):
    """Latencies of the records, or after damage of the first record that
    can show: in version 1 the third behind the damage, since three records
    in a row of known channels confirm the place to resume."""
    link = transport(tool)
    link.write(head(form))
    group = 3 if damaged and form == "v1" else 1
    times = []
    for at in range(0, len(records) - group + 1, group):
        if damaged:
            link.write(damage(form, records[at]))
        data = b"".join(piece(form, r) for r in records[at:at + group])
        link.write(data[:-1])
        time.sleep(0.001)
        start = time.perf_counter()
        link.write(data[-1:])
        times.append(lines_after(link.out, start, group))
    link.close()
    return times


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("tool")
    parser.add_argument("--records", type=int, default=200)
    args = parser.parse_args()
    # Prints of the reference build's first log channel: one line each.
    records = [(48, i, bytes(4 * (i % 10)), "") for i in range(args.records)]
    print("| Transport | Form | Stream | Records | Median ms | p95 ms | Max ms |")
    print("|---|---|---|---:|---:|---:|---:|")
    for name, transport in (("pipe", Pipe), ("TCP (socat)", Tcp)):
        for form in ("v1", "v2", "text"):
            for damaged in (False, True):
                times = sorted(t * 1000 for t in measure(transport, args.tool, form, records, damaged))
                p95 = times[int(0.95 * (len(times) - 1))]
                print(f"| {name} | {form} | {'right after damage' if damaged else 'clean'} | {len(times)} | "
                      f"{statistics.median(times):.3f} | {p95:.3f} | {times[-1]:.3f} |")


if __name__ == "__main__":
    main()
