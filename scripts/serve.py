#!/usr/bin/env python3
"""Serves the built site on the loopback, as a server that serves pre-compressed files would.

    python3 scripts/serve.py SITE [PORT]     (PORT 0 takes a free one; 8015 unless told)

A file asked for as NAME is sent from NAME.br or NAME.gz when that lies beside it and the client
accepts that encoding, with the Content-Encoding that says so and the type of NAME; otherwise
NAME as it is. Every answer says "Vary: Accept-Encoding" and carries an ETag of the bytes sent,
and a request that names that ETag gets "304 Not Modified". "Cache-Control: no-cache" makes a
browser ask each time whether a file changed, so that a page without its service worker never
mixes files of two builds from its cache.

It prints "Serving on http://127.0.0.1:PORT/ (Ctrl-C stops)" once listening, then one line a response on standard
output: "GET /pernadas.wasm 200 br 60611 173" (method, path, status, encoding or "-", the bytes of
the body and of the headers). The browser tests read those lines. Standard library only.
"""
import hashlib
import http.server
import os
import sys
import threading
import urllib.parse

TYPES = {
    ".html": "text/html; charset=utf-8",
    ".js": "text/javascript; charset=utf-8",
    ".mjs": "text/javascript; charset=utf-8",
    ".css": "text/css; charset=utf-8",
    ".svg": "image/svg+xml",
    ".webmanifest": "application/manifest+json",
    ".json": "application/json",
    ".wasm": "application/wasm",
    ".png": "image/png",
    ".txt": "text/plain; charset=utf-8",
}
# Best first: brotli's files are the smaller.
ENCODINGS = (("br", ".br"), ("gzip", ".gz"))


def accepted(header):
    """The encodings an Accept-Encoding header accepts: {name: quality}, "*" included."""
    qualities = {}
    for part in (header or "").split(","):
        fields = [f.strip() for f in part.split(";")]
        if not fields[0]:
            continue
        q = 1.0
        for f in fields[1:]:
            if f.lower().startswith("q="):
                try:
                    q = float(f[2:])
                except ValueError:
                    q = 0.0
        qualities[fields[0].lower()] = q
    return qualities


def acceptable(qualities, encoding):
    if encoding in qualities:
        return qualities[encoding] > 0
    return qualities.get("*", 0) > 0


class Handler(http.server.BaseHTTPRequestHandler):
    root = "."
    printing = threading.Lock()
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        self.answer(body=True)

    def do_HEAD(self):
        self.answer(body=False)

    def file_for(self):
        """The file the request's path names, or None for one outside the site or missing."""
        path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
        root = os.path.realpath(self.root)  # afresh: SITE may be a link that is moved to another build
        full = os.path.realpath(os.path.join(root, path.lstrip("/")))
        if full != root and not full.startswith(root + os.sep):
            return None
        if os.path.isdir(full):
            full = os.path.join(full, "index.html")
        return full if os.path.isfile(full) else None

    def answer(self, body):
        self.sent_encoding = "-"
        name = self.file_for()
        if name is None:
            self.send_bytes(404, {"Content-Type": "text/plain; charset=utf-8"}, b"Not found\n", body)
            return
        headers = {"Content-Type": TYPES.get(os.path.splitext(name)[1], "application/octet-stream"),
                   "Vary": "Accept-Encoding", "Cache-Control": "no-cache"}
        sent = name
        qualities = accepted(self.headers.get("Accept-Encoding"))
        for encoding, suffix in ENCODINGS:
            if acceptable(qualities, encoding) and os.path.isfile(name + suffix):
                sent = name + suffix
                headers["Content-Encoding"] = encoding
                self.sent_encoding = encoding
                break
        with open(sent, "rb") as f:
            data = f.read()
        etag = '"' + hashlib.sha256(data).hexdigest()[:32] + '"'
        headers["ETag"] = etag
        wanted = [t.strip() for t in (self.headers.get("If-None-Match") or "").split(",")]
        if etag in wanted or "*" in wanted:
            self.send_bytes(304, headers, b"", False)
            return
        self.send_bytes(200, headers, data, body)

    def send_bytes(self, status, headers, data, body):
        self.send_response_only(status)
        if status != 304:
            self.send_header("Content-Length", str(len(data)))
        for k, v in headers.items():
            self.send_header(k, v)
        header_bytes = sum(len(line) for line in self._headers_buffer) + 2
        self.end_headers()
        if body:
            self.wfile.write(data)
        sent = len(data) if body else 0
        line = f"{self.command} {self.path} {status} {self.sent_encoding} {sent} {header_bytes}\n"
        with Handler.printing:  # whole lines, though answers are sent from several threads
            sys.stdout.write(line)
            sys.stdout.flush()

    def log_message(self, format, *args):
        pass  # one line a response is printed by send_bytes


class Server(http.server.ThreadingHTTPServer):
    def handle_error(self, request, client_address):
        if not isinstance(sys.exc_info()[1], ConnectionError):  # a browser that left mid-answer
            super().handle_error(request, client_address)


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__.split("\n\n")[1])
    Handler.root = os.path.abspath(sys.argv[1])
    port = int(sys.argv[2]) if len(sys.argv) == 3 else 8015
    server = Server(("127.0.0.1", port), Handler)
    print(f"Serving on http://127.0.0.1:{server.server_address[1]}/ (Ctrl-C stops)", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
