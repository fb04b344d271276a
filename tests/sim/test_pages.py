"""The simulated pages lead the browser through the launcher's marker URLs."""
import configparser
import html.parser
import unittest
import urllib.parse

from simtest import HOSTS, SimTestCase

LOGIN_QUERY = ("referer=orvoportal&frm=tavro&version=3000&installtime=20260102&runcount=1"
               "&curtime=20260102030405&showlogintype=3&regtimes=1")


class Page(html.parser.HTMLParser):
    """Links, forms (with their fields in document order) and the title of a page."""

    def __init__(self, text):
        super().__init__(convert_charrefs=True)
        self.links, self.forms, self.title, self.meta = [], [], "", []
        self._in_title = False
        self._select = None
        self.feed(text)

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "a":
            self.links.append(a)
        elif tag == "form":
            self.forms.append({"attrs": a, "fields": []})
        elif tag == "input" and self.forms and a.get("name") and "disabled" not in a:
            self.forms[-1]["fields"].append([a["name"], a.get("value", "")])
        elif tag == "select" and self.forms:
            self._select = [a.get("name"), None]
            self.forms[-1]["fields"].append(self._select)
        elif tag == "option" and self._select is not None:
            if self._select[1] is None or "selected" in a:
                self._select[1] = a.get("value", "")
        elif tag == "title":
            self._in_title = True
        elif tag == "meta":
            self.meta.append(a)

    def handle_endtag(self, tag):
        if tag == "title":
            self._in_title = False
        elif tag == "select":
            self._select = None

    def handle_data(self, data):
        if self._in_title:
            self.title += data

    def form(self, form_id):
        for f in self.forms:
            if f["attrs"].get("id") == form_id:
                return f
        raise AssertionError("no form %s" % form_id)

    def link(self, link_id):
        for a in self.links:
            if a.get("id") == link_id:
                return a
        raise AssertionError("no link %s" % link_id)

    def inputs(self, form_id):
        return [a for a in self.forms if a["attrs"].get("id") == form_id]


def submit(base_url, form, **values):
    """The URL a browser navigates to for a GET form, fields in document order."""
    fields = [(n, values.get(n, v)) for n, v in form["fields"]]
    action = urllib.parse.urljoin(base_url, form["attrs"].get("action", ""))
    return action + "?" + urllib.parse.urlencode(fields)


def url_param(key, url):
    """The launcher's reading of a query key: after the first key= up to the next &."""
    i = url.find(key + "=")
    if i < 0:
        return ""
    rest = url[i + len(key) + 1:]
    return rest.split("&", 1)[0]


