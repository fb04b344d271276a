"""The request log: what arrives is recorded exactly, in JSON and in the TSV form."""
import json
import http.client
import os
import shutil
import signal
import socket
import ssl
import subprocess
import tempfile
import time
import unittest

from simtest import HOSTS, SIM_DIR, Sim, SimTestCase, header


def unescape(field):
    out = bytearray()
    i = 0
    raw = field.encode("ascii")
    while i < len(raw):
        if raw[i] == 0x25:
            out.append(int(raw[i + 1:i + 3], 16))
            i += 3
        else:
            out.append(raw[i])
            i += 1
    return bytes(out)


def parse_tsv(text):
    rows = []
    for line in text.split("\n"):
        if not line:
            continue
        f = line.split("\t")
        n = int(f[8])
        rows.append({
            "seq": int(f[0]), "time": float(f[1]), "host": f[2], "port": int(f[3]),
            "method": unescape(f[4]), "path": unescape(f[5]), "body_length": int(f[6]),
            "body": bytes.fromhex(f[7]),
            "headers": [(unescape(f[9 + 2 * i]), unescape(f[10 + 2 * i])) for i in range(n)],
            "fields": len(f),
        })
    return rows


class RequestLog(SimTestCase):
    def test_get_records_path_query_and_every_header(self):
        self.sim.get("beacon", "/ps.gif?id=2&gid=1036&e9=2026-01-02%2003:04:05",
                     headers={"Referer": "http://127.0.0.1:1/pay.html?gid=1036", "Cookie": "mac=abc; x=1",
                              "X-Extra": "one"})
        (e,) = self.sim.log()
        self.assertEqual(e["host"], "beacon")
        self.assertEqual(e["port"], self.sim.ports["beacon"])
        self.assertEqual(e["method"], "GET")
        self.assertEqual(e["path"], "/ps.gif?id=2&gid=1036&e9=2026-01-02%2003:04:05")
        self.assertEqual(header(e, "referer"), "http://127.0.0.1:1/pay.html?gid=1036")
        self.assertEqual(header(e, "Cookie"), "mac=abc; x=1")
        self.assertEqual(header(e, "X-Extra"), "one")
        self.assertEqual(header(e, "Host"), "127.0.0.1:%d" % self.sim.ports["beacon"])
        self.assertEqual(e["body_length"], 0)
        self.assertEqual(e["body"], b"")

    def test_post_body_is_kept_byte_for_byte(self):
        body = bytes(range(256)) + b"\r\n\t%00&=+"
        self.sim.request("web", "POST", "/tavro/wd/index.html", body=body,
                         headers={"Content-Type": "application/x-www-form-urlencoded"})
        (e,) = self.sim.log()
        self.assertEqual(e["method"], "POST")
        self.assertEqual(e["body"], body)
        self.assertEqual(e["body_length"], len(body))
        self.assertEqual(header(e, "Content-Type"), "application/x-www-form-urlencoded")

    def test_chunked_request_body_is_decoded(self):
        s = self.sim.raw("web", b"POST /up HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n"
                                b"3\r\nabc\r\n2\r\nde\r\n0\r\n\r\n")
        s.recv(4096)
        s.close()
        (e,) = self.sim.log()
        self.assertEqual(e["body"], b"abcde")

    def test_each_host_logs_its_own_name_and_port(self):
        for h in HOSTS:
            self.sim.get(h, "/probe-" + h)
        entries = self.sim.log()
        self.assertEqual([(e["host"], e["port"], e["path"]) for e in entries],
                         [(h, self.sim.ports[h], "/probe-" + h) for h in HOSTS])
        self.assertEqual(len(set(self.sim.ports.values())), len(HOSTS))
        self.assertEqual([e["seq"] for e in entries], list(range(len(HOSTS))))

    def test_a_tls_handshake_is_logged_as_tls_and_closed(self):
        context = ssl.create_default_context()
        context.check_hostname, context.verify_mode = False, ssl.CERT_NONE
        with socket.create_connection(("127.0.0.1", self.sim.ports["update"]), timeout=5) as raw:
            with self.assertRaises(OSError):  # ssl.SSLError is one
                context.wrap_socket(raw, server_hostname="127.0.0.1").sendall(b"GET /secret HTTP/1.1\r\n\r\n")
        self.sim.get("update", "/after-tls")  # the port still serves HTTP
        first, after = self.sim.log()
        self.assertEqual((first["host"], first["method"], first["path"]), ("update", "TLS", ""))
        self.assertEqual(first["body"][:1], b"\x16")  # a handshake record
        self.assertEqual((after["method"], after["path"]), ("GET", "/after-tls"))

    def test_with_a_certificate_every_port_also_speaks_https(self):
        certs = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, certs)
        subprocess.run([os.path.join(SIM_DIR, "make-test-certs"), certs], check=True)
        sim = Sim("--tls-cert", os.path.join(certs, "server.pem"), "--tls-key", os.path.join(certs, "server.key"),
                  "--tls-other-cert", os.path.join(certs, "other.pem"), "--tls-other-key",
                  os.path.join(certs, "other.key"))
        self.addCleanup(sim.stop)
        port = sim.ports["update"]
        trusted = ssl.create_default_context(cafile=os.path.join(certs, "ca.pem"))
        conn = http.client.HTTPSConnection("127.0.0.1", port, timeout=5, context=trusted)
        conn.request("GET", "/over-tls")
        self.assertEqual(conn.getresponse().status, 404)
        conn.close()
        web = http.client.HTTPSConnection("127.0.0.1", sim.ports["web"], timeout=5, context=trusted)
        web.request("GET", "/tavro/wd/index.html")  # its links stay on https
        self.assertIn(b'href="https://127.0.0.1:%d/qq?' % sim.ports["login"], web.getresponse().read())
        web.close()
        with socket.create_connection(("127.0.0.1", port), timeout=5) as raw:
            with self.assertRaises(ssl.SSLCertVerificationError):  # localhost: the untrusted certificate
                trusted.wrap_socket(raw, server_hostname="localhost")
        sim.get("update", "/in-clear")
        entries = sim.log()
        entries = [e for e in entries if e["host"] == "update"]
        self.assertEqual([(e["method"], e["path"], e["scheme"]) for e in entries],
                         [("TLS", "", "https"), ("GET", "/over-tls", "https"), ("TLS", "", "https"),
                          ("GET", "/in-clear", "http")])
        _, _, tsv = sim.get("web", "/_sim/log?format=tsv&host=update")
        self.assertEqual([line.split("\t")[-1] == "https" for line in tsv.decode().splitlines()],
                         [True, True, True, False])

    def test_control_requests_are_not_logged(self):
        self.sim.get("web", "/a")
        self.sim.control("fault", dict(host="web", path="/b", mode="none"))
        self.sim.get("login", "/_sim/log")
        self.sim.control("content", dict(host="web", path="/c"), body=b"x")
        self.assertEqual([e["path"] for e in self.sim.log()], ["/a"])

    def test_reset_clears_the_log_and_since_and_host_filter_it(self):
        for p in ("/1", "/2", "/3"):
            self.sim.get("web", p)
        self.sim.get("update", "/4")
        self.assertEqual([e["path"] for e in self.sim.log(since=2)], ["/3", "/4"])
        self.assertEqual([e["path"] for e in self.sim.log(host="update")], ["/4"])
        self.sim.reset()
        self.assertEqual(self.sim.log(), [])

    def test_log_is_answered_on_every_port(self):
        self.sim.get("game", "/x")
        for h in HOSTS:
            status, _, data = self.sim.get(h, "/_sim/log")
            self.assertEqual(status, 200)
            self.assertEqual(json.loads(data.decode().splitlines()[0])["path"], "/x")

    def test_tsv_round_trips_awkward_bytes(self):
        # A raw request: a path with a high byte and a percent sign, header values
        # with tabs, percent signs, spaces and Latin-1 bytes.
        raw = (b"GET /odd%41\xe4?q=a%2Fb HTTP/1.1\r\nHost: x\r\nX-Tab: a\tb % c\r\n"
               b"Referer: http://h/\xc3\xa9\r\nContent-Length: 4\r\n\r\n\x00\t\n%")
        s = self.sim.raw("web", raw)
        s.recv(4096)
        s.close()
        status, _, data = self.sim.get("web", "/_sim/log?format=tsv")
        self.assertEqual(status, 200)
        text = data.decode("ascii")
        self.assertEqual(text.count("\n"), 1)
        (row,) = parse_tsv(text)
        self.assertEqual(row["path"], b"/odd%41\xe4?q=a%2Fb")
        self.assertEqual(row["method"], b"GET")
        self.assertEqual(row["host"], "web")
        self.assertEqual(row["port"], self.sim.ports["web"])
        self.assertEqual(row["body"], b"\x00\t\n%")
        self.assertEqual(row["body_length"], 4)
        self.assertIn((b"X-Tab", b"a\tb % c"), row["headers"])
        self.assertIn((b"Referer", b"http://h/\xc3\xa9"), row["headers"])
        self.assertEqual(row["fields"], 9 + 2 * len(row["headers"]))
        (e,) = self.sim.log()
        self.assertAlmostEqual(row["time"], e["time"], places=4)


