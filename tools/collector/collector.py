#!/usr/bin/env python3
"""Analytics collector for development and tests.

Accepts the SDK's batch POST on /sa (form field data_list: URL-encoded Base64
of a gzip-compressed JSON array), decodes and parses it, prints one readable
line per record and keeps everything it received for the tests.

  GET /control?mode=M   how later /sa requests are answered:
                        ok | status:N | redirect | stall:S | slowfail:S | drop
  GET /reset            forgets what was received (and sets mode ok)
  GET /log              what was received, one "key=value" per line (see below)

/log format, per request:
  request <i> answered=<status> records=<n> ok=<0|1> stalled=<0|1>
  done=<0|1>                      (1 once the answer was sent or the connection dropped)
  ua=<user agent>                 content-type=<...>            query=<...>
  error=<why decoding failed>     batch=<the decoded JSON text>
  record <j>
  raw=<the record's exact JSON text>
  <path>=<value as JSON>          (for instance properties.qz_name="Next")
  end
"""
import argparse
import base64
import gzip
import json
import os
import ssl
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


class State:
    def __init__(self, mode, quiet):
        self.lock = threading.Lock()
        self.mode = mode
        self.requests = []
        self.quiet = quiet
        self.count = 0


def decode_batch(body):
    """The records of one POST body, and the decoded batch text; raises on bad input."""
    form = urllib.parse.parse_qs(body.decode("ascii"), keep_blank_values=True, strict_parsing=True)
    if "data_list" not in form:
        raise ValueError("no data_list field")
    raw = base64.b64decode(form["data_list"][0], validate=True)
    if form.get("gzip", ["0"])[0] == "1":
        raw = gzip.decompress(raw)
    text = raw.decode("utf-8")
    records = split_records(text)
    return text, records


def split_records(text):
    """Parses the JSON array and keeps each record's exact text beside its value."""
    decoder = json.JSONDecoder(strict=False)
    pos = 0
    if not text.startswith("["):
        raise ValueError("batch is not a JSON array")
    pos = 1
    out = []
    if text[pos:pos + 1] == "]":
        pos += 1
    else:
        while True:
            value, end = decoder.raw_decode(text, pos)
            if not isinstance(value, dict):
                raise ValueError("a record is not an object")
            out.append((text[pos:end], value))
            pos = end
            if text[pos:pos + 1] == ",":
                pos += 1
                continue
            if text[pos:pos + 1] == "]":
                pos += 1
                break
            raise ValueError("bad separator at %d" % pos)
    if pos != len(text):
        raise ValueError("trailing bytes after the array")
    return out


def flatten(value, prefix, lines):
    for key, item in value.items():
        path = prefix + key
        if isinstance(item, dict):
            flatten(item, path + ".", lines)
        else:
            lines.append("%s=%s" % (path, json.dumps(item, ensure_ascii=False)))


def readable(record):
    props = record.get("properties", {})
    name = props.get("qz_name", props.get("qz_task_name", props.get("app_crashed_reason", "")))
    parts = ["%-13s" % record.get("event", "?"), "name=%s" % name]
    for key in ("qz_click_type", "qz_task_result", "qz_task_elapsed", "qz_reason", "qzc_ab", "$app_id",
                "$os_version"):
        if key in props:
            parts.append("%s=%s" % (key, props[key]))
    parts.append("distinct_id=%s" % record.get("distinct_id", ""))
    return " ".join(parts)


