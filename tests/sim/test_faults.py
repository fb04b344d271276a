"""Every fault mode produces what it names, on the host and path it was set for."""
import socket
import threading
import time
import unittest

from simtest import Sim, SimTestCase, read_head, read_to_close

BODY = bytes((i * 7) % 251 for i in range(4000))
GET = b"GET /f/data.bin HTTP/1.1\r\nHost: x\r\n\r\n"


class Faults(SimTestCase):
    def setUp(self):
        super().setUp()
        self.set_content("update", "/f/data.bin", BODY)

    def test_status_answers_the_code_then_clears(self):
        self.set_fault("update", "/f/data.bin", "status", code=503)
        status, headers, data = self.sim.get("update", "/f/data.bin")
        self.assertEqual(status, 503)
        self.assertEqual(int(headers["content-length"]), len(data))
        self.assertIn(b"503", data)
        self.set_fault("update", "/f/data.bin", "none")
        self.assertEqual(self.sim.get("update", "/f/data.bin")[2], BODY)

    def test_statuses_without_a_body_send_none(self):
        # Two requests on one connection: the second answer must start right after
        # the first one's head.
        for code in (204, 304):
            with self.subTest(code=code):
                self.set_fault("update", "/f/data.bin", "status", code=code, count=1)
                s = self.sim.raw("update", GET + GET.replace(b"\r\n\r\n", b"\r\nConnection: close\r\n\r\n"))
                status, headers, rest = read_head(s)
                data, _ = read_to_close(s)
                s.close()
                self.assertEqual(status, code)
                self.assertEqual(int(headers.get("content-length", "0")), 0)
                self.assertTrue((rest + data).startswith(b"HTTP/1."), (rest + data)[:40])

    def test_status_with_a_location(self):
        self.set_fault("update", "/f/data.bin", "status", code=302, location="http://127.0.0.1:1/elsewhere")
        status, headers, _ = self.sim.get("update", "/f/data.bin")
        self.assertEqual(status, 302)
        self.assertEqual(headers["location"], "http://127.0.0.1:1/elsewhere")

    def test_count_limits_the_fault_to_the_next_requests(self):
        self.set_fault("update", "/f/data.bin", "status", code=500, count=2)
        codes = [self.sim.get("update", "/f/data.bin")[0] for _ in range(3)]
        self.assertEqual(codes, [500, 500, 200])

    def test_short_sends_fewer_bytes_than_announced_then_closes(self):
        self.set_fault("update", "/f/data.bin", "short", bytes=1000)
        s = self.sim.raw("update", GET)
        status, headers, rest = read_head(s)
        data, err = read_to_close(s)
        s.close()
        self.assertEqual(status, 200)
        self.assertEqual(int(headers["content-length"]), len(BODY))
        self.assertIsNone(err)
        self.assertEqual(rest + data, BODY[:1000])

    def test_long_sends_more_bytes_than_announced_then_closes(self):
        self.set_fault("update", "/f/data.bin", "long", bytes=1000)
        s = self.sim.raw("update", GET)
        _, headers, rest = read_head(s)
        data, _ = read_to_close(s)
        s.close()
        self.assertEqual(int(headers["content-length"]), 1000)
        self.assertEqual(rest + data, BODY)

    def test_short_default_sends_half(self):
        self.set_fault("update", "/f/data.bin", "short")
        s = self.sim.raw("update", GET)
        _, headers, rest = read_head(s)
        data, _ = read_to_close(s)
        s.close()
        self.assertEqual(rest + data, BODY[:len(BODY) // 2])
        self.assertGreater(int(headers["content-length"]), len(rest + data))

    def test_chunked_has_no_content_length_and_decodes_to_the_body(self):
        self.set_fault("update", "/f/data.bin", "chunked", bytes=1000)
        s = self.sim.raw("update", GET)
        _, headers, rest = read_head(s)
        self.assertNotIn("content-length", headers)
        self.assertEqual(headers["transfer-encoding"], "chunked")
        raw = rest
        while not raw.endswith(b"0\r\n\r\n"):
            chunk = s.recv(65536)
            self.assertTrue(chunk, "closed before the last chunk")
            raw += chunk
        s.close()
        self.assertEqual(decode_chunks(raw), (BODY, True))
        self.assertEqual(raw.count(b"\r\n") // 2, 5)  # 4 chunks of data and the last one

    def test_chunked_cut_closes_before_the_last_chunk(self):
        self.set_fault("update", "/f/data.bin", "chunked", bytes=500, cut=1)
        s = self.sim.raw("update", GET)
        _, headers, rest = read_head(s)
        data, err = read_to_close(s)
        s.close()
        self.assertIsNone(err)
        body, complete = decode_chunks(rest + data)
        self.assertFalse(complete)
        self.assertEqual(body, BODY[:len(BODY) // 2])

    def test_trickle_spreads_the_body_over_time(self):
        self.set_content("update", "/f/small.bin", BODY[:100])
        self.set_fault("update", "/f/small.bin", "trickle", bytes=20, ms=100)
        s = self.sim.raw("update", b"GET /f/small.bin HTTP/1.1\r\nHost: x\r\n\r\n")
        t0 = time.monotonic()
        _, headers, data = read_head(s)
        arrivals = []
        while len(data) < 100:
            chunk = s.recv(65536)
            self.assertTrue(chunk)
            data += chunk
            arrivals.append(time.monotonic() - t0)
        s.close()
        self.assertEqual(int(headers["content-length"]), 100)
        self.assertEqual(data, BODY[:100])
        # Five pieces 100 ms apart: the last arrives after about 400 ms. Loose bounds.
        self.assertGreater(arrivals[-1], 0.25)
        self.assertLess(arrivals[-1], 5)
        self.assertGreaterEqual(len(arrivals), 3)

    def test_reset_breaks_the_connection_mid_body(self):
        self.set_fault("update", "/f/data.bin", "reset", bytes=600)
        s = self.sim.raw("update", GET)
        time.sleep(0.3)  # let the reset arrive
        try:
            status, headers, rest = read_head(s)
            data, err = read_to_close(s)
        except ConnectionResetError as e:
            status, headers, rest, data, err = None, {}, b"", b"", e
        s.close()
        self.assertIsInstance(err, ConnectionResetError)
        if status is not None:
            self.assertEqual(int(headers["content-length"]), len(BODY))
            self.assertLessEqual(len(rest + data), 600)

    def test_reset_is_seen_by_a_reading_client_after_partial_data(self):
        # Reading promptly (before the reset lands) gives the head and data first.
        self.set_fault("update", "/f/data.bin", "reset", bytes=600)
        got = b""
        err = None
        with socket.create_connection(("127.0.0.1", self.sim.ports["update"]), timeout=5) as s:
            s.sendall(GET)
            try:
                while True:
                    chunk = s.recv(65536)
                    if not chunk:
                        break
                    got += chunk
            except ConnectionResetError as e:
                err = e
        self.assertIsInstance(err, ConnectionResetError)
        self.assertFalse(got.endswith(BODY))

    def test_hang_answers_nothing_until_the_fault_is_cleared(self):
        self.set_fault("update", "/f/data.bin", "hang")
        s = self.sim.raw("update", GET, timeout=0.5)
        with self.assertRaises(socket.timeout):
            s.recv(1)
        # The request was read and logged even though it is not answered.
        self.assertEqual([e["path"] for e in self.sim.log()], ["/f/data.bin"])
        self.set_fault("update", "/f/data.bin", "none")
        s.settimeout(5)
        t0 = time.monotonic()
        data, err = read_to_close(s, limit=5)
        s.close()
        self.assertEqual((data, err), (b"", None))
        self.assertLess(time.monotonic() - t0, 3)

    def test_hang_with_a_count_is_released_by_reset(self):
        self.set_fault("update", "/f/data.bin", "hang", count=1)
        s = self.sim.raw("update", GET, timeout=0.4)
        with self.assertRaises(socket.timeout):
            s.recv(1)
        self.assertEqual(self.sim.get("update", "/f/data.bin")[2], BODY)  # the count is used up
        self.sim.reset()
        s.settimeout(5)
        self.assertEqual(read_to_close(s, limit=5), (b"", None))
        s.close()

    def test_hang_ms_gives_up_by_itself(self):
        self.set_fault("update", "/f/data.bin", "hang", ms=300)
        s = self.sim.raw("update", GET, timeout=5)
        t0 = time.monotonic()
        self.assertEqual(read_to_close(s, limit=5), (b"", None))
        s.close()
        self.assertGreater(time.monotonic() - t0, 0.2)

    def test_delay_answers_normally_later(self):
        self.set_fault("update", "/f/data.bin", "delay", ms=300)
        t0 = time.monotonic()
        status, _, data = self.sim.get("update", "/f/data.bin")
        self.assertEqual((status, data), (200, BODY))
        self.assertGreater(time.monotonic() - t0, 0.25)

    def test_a_fault_stays_on_its_host_and_path(self):
        self.set_content("web", "/f/data.bin", b"web copy")
        self.set_fault("update", "/f/data.bin", "status", code=500)
        self.assertEqual(self.sim.get("web", "/f/data.bin")[:3:2], (200, b"web copy"))
        self.assertEqual(self.sim.get("update", "/f/other.bin")[0], 404)
        self.assertEqual(self.sim.get("update", "/f/data.bin?any=query")[0], 500)

    def test_path_rule_prefix_with_query_and_exact_path_without(self):
        self.set_fault("beacon", "/ps.gif?id=2&gid=", "status", code=501)
        self.set_fault("beacon", "/ps.gif?id=2&gid=1036&e1=wd", "status", code=502)
        self.set_fault("beacon", "/ps.gif", "status", code=503)
        cases = [
            ("/ps.gif?id=2&gid=1036&e1=wd&e2=x", 502),  # the longest prefix wins
            ("/ps.gif?id=2&gid=7", 501),
            ("/ps.gif?id=3", 503),  # no prefix matches: the exact path
            ("/ps.gif", 503),
            ("/ps.gifx", 404),
            ("/ps", 404),
        ]
        for target, code in cases:
            with self.subTest(target=target):
                self.assertEqual(self.sim.get("beacon", target)[0], code)

    def test_bad_fault_requests_are_refused(self):
        cases = [
            dict(host="nowhere", path="/x", mode="status"),
            dict(host="web", path="x", mode="status"),
            dict(host="web", path="/x", mode="explode"),
            dict(host="web", path="/x", mode="status", code="abc"),
            dict(host="web", path="/x", mode="trickle", ms="1.5"),
            dict(host="web", path="/x", mode="status", count="0"),
        ]
        for params in cases:
            with self.subTest(params=params):
                status, _ = self.sim.control("fault", params)
                self.assertEqual(status, 400)
        self.assertEqual(self.sim.get("web", "/x")[0], 404)
        self.assertEqual(self.sim.control("fault", dict(host="web", path="/x", mode="status"), method="GET")[0], 404)

    def test_parallel_requests_are_served_while_one_hangs(self):
        self.set_fault("update", "/f/data.bin", "hang")
        s = self.sim.raw("update", GET, timeout=5)
        results = []
        threads = [threading.Thread(target=lambda: results.append(self.sim.get("update", "/Orvo/tavro/official/app.ini")[0]))
                   for _ in range(4)]
        for t in threads:
            t.start()
        for t in threads:
            t.join(5)
        self.assertEqual(results, [200] * 4)
        self.sim.reset()
        read_to_close(s, limit=5)
        s.close()


class StopReleasesHang(unittest.TestCase):
    def test_stopping_the_server_releases_a_hanging_request(self):
        sim = Sim()
        try:
            sim.control("fault", dict(host="web", path="/h", mode="hang"))
            s = sim.raw("web", b"GET /h HTTP/1.1\r\nHost: x\r\n\r\n", timeout=0.4)
            with self.assertRaises(socket.timeout):
                s.recv(1)
            t0 = time.monotonic()
            self.assertEqual(sim.stop(), 0)
            s.settimeout(5)
            data, err = read_to_close(s, limit=5)
            s.close()
            self.assertEqual(data, b"")
            self.assertTrue(err is None or isinstance(err, ConnectionResetError))
            self.assertLess(time.monotonic() - t0, 5)
        finally:
            sim.stop()


def decode_chunks(raw):
    """(body, complete) of a chunked body; complete when the last chunk was seen."""
    body = b""
    while raw:
        line, sep, raw = raw.partition(b"\r\n")
        if not sep:
            return body, False
        size = int(line, 16)
        if size == 0:
            return body, True
        body += raw[:size]
        if len(raw) < size + 2:
            return body, False
        raw = raw[size + 2:]
    return body, False


if __name__ == "__main__":
    unittest.main()
