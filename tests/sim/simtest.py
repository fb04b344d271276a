"""Helpers for the simulator's tests: start a simulator, talk to it, read its log."""
import base64
import http.client
import json
import os
import socket
import subprocess
import sys
import time
import unittest
import urllib.parse

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
SIM_DIR = os.path.join(ROOT, "tools", "platform-sim")
SIM = os.path.join(SIM_DIR, "platform_sim.py")
WITH_SIM = os.path.join(SIM_DIR, "with-sim")
HOSTS = ("web", "login", "game", "update", "beacon", "union")

sys.path.insert(0, SIM_DIR)


class Sim:
    """One simulator process on free ports."""

    def __init__(self, *args):
        self.proc = subprocess.Popen([sys.executable, SIM, "--ports", "auto"] + list(args),
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        line = self.proc.stdout.readline()
        if not line:
            raise RuntimeError("simulator did not start: " + self.proc.stderr.read())
        self.first_line = line
        self.ports = json.loads(line)

    def stop(self, sig=None):
        if self.proc.poll() is None:
            if sig is None:
                self.proc.terminate()
            else:
                self.proc.send_signal(sig)
        try:
            rc = self.proc.wait(10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            rc = self.proc.wait(10)
        self.proc.stdout.close()
        self.proc.stderr.close()
        return rc

    def request(self, host, method, target, body=None, headers=None, timeout=10):
        """(status, header dict with lower-case names, body bytes)."""
        conn = http.client.HTTPConnection("127.0.0.1", self.ports[host], timeout=timeout)
        try:
            conn.request(method, target, body=body, headers=headers or {})
            resp = conn.getresponse()
            data = resp.read()
            return resp.status, {k.lower(): v for k, v in resp.getheaders()}, data
        finally:
            conn.close()

    def get(self, host, target, **kw):
        return self.request(host, "GET", target, **kw)

    def control(self, route, params=None, body=b"", method="POST"):
        target = "/_sim/" + route
        if params:
            target += "?" + urllib.parse.urlencode(params)
        status, _, data = self.request("web", method, target, body=body)
        return status, data

    def reset(self):
        status, _ = self.control("reset")
        assert status == 200

    def log(self, **params):
        target = "/_sim/log" + ("?" + urllib.parse.urlencode(params) if params else "")
        status, _, data = self.get("web", target)
        assert status == 200, data
        entries = [json.loads(line) for line in data.decode("ascii").splitlines() if line]
        for e in entries:
            e["body"] = base64.b64decode(e["body"])
        return entries

    def raw(self, host, data, timeout=5):
        """Sends raw bytes and returns the connected socket for reading."""
        s = socket.create_connection(("127.0.0.1", self.ports[host]), timeout=timeout)
        s.sendall(data)
        return s


def read_head(sock):
    """Reads a response head from a raw socket: (status, headers, leftover body bytes)."""
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = sock.recv(4096)
        if not chunk:
            raise EOFError("closed before the end of the head: %r" % data)
        data += chunk
    head, _, rest = data.partition(b"\r\n\r\n")
    lines = head.decode("latin-1").split("\r\n")
    status = int(lines[0].split()[1])
    headers = {}
    for line in lines[1:]:
        name, _, value = line.partition(":")
        headers[name.strip().lower()] = value.strip()
    return status, headers, rest


def read_to_close(sock, limit=10.0):
    """Reads until the peer closes; (data, error) where error is the exception, if any."""
    data = b""
    end = time.monotonic() + limit
    try:
        while time.monotonic() < end:
            chunk = sock.recv(65536)
            if not chunk:
                return data, None
            data += chunk
    except OSError as e:
        return data, e
    return data, TimeoutError("still open after %.1f s" % limit)


def header(entry, name):
    for k, v in entry["headers"]:
        if k.lower() == name.lower():
            return v
    return None


class SimTestCase(unittest.TestCase):
    """One simulator for the class, reset before every test."""

    sim_args = ()

    @classmethod
    def setUpClass(cls):
        cls.sim = Sim(*cls.sim_args)

    @classmethod
    def tearDownClass(cls):
        cls.sim.stop()

    def setUp(self):
        self.sim.reset()

    def set_fault(self, host, path, mode, **params):
        status, data = self.sim.control("fault", dict(host=host, path=path, mode=mode, **params))
        self.assertEqual(status, 200, data)

    def set_content(self, host, path, body, **params):
        status, data = self.sim.control("content", dict(host=host, path=path, **params), body=body)
        self.assertEqual(status, 200, data)