def make_handler(state):
    class Handler(BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def handle(self):
            try:
                super().handle()
            except (BrokenPipeError, ConnectionResetError, ConnectionAbortedError):
                pass  # the client gave up waiting

        def log_message(self, fmt, *args):
            pass

        def answer(self, status, body=b"", headers=None):
            self.send_response(status)
            for key, value in (headers or {}).items():
                self.send_header(key, value)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            if body and self.command != "HEAD":
                try:
                    self.wfile.write(body)
                except (BrokenPipeError, ConnectionResetError):
                    pass  # the client gave up waiting

        def do_GET(self):
            url = urllib.parse.urlsplit(self.path)
            query = urllib.parse.parse_qs(url.query)
            if url.path == "/control":
                with state.lock:
                    state.mode = query.get("mode", ["ok"])[0]
                self.answer(200, b"mode set\n")
            elif url.path == "/reset":
                with state.lock:
                    state.requests = []
                    state.mode = "ok"
                self.answer(200, b"reset\n")
            elif url.path == "/log":
                with state.lock:
                    text = "".join(entry["text"].replace("\n", "\ndone=%d\n" % entry["done"], 1)
                                   for entry in state.requests)
                self.answer(200, text.encode("utf-8"), {"Content-Type": "text/plain; charset=utf-8"})
            else:
                self.answer(404, b"unknown\n")

        def do_POST(self):
            url = urllib.parse.urlsplit(self.path)
            length = int(self.headers.get("Content-Length", "0"))
            body = self.rfile.read(length) if length > 0 else b""
            if url.path != "/sa":
                self.answer(404, b"unknown\n")
                return
            with state.lock:
                mode = state.mode
            status = 200
            delay = 0.0
            if mode.startswith("status:"):
                status = int(mode.split(":", 1)[1])
            elif mode == "redirect":
                status = 302
            elif mode.startswith("stall:"):
                delay = float(mode.split(":", 1)[1])
            elif mode.startswith("slowfail:"):
                delay = float(mode.split(":", 1)[1])
                status = 500
            elif mode == "drop":
                status = 0

            # Logged on arrival, so that a late answer never lands in a later test's log.
            lines = []
            error = ""
            records = []
            batch = ""
            try:
                batch, records = decode_batch(body)
            except Exception as exc:  # a bad batch is answered 400 and logged
                error = "%s: %s" % (type(exc).__name__, exc)
                if status == 200:
                    status = 400
            lines.append("request %d answered=%d records=%d ok=%d stalled=%d\n" %
                         (len(state.requests), status, len(records), 0 if error else 1,
                          1 if mode.startswith("stall:") else 0))
            lines.append("ua=%s\n" % self.headers.get("User-Agent", ""))
            lines.append("content-type=%s\n" % self.headers.get("Content-Type", ""))
            lines.append("query=%s\n" % url.query)
            if error:
                lines.append("error=%s\n" % error)
            lines.append("batch=%s\n" % batch.replace("\n", "\\n"))
            for index, (raw, record) in enumerate(records):
                lines.append("record %d\n" % index)
                lines.append("raw=%s\n" % raw.replace("\n", "\\n"))
                flat = []
                flatten(record, "", flat)
                lines.extend(line.replace("\n", "\\n") + "\n" for line in flat)
            lines.append("end\n")
            entry = {"text": "".join(lines), "done": False}
            with state.lock:
                state.requests.append(entry)
                if not state.quiet:
                    if error:
                        print("[bad batch] %s" % error, flush=True)
                    elif status == 200 or mode.startswith("stall:"):
                        for record in records:
                            state.count += 1
                            print("[%d] %s" % (state.count, readable(record[1])), flush=True)
                    else:
                        # The sender keeps these and tries again later.
                        print("[refused with %d] %d records, first: %s" %
                              (status, len(records), readable(records[0][1]) if records else "-"), flush=True)
            if delay:
                time.sleep(delay)
            try:
                self.send_answer(status)
            finally:
                with state.lock:
                    entry["done"] = True

        def send_answer(self, status):
            if status == 0:
                # Drop the connection without any answer.
                self.close_connection = True
                try:
                    self.connection.shutdown(2)
                except OSError:
                    pass
                return
            if status == 302:
                self.answer(302, b"", {"Location": "/elsewhere"})
            elif status == 500:
                self.answer(500, b"collector failure: try later")
            elif status == 204:
                self.send_response(204)
                self.end_headers()
            else:
                self.answer(status, b"{\"code\":0}" if status == 200 else b"refused")

    return Handler


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--port", type=int, default=18443, help="0 picks a free port")
    parser.add_argument("--port-file", help="write the port here once listening")
    parser.add_argument("--tls-cert", help="serve HTTPS with this certificate (PEM)")
    parser.add_argument("--tls-key", help="its private key (PEM)")
    parser.add_argument("--mode", default="ok")
    parser.add_argument("--lifetime", type=float, default=0, help="stop by itself after this many seconds")
    parser.add_argument("--quiet", action="store_true", help="no line per record")
    args = parser.parse_args()

    state = State(args.mode, args.quiet)
    server = ThreadingHTTPServer(("127.0.0.1", args.port), make_handler(state))
    server.daemon_threads = True
    if args.tls_cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.tls_cert, args.tls_key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    port = server.server_address[1]
    if args.port_file:
        with open(args.port_file + ".tmp", "w") as f:
            f.write("%d\n" % port)
        os.replace(args.port_file + ".tmp", args.port_file)
    if not args.quiet:
        print("collector listening on %s://127.0.0.1:%d/sa" % ("https" if args.tls_cert else "http", port),
              flush=True)
    if args.lifetime > 0:
        timer = threading.Timer(args.lifetime, lambda: os._exit(0))
        timer.daemon = True
        timer.start()
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    sys.exit(main())
