"""What each simulated host serves: the platform's pages, the version file, the
upgrader, the tracking image and the union statistics answers.

render() returns (status, content type, body bytes) or None for an unknown path.
Pages link to the other hosts by "127.0.0.1:port", the same text the launcher is
built with for the dev ports, so its marker tests match the links they follow.
Everything reflected from a query is HTML-escaped; pages use plain forms and links
(scripts only for cosmetics) so they work in the embedded browser of any version.
"""
import html
import urllib.parse

GAME_ID = "1036"
LOGIN_PATH = "/tavro/wd/index.html"
GAME_PATH = "/tavro/wd/game.html"
VERSION_PATH = "/Orvo/tavro/official/app.ini"
UPGRADER_PATH = "/Orvo/tavro/official/Orvotavro.exe"
# Keys of the launcher's login query, kept through the login form.
LOGIN_QUERY_KEYS = ("referer", "frm", "version", "installtime", "runcount", "curtime", "showlogintype",
                    "regtimes")
SERVERS = (("1", "1服 龙吟"), ("2", "2服 虎啸"), ("3", "3服 凤鸣"), ("12", "12服 麒麟"))

# A transparent 1 x 1 GIF.
PIXEL_GIF = (b"GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x01\x00\x00\x00\x00"
             b",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;")
# Default upgrader download: a placeholder; tests put real bytes there through the control API.
UPGRADER_BYTES = b"MZ" + b"\x00" * 62 + b"platform-sim placeholder upgrader\r\n"

HTML_TYPE = "text/html; charset=utf-8"

BASE_CSS = """
* { margin: 0; padding: 0; }
body { font-family: "Microsoft YaHei", "微软雅黑", "Noto Sans CJK SC", SimSun, sans-serif; font-size: 13px;
       color: #f3e6c4; background-color: #1b1420; overflow: hidden; }
a { color: #ffd36b; text-decoration: none; }
a:hover { color: #fff2c2; text-decoration: underline; }
.btn { display: inline-block; border: 1px solid #a8741d; color: #3b2200; font-weight: bold; cursor: pointer;
       background-color: #f0b43a; background-image: linear-gradient(#ffe08a, #e59a1c); padding: 0 16px;
       height: 30px; line-height: 30px; font-size: 14px; font-family: inherit; border-radius: 3px; }
.btn:hover { background-color: #ffc857; background-image: linear-gradient(#fff0b8, #f2ac2c); color: #3b2200;
             text-decoration: none; }
.btn[disabled] { background-color: #7d6a52; background-image: none; color: #3a3129; border-color: #5c4d3b;
                 cursor: default; }
input.text, select { height: 28px; line-height: 28px; border: 1px solid #6f5636; background: #2a1f16;
                     color: #fff6dc; padding: 0 6px; font-size: 14px; font-family: inherit; }
"""


def _page(title, css, body, extra_head=""):
    doc = ("<!DOCTYPE html>\n<html lang=\"zh-CN\"><head>\n"
           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
           "<meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge\">\n"
           "<title>%s</title>\n%s<style>%s%s</style>\n</head>\n<body>\n%s\n</body></html>\n"
           % (html.escape(title), extra_head, BASE_CSS, css, body))
    return 200, HTML_TYPE, doc.encode("utf-8")


def _e(text):
    return html.escape(text, quote=True)


class SecurePorts(dict):
    """The port object of a page asked for over https: its links are https too."""
    scheme = "https"


def _url(ports, host, path):
    return "%s://127.0.0.1:%d%s" % (getattr(ports, "scheme", "http"), ports[host], path)


def _hidden(name, value):
    return '<input type="hidden" name="%s" value="%s">' % (_e(name), _e(value))


def _server_name(server_id):
    for sid, name in SERVERS:
        if sid == server_id:
            return name
    return "%s服" % server_id if server_id else "未选择服务器"


# --- platform web host ------------------------------------------------------------

