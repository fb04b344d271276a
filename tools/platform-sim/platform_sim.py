#!/usr/bin/env python3
"""Local stand-in for the game platform's web servers, for development and tests.

Six HTTP/1.1 servers on 127.0.0.1, one port per host so the hosts stay distinct:
web, login, game, update, beacon and union. Every request that is not a control
request is logged; tests read the log, override what a path serves and inject
faults through the control API that every port serves under /_sim/.

    platform_sim.py [--ports dev|auto|web=N,login=N,...] [--port-file F]
                    [--current-version V] [--watch-pid PID] [--verbose]

The first line on stdout is a JSON object with the port of each host (also written
to --port-file when given). SIGTERM and SIGINT stop the servers cleanly.

Control API (on every port; control requests are not logged):
  GET  /_sim/log[?format=tsv][&host=H][&since=N]
        JSON: one object per line with seq, time, host, port, method, path (the
        request target exactly as received), headers (list of [name, value] in the
        order received), body_length and body (base64). Text is the raw bytes read
        as Latin-1. format=tsv: one request per line, tab-separated fields
            seq time host port method path body_length body_hex n name1 value1 ...
        where every byte of a text field outside 0x21..0x7E, and "%", is written as
        "%XX", so tabs, newlines and spaces never break a line or a field.
        since=N skips the first N entries (seq counts from 0); host=H keeps one host.
  GET  /_sim/ports            the port object of the first line
  POST /_sim/reset            clears the log, the faults and the content overrides
  POST /_sim/content?host=H&path=P[&type=T][&remove=1]
        the request body becomes the exact bytes served (200, Content-Length) for
        that host and path; remove=1 drops the override.
  POST /_sim/fault?host=H&path=P&mode=M[&count=N][&...]
        modes: status (code=N, default 500; location=URL adds a Location header),
        short (Content-Length of the full body, only bytes=N sent, default half, then
        close), long (Content-Length of only bytes=N, default half, the whole body
        sent, then close), chunked (no Content-Length, chunks of bytes=N, default 512; cut=1 stops
        before the last chunk and closes), trickle (bytes=N every ms=T, defaults 16
        and 100, with Content-Length), reset (headers and bytes=N of the body, default
        half, then after ms=T, default 100, a TCP reset), hang (reads the request and
        answers nothing until the fault is cleared, ms=T passes or the server stops;
        then closes), delay (answers normally after ms=T), none (clears the fault).
        count=N: the fault applies to the next N matching requests only.

A client that speaks TLS to a port (an https URL) is logged too, with method
"TLS", an empty path, no headers and its first handshake bytes as the body.
Without --tls-cert the connection is then closed: the simulator speaks plain HTTP
only. With --tls-cert and --tls-key every port also speaks https: a connection
that opens with a TLS handshake is answered in TLS with that certificate, and its
requests are served like any other (a page's links then use https as well),
logged with "scheme": "https" (TSV: one more field, "https", after the headers;
plain requests have no such field). A client
that names the server "localhost" (SNI) gets the certificate of --tls-other-cert
and --tls-other-key instead, when given (for tests of an untrusted certificate).

Path rule for content and faults: a registered path without "?" matches every
request whose path (the target before "?") is exactly that path, whatever the
query; a registered path with "?" matches every request whose whole target starts
with it. Entries with "?" are tried first, the longest first. Parameters of control
requests are percent-decoded to bytes ("+" is a space, so send a plus sign as %2B)
and compared with the raw bytes of request targets.
"""
import argparse
import base64
import json
import os
import signal
import socket
import ssl
import struct
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

import pages

HOSTS = ("web", "login", "game", "update", "beacon", "union")
DEV_PORTS = {"web": 18301, "login": 18302, "game": 18303, "update": 18304, "beacon": 18305, "union": 18306}
FAULT_MODES = ("status", "short", "long", "chunked", "trickle", "reset", "hang", "delay", "none")


def escape_field(text):
    """Latin-1 text (raw bytes) to a TSV-safe ASCII field."""
    out = []
    for b in text.encode("latin-1", "replace"):
        if b == 0x25 or b < 0x21 or b > 0x7E:
            out.append("%%%02X" % b)
        else:
            out.append(chr(b))
    return "".join(out)


def tsv_line(entry):
    fields = [str(entry["seq"]), "%.6f" % entry["time"], entry["host"], str(entry["port"]),
              escape_field(entry["method"]), escape_field(entry["path"]), str(entry["body_length"]),
              entry["body_bytes"].hex(), str(len(entry["headers"]))]
    for name, value in entry["headers"]:
        fields.append(escape_field(name))
        fields.append(escape_field(value))
    if entry.get("scheme") == "https":
        fields.append("https")
    return "\t".join(fields)


