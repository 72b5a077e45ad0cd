#!/usr/bin/env python3
"""A package server for the installer's downloads, with faults on request.

It behaves like the real one: /software/<id> answers with a redirect to
/<md5 of the file>/<file name>; any other path serves the file named by its
last segment from --root, with lengths for header-only requests and byte
ranges (206 with Content-Range).

Faults are chosen per request by a path prefix /_f/<spec>/ (kept across the
redirect), or for every request without one by --fault <spec>. A spec is a
comma-separated list:

  plan=A+B*3+...  actions used up by successive GET requests (of this spec's
                  key that match "from"): drop:N (close after N body bytes),
                  stall:N (send N bytes, then hold the connection silent),
                  status:N (answer with status N), ok (serve normally).
                  Once the plan is used up, requests are served normally.
  from=N          only GETs whose range starts at byte N or later use the plan
  key=K           the counter the plan is consumed from (default: the whole fault text)
  status=N        every GET answered with status N
  headstatus=N    every header-only request answered with status N
  nolength        no Content-Length (the GET body ends by closing)
  headlength=N    header-only requests announce N bytes
  noranges        ranges ignored: the whole file with status 200
  digest=wrong|upper|short  the redirect carries a wrong, an upper-case or a
                  31-character digest
  rate=N          at most N bytes per second on each connection
  stallsecs=S     how long a stall holds the connection (default 60)

Every request is appended to --log as one line: method, path, range header
("-" when none), the status sent, tab-separated. The server picks a free port
when --port is 0, writes it to --port-file, and stops by itself after
--lifetime seconds.
"""

import argparse
import hashlib
import http.server
import os
import re
import socket
import sys
import threading
import time
import urllib.parse

STOP = threading.Event()


class Fault:
    def __init__(self, spec):
        self.spec = spec
        self.plan = []
        self.start_from = 0
        self.key = spec
        self.status = None
        self.head_status = None
        self.no_length = False
        self.head_length = None
        self.no_ranges = False
        self.digest = None
        self.rate = None
        self.stall_seconds = 60.0
        for item in filter(None, spec.split(",")):
            name, _, value = item.partition("=")
            if name == "plan":
                self.plan = parse_plan(value)
            elif name == "from":
                self.start_from = int(value)
            elif name == "key":
                self.key = value
            elif name == "status":
                self.status = int(value)
            elif name == "headstatus":
                self.head_status = int(value)
            elif name == "nolength":
                self.no_length = True
            elif name == "headlength":
                self.head_length = int(value)
            elif name == "noranges":
                self.no_ranges = True
            elif name == "digest":
                if value not in ("wrong", "upper", "short"):
                    raise ValueError("digest must be wrong, upper or short")
                self.digest = value
            elif name == "rate":
                self.rate = int(value)
            elif name == "stallsecs":
                self.stall_seconds = float(value)
            else:
                raise ValueError("unknown fault item: " + item)


def parse_plan(text):
    actions = []
    for step in filter(None, text.split("+")):
        action, _, repeat = step.partition("*")
        kind, _, argument = action.partition(":")
        if kind not in ("drop", "stall", "status", "ok"):
            raise ValueError("unknown plan action: " + action)
        if kind != "ok":
            int(argument)
        actions.extend([(kind, int(argument or 0))] * int(repeat or 1))
    return actions


class State:
    def __init__(self, root, packages, default_fault, log_path):
        self.root = root
        self.packages = packages
        self.default_fault = default_fault
        self.log_path = log_path
        self.lock = threading.Lock()
        self.used = {}      # fault key -> plan steps used
        self.digests = {}   # path -> (mtime, size, digest)
        self.faults = {}

    def fault(self, spec):
        if spec is None:
            return self.default_fault
        with self.lock:
            if spec not in self.faults:
                self.faults[spec] = Fault(spec)
            return self.faults[spec]

    def next_action(self, fault, range_start):
        if not fault.plan or range_start < fault.start_from:
            return ("ok", 0)
        with self.lock:
            used = self.used.get(fault.key, 0)
            self.used[fault.key] = used + 1
        return fault.plan[used] if used < len(fault.plan) else ("ok", 0)

    def digest(self, path):
        info = os.stat(path)
        with self.lock:
            known = self.digests.get(path)
            if known and known[0] == info.st_mtime_ns and known[1] == info.st_size:
                return known[2]
        md5 = hashlib.md5()
        with open(path, "rb") as f:
            for block in iter(lambda: f.read(1 << 20), b""):
                md5.update(block)
        digest = md5.hexdigest()
        with self.lock:
            self.digests[path] = (info.st_mtime_ns, info.st_size, digest)
        return digest

    def log(self, method, path, range_header, status):
        if not self.log_path:
            return
        line = "\t".join([method, path, range_header or "-", str(status)]) + "\n"
        with self.lock:
            with open(self.log_path, "a", encoding="utf-8") as f:
                f.write(line)


