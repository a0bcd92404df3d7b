"""tkdec view and decode --format html in headless Chromium; each test saves a screenshot in $TKDEC_ARTIFACTS."""
import json, os, pathlib, re, signal, socket, statistics, subprocess, sys, tempfile, time, unittest
import urllib.request
from urllib.parse import unquote

TOOL, SOURCE = os.environ.get("TKDEC_TOOL", ""), pathlib.Path(os.environ.get("TKDEC_SOURCE_DIR", "."))
sys.path[:0] = [str(SOURCE / "tools" / "viewer"), str(SOURCE / "tools" / "capture")]
from headless import MISSING, chromium  # noqa: E402
from tkcapture import record_from, text_record  # noqa: E402
SKIP = "SKIPPED: " + ", ".join(MISSING) + " not found; install: bash tools/ci/install-browser.sh"
ARTIFACTS = pathlib.Path(os.environ.get("TKDEC_ARTIFACTS", tempfile.gettempdir()))
SAMPLE, BUILD = str(SOURCE / "samples" / "kestrelmax-v2.tkcap"), "# build 7d7d9de0768a419da9c3b593855bdb0a\n"
RUN = {"capture_output": True, "text": True, "check": True}
RED, YELLOW, PLAIN = "rgb(239, 83, 80)", "rgb(229, 192, 123)", "rgb(216, 216, 216)"
line = lambda **entry: text_record(record_from(entry, "record")).decode()
counted = lambda k: line(channel=7376, id=0x94, args=[k])  # "... memory controller k supports banks"


