"""Content overrides serve exactly the bytes set, on their own host and path only."""
import unittest

from simtest import SimTestCase, read_head, read_to_close


class ContentOverrides(SimTestCase):
    def test_override_serves_the_exact_bytes_with_a_length(self):
        body = b"[version]\r\ncurrentversion=3.0.1.0\r\nupgraderange=2000-4000\r\n\x00\xff"
        self.set_content("update", "/Orvo/tavro/official/app.ini", body)
        status, headers, data = self.sim.get("update", "/Orvo/tavro/official/app.ini")
        self.assertEqual(status, 200)
        self.assertEqual(data, body)
        self.assertEqual(int(headers["content-length"]), len(body))
        self.assertEqual(headers["content-type"], "text/plain")

    def test_type_is_taken_from_the_request_or_guessed(self):
        cases = [
            ("/a.html", None, "text/html; charset=utf-8"),
            ("/a.exe", None, "application/octet-stream"),
            ("/a.gif", None, "image/gif"),
            ("/a", "text/x-custom", "text/x-custom"),
        ]
        for path, ctype, expected in cases:
            with self.subTest(path=path):
                params = {"type": ctype} if ctype else {}
                self.set_content("web", path, b"x", **params)
                self.assertEqual(self.sim.get("web", path)[1]["content-type"], expected)

    def test_empty_override_is_an_empty_200(self):
        self.set_content("web", "/kefu.html", b"")
        status, headers, data = self.sim.get("web", "/kefu.html?gid=1036")
        self.assertEqual((status, data, headers["content-length"]), (200, b"", "0"))

    def test_override_applies_to_its_host_only_and_any_query(self):
        self.set_content("web", "/x.bin", b"web")
        self.assertEqual(self.sim.get("web", "/x.bin?a=1")[2], b"web")
        self.assertEqual(self.sim.get("login", "/x.bin")[0], 404)

    def test_override_with_query_matches_by_prefix(self):
        self.set_content("union", "/web/ajax70?uId2=", b"seventy")
        self.assertEqual(self.sim.get("union", "/web/ajax70?uId2=XBRQMWTZKD&r=x")[2], b"seventy")
        self.assertEqual(self.sim.get("union", "/web/ajax70?other=1")[2], b'{"result":0}')

    def test_override_replaces_a_built_in_page_until_removed_or_reset(self):
        status, _, page = self.sim.get("web", "/bbs.html?gid=1036")
        self.assertEqual(status, 200)
        self.set_content("web", "/bbs.html", b"mine")
        self.assertEqual(self.sim.get("web", "/bbs.html?gid=1036")[2], b"mine")
        self.set_content("web", "/bbs.html", b"", remove=1)
        self.assertEqual(self.sim.get("web", "/bbs.html?gid=1036")[2], page)
        self.set_content("web", "/bbs.html", b"again")
        self.sim.reset()
        self.assertEqual(self.sim.get("web", "/bbs.html?gid=1036")[2], page)

    def test_large_binary_override(self):
        body = bytes(range(256)) * 4096  # 1 MiB
        self.set_content("update", "/Orvo/tavro/official/Orvotavro.exe", body)
        self.assertEqual(self.sim.get("update", "/Orvo/tavro/official/Orvotavro.exe")[2], body)

    def test_paths_are_compared_as_received_without_decoding(self):
        self.set_content("web", "/a+b&c.html", b"plus")  # "+" and "&" survive the control query
        self.assertEqual(self.sim.get("web", "/a+b&c.html")[2], b"plus")
        self.assertEqual(self.sim.get("web", "/a b&c.html".replace(" ", "%20"))[0], 404)
        self.set_content("web", "/a%20b", b"encoded")
        self.assertEqual(self.sim.get("web", "/a%20b")[2], b"encoded")
        self.assertEqual(self.sim.get("web", "/a%20B")[0], 404)

    def test_a_registered_path_matches_the_raw_bytes_of_the_request_target(self):
        self.set_content("web", "/中文.html", b"utf8")  # sent percent-encoded as UTF-8
        s = self.sim.raw("web", "GET /中文.html HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n".encode("utf-8"))
        status, headers, rest = read_head(s)
        data, err = read_to_close(s)
        s.close()
        self.assertEqual((status, rest + data, err), (200, b"utf8", None))

    def test_bad_content_requests_are_refused(self):
        self.assertEqual(self.sim.control("content", dict(host="nowhere", path="/x"), body=b"x")[0], 400)
        self.assertEqual(self.sim.control("content", dict(host="web", path=""), body=b"x")[0], 400)
        self.assertEqual(self.sim.control("content", dict(host="web", path="/x"), method="GET")[0], 404)


if __name__ == "__main__":
    unittest.main()