LOGIN_CSS = """
body { background-color: #120d16; }
.panel { position: relative; width: 536px; height: 354px; overflow: hidden;
         background-color: #241a2b; background-image: linear-gradient(160deg, #3a2540 0%, #1a1220 60%, #120d16 100%); }
.head { height: 62px; padding: 14px 0 0 28px; border-bottom: 1px solid #4d3552; }
.logo { font-size: 24px; font-weight: bold; color: #ffd36b; letter-spacing: 2px; }
.sub { font-size: 13px; color: #b59a7a; margin-left: 10px; }
.body { padding: 18px 28px 0 28px; }
.row { height: 40px; line-height: 40px; }
.row label { display: inline-block; width: 56px; color: #d9c39c; }
.row input.text { width: 236px; }
.row select { width: 250px; }
.row .btn { margin-left: 10px; width: 104px; padding: 0; text-align: center; }
.state { height: 26px; line-height: 26px; color: #9fe08a; padding-left: 56px; }
.state.out { color: #b59a7a; }
.other { position: absolute; left: 28px; bottom: 44px; color: #b59a7a; }
.other a { margin-left: 12px; padding: 3px 10px; border: 1px solid #6f5636; border-radius: 3px; }
.foot { position: absolute; left: 0; right: 0; bottom: 0; height: 32px; line-height: 32px; padding: 0 28px;
        background: #0e0a11; color: #7d6a52; font-size: 12px; }
.foot a { float: right; }
"""


def login_page(query, ports):
    """The login panel (536 x 354): user name, login, server choice, enter game."""
    values = dict(urllib.parse.parse_qsl(query, keep_blank_values=True))
    user = values.get("wd_username", "")
    kept = [(k, values[k]) for k in LOGIN_QUERY_KEYS if k in values]
    # The login navigation ends in "wd_username=" + name: the launcher reads the
    # name up to the end of the URL, so that field comes last.
    login_fields = "".join(_hidden(k, v) for k, v in kept)
    enter_fields = _hidden("wd_entergame", "1")
    options = "".join('<option value="%s"%s>%s</option>' % (_e(sid), " selected" if sid == "3" else "", _e(name))
                      for sid, name in SERVERS)
    ret = urllib.parse.quote(urllib.parse.urlencode(kept), safe="")
    qq = _url(ports, "login", "/qq?appid=%s&ret=%s" % (GAME_ID, ret))
    weibo = _url(ports, "login", "/weibo?appid=%s&ret=%s" % (GAME_ID, ret))
    if user:
        state = '<div class="state" id="state">已登录：<b id="user">%s</b></div>' % _e(user)
        enter_button = '<input class="btn" id="enter" type="submit" value="进入游戏">'
        enter_user = _hidden("wd_username", user)
    else:
        state = '<div class="state out" id="state">请先登录，再选择服务器进入游戏</div>'
        enter_button = '<input class="btn" id="enter" type="submit" value="进入游戏" disabled>'
        enter_user = ""
    body = """<div class="panel">
<div class="head"><span class="logo">OrvoValdrenna</span><span class="sub">账号登录</span></div>
<div class="body">
<form id="login" action="%(login_path)s" method="get">%(login_fields)s
<div class="row"><label for="name">账号</label><input class="text" id="name" name="wd_username" value="%(user)s" maxlength="32"><input class="btn" id="login-button" type="submit" value="登 录"></div>
</form>
%(state)s
<form id="enter-form" action="%(game_path)s" method="get">%(enter_fields)s
<div class="row"><label for="server">服务器</label><select id="server" name="wd_server">%(options)s</select>%(enter_button)s</div>
%(enter_user)s</form>
</div>
<div class="other">其他账号登录：<a id="qq" href="%(qq)s" target="_blank">QQ登录</a><a id="weibo" href="%(weibo)s" target="_blank">微博登录</a></div>
<div class="foot">版本 %(version)s · 渠道 %(referer)s<a id="download" href="%(download)s">下载微端客户端</a></div>
</div>
<script type="text/javascript">
var n = document.getElementById("name");
if (n && !n.value) { try { n.focus(); } catch (e) {} }
</script>""" % {
        "login_path": LOGIN_PATH, "login_fields": login_fields, "user": _e(user), "state": state,
        "game_path": _url(ports, "web", GAME_PATH), "enter_fields": enter_fields, "options": options,
        "enter_button": enter_button, "enter_user": enter_user, "qq": _e(qq), "weibo": _e(weibo),
        "version": _e(values.get("version", "-")), "referer": _e(values.get("referer", "-")),
        "download": _e(_url(ports, "update", UPGRADER_PATH)),
    }
    return _page("OrvoValdrenna 登录", LOGIN_CSS, body)