class Pages(SimTestCase):
    def base(self, host):
        return "http://127.0.0.1:%d" % self.sim.ports[host]

    def fetch(self, url, expect=200):
        parts = urllib.parse.urlsplit(url)
        host = [h for h in HOSTS if self.sim.ports[h] == parts.port][0]
        target = parts.path + ("?" + parts.query if parts.query else "")
        status, headers, data = self.sim.get(host, target)
        self.assertEqual(status, expect, url)
        if status == 200 and headers["content-type"].startswith("text/html"):
            self.assertEqual(headers["content-type"], "text/html; charset=utf-8")
            return Page(data.decode("utf-8"))
        return data

    def login_url(self):
        return self.base("web") + "/tavro/wd/index.html?" + LOGIN_QUERY

    def log_in(self, name):
        page = self.fetch(self.login_url())
        url = submit(self.login_url(), page.form("login"), wd_username=name)
        return url, self.fetch(url)

    def test_login_navigation_ends_with_the_user_name(self):
        url, page = self.log_in("bob_7")
        self.assertTrue(url.startswith(self.base("web") + "/tavro/wd/index.html?referer=orvoportal&frm=tavro"))
        # The launcher takes everything after the marker: exactly the name.
        self.assertEqual(url[url.index("wd_username=") + len("wd_username="):], "bob_7")
        self.assertIn("bob_7", page.title + str(page.forms))

    def test_enter_game_url_carries_the_markers_and_serves_the_game(self):
        url, page = self.log_in("alice")
        enter = submit(url, page.form("enter-form"), wd_server="12")
        self.assertIn("wd_entergame=1", enter)
        self.assertEqual(url_param("wd_server", enter), "12")
        self.assertEqual(enter[enter.index("wd_username=") + len("wd_username="):], "alice")
        game = self.fetch(enter)
        self.assertIn("12服", game.title)
        ret = game.link("return")["href"]
        self.assertIn("wd_returnlogin=1", ret)
        self.assertIsInstance(self.fetch(ret), Page)

    def test_enter_game_is_offered_only_after_login(self):
        page = self.fetch(self.login_url())
        self.assertNotIn("wd_username", [n for n, _ in page.form("enter-form")["fields"]])
        self.assertIn('id="enter" type="submit" value="进入游戏" disabled', self.sim.get(
            "web", "/tavro/wd/index.html?" + LOGIN_QUERY)[2].decode())
        _, page = self.log_in("x")
        self.assertEqual(page.form("enter-form")["fields"][-1], ["wd_username", "x"])
        self.assertEqual(page.form("enter-form")["fields"][0], ["wd_entergame", "1"])

    def test_the_login_page_itself_serves_the_game_for_an_enter_game_query(self):
        game = self.fetch(self.base("web") + "/tavro/wd/index.html?wd_entergame=1&wd_server=3&wd_username=z")
        self.assertIn("wd_returnlogin=1", game.link("return")["href"])
        self.assertTrue(game.title.startswith("OrvoValdrenna"))

    def test_external_login_links_open_new_windows_on_the_login_host(self):
        page = self.fetch(self.login_url())
        for link_id, path in (("qq", "/qq?"), ("weibo", "/weibo?")):
            with self.subTest(link=link_id):
                a = page.link(link_id)
                self.assertEqual(a.get("target"), "_blank")
                self.assertTrue(a["href"].startswith(self.base("login") + path), a["href"])
                self.assertIn("//127.0.0.1:%d%s" % (self.sim.ports["login"], path), a["href"])

    def test_download_link_is_an_exe(self):
        href = self.fetch(self.login_url()).link("download")["href"]
        self.assertTrue(href.endswith(".exe"))
        data = self.fetch(href)
        self.assertTrue(data.startswith(b"MZ"))

    def external_login(self, provider, account):
        page = self.fetch(self.fetch(self.login_url()).link(provider)["href"])
        form = page.form("account-form")
        step = self.fetch(submit(self.base("login") + "/", form, account=account))
        return step.link("authorize")["href"]

    def test_qq_and_weibo_finish_at_the_return_address_with_the_continuation(self):
        for provider in ("qq", "weibo"):
            with self.subTest(provider=provider):
                back = self.external_login(provider, "张三 & co")
                marker = "//127.0.0.1:%d/server/wan/?" % self.sim.ports["game"]
                self.assertIn(marker, back)
                forward = urllib.parse.unquote_plus(url_param("forward", back))
                self.assertTrue(forward.startswith(self.base("web") + "/tavro/wd/index.html?referer=orvoportal"))
                name = forward[forward.index("wd_username=") + len("wd_username="):]
                self.assertEqual(urllib.parse.unquote(name), provider + "_张三 & co")
                page = self.fetch(forward)
                self.assertIn(provider + "_张三 &amp; co", self.sim.get("web", forward[len(self.base("web")):])[2].decode())
                self.assertEqual(page.form("enter-form")["fields"][-1][0], "wd_username")
                ret = self.fetch(back)
                self.assertEqual(ret.link("forward")["href"], forward)

    def test_external_login_without_an_account_asks_again(self):
        page = self.fetch(self.base("login") + "/qq?appid=1036&step=authorize&account=")
        self.assertEqual(page.inputs("account-form")[0]["attrs"]["action"], "/qq")
        self.assertIn("wd_returnlogin=1", page.link("cancel")["href"])

    def test_return_address_refuses_a_non_http_forward(self):
        data = self.sim.get("game", "/server/wan/?forward=javascript%3Aalert(1)")[2].decode()
        self.assertNotIn("javascript:", data)
        self.assertNotIn("refresh", data)

    def test_game_page_has_a_title_a_return_link_and_outside_links(self):
        game = self.fetch(self.base("web") + "/tavro/wd/game.html?wd_entergame=1&wd_server=3&wd_username=bob")
        self.assertEqual(game.title, "OrvoValdrenna - 3服 凤鸣")
        self.assertEqual(game.link("return")["href"], self.base("web") + "/tavro/wd/index.html?wd_returnlogin=1")
        self.assertEqual(game.link("pay")["target"], "_blank")
        self.assertEqual(game.link("pay")["href"], self.base("web") + "/pay.html?gid=1036&sid=3&uid=bob")
        self.assertTrue(game.link("download")["href"].endswith(".exe"))

    def test_platform_pages_answer_and_escape_what_they_show(self):
        for target in ("/tavro.html?frm=plox-wd&referer=plox", "/kefu.html?gid=1036", "/bbs.html?gid=1036",
                       "/pay.html?gid=1036&sid=3&uid=bob"):
            with self.subTest(target=target):
                self.assertIsInstance(self.fetch(self.base("web") + target), Page)
        data = self.sim.get("web", "/pay.html?gid=1036&sid=%3Cb%3E&uid=%3Cscript%3Ex")[2].decode()
        self.assertNotIn("<script>x", data)
        self.assertIn("&lt;script&gt;x", data)
        self.assertIn("&lt;b&gt;", data)
        data = self.sim.get("web", "/tavro/wd/index.html?wd_username=%22%3E%3Cscript%3E")[2].decode()
        self.assertNotIn('"><script>', data)

    def test_version_file_and_upgrader(self):
        status, headers, data = self.sim.get("update", "/Orvo/tavro/official/app.ini")
        self.assertEqual(status, 200)
        self.assertEqual(int(headers["content-length"]), len(data))
        ini = configparser.ConfigParser()
        ini.read_string(data.decode("ascii"))
        self.assertEqual(ini["version"]["currentversion"], "3.0.0.0")
        self.assertEqual(ini["version"]["upgraderange"], "")
        status, headers, data = self.sim.get("update", "/Orvo/tavro/official/Orvotavro.exe")
        self.assertEqual((status, headers["content-type"]), (200, "application/octet-stream"))
        self.assertEqual(int(headers["content-length"]), len(data))

    def test_statistics_endpoints(self):
        status, headers, data = self.sim.get("beacon", "/ps.gif?id=2&gid=1036&e1=wd&at=5")
        self.assertEqual((status, headers["content-type"], len(data)), (200, "image/gif", 43))
        self.assertTrue(data.startswith(b"GIF89a\x01\x00\x01\x00"))
        for path in ("/web/ajax70?uId2=XBRQMWTZKD&r=x&lO=tollis", "/web/ajax71?uId2=XBRQMWTZKD&r=x&lO=tollis"):
            self.assertEqual(self.sim.get("union", path)[0], 200)

    def test_unknown_paths_and_other_hosts_answer_404(self):
        cases = [("web", "/nothing"), ("web", "/qq?appid=1"), ("login", "/tavro/wd/index.html"),
                 ("game", "/tavro/wd/game.html"), ("update", "/ps.gif"), ("beacon", "/web/ajax70"),
                 ("union", "/Orvo/tavro/official/app.ini"), ("web", "/favicon.ico")]
        for host, target in cases:
            with self.subTest(host=host, target=target):
                self.assertEqual(self.sim.get(host, target)[0], 404)

    def test_head_requests_get_headers_only(self):
        status, headers, data = self.sim.request("update", "HEAD", "/Orvo/tavro/official/app.ini")
        self.assertEqual((status, data), (200, b""))
        self.assertGreater(int(headers["content-length"]), 0)


class VersionOption(SimTestCase):
    sim_args = ("--current-version", "3.0.1.0")

    def test_current_version_comes_from_the_command_line(self):
        data = self.sim.get("update", "/Orvo/tavro/official/app.ini")[2]
        self.assertIn(b"currentversion=3.0.1.0\r\n", data)


if __name__ == "__main__":
    unittest.main()