RANGE = re.compile(r"^bytes=(\d+)-(\d*)$")


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "VelquorPackageServer/1.0"

    def log_message(self, *args):
        pass

    def do_HEAD(self):
        self.handle_request(head=True)

    def do_GET(self):
        self.handle_request(head=False)

    def split_fault(self):
        path = self.path.split("?", 1)[0]
        if path.startswith("/_f/"):
            rest = path[4:]
            spec, slash, tail = rest.partition("/")
            return self.server.state.fault(spec), "/_f/" + spec, slash + tail
        return self.server.state.fault(None), "", path

    def send_simple(self, status, headers=(), body=b""):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD" and body:
            self.wfile.write(body)

    def handle_request(self, head):
        state = self.server.state
        range_header = self.headers.get("Range")
        try:
            fault, prefix, path = self.split_fault()
        except ValueError as error:
            state.log(self.command, self.path, range_header, 400)
            self.send_simple(400, body=str(error).encode())
            return
        segments = [urllib.parse.unquote(s) for s in path.split("/") if s]
        if len(segments) == 2 and segments[0] == "software":
            self.redirect(fault, prefix, segments[1], range_header)
            return
        name = segments[-1] if segments else ""
        file_path = os.path.join(state.root, name)
        if not name or "\\" in name or name in (".", "..") or not os.path.isfile(file_path):
            state.log(self.command, self.path, range_header, 404)
            self.send_simple(404, body=b"not found")
            return
        self.serve(fault, file_path, head, range_header)

    def redirect(self, fault, prefix, package_id, range_header):
        state = self.server.state
        name = state.packages.get(package_id, package_id)
        file_path = os.path.join(state.root, name)
        if not os.path.isfile(file_path):
            state.log(self.command, self.path, range_header, 404)
            self.send_simple(404, body=b"no such package")
            return
        digest = state.digest(file_path)
        if fault.digest == "upper":
            digest = digest.upper()
        elif fault.digest == "short":
            digest = digest[:31]
        elif fault.digest == "wrong":
            digest = hashlib.md5(digest.encode()).hexdigest()
        location = prefix + "/" + digest + "/" + urllib.parse.quote(name)
        state.log(self.command, self.path, range_header, 302)
        self.send_simple(302, [("Location", location)])

    def serve(self, fault, file_path, head, range_header):
        state = self.server.state
        size = os.path.getsize(file_path)
        if head:
            status = fault.head_status or 200
            state.log("HEAD", self.path, range_header, status)
            self.send_response(status)
            if not fault.no_length:
                length = fault.head_length if fault.head_length is not None else size
                if status >= 400:
                    length = len(b"fault")  # what an error page would announce
                self.send_header("Content-Length", str(length))
            self.send_header("Accept-Ranges", "bytes")
            self.end_headers()
            return

        start, end, status = 0, size - 1, 200
        match = RANGE.match(range_header or "")
        if match and not fault.no_ranges:
            start = int(match.group(1))
            end = min(int(match.group(2)), size - 1) if match.group(2) else size - 1
            if start >= size or start > end:
                state.log("GET", self.path, range_header, 416)
                self.send_simple(416, [("Content-Range", "bytes */%d" % size)])
                return
            status = 206

        action, argument = state.next_action(fault, start)
        if fault.status:
            action, argument = "status", fault.status
        if action == "status":
            state.log("GET", self.path, range_header, argument)
            self.send_simple(argument, body=b"fault")
            return

        state.log("GET", self.path, range_header, status)
        count = end - start + 1
        self.send_response(status)
        if fault.no_length:
            self.send_header("Connection", "close")
            self.close_connection = True
        else:
            self.send_header("Content-Length", str(count))
        if status == 206:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, end, size))
        self.send_header("Accept-Ranges", "bytes")
        self.end_headers()
        self.wfile.flush()

        limit = count
        if action in ("drop", "stall"):
            limit = min(count, argument)
        with open(file_path, "rb") as f:
            self.send_body(f, start, limit, fault.rate)
        if action == "drop" and limit < count:
            self.abort_connection()
        elif action == "stall" and limit < count:
            STOP.wait(fault.stall_seconds)
            self.abort_connection()

    def send_body(self, f, offset, count, rate):
        if not rate:
            if count > 0:
                self.connection.sendfile(f, offset, count)
            return
        f.seek(offset)
        began = time.monotonic()
        sent = 0
        block = max(1024, min(65536, rate // 20))
        while sent < count and not STOP.is_set():
            data = f.read(min(block, count - sent))
            if not data:
                break
            self.connection.sendall(data)
            sent += len(data)
            ahead = sent / rate - (time.monotonic() - began)
            if ahead > 0:
                time.sleep(ahead)

    def abort_connection(self):
        self.close_connection = True
        try:
            self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        # A client that hangs up mid-body is an ordinary event here.
        if isinstance(sys.exc_info()[1], (ConnectionError, BrokenPipeError, socket.timeout)):
            return
        super().handle_error(request, client_address)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--root", required=True, help="folder of the served files")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0, help="0 picks a free port")
    parser.add_argument("--port-file", help="file that receives the port once listening")
    parser.add_argument("--log", help="request log file")
    parser.add_argument("--lifetime", type=float, default=600.0, help="seconds before the server stops itself")
    parser.add_argument("--package", action="append", default=[], metavar="ID=FILE",
                        help="/software/ID redirects to FILE (default: the file named ID)")
    parser.add_argument("--fault", default="", help="fault spec for requests without /_f/")
    args = parser.parse_args()

    packages = {}
    for item in args.package:
        package_id, sep, name = item.partition("=")
        if not sep or not package_id or not name:
            parser.error("--package wants ID=FILE")
        packages[package_id] = name
    try:
        default_fault = Fault(args.fault)
    except ValueError as error:
        parser.error(str(error))

    server = Server((args.host, args.port), Handler)
    server.state = State(os.path.abspath(args.root), packages, default_fault, args.log)
    port = server.server_address[1]
    if args.port_file:
        temp = args.port_file + ".tmp"
        with open(temp, "w") as f:
            f.write("%d\n" % port)
        os.replace(temp, args.port_file)
    print("package server on %s:%d" % (args.host, port), flush=True)

    def stop_later():
        if not STOP.wait(args.lifetime):
            STOP.set()
            server.shutdown()

    threading.Thread(target=stop_later, daemon=True).start()
    try:
        server.serve_forever(poll_interval=0.2)
    except KeyboardInterrupt:
        pass
    STOP.set()
    server.server_close()


if __name__ == "__main__":
    main()