GAME_CSS = """
html, body { height: 100%; }
body { background-color: #0b0f14; }
.bar { height: 36px; line-height: 36px; padding: 0 16px; background: #15100a; border-bottom: 1px solid #5c4424; }
.bar .name { color: #ffd36b; font-weight: bold; }
.bar .server { color: #d9c39c; margin-left: 16px; }
.bar .links { float: right; }
.bar .links a { margin-left: 14px; }
.scene { position: absolute; top: 37px; left: 0; right: 0; bottom: 0; overflow: hidden;
         background-color: #1d2a1f; background-image: radial-gradient(circle at 50% 40%, #3c5a3a 0%, #1d2a1f 55%, #0b0f14 100%); }
.sun { position: absolute; left: 50%; top: 18%; width: 120px; height: 120px; margin-left: -60px;
       border-radius: 60px; background: #f3c04e; opacity: 0.85; }
.hills { position: absolute; left: 0; right: 0; bottom: 0; height: 38%; background: #233421;
         border-top: 3px solid #35502f; }
.hud { position: absolute; left: 24px; bottom: 24px; padding: 10px 16px; background: #15100a;
       border: 1px solid #5c4424; border-radius: 4px; }
.hud b { color: #ffd36b; }
.title { position: absolute; left: 0; right: 0; top: 32%; text-align: center; font-size: 40px; color: #fff2c2;
         letter-spacing: 8px; }
"""


def game_page(query, ports):
    values = dict(urllib.parse.parse_qsl(query, keep_blank_values=True))
    server = values.get("wd_server", "")
    user = values.get("wd_username", "")
    title = "OrvoValdrenna - %s" % _server_name(server)
    pay = _url(ports, "web", "/pay.html?gid=%s&sid=%s&uid=%s" % (GAME_ID, urllib.parse.quote(server, safe=""),
                                                                 urllib.parse.quote(user, safe="")))
    body = """<div class="bar"><span class="name" id="player">%(user)s</span><span class="server" id="server">%(server)s</span>
<span class="links"><a id="pay" href="%(pay)s" target="_blank">充值</a><a id="forum" href="%(forum)s" target="_blank">论坛</a><a id="download" href="%(download)s">下载微端</a><a id="return" href="%(ret)s">返回登录</a></span></div>
<div class="scene"><div class="sun"></div><div class="title">OrvoValdrenna</div><div class="hills"></div>
<div class="hud">角色 <b>%(user)s</b> · 服务器 <b>%(server)s</b> · 等级 <b>1</b></div></div>
<script type="text/javascript">
// A title change after load, as a real game client does when the scene is ready.
window.onload = function () { document.title = %(later_title)s; };
</script>""" % {
        "user": _e(user or "游客"), "server": _e(_server_name(server)), "pay": _e(pay),
        "forum": _e(_url(ports, "web", "/bbs.html?gid=" + GAME_ID)),
        "download": _e(_url(ports, "update", UPGRADER_PATH)),
        "ret": _e(_url(ports, "web", LOGIN_PATH + "?wd_returnlogin=1")),
        "later_title": _js_string(title + " - " + (user or "游客")),
    }
    return _page(title, GAME_CSS, body)


def _js_string(text):
    out = ['"']
    for ch in text:
        if ch.isalnum() and ord(ch) < 128 or ch in " -_.,:":
            out.append(ch)
        else:
            out.append("\\u%04x" % ord(ch) if ord(ch) < 0x10000 else ch)
    out.append('"')
    return "".join(out)