def json_line(entry):
    public = {k: v for k, v in entry.items() if k != "body_bytes"}
    public["body"] = base64.b64encode(entry["body_bytes"]).decode("ascii")
    return json.dumps(public, ensure_ascii=True)


class Fault:
    def __init__(self, mode, params, count):
        self.key = None  # (host, registered path), set when registered
        self.mode = mode
        self.params = params
        self.remaining = count  # None: until cleared
        self.released = threading.Event()

    def int_param(self, name, default):
        return int(self.params[name]) if name in self.params else default


class State:
    """Everything the servers share: the log, faults and content overrides."""

    def __init__(self, current_version):
        self.lock = threading.Lock()
        self.log = []
        self.faults = {}
        self.taken = []  # counted faults used up but perhaps still holding a request
        self.content = {}
        self.ports = {}
        self.current_version = current_version
        self.stopping = threading.Event()

    @staticmethod
    def _lookup_key(table, host, target):
        path = target.split("?", 1)[0]
        best = None
        for (h, key) in table:
            if h == host and "?" in key and target.startswith(key):
                if best is None or len(key) > len(best):
                    best = key
        if best is not None:
            return (host, best)
        return (host, path) if (host, path) in table else None

    def add(self, entry):
        with self.lock:
            entry["seq"] = len(self.log)
            self.log.append(entry)

    def entries(self, since, host):
        with self.lock:
            items = self.log[since:]
        return [e for e in items if host is None or e["host"] == host]

    def reset(self):
        with self.lock:
            self.log = []
            faults = list(self.faults.values()) + self.taken
            self.faults = {}
            self.taken = []
            self.content = {}
        for f in faults:
            f.released.set()

    def set_content(self, host, path, body, ctype):
        with self.lock:
            if body is None:
                self.content.pop((host, path), None)
            else:
                self.content[(host, path)] = (body, ctype)

    def find_content(self, host, target):
        with self.lock:
            key = self._lookup_key(self.content, host, target)
            return self.content[key] if key else None

    def set_fault(self, host, path, fault):
        """Replaces the fault of host and path; fault None clears it. A replaced or
        cleared fault releases the requests it holds, also those of a counted fault
        that has already left the table."""
        with self.lock:
            old = [f for f in self.taken if f.key == (host, path)]
            self.taken = [f for f in self.taken if f.key != (host, path)]
            if (host, path) in self.faults:
                old.append(self.faults.pop((host, path)))
            if fault is not None:
                fault.key = (host, path)
                self.faults[(host, path)] = fault
        for f in old:
            f.released.set()

    def take_fault(self, host, target):
        """The fault for this request, counting it against the fault's count."""
        with self.lock:
            key = self._lookup_key(self.faults, host, target)
            if key is None:
                return None
            fault = self.faults[key]
            if fault.remaining is not None:
                fault.remaining -= 1
                if fault.remaining <= 0:
                    del self.faults[key]
                    self.taken.append(fault)  # still releasable by clear or reset
            return fault


