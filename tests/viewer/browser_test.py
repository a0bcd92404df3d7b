"""tkdec view and decode --format html in headless Chromium: rows, colours,
summary, filters and the URL, the record tree, the timeline, live records
through a pipe, a dropped connection, hostile record texts, the offline file.
Each test saves a screenshot in $TKDEC_ARTIFACTS."""
import json, os, re, pathlib, shutil, signal, socket, statistics, subprocess, sys, tempfile, time, unittest

try:
    from selenium import webdriver
    from selenium.webdriver.common.action_chains import ActionChains
except ImportError:
    webdriver = None
MISSING = [name for name, ok in (("python3-selenium", webdriver), ("chromium", shutil.which("chromium")),
                                 ("chromium-driver", shutil.which("chromedriver"))) if not ok]
TOOL, SOURCE = os.environ.get("TKDEC_TOOL", ""), pathlib.Path(os.environ.get("TKDEC_SOURCE_DIR", "."))
ARTIFACTS = pathlib.Path(os.environ.get("TKDEC_ARTIFACTS", tempfile.gettempdir()))
SAMPLE = str(SOURCE / "samples" / "kestrelmax-v2.tkcap")
BUILD = "# build 7d7d9de0768a419da9c3b593855bdb0a\n"
RED, YELLOW, PLAIN = "rgb(239, 83, 80)", "rgb(229, 192, 123)", "rgb(216, 216, 216)"


def oracle(capture):
    out = subprocess.run([TOOL, "decode", "--format", "jsonl", "-q", capture], capture_output=True, text=True).stdout
    return [json.loads(line) for line in out.splitlines()[1:]]


def counted(k):  # a print record whose text names k: "... memory controller k supports banks"
    return f"7376 0x00000094 {k.to_bytes(4, 'little').hex()}\n"