INFO_CSS = """
body { background-color: #f4efe6; color: #3b2f22; overflow: auto; }
.top { height: 56px; line-height: 56px; padding: 0 32px; background: #2b1d30; color: #ffd36b; font-size: 20px;
       font-weight: bold; }
.main { width: 720px; margin: 32px auto; padding: 24px 32px; background: #fffdf8; border: 1px solid #e0d3bd; }
.main h1 { font-size: 22px; margin-bottom: 16px; color: #6b3d12; }
.main p { line-height: 24px; margin-bottom: 8px; }
.main table { border-collapse: collapse; margin-top: 12px; }
.main td { border: 1px solid #e0d3bd; padding: 6px 14px; }
"""


def info_page(title, heading, paragraphs, rows=()):
    table = ""
    if rows:
        table = "<table>%s</table>" % "".join("<tr><td>%s</td><td id=\"%s\">%s</td></tr>" % (_e(k), _e(i), _e(v))
                                              for i, k, v in rows)
    body = '<div class="top">OrvoValdrenna</div><div class="main"><h1>%s</h1>%s%s</div>' % (
        _e(heading), "".join("<p>%s</p>" % _e(p) for p in paragraphs), table)
    return _page(title, INFO_CSS, body)


def web_page(path, query, ports):
    values = dict(urllib.parse.parse_qsl(query, keep_blank_values=True))
    if path == LOGIN_PATH:
        # The launcher opens the whole enter-game URL as the game page.
        if "wd_entergame=1" in query:
            return game_page(query, ports)
        return login_page(query, ports)
    if path == GAME_PATH:
        return game_page(query, ports)
    if path == "/tavro.html":
        return info_page("OrvoValdrenna 官网", "OrvoValdrenna 官方网站",
                         ["欢迎来到 OrvoValdrenna 的世界。", "来源：%s · %s" % (values.get("frm", "-"), values.get("referer", "-"))])
    if path == "/kefu.html":
        return info_page("客服中心", "客服中心", ["游戏编号 %s。" % values.get("gid", "-"), "客服热线：400-000-0000（每日 9:00-22:00）"])
    if path == "/bbs.html":
        return info_page("玩家论坛", "玩家论坛", ["游戏编号 %s 的讨论区。" % values.get("gid", "-"), "新手指南 · 活动公告 · 攻略心得"])
    if path == "/pay.html":
        return info_page("充值中心", "充值中心", ["请确认充值账号与服务器。"],
                         rows=(("gid", "游戏", values.get("gid", "")), ("sid", "服务器", values.get("sid", "")),
                               ("uid", "账号", values.get("uid", ""))))
    return None


# --- platform login host (external accounts) --------------------------------------------

EXTERNAL_CSS = """
body { background-color: #eef3f8; color: #243447; }
.box { width: 420px; margin: 24px auto; background: #fff; border: 1px solid #c9d6e3; border-radius: 4px; }
.box .top { height: 44px; line-height: 44px; padding: 0 20px; color: #fff; font-size: 16px; font-weight: bold; }
.qq .top { background: #12b7f5; }
.weibo .top { background: #e6162d; }
.box .inner { padding: 20px; }
.box p { line-height: 24px; margin-bottom: 10px; }
.box input.text { width: 366px; margin-bottom: 12px; background: #fff; color: #243447; border-color: #c9d6e3; }
.box .btn { width: 380px; text-align: center; padding: 0; }
.box .cancel { display: block; margin-top: 12px; text-align: center; color: #6a7f94; }
"""

PROVIDERS = {"/qq": ("qq", "QQ"), "/weibo": ("weibo", "微博")}