class Lifecycle(unittest.TestCase):
    def test_first_line_lists_six_distinct_ports_and_matches_the_port_file(self):
        path = "/tmp/platform-sim-test-%d.json" % os.getpid()
        sim = Sim("--port-file", path)
        try:
            self.assertEqual(list(json.loads(sim.first_line)), list(HOSTS))
            with open(path) as f:
                self.assertEqual(json.load(f), sim.ports)
            status, _, data = sim.get("union", "/_sim/ports")
            self.assertEqual(json.loads(data), sim.ports)
        finally:
            sim.stop()
            os.unlink(path)

    def test_sigterm_and_sigint_stop_it_cleanly(self):
        for sig in (signal.SIGTERM, signal.SIGINT):
            sim = Sim()
            t0 = time.monotonic()
            self.assertEqual(sim.stop(sig), 0)
            self.assertLess(time.monotonic() - t0, 5)

    def test_it_stops_when_the_watched_process_goes(self):
        import subprocess
        sleeper = subprocess.Popen(["sleep", "30"])
        sim = Sim("--watch-pid", str(sleeper.pid))
        try:
            self.assertIsNone(sim.proc.poll())
            sleeper.kill()
            sleeper.wait()
            self.assertEqual(sim.proc.wait(5), 0)
        finally:
            sim.stop()

    def test_a_taken_port_is_an_error(self):
        first = Sim()
        try:
            import subprocess
            import sys
            from simtest import SIM
            p = subprocess.run([sys.executable, SIM, "--ports", "web=%d" % first.ports["web"]],
                               capture_output=True, text=True, timeout=10)
            self.assertEqual(p.returncode, 1)
            self.assertEqual(p.stdout, "")
            self.assertIn("cannot listen", p.stderr)
        finally:
            first.stop()


if __name__ == "__main__":
    unittest.main()
