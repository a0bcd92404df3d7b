#!/usr/bin/env python3
"""The server of `tkdec view`: runs `tkdec decode --format jsonl` and serves
the viewer's page and the decoded records to a browser on this machine.

Records reach the page as server-sent events: each event carries the lines
that arrived since the one before, and its id counts the lines sent, so a
page that reconnects (the browser repeats the last id) resumes at the next
line without losing or repeating one. Only the page's own files and the
stream are served, and a request naming a foreign host or origin is refused.

Also writes the viewer's page as one self-contained HTML file, with the
style and script inlined (`--bundle`), and as a C++ source that the tool
embeds for `tkdec decode --format html` (`--bundle-cpp`).
"""

import argparse
import http.server
import json
import pathlib
import re
import signal
import subprocess
import sys
import threading
import urllib.parse
import webbrowser

# The page's files: beside the server where the build and the install put
# them, viewer/ in the source tree.
_SELF = pathlib.Path(__file__).resolve().parent
HERE = next((d for d in (_SELF, _SELF.parent.parent / 'viewer') if (d / 'index.html').is_file()), _SELF)
FILES = {'/': ('index.html', 'text/html; charset=utf-8'),
         '/index.html': ('index.html', 'text/html; charset=utf-8'),
         '/viewer.css': ('viewer.css', 'text/css; charset=utf-8'),
         '/viewer.js': ('viewer.js', 'text/javascript; charset=utf-8')}
RECORDS_TAG = '<script type="application/x-ndjson" id="tk-records"></script>'
BATCH = 5000            # lines per event at most
SUMMARY = re.compile(r'^tkdec: \d+ records? decoded')
SKIPPED = re.compile(r', (\d+) bytes? skipped')


def bundle():
    """The page with its style and script inlined, split where the records go."""
    page = (HERE / 'index.html').read_text()
    style = (HERE / 'viewer.css').read_text()
    script = (HERE / 'viewer.js').read_text()
    if '</' in script or '</style' in style:
        raise SystemExit('viewer: the script or style holds "</", which would end its element early')
    page = page.replace('<link rel="stylesheet" href="viewer.css">', '<style>\n' + style + '</style>')
    page = page.replace('<script src="viewer.js"></script>', '<script>\n' + script + '</script>')
    head, tail = page.split(RECORDS_TAG)
    return head + RECORDS_TAG[:-len('</script>')] + '\n', '</script>' + tail


def cpp_literal(text):
    # Short raw-string pieces, which every compiler accepts.
    pieces = [text[i:i + 2000] for i in range(0, len(text), 2000)]
    return '\n'.join('R"tkv(' + p + ')tkv"' for p in pieces) or '""'


def write_cpp(path):
    head, tail = bundle()
    pathlib.Path(path).write_text(
        '// Written by tools/viewer/server.py --bundle-cpp from the viewer\'s files; do not edit.\n'
        'namespace tkcli {\n'
        f'extern const char kViewerPageHead[] =\n{cpp_literal(head)};\n'
        f'extern const char kViewerPageTail[] =\n{cpp_literal(tail)};\n'
        '}  // namespace tkcli\n')


class Capture:
    """The lines of the decoding run, shared by every connection."""

    def __init__(self, command):
        self.lines = []
        self.summary = {'ended': False}
        self.changed = threading.Condition()
        self.process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                        encoding='utf-8', errors='replace', bufsize=1)
        threading.Thread(target=self._read_records, daemon=True).start()
        threading.Thread(target=self._read_messages, daemon=True).start()

    def _read_records(self):
        for line in self.process.stdout:
            with self.changed:
                self.lines.append(line.rstrip('\n'))
                self.changed.notify_all()
        status = self.process.wait()
        with self.changed:
            self.summary.update(ended=True, status=status)
            self.changed.notify_all()

    def _read_messages(self):
        # The tool's messages go on to our standard error; its summary line
        # also tells the page how much damage was skipped.
        for line in self.process.stderr:
            sys.stderr.write(line)
            if SUMMARY.match(line):
                skipped = SKIPPED.search(line)
                with self.changed:
                    self.summary['skipped'] = int(skipped.group(1)) if skipped else 0
                    self.changed.notify_all()

    def wait(self, start, summary, timeout):
        """The lines from start on, waiting for one when there is none."""
        with self.changed:
            if len(self.lines) <= start and self.summary == summary:
                self.changed.wait(timeout)
            return self.lines[start:start + BATCH], dict(self.summary)