def strings(*texts):  # the build-info print with its two strings in the payload
    body = "".join(i.to_bytes(4, "little").hex() + (len(t) + 1).to_bytes(4, "little").hex() +
                   (t.encode() + b"\0").ljust((len(t) + 4) // 4 * 4, b"\0").hex() for i, t in enumerate(texts))
    return f"240 0x00000078 0000000001000000{body}\n"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


@unittest.skipIf(MISSING, "SKIPPED: install " + ", ".join(MISSING) + " (tools/ci/install-browser.sh)")
class Browser(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        options = webdriver.ChromeOptions()
        for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update", "--disable-sync",
                     "--window-size=1400,1700", "--user-data-dir=" + tempfile.mkdtemp()):
            options.add_argument(flag)
        cls.d = webdriver.Chrome(options=options)
        cls.samples = oracle(SAMPLE)

    @classmethod
    def tearDownClass(cls):
        cls.d.quit()

    def setUp(self):
        self.servers = []

    def tearDown(self):
        ARTIFACTS.mkdir(parents=True, exist_ok=True)
        self.d.save_screenshot(str(ARTIFACTS / (self._testMethodName + ".png")))
        for server in self.servers:
            self.stop(server)

    def serve(self, *args, stdin=None, port=0):
        server = subprocess.Popen([TOOL, "view", "--port", str(port), *args], stdin=stdin, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, text=True)
        self.servers.append(server)
        return server, server.stdout.readline().split()[3]

    def stop(self, server):
        if server.poll() is None:
            server.send_signal(signal.SIGINT)
        status = server.wait(10)
        server.stdout.close()
        return status

    def js(self, script, *args):
        return self.d.execute_script("return " + script, *args)

    def until(self, script, timeout=10):
        end = time.time() + timeout
        while not self.js(script):
            self.assertLess(time.time(), end, "timed out waiting for " + script)
            time.sleep(0.02)

    def load(self, url, count):
        self.d.get(url)
        self.until(f"window.tkviewer && tkviewer.records.length >= {count}")

    def shown(self):
        return self.js("tkviewer.view.map(i => tkviewer.records[i].record)")

    def row_cells(self):
        return self.js("[...document.querySelectorAll('#rows .row:not([hidden])')].map(r => [r.dataset.n, "
                       "r.children[3].textContent, getComputedStyle(r.children[6]).color])")

    def test_sample_rows_colours_and_summary(self):
        _, url = self.serve(SAMPLE)
        self.load(url, 51)
        self.js("document.getElementById('scroller').scrollTop = 0")
        time.sleep(0.1)
        cells = self.row_cells()
        self.assertEqual([int(n) for n, _, _ in cells], list(range(1, len(cells) + 1)))
        self.assertEqual([kind for _, kind, _ in cells], [r["kind"] for r in self.samples[:len(cells)]])
        colour = {"alarm": RED, "exception": RED, "unknown_channel": YELLOW, "unknown_token": YELLOW}
        for n, kind, seen in cells:
            self.assertEqual(seen, colour.get(kind, PLAIN), (n, kind))
        summary = self.d.find_element("id", "summary").text
        for part in ("51 records", "2 unknown tokens", "1 unknown channels", "skipped damage: 0 bytes",
                     "build matches the decoder"):
            self.assertIn(part, summary)

    def test_filters_rows_and_url(self):
        alarms = [r["record"] for r in self.samples if r["kind"] == "alarm"]
        cases = [  # (what the user does, the records expected, a part of the URL)
            (("pick", "kind", "alarm"), alarms, "kind=alarm"),
            (("pick", "group", "LOG_GROUP_CKI_BUILDINFO"),
             [r["record"] for r in self.samples if r.get("group") == "LOG_GROUP_CKI_BUILDINFO"], "group=LOG_GROUP"),
            (("pick", "ch", "8433"), [r["record"] for r in self.samples if r["channel"] == 8433], "ch=8433"),
            (("type", "q", "Boot"), [r["record"] for r in self.samples if "boot" in r["text"].lower()], "q=Boot"),
            (("regex", "q", r"^\[Build Info\] \w+ ="),
             [r["record"] for r in self.samples if re.search(r"^\[Build Info\] \w+ =", r["text"], re.I)], "re=1"),
            (("range", "from", "3", "to", "7"), [3, 4, 5, 6, 7], "from=3&to=7"),
            (("range", "t0", self.samples[9]["time"][:23], "t1", self.samples[20]["time"][:23]),
             [r["record"] for r in self.samples
              if self.samples[9]["time"][:23] <= r["time"] < self.samples[20]["time"][:23]], "t1="),
        ]
        _, url = self.serve(SAMPLE)
        for action, expected, in_url in cases:
            with self.subTest(action=action):
                self.load(url, 51)
                if action[0] == "pick":
                    self.d.find_element("css selector", f".pick[data-key={action[1]}] summary").click()
                    self.d.find_element("css selector", f".pick[data-key={action[1]}] input[value='{action[2]}']").click()
                elif action[0] == "range":
                    self.d.find_element("id", action[1]).send_keys(action[2])
                    self.d.find_element("id", action[3]).send_keys(action[4])
                else:
                    if action[0] == "regex":
                        self.d.find_element("id", "re").click()
                    self.d.find_element("id", "q").send_keys(action[2])
                self.assertTrue(expected)
                self.assertEqual(self.shown(), expected)
                shared = self.d.current_url
                self.assertIn(in_url, urllib_unquote(shared))
                self.load(url + "#", 51)
                self.load(shared, 51)
                self.assertEqual(self.shown(), expected, "the same view from the shared URL")
                if action[1] == "q":
                    marks = self.js("[...document.querySelectorAll('#rows mark')].map(m => m.textContent)")
                    self.assertTrue(marks and all(re.fullmatch(action[2] if action[0] == "regex" else re.escape(action[2]), m, re.I)
                                              for m in marks), marks)
        self.load(url + "#kind=print&q=boot", 51)
        self.assertEqual(self.shown(), [r["record"] for r in self.samples
                                        if r["kind"] == "print" and "boot" in r["text"].lower()])

    def test_record_tree_source_and_payload(self):
        _, url = self.serve(SAMPLE)
        cases = [  # (record, what its details show, a closed node to expand and what it then shows)
            (34, ["m_srcTask (CKI_TaskId) = CKI_TIMER_PTP_TASK_ID (301989888)",
                  "m_status (CkiTestAppStatus) = CKI_TESTAPP_STATUS_RUNNING (1)", "payload"], None, None),
            (38, ["m_groups (LogHwGroup)", "m_events (LogHwEvent)"], True, "LOG_HW_EVENT_USB_SUSPEND"),
            (1, ["../../platform/ptp/boot/src/boot.cpp:263", "2nd stage boot"], None, None),
            (51, ["00 00 00 00 00 00 00 00 00 00 00 00", "<unknown token 0x00000034 on channel 48"], None, None),
        ]
        for record, texts, node, inside in cases:
            with self.subTest(record=record):
                self.load(url + f"#sel={record}", 51)
                details = self.d.find_element("id", "details")
                for text in texts:
                    self.assertIn(text, details.text)
                if node:
                    tree = self.d.find_element("css selector", "#details .tree")
                    self.assertNotIn(inside, tree.text)
                    for parent in self.js("[...document.querySelectorAll('#details details')].filter(d => "
                                          "d.textContent.includes(arguments[0]) && !d.open)", inside):
                        parent.find_element("css selector", "summary").click()
                    self.assertIn(inside, tree.text)

    def test_timeline_drag_and_click(self):
        _, url = self.serve(SAMPLE)
        self.load(url, 51)
        canvas = self.d.find_element("id", "timeline")
        width = canvas.size["width"]
        ActionChains(self.d).move_to_element_with_offset(canvas, -width // 4, 0).click_and_hold() \
            .move_by_offset(width // 3, 0).release().perform()
        shown = self.shown()
        t0, t1 = self.js("[document.getElementById('t0').value, document.getElementById('t1').value]")
        self.assertTrue(0 < len(shown) < 51 and t0 < t1, (shown, t0, t1))
        self.assertIn("t0=", urllib_unquote(self.d.current_url))
        self.assertEqual(shown, [r["record"] for r in self.samples if t0 <= r["time"][:26] + "Z" and
                                 r["time"][:26] <= t1[:26]])
        self.load(url + "#", 51)
        ActionChains(self.d).move_to_element_with_offset(canvas, width // 2 - 2, 20).click().perform()
        picked = self.js("tkviewer.records.length") and int(urllib_unquote(self.d.current_url).split("sel=")[1])
        self.assertEqual(picked, self.samples[-1]["record"], "the last bar's first record")

    def test_live_pipe_follow_and_badge(self):
        server, url = self.serve("-", stdin=subprocess.PIPE)
        server.stdin.write(BUILD + counted(0))
        server.stdin.flush()
        self.load(url, 1)
        written = {}
        for k in range(1, 201):
            written[k + 1] = time.time() * 1000
            server.stdin.write(counted(k))
            server.stdin.flush()
            time.sleep(0.005)
        self.until("tkviewer.records.length == 201")
        frames = self.js("tkviewer.frames")
        latency = sorted(next(t for n, t in frames if n >= k) - at for k, at in written.items())
        print(f"live latency over 200 records: median {statistics.median(latency):.1f} ms, "
              f"p99 {latency[197]:.1f} ms", file=sys.stderr)
        self.assertLessEqual(statistics.median(latency), 100)
        self.assertEqual(self.js("tkviewer.records.map(r => r.text.match(/controller (\\d+)/)[1])"), [str(k) for k in range(201)])
        self.assertTrue(self.js("(s => s.scrollTop + s.clientHeight >= s.scrollHeight - 22)"
                                "(document.getElementById('scroller'))"), "follows the tail")
        self.js("document.getElementById('scroller').scrollTop = 0")
        time.sleep(0.2)
        server.stdin.write("".join(counted(k) for k in range(201, 206)))
        server.stdin.flush()
        self.until("tkviewer.records.length == 206")
        self.assertEqual(self.d.find_element("id", "badge").text, "5 new")
        self.assertEqual(self.js("document.getElementById('scroller').scrollTop"), 0)
        server.stdin.close()

    def test_dropped_connection_resumes(self):
        port = free_port()
        with tempfile.TemporaryDirectory() as folder:
            capture = pathlib.Path(folder, "live.txt")
            capture.write_text(BUILD + "".join(counted(k) for k in range(10)))
            server, url = self.serve("--follow", str(capture), port=port)
            self.load(url, 10)
            self.assertEqual(self.stop(server), 0, "Ctrl-C stops the viewer cleanly")
            self.until("document.getElementById('status').textContent.startsWith('reconnecting')")
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
            capture.write_text(BUILD + strings(*hostile) + counted(1))
            with page.open("w") as out:
                subprocess.run([TOOL, "decode", "--format", "html", "-q", str(capture)], stdout=out, check=True)
            _, url = self.serve(str(capture))
            for where in (url + "#sel=1&q=img", page.as_uri() + "#sel=1&q=script"):
                with self.subTest(where=where):
                    self.load(where, 2)
                    self.assertEqual(self.js("[typeof window.tkpwned, document.querySelectorAll('img').length, "
                                             "document.scripts.length]"), ["undefined", 0, 2])
                    self.until("document.querySelector(\".row[data-n='1']\")")
                    row = self.js("document.querySelector(\".row[data-n='1'] span:nth-child(7)\").textContent")
                    self.assertEqual(row, f"[Build Info] {hostile[0]} = {hostile[1]}")
                    self.assertIn(hostile[1], self.d.find_element("id", "details").text)

    def test_html_file_opens_offline(self):
        with tempfile.TemporaryDirectory() as folder:
            page = pathlib.Path(folder, "sample.html")
            with page.open("w") as out:
                subprocess.run([TOOL, "decode", "--format", "html", "-q", SAMPLE], stdout=out, check=True)
            self.d.set_network_conditions(offline=True, latency=0, download_throughput=0, upload_throughput=0)
            try:
                self.load(page.as_uri() + "#kind=alarm,exception", 51)
                self.assertEqual(self.shown(), [r["record"] for r in self.samples if r["kind"] in ("alarm", "exception")])
                self.assertIn("build matches the decoder", self.d.find_element("id", "summary").text)
                self.assertEqual(self.d.find_element("id", "status").text, "offline")
            finally:
                self.d.delete_network_conditions()


def urllib_unquote(text):
    from urllib.parse import unquote
    return unquote(text)


if __name__ == "__main__":
    if MISSING:
        print("SKIPPED: install " + ", ".join(MISSING) + " (tools/ci/install-browser.sh)")
        sys.exit(77)
    unittest.main()