def guess_type(path):
    path = path.split("?", 1)[0].lower()
    for ext, ctype in ((".html", "text/html; charset=utf-8"), (".htm", "text/html; charset=utf-8"),
                       (".ini", "text/plain"), (".txt", "text/plain"), (".gif", "image/gif"),
                       (".png", "image/png"), (".js", "application/javascript"), (".json", "application/json"),
                       (".css", "text/css")):
        if path.endswith(ext):
            return ctype
    return "application/octet-stream"


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "PlatformSim/1.0"

    # Filled per server by make_server.
    host_name = ""
    state = None
    verbose = False

    def version_string(self):
        return self.server_version

    def log_message(self, fmt, *args):
        if self.verbose:
            sys.stderr.write("sim %s: %s\n" % (self.host_name, fmt % args))

    def handle_one_request(self):
        # A TLS client opens with a handshake record (content type 22), never with
        # a request line: logged as such, so a test sees an https URL arrive as TLS.
        try:
            first = self.rfile.peek(1)[:1]
        except (OSError, ValueError):
            first = b""
        if first != b"\x16":
            super().handle_one_request()
            return
        hello = self.rfile.read1(65536)
        self.state.add({
            "time": time.time(), "host": self.host_name, "port": self.server.server_address[1],
            "method": "TLS", "path": "", "headers": [], "body_length": len(hello), "body_bytes": hello,
        })
        self.close_connection = True

    def do_GET(self):
        self._handle()

    do_POST = do_PUT = do_DELETE = do_HEAD = do_OPTIONS = do_PATCH = do_GET

    # --- request --------------------------------------------------------------

    def _read_body(self):
        if "chunked" in self.headers.get("Transfer-Encoding", "").lower():
            data = bytearray()
            while True:
                line = self.rfile.readline(65537)
                if not line:
                    raise ConnectionError("client closed inside a chunked body")
                size = int(line.split(b";", 1)[0].strip() or b"0", 16)
                if size == 0:
                    while self.rfile.readline(65537) not in (b"\r\n", b"\n", b""):
                        pass
                    return bytes(data)
                data += self.rfile.read(size)
                self.rfile.readline(65537)
        length = int(self.headers.get("Content-Length", "0") or "0")
        return self.rfile.read(length) if length > 0 else b""

    def _handle(self):
        try:
            body = self._read_body()
        except (ValueError, ConnectionError, OSError):
            self.close_connection = True
            return
        if self.path.startswith("/_sim/"):
            self._control(body)
            return
        self.state.add({
            "time": time.time(), "host": self.host_name, "port": self.server.server_address[1],
            "method": self.command, "path": self.path, "headers": [[k, v] for k, v in self.headers.items()],
            "body_length": len(body), "body_bytes": body,
            "scheme": "https" if isinstance(self.connection, ssl.SSLSocket) else "http",
        })
        status, ctype, payload = self._resolve()
        fault = self.state.take_fault(self.host_name, self.path)
        try:
            if fault is None:
                self._send(status, ctype, payload)
            else:
                self._send_faulty(fault, status, ctype, payload)
        except (BrokenPipeError, ConnectionResetError, socket.timeout):
            self.close_connection = True

    def _resolve(self):
        override = self.state.find_content(self.host_name, self.path)
        if override is not None:
            body, ctype = override
            return 200, ctype or guess_type(self.path), body
        ports = self.state.ports
        if isinstance(self.connection, ssl.SSLSocket):
            ports = pages.SecurePorts(ports)  # a page in TLS links on in TLS
        page = pages.render(self.host_name, self.path, ports, self.state.current_version)
        if page is not None:
            return page
        return pages.not_found(self.path)

    # --- responses --------------------------------------------------------------

    def _head(self, status, ctype, length=None, extra=(), close=False):
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        if length is not None:
            self.send_header("Content-Length", str(length))
        self.send_header("Cache-Control", "no-cache")
        for name, value in extra:
            self.send_header(name, value)
        if close:
            self.send_header("Connection", "close")
            self.close_connection = True
        self.end_headers()

    def _send(self, status, ctype, payload, extra=()):
        self._head(status, ctype, len(payload), extra)
        if self.command != "HEAD":
            self.wfile.write(payload)

    def _send_faulty(self, fault, status, ctype, payload):
        mode = fault.mode
        head_only = self.command == "HEAD"
        if mode == "status":
            code = fault.int_param("code", 500)
            extra = [("Location", fault.params["location"])] if "location" in fault.params else []
            # 1xx, 204 and 304 answers have no body: bytes sent after one would be
            # read as the start of the next answer on the same connection.
            no_body = code < 200 or code in (204, 304)
            body = b"" if no_body else ("simulated status %d\n" % code).encode()
            self._send(code, "text/plain", body, extra)
        elif mode == "short":
            sent = min(fault.int_param("bytes", len(payload) // 2), len(payload))
            announced = max(len(payload), sent + 1)
            self._head(status, ctype, announced, close=True)
            if not head_only:
                self.wfile.write(payload[:sent])
        elif mode == "long":
            announced = min(fault.int_param("bytes", len(payload) // 2), len(payload))
            self._head(status, ctype, announced, close=True)
            if not head_only:
                self.wfile.write(payload)
        elif mode == "chunked":
            size = max(1, fault.int_param("bytes", 512))
            cut = fault.params.get("cut", "0") not in ("", "0")
            self._head(status, ctype, None, [("Transfer-Encoding", "chunked")], close=cut)
            if head_only:
                return
            data = payload[:len(payload) // 2] if cut else payload
            for i in range(0, len(data), size):
                piece = data[i:i + size]
                self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
            if not cut:
                self.wfile.write(b"0\r\n\r\n")
        elif mode == "trickle":
            step = max(1, fault.int_param("bytes", 16))
            pause = fault.int_param("ms", 100) / 1000.0
            self._head(status, ctype, len(payload))
            if head_only:
                return
            for i in range(0, len(payload), step):
                if self.state.stopping.is_set():
                    self.close_connection = True
                    return
                self.wfile.write(payload[i:i + step])
                if i + step < len(payload):
                    time.sleep(pause)
        elif mode == "reset":
            sent = min(fault.int_param("bytes", len(payload) // 2), len(payload))
            self._head(status, ctype, max(len(payload), sent + 1))
            if not head_only:
                self.wfile.write(payload[:sent])
            # A pause first, so that a client has read what was sent and waits for
            # more when the reset arrives: it then sees the reset as a failed read.
            time.sleep(max(0, fault.int_param("ms", 100)) / 1000.0)
            self._abort_with_reset()
        elif mode == "hang":
            limit = fault.int_param("ms", 0) / 1000.0
            deadline = time.monotonic() + limit if limit > 0 else None
            while not fault.released.is_set() and not self.state.stopping.is_set():
                if deadline is not None and time.monotonic() >= deadline:
                    break
                fault.released.wait(0.05)
            self.close_connection = True  # released: close without an answer
        elif mode == "delay":
            end = time.monotonic() + fault.int_param("ms", 1000) / 1000.0
            while time.monotonic() < end and not self.state.stopping.is_set():
                time.sleep(min(0.05, max(0.0, end - time.monotonic())))
            self._send(status, ctype, payload)
        else:
            self._send(status, ctype, payload)

    def _abort_with_reset(self):
        # SO_LINGER with a zero timeout makes close() send RST instead of FIN. The
        # read side holds a reference to the socket, so it is closed first.
        self.close_connection = True
        try:
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.rfile.close()
            self.connection.close()
        except OSError:
            pass

    # --- control API --------------------------------------------------------------

    def _reply_json(self, status, obj):
        self._send(status, "application/json", (json.dumps(obj) + "\n").encode())

    def _control(self, body):
        parsed = urllib.parse.urlsplit(self.path)
        # Latin-1, like the request line: a registered path then matches the raw bytes
        # of request targets, whatever they are.
        query = dict(urllib.parse.parse_qsl(parsed.query, keep_blank_values=True, encoding="latin-1"))
        route = parsed.path
        try:
            if route == "/_sim/log" and self.command == "GET":
                self._control_log(query)
            elif route == "/_sim/ports" and self.command == "GET":
                self._reply_json(200, self.state.ports)
            elif route == "/_sim/reset" and self.command == "POST":
                self.state.reset()
                self._reply_json(200, {"ok": True})
            elif route == "/_sim/content" and self.command == "POST":
                host, path = self._target(query)
                if query.get("remove", "0") not in ("", "0"):
                    self.state.set_content(host, path, None, None)
                else:
                    self.state.set_content(host, path, body, query.get("type") or None)
                self._reply_json(200, {"ok": True})
            elif route == "/_sim/fault" and self.command == "POST":
                self._control_fault(query)
            else:
                self._reply_json(404, {"ok": False, "error": "no such control request: %s %s" % (self.command, route)})
        except ValueError as e:
            self._reply_json(400, {"ok": False, "error": str(e)})

    def _target(self, query):
        host, path = query.get("host", ""), query.get("path", "")
        if host not in HOSTS:
            raise ValueError("host must be one of %s" % ", ".join(HOSTS))
        if not path.startswith("/"):
            raise ValueError("path must start with /")
        return host, path

    def _control_log(self, query):
        since = int(query.get("since", "0") or "0")
        host = query.get("host") or None
        entries = self.state.entries(max(0, since), host)
        if query.get("format") == "tsv":
            text = "".join(tsv_line(e) + "\n" for e in entries)
            self._send(200, "text/tab-separated-values; charset=us-ascii", text.encode("ascii"))
        else:
            text = "".join(json_line(e) + "\n" for e in entries)
            self._send(200, "application/x-ndjson", text.encode("ascii"))

    def _control_fault(self, query):
        host, path = self._target(query)
        mode = query.get("mode", "")
        if mode not in FAULT_MODES:
            raise ValueError("mode must be one of %s" % ", ".join(FAULT_MODES))
        if mode == "none":
            self.state.set_fault(host, path, None)
            self._reply_json(200, {"ok": True})
            return
        params = {k: v for k, v in query.items() if k not in ("host", "path", "mode", "count")}
        for name in ("code", "bytes", "ms"):
            if name in params:
                int(params[name])  # ValueError: 400
        count = int(query["count"]) if query.get("count") else None
        if count is not None and count < 1:
            raise ValueError("count must be at least 1")
        self.state.set_fault(host, path, Fault(mode, params, count))
        self._reply_json(200, {"ok": True})


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    tls = None  # ssl.SSLContext of a port that also speaks https
    host_name = ""
    state = None

    def finish_request(self, request, client_address):
        # Runs on the connection's own thread: a TLS client is logged by its
        # handshake, then, with a certificate, answered in TLS on the same port.
        if self.tls is not None:
            try:
                request.settimeout(10)
                first = request.recv(4096, socket.MSG_PEEK)
                if first[:1] == b"\x16":
                    self.state.add({
                        "time": time.time(), "host": self.host_name, "port": self.server_address[1],
                        "method": "TLS", "path": "", "headers": [], "body_length": len(first),
                        "body_bytes": first, "scheme": "https",
                    })
                    request = self.tls.wrap_socket(request, server_side=True)
                request.settimeout(None)
            except (OSError, ssl.SSLError):
                # A client that refused the certificate ends here, before any request.
                return
        super().finish_request(request, client_address)


def make_tls_context(cert, key, other_cert=None, other_key=None):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    if other_cert:
        other = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        other.load_cert_chain(other_cert, other_key)

        def pick(sock, server_name, _context):
            if server_name == "localhost":
                sock.context = other

        context.sni_callback = pick
    return context


def make_server(host_name, port, state, verbose, tls=None):
    handler = type("Handler_" + host_name, (Handler,),
                   {"host_name": host_name, "state": state, "verbose": verbose})
    server = Server(("127.0.0.1", port), handler)
    server.tls, server.host_name, server.state = tls, host_name, state
    return server


def parse_ports(text):
    if text == "dev":
        return dict(DEV_PORTS)
    if text == "auto":
        return {h: 0 for h in HOSTS}
    ports = {h: 0 for h in HOSTS}
    for item in text.split(","):
        name, _, value = item.partition("=")
        if name not in HOSTS:
            raise ValueError("unknown host %r in --ports" % name)
        ports[name] = int(value)
    return ports


def process_alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        return True
    return True


def main(argv=None):
    ap = argparse.ArgumentParser(description="Local platform simulator")
    ap.add_argument("--ports", default="auto", help="dev, auto, or web=N,login=N,... (unnamed hosts: free ports)")
    ap.add_argument("--port-file", help="also write the port object to this file")
    ap.add_argument("--current-version", default="3.0.0.0", help="currentversion of the served version file")
    ap.add_argument("--watch-pid", type=int, help="stop when this process has gone")
    ap.add_argument("--verbose", action="store_true", help="log every request to stderr")
    ap.add_argument("--tls-cert", help="PEM certificate: every port also speaks https")
    ap.add_argument("--tls-key", help="PEM key of --tls-cert")
    ap.add_argument("--tls-other-cert", help="PEM certificate served to clients that name localhost")
    ap.add_argument("--tls-other-key", help="PEM key of --tls-other-cert")
    args = ap.parse_args(argv)
    if bool(args.tls_cert) != bool(args.tls_key) or bool(args.tls_other_cert) != bool(args.tls_other_key):
        ap.error("a TLS certificate needs its key")
    tls = None
    if args.tls_cert:
        tls = make_tls_context(args.tls_cert, args.tls_key, args.tls_other_cert, args.tls_other_key)

    try:
        wanted = parse_ports(args.ports)
    except ValueError as e:
        ap.error(str(e))
    state = State(args.current_version)
    servers = []
    try:
        for host in HOSTS:
            servers.append(make_server(host, wanted[host], state, args.verbose, tls))
    except OSError as e:
        for s in servers:
            s.server_close()
        sys.stderr.write("platform_sim: cannot listen on 127.0.0.1:%d for %s: %s\n" % (wanted[host], host, e))
        return 1
    state.ports = {host: s.server_address[1] for host, s in zip(HOSTS, servers)}

    stop = threading.Event()

    def on_signal(signum, frame):
        stop.set()

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)

    threads = [threading.Thread(target=s.serve_forever, kwargs={"poll_interval": 0.05}, daemon=True) for s in servers]
    for t in threads:
        t.start()

    line = json.dumps(state.ports)
    if args.port_file:
        tmp = args.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write(line + "\n")
        os.replace(tmp, args.port_file)
    sys.stdout.write(line + "\n")
    sys.stdout.flush()

    while not stop.wait(0.25):
        if args.watch_pid and not process_alive(args.watch_pid):
            break
    state.stopping.set()
    for s in servers:
        s.shutdown()
        s.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