def make_handler(capture, allowed_hosts):
    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = 'HTTP/1.1'

        def log_message(self, *args):
            pass

        def refuse(self, code, why):
            body = (why + '\n').encode()
            self.send_response(code)
            self.send_header('Content-Type', 'text/plain; charset=utf-8')
            self.send_header('Content-Length', str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def foreign(self):
            if self.headers.get('Host') not in allowed_hosts:
                return True
            origin = self.headers.get('Origin')
            return origin is not None and origin != 'http://' + self.headers['Host']

        def do_GET(self):
            if self.foreign():
                return self.refuse(403, 'foreign host or origin')
            path, _, query = self.path.partition('?')
            if path == '/events':
                return self.stream(query)
            if path not in FILES:
                return self.refuse(404, 'not found')
            name, kind = FILES[path]
            body = (HERE / name).read_bytes()
            self.send_response(200)
            self.send_header('Content-Type', kind)
            self.send_header('Content-Length', str(len(body)))
            self.send_header('Cache-Control', 'no-store')
            self.send_header('X-Content-Type-Options', 'nosniff')
            self.end_headers()
            self.wfile.write(body)

        def do_POST(self):
            self.refuse(405, 'only GET')

        def stream(self, query):
            given = self.headers.get('Last-Event-ID') or urllib.parse.parse_qs(query).get('from', ['0'])[0]
            position = int(given) if given.isdigit() else 0
            self.send_response(200)
            self.send_header('Content-Type', 'text/event-stream')
            self.send_header('Cache-Control', 'no-store')
            self.end_headers()
            sent_summary = None
            try:
                self.wfile.write(b'retry: 200\n\n')
                self.wfile.flush()
                while True:
                    lines, summary = capture.wait(position, sent_summary, 15)
                    out = []
                    if lines:
                        position += len(lines)
                        out.append(f'id: {position}\n' + ''.join(f'data: {line}\n' for line in lines) + '\n')
                    if summary != sent_summary and len(lines) < BATCH:
                        out.append('event: summary\ndata: ' + json.dumps(summary) + '\n\n')
                        sent_summary = summary
                    self.wfile.write(''.join(out).encode() if out else b': idle\n\n')
                    self.wfile.flush()
            except (BrokenPipeError, ConnectionResetError):
                pass

    return Handler


def serve(args):
    command = [args.tool, 'decode', '--format', 'jsonl', '--line-buffered']
    if args.follow:
        command.append('--follow')
    if args.decoder:
        command += ['--decoder', args.decoder]
    if args.decoders:
        command += ['--decoders', args.decoders]
    if args.strict:
        command.append('--strict')
    command += ['--'] + (args.captures or ['-'])
    server = http.server.ThreadingHTTPServer((args.host, args.port), None)
    server.daemon_threads = True
    port = server.server_address[1]
    names = {args.host, '127.0.0.1', 'localhost'} if args.host in ('127.0.0.1', 'localhost') else {args.host}
    capture = Capture(command)
    server.RequestHandlerClass = make_handler(capture, {f'{name}:{port}' for name in names})
    url = f'http://{"127.0.0.1" if args.host == "0.0.0.0" else args.host}:{port}/'
    print(f'tkdec view: serving {url} (Ctrl-C stops)', flush=True)
    if args.open:
        webbrowser.open(url)
    # Stopped like Ctrl-C, the decoding run ends with the server.
    signal.signal(signal.SIGTERM, signal.default_int_handler)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
        if capture.process.poll() is None:
            capture.process.terminate()
            capture.process.wait()
    return 0


def main():
    parser = argparse.ArgumentParser(prog='tkdec view', description=__doc__.split('\n\n')[0])
    parser.add_argument('captures', nargs='*')
    parser.add_argument('--tool', help='the tkdec program that decodes')
    parser.add_argument('--host', default='127.0.0.1')
    parser.add_argument('--port', type=int, default=0)
    parser.add_argument('--open', action='store_true')
    parser.add_argument('-f', '--follow', action='store_true')
    parser.add_argument('--decoder')
    parser.add_argument('--decoders')
    parser.add_argument('--strict', action='store_true')
    parser.add_argument('--bundle', metavar='FILE', help='write the self-contained page without records')
    parser.add_argument('--bundle-cpp', metavar='FILE', help='write the page as a C++ source for the tool')
    args = parser.parse_args()
    if args.bundle_cpp:
        write_cpp(args.bundle_cpp)
        return 0
    if args.bundle:
        pathlib.Path(args.bundle).write_text(''.join(bundle()))
        return 0
    if not args.tool:
        parser.error('--tool is needed to decode')
    try:
        return serve(args)
    except OSError as error:
        print(f'tkdec view: cannot serve on {args.host}:{args.port}: {error.strerror}', file=sys.stderr)
        return 1


if __name__ == '__main__':
    sys.exit(main())