@unittest.skipIf(MISSING, SKIP)
class Browser(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.d = chromium(1400, 1700)
        cls.samples = [json.loads(r) for r in subprocess.run([TOOL, "decode", "--format", "jsonl", "-q", SAMPLE],
                                                             **RUN).stdout.splitlines()[1:]]
        cls.addClassCleanup(cls.d.quit)

    def setUp(self):
        self.servers = []  # a screenshot first, then the servers stop
        self.addCleanup(lambda: ARTIFACTS.mkdir(parents=True, exist_ok=True) or self.d.save_screenshot(
            str(ARTIFACTS / (self._testMethodName + ".png"))) and [self.stop(s) for s in self.servers])

    def serve(self, *args, stdin=None, port=0):
        server = subprocess.Popen([TOOL, "view", "--port", str(port), *args], stdin=stdin, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, text=True)
        self.servers.append(server)
        return server, server.stdout.readline().split()[3]

    def stop(self, server):
        server.poll() is None and server.send_signal(signal.SIGINT)
        [pipe.close() for pipe in (server.stdin, server.stdout) if pipe]
        return server.wait(10)

    js = lambda self, script, *args: self.d.execute_script("return " + script, *args)
    shown = lambda self: self.js("tkviewer.view.map(i => tkviewer.records[i].record)")
    records = lambda self, keep: [r["record"] for r in self.samples if keep(r)]

    def until(self, script, timeout=10):
        end = time.time() + timeout
        while not self.js(script):
            self.assertLess(time.time(), end, "timed out waiting for " + script)
            time.sleep(0.02)

    def load(self, url, count):  # afresh, then until the records and the first row are there
        self.d.get("about:blank")
        self.d.get(url)
        self.until(f"window.tkviewer && tkviewer.records.length >= {count} && document.querySelector('.row[data-n]')")

    def test_sample_rows_colours_and_summary(self):
        self.load(self.serve(SAMPLE)[1], 51)
        cells = self.js("[...document.querySelectorAll('#rows .row:not([hidden])')].map(r => [+r.dataset.n, "
                        "r.children[3].textContent, getComputedStyle(r.children[6]).color])")
        colour = {"alarm": RED, "exception": RED, "unknown_channel": YELLOW, "unknown_token": YELLOW}
        self.assertEqual(cells, [[r["record"], r["kind"], colour.get(r["kind"], PLAIN)] for r in self.samples])
        self.assertEqual(self.d.find_element("id", "summary").text, "51 records · 2 unknown tokens · 1 unknown "
                         "channels · skipped damage: 0 bytes · build matches the decoder")

    def test_filters_rows_and_url(self):
        t0, t1 = self.samples[9]["time"][:23], self.samples[20]["time"][:23]
        pick = lambda key, value: [(f".pick[data-key={key}] summary", None), (f"input[value='{value}']", None)]
        cases = [  # (what the user does: (element, keys typed or None to click), the records kept, a part of the URL)
            (pick("kind", "alarm"), lambda r: r["kind"] == "alarm", "kind=alarm"),
            (pick("group", "LOG_GROUP_CKI_BUILDINFO"), lambda r: r.get("group") == "LOG_GROUP_CKI_BUILDINFO", "group="),
            (pick("ch", "8433"), lambda r: r["channel"] == 8433, "ch=8433"),
            ([("#q", "Boot")], lambda r: "boot" in r["text"].lower(), "q=Boot"),
            ([("#re", None), ("#q", r"^\[Build Info\] \w+ =")],
             lambda r: re.search(r"^\[Build Info\] \w+ =", r["text"], re.I), "re=1"),
            (pick("kind", "alarm") + [("#from", "20"), ("#to", "25")], lambda r: r["kind"] == "alarm" and
             20 <= r["record"] <= 25, "kind=alarm&from=20&to=25"),
            ([("#t0", t0), ("#t1", t1)], lambda r: t0 <= r["time"] < t1, "t0=" + t0),
        ]
        url = self.serve(SAMPLE)[1]
        for steps, keep, in_url in cases:
            with self.subTest(steps=steps):
                self.load(url, 51)
                for selector, keys in steps:
                    element = self.d.find_element("css selector", selector)
                    element.send_keys(keys) if keys else element.click()
                expected, shared = self.records(keep), self.d.current_url
                self.assertEqual((self.shown(), bool(expected)), (expected, True))
                self.assertIn(in_url, unquote(shared))
                self.load(shared, 51)
                self.assertEqual(self.shown(), expected, "the same view from the shared URL")
                if steps[-1][0] == "#q":
                    marks = self.js("[...document.querySelectorAll('#rows mark')].map(m => m.textContent)")
                    pattern = steps[-1][1] if len(steps) == 2 else re.escape(steps[-1][1])  # the regex case has two
                    self.assertTrue(marks and all(re.fullmatch(pattern, m, re.I) for m in marks), marks)

    def test_record_tree_source_and_payload(self):
        url = self.serve(SAMPLE)[1]
        for record, texts, inside in [  # (record, what its details show, what a closed node shows once expanded)
            (34, ["m_srcTask (CKI_TaskId) = CKI_TIMER_PTP_TASK_ID (301989888)",
                  "m_status (CkiTestAppStatus) = CKI_TESTAPP_STATUS_RUNNING (1)", "00 00 00 12 00 00 c4 13 00 01"], None),
            (38, ["m_groups (LogHwGroup)", "m_events (LogHwEvent)"], "LOG_HW_EVENT_USB_SUSPEND"),
            (1, ["../../platform/ptp/boot/src/boot.cpp:263", "2nd stage boot"], None),
            (51, ["00 00 00 00 00 00 00 00 00 00 00 00", "<unknown token 0x00000034 on channel 48"], None)]:
            with self.subTest(record=record):
                self.load(url + f"#sel={record}", 51)
                self.until(f"document.querySelector('#details dd').textContent == '{record}'")
                [self.assertIn(text, self.d.find_element("id", "details").text) for text in texts]
                if inside:
                    tree = self.d.find_element("css selector", "#details .tree")
                    self.assertNotIn(inside, tree.text)
                    [node.click() for node in self.d.find_elements("css selector", "details:not([open]) > summary")]
                    self.assertIn(inside, tree.text)

    def test_timeline_drag_and_click(self):
        from selenium.webdriver.common.action_chains import ActionChains
        self.load(url := self.serve(SAMPLE)[1], 51)
        width = (canvas := self.d.find_element("id", "timeline")).size["width"]
        ActionChains(self.d).move_to_element_with_offset(canvas, -width // 4, 0).click_and_hold() \
            .move_by_offset(width // 3, 0).release().perform()
        t0, t1 = self.js("[$('t0').value, $('t1').value]")
        kept = self.records(lambda r: t0 <= r["time"][:26] + "Z" and r["time"][:26] <= t1[:26])
        self.assertEqual((self.shown(), 0 < len(kept) < 51), (kept, True))
        self.load(url, 51)
        ActionChains(self.d).move_to_element_with_offset(self.d.find_element("id", "timeline"), width // 2 - 2, 20).click().perform()
        self.assertIn(f"sel={self.samples[-1]['record']}", self.d.current_url, "the last bar's first record")

    def test_live_pipe_follow_and_badge(self):
        server, url = self.serve("-", stdin=subprocess.PIPE)
        # Writes text into the pipe, then pauses 5 ms; gives the time it was written.
        write = lambda text: (time.time() * 1000, server.stdin.write(text), server.stdin.flush(), time.sleep(0.005))[0]
        write(BUILD + counted(0))
        self.load(url, 1)
        written = {k + 1: write(counted(k)) for k in range(1, 201)}
        self.until("tkviewer.records.length == 201")
        frames = self.js("tkviewer.frames")
        latency = sorted(next(t for n, t in frames if n >= k) - at for k, at in written.items())
        print(f"live latency: median {statistics.median(latency):.1f} ms, p99 {latency[197]:.1f} ms", file=sys.stderr)
        self.assertLessEqual(statistics.median(latency), 100)
        self.assertEqual(self.js("tkviewer.records.map(r => +r.text.match(/controller (\\d+)/)[1])"), list(range(201)))
        self.assertTrue(self.js("(s => s.scrollHeight - s.scrollTop - s.clientHeight < 22)($('scroller'))"))
        self.js("$('scroller').scrollTop = 0")
        time.sleep(0.2)
        write("".join(counted(k) for k in range(201, 206)))
        self.until("tkviewer.records.length == 206")
        self.assertEqual(self.d.find_element("id", "badge").text, "5 new")

    def test_foreign_host_and_origin_refused(self):
        url = self.serve(SAMPLE)[1]
        for headers in ({"Host": "attacker.example"}, {"Origin": "http://attacker.example"}):
            with self.subTest(headers=headers), self.assertRaisesRegex(urllib.error.HTTPError, "403"):
                urllib.request.urlopen(urllib.request.Request(url + "events", headers=headers))
        self.load(url, 51)  # the page's own requests pass

    def test_dropped_connection_resumes(self):
        with socket.create_server(("127.0.0.1", 0)) as s:
            port = s.getsockname()[1]
        with tempfile.TemporaryDirectory() as folder:
            capture = pathlib.Path(folder, "live.txt")
            capture.write_text(BUILD + "".join(counted(k) for k in range(10)))
            server, url = self.serve("--follow", str(capture), port=port)
            self.load(url, 10)
            self.assertEqual(self.stop(server), 0, "Ctrl-C stops the viewer cleanly")
            self.until("$('status').textContent.startsWith('reconnecting')")
            with capture.open("a") as file:
                file.write("".join(counted(k) for k in range(10, 20)))
            self.serve("--follow", str(capture), port=port)
            self.until("tkviewer.records.length >= 20")
            time.sleep(0.3)
            self.assertEqual(self.js("tkviewer.records.map(r => r.record)"), list(range(1, 21)))

    def test_hostile_texts_run_no_script(self):
        hostile = ["<script>window.tkpwned = 1</script>", "\"><img src=x onerror=\"window.tkpwned = 2\">"]
        with tempfile.TemporaryDirectory() as folder:
            capture, page = pathlib.Path(folder, "hostile.txt"), pathlib.Path(folder, "hostile.html")
            capture.write_text(BUILD + line(channel=240, id=0x78, args=[0, 1], payload=[
                {"item": 0, "text": hostile[0]}, {"item": 1, "text": hostile[1]}]) + counted(1))
            page.write_text(subprocess.run([TOOL, "decode", "--format", "html", "-q", str(capture)], **RUN).stdout)
            for where in (self.serve(str(capture))[1] + "#sel=1&q=img", page.as_uri() + "#sel=1&q=script"):
                with self.subTest(where=where):
                    self.load(where, 2)
                    self.assertEqual(self.js("[typeof window.tkpwned, document.querySelectorAll('img').length, "
                                             "document.scripts.length]"), ["undefined", 0, 2])
                    self.assertEqual(self.js("document.querySelector(\".row[data-n='1'] span:nth-child(7)\").textContent"),
                                     f"[Build Info] {hostile[0]} = {hostile[1]}")
                    self.assertIn(hostile[1], self.d.find_element("id", "details").text)

    def test_html_file_opens_offline(self):
        with tempfile.TemporaryDirectory() as folder:
            page = pathlib.Path(folder, "sample.html")
            page.write_text(subprocess.run([TOOL, "decode", "--format", "html", "-q", SAMPLE], **RUN).stdout)
            self.d.set_network_conditions(offline=True, latency=0, download_throughput=0, upload_throughput=0)
            self.addCleanup(self.d.delete_network_conditions)
            self.load(page.as_uri() + "#kind=alarm,exception", 51)
            self.assertEqual(self.shown(), self.records(lambda r: r["kind"] in ("alarm", "exception")))
            self.assertEqual(self.js("[$('summary').textContent.endsWith('build matches the decoder'), "
                                     "$('status').textContent]"), [True, "offline"])


if __name__ == "__main__":
    if MISSING:
        sys.exit(print(SKIP) or 77)
    unittest.main()
