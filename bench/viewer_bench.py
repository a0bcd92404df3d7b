#!/usr/bin/python3
"""Measures tkdec view in headless Chromium: the time to the first rows and
the scroll frame time for 100,000 and 1,000,000 records, the server's
throughput, and the live latency from a record written into a pipe to its
row in the page at 10,000 records per second.

    bench/viewer_bench.py build/default/cli/tkdec

Needs Debian's chromium, chromium-driver and python3-selenium."""
import json, os, pathlib, socket, statistics, subprocess, sys, tempfile, time, urllib.request

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tools" / "viewer"))
from headless import MISSING, chromium  # noqa: E402

TOOL = os.path.abspath(sys.argv[1])
BUILD = "# build 7d7d9de0768a419da9c3b593855bdb0a\n"
# Seven records of five kinds: prints with an argument, an alarm, an exception and a message.
MIX = ["7376 0x00000094 {:08x}", "48 0x00000000", "240 0x00000078 0000000001000000", "8209 0x00000348 07000000",
       "8241 0x32030205 11000000", "8433 0x2cc40007 00000012 00000011 00010000 01000000", "48 0x00000004"]


def capture(path, count):
    with open(path, "w") as out:
        out.write(BUILD)
        for k in range(count):
            out.write(MIX[k % len(MIX)].format(k & 0xFFFFFFFF) + "\n")


def browser():
    return chromium(1400, 900)


def serve(*args, stdin=None):
    server = subprocess.Popen([TOOL, "view", *args], stdin=stdin, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              text=True)
    return server, server.stdout.readline().split()[3]


def wait(d, script, timeout=120):
    end = time.time() + timeout
    while not d.execute_script("return " + script):
        if time.time() > end:
            raise SystemExit("timed out: " + script + " " + json.dumps(d.execute_script(
                "return [tkviewer.records.length, tkviewer.frames.slice(-2), document.getElementById('status').textContent]")))
        time.sleep(0.01)


def percentile(values, p):
    values = sorted(values)
    return values[min(len(values) - 1, int(len(values) * p))]


SCROLL = """
const done = arguments[arguments.length - 1], s = document.getElementById('scroller'), times = [];
let last = performance.now(), k = 0;
function step(now) {
  times.push(now - last); last = now; s.scrollTop += 997 * (k % 2 ? -0.5 : 1) * 7; k++;
  if (k < 240) requestAnimationFrame(step); else done(times.slice(5));
}
requestAnimationFrame(step);
"""


def load_and_scroll(d, count, folder):
    path = pathlib.Path(folder, f"{count}.txt")
    capture(path, count)
    server, url = serve(str(path))
    start = time.time() * 1000
    d.get(url)
    wait(d, "window.tkviewer && tkviewer.frames.some(f => f[0] > 0)")
    first = d.execute_script("return tkviewer.frames.find(f => f[0] > 0)[1]") - start
    wait(d, f"tkviewer.records.length >= {count}")
    loaded = time.time() * 1000 - start
    d.set_script_timeout(60)
    frames = d.execute_async_script(SCROLL)
    server.terminate()
    server.wait()
    return first, loaded, statistics.median(frames), percentile(frames, 0.99), url


def throughput(count, folder):
    path = pathlib.Path(folder, f"{count}.txt")
    server, url = serve(str(path))
    results = []
    for _ in range(2):  # first while decoding, then from memory
        start, lines = time.time(), 0
        with urllib.request.urlopen(url + "events") as stream:
            for raw in stream:
                lines += raw.startswith(b"data: {\"record\"")
                if lines >= count:
                    break
        results.append(count / (time.time() - start))
    server.terminate()
    server.wait()
    return results


def live(d, rate, seconds):
    server, url = serve("-", stdin=subprocess.PIPE)
    server.stdin.write(BUILD + MIX[1] + "\n")
    server.stdin.flush()
    d.get(url)
    wait(d, "tkviewer.records.length >= 1")
    written, batch = {}, rate // 100
    start = time.time()
    for tick in range(seconds * 100):
        while time.time() < start + tick / 100:
            time.sleep(0.0005)
        now = time.time() * 1000
        server.stdin.write("".join(MIX[0].format(k) + "\n" for k in range(batch)))
        server.stdin.flush()
        for k in range(batch):
            written[2 + tick * batch + k] = now
    wait(d, f"tkviewer.frames.length && tkviewer.frames[tkviewer.frames.length - 1][0] >= {1 + seconds * rate}")
    frames = d.execute_script("return tkviewer.frames")
    latency, f = [], 0
    for n in sorted(written):
        while frames[f][0] < n:
            f += 1
        latency.append(frames[f][1] - written[n])
    server.stdin.close()
    server.terminate()
    server.wait()
    return statistics.median(latency), percentile(latency, 0.99), time.time() - start


def main():
    d = browser()
    if sys.argv[2:] == ["--live"]:
        print("live at 10,000 records/s for 5 s: latency median {:.1f} ms, p99 {:.1f} ms".format(*live(d, 10_000, 5)))
        return d.quit()
    with tempfile.TemporaryDirectory() as folder:
        for count in (100_000, 1_000_000):
            first, loaded, median, p99, _ = load_and_scroll(d, count, folder)
            print(f"{count} records: first rows {first:.0f} ms, all loaded {loaded / 1000:.1f} s, "
                  f"scroll frame median {median:.1f} ms, p99 {p99:.1f} ms")
            if count == 1_000_000:
                decoding, serving = throughput(count, folder)
                print(f"server: {decoding:,.0f} records/s while decoding, {serving:,.0f} records/s from memory")
        median, p99, took = live(d, 10_000, 5)
        print(f"live at 10,000 records/s for 5 s: latency median {median:.1f} ms, p99 {p99:.1f} ms")
    d.quit()


if __name__ == "__main__":
    if MISSING:
        sys.exit("viewer_bench: " + ", ".join(MISSING) + " not found; install: bash tools/ci/install-browser.sh")
    main()