def external_login_page(path, query, ports):
    """Provider login in two steps: account, then authorisation, which ends at the
    game host's return address carrying the percent-encoded continuation."""
    kind, label = PROVIDERS[path]
    values = dict(urllib.parse.parse_qsl(query, keep_blank_values=True))
    ret = values.get("ret", "")
    account = values.get("account", "").strip()
    cancel = _url(ports, "web", LOGIN_PATH + "?wd_returnlogin=1")
    if values.get("step") != "authorize" or not account:
        hint = "<p>请输入账号。</p>" if values.get("step") == "authorize" else ""
        body = """<div class="box %(kind)s"><div class="top">%(label)s账号登录</div><div class="inner">
<p>使用%(label)s账号登录 OrvoValdrenna</p>%(hint)s
<form id="account-form" action="%(path)s" method="get">%(fields)s
<input class="text" id="account" name="account" maxlength="32" placeholder="%(label)s号/手机/邮箱">
<input class="text" id="password" type="password" name="pw" placeholder="密码">
<input class="btn" id="login-button" type="submit" value="登 录"></form>
<a class="cancel" id="cancel" href="%(cancel)s">取消</a></div></div>""" % {
            "kind": kind, "label": _e(label), "hint": hint, "path": path,
            "fields": _hidden("appid", values.get("appid", GAME_ID)) + _hidden("ret", ret) + _hidden("step", "authorize"),
            "cancel": _e(cancel),
        }
        return _page("%s账号登录" % label, EXTERNAL_CSS, body)
    # The login continues on the platform's login page with the account's name.
    name = "%s_%s" % (kind, account)
    forward = _url(ports, "web", LOGIN_PATH + "?" + (ret + "&" if ret else "") +
                   "wd_username=" + urllib.parse.quote(name, safe=""))
    back = _url(ports, "game", "/server/wan/?from=%s&forward=%s" % (kind, urllib.parse.quote(forward, safe="")))
    body = """<div class="box %(kind)s"><div class="top">%(label)s授权</div><div class="inner">
<p>OrvoValdrenna 将获得你的%(label)s公开信息（昵称、头像）。</p>
<p>当前账号：<b id="account">%(account)s</b></p>
<a class="btn" id="authorize" href="%(back)s">授权并登录</a>
<a class="cancel" id="cancel" href="%(cancel)s">取消</a></div></div>""" % {
        "kind": kind, "label": _e(label), "account": _e(account), "back": _e(back), "cancel": _e(cancel)}
    return _page("%s授权" % label, EXTERNAL_CSS, body)


def return_page(query):
    """The external login's return address: continues at the forward address."""
    values = dict(urllib.parse.parse_qsl(query, keep_blank_values=True))
    forward = values.get("forward", "")
    if not forward.lower().startswith(("http://", "https://")):
        return info_page("登录失败", "登录失败", ["缺少有效的返回地址。"])
    head = '<meta http-equiv="refresh" content="1;url=%s">\n' % _e(forward)
    body = ('<div class="main"><h1>登录成功</h1><p>正在返回游戏……</p><p><a id="forward" href="%s">如果没有自动跳转，请点击这里</a></p></div>'
            % _e(forward))
    return _page("登录成功", INFO_CSS, body, extra_head=head)


# --- dispatch -----------------------------------------------------------------------------

def render(host, target, ports, current_version):
    path, _, query = target.partition("?")
    if host == "web":
        return web_page(path, query, ports)
    if host == "login" and path in PROVIDERS:
        return external_login_page(path, query, ports)
    if host == "game" and path in ("/server/wan/", "/server/wan"):
        return return_page(query)
    if host == "update" and path == VERSION_PATH:
        ini = "[version]\r\ncurrentversion=%s\r\nupgraderange=\r\n" % current_version
        return 200, "text/plain", ini.encode("ascii")
    if host == "update" and path == UPGRADER_PATH:
        return 200, "application/octet-stream", UPGRADER_BYTES
    if host == "beacon" and path == "/ps.gif":
        return 200, "image/gif", PIXEL_GIF
    if host == "union" and path in ("/web/ajax70", "/web/ajax71"):
        return 200, "application/json", b'{"result":0}'
    return None


def not_found(target):
    body = ("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>404 Not Found</title></head>"
            "<body><h1>404 Not Found</h1><p>%s</p></body></html>\n" % _e(target.split("?", 1)[0]))
    return 404, HTML_TYPE, body.encode("utf-8")
