#!/usr/bin/env python3
"""The real launcher under a real mouse (xdotool), in a Wine prefix and Xvfb of its
own, beside the simulator that with-sim started on the launcher's build ports. Under
Wine the login page always fails, so the network-error label shows. Clicks between
the letters of that label (which the colour-keyed window lets through to the backdrop)
must each ask for the login page again; the close button must ask its question, No
must keep the launcher running and Yes end it with 0. Writes GoogleTest-style XML.

    launcher_mouse_e2e.py --exe EXE --probe dialog_probe.exe --wine-dir cmake
                          --arch win64|win32 --xml RESULT.xml --shots DIR
"""
import argparse
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.request
import xml.etree.ElementTree as ET

QUESTION, NOTICE = "此操作将退出游戏，是否继续？", "提示"
LABEL = (575, 316, 895, 342)  # the status label and the close button in the login window
CLOSE = (989, 85, 1019, 114)


def wait_for(what, predicate, timeout=20.0):
    end = time.monotonic() + timeout
    while not (value := predicate()):
        if time.monotonic() > end:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.1)
    return value


class Session:
    def __init__(self, args):
        self.args, self.shots = args, 0
        self.tmp = tempfile.mkdtemp(prefix="gantry-mouse.")
        self.prefix = os.path.join(self.tmp, "prefix")
        self.env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "GANTRY_WINE_PREFIX")}
        self.fixture = os.path.join(args.wine_dir, "wine-fixture")
        self.runner = os.path.join(args.wine_dir, "wine-test")
        self.launcher = None

    def start(self):
        # Without DISPLAY the fixture starts an Xvfb for the prefix: no other test's windows.
        subprocess.run([self.fixture, "setup", self.prefix, self.args.arch], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, timeout=180)
        with open(self.prefix + ".display") as f:
            self.env["DISPLAY"] = f.read().strip()
        self.env["GANTRY_WINE_PREFIX"] = self.prefix
        # A session of its own, so that runner and loader can be ended by the group's id.
        self.launcher = subprocess.Popen([self.runner, self.args.exe], env=self.env, start_new_session=True,
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def stop(self):
        if self.launcher and self.launcher.poll() is None:
            os.killpg(self.launcher.pid, signal.SIGKILL)
            self.launcher.wait()
        subprocess.run([self.fixture, "cleanup", self.prefix, self.args.arch], env=self.env, timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shutil.rmtree(self.tmp, ignore_errors=True)

    def xdotool(self, *words):
        return subprocess.run(["xdotool", *words], env=self.env, capture_output=True, text=True,
                              timeout=30).stdout

    def click(self, x, y):
        self.xdotool("mousemove", str(x), str(y), "click", "1")

    def login_origin(self):
        """The login window's screen position once it is on screen (not parked)."""
        for wid in self.xdotool("search", "--onlyvisible", "--name", "^OrvoValdrenna$").split():
            g = dict(w.split("=", 1) for w in self.xdotool("getwindowgeometry", "--shell", wid).split())
            if g.get("WIDTH") == "1200" and int(g.get("X", "-1")) >= 0:
                return int(g["X"]), int(g["Y"])
        return None

    def label_strokes(self, name, origin):
        """Which pixels of the label are its yellow strokes; the screen is kept as a PNG."""
        self.shots += 1
        png = os.path.join(self.args.shots, "mouse-e2e-%02d-%s.png" % (self.shots, name))
        subprocess.run(["import", "-window", "root", png], env=self.env, check=True, timeout=30)
        _, size, _, body = subprocess.run(["convert", png, "-depth", "8", "ppm:-"], capture_output=True,
                                          check=True, timeout=30).stdout.split(b"\n", 3)
        width = int(size.split()[0])
        px = lambda x, y: body[(y * width + x) * 3:(y * width + x) * 3 + 3]
        return tuple(tuple(p[0] > 150 and p[1] > 150 and p[2] < 120
                           for p in (px(origin[0] + x, origin[1] + y) for x in range(LABEL[0], LABEL[2])))
                     for y in range(LABEL[1], LABEL[3]))

    def login_page_requests(self):
        with urllib.request.urlopen("http://%s/_sim/log" % os.environ["GANTRY_SIM_WEB"], timeout=10) as r:
            log = [json.loads(line) for line in r.read().decode().splitlines() if line.strip()]
        return sum(e["host"] == "web" and e["path"].startswith("/tavro/wd/index.html?") for e in log)

    def question(self):
        """The message box captioned NOTICE: its text and its Yes and No centres."""
        out = subprocess.run([self.runner, self.args.probe], env=self.env, capture_output=True, timeout=60)
        for line in out.stdout.decode("utf-8", "replace").splitlines():
            caption, text, yes, no = (line.split("\t") + [""] * 4)[:4]
            if caption == NOTICE:
                return {"text": text, "yes": tuple(map(int, yes.split(","))), "no": tuple(map(int, no.split(",")))}
        return None


def gaps(mask, origin, count):
    """Screen points between the strokes: middles of the runs of pixels, along rows
    through the text, that neither are nor touch a stroke."""
    touches = lambda r, c: any(mask[i][j] for i in range(max(0, r - 1), min(len(mask), r + 2))
                               for j in range(max(0, c - 1), min(len(mask[0]), c + 2)))
    found = []
    for r, row in enumerate(mask):
        strokes = [c for c, s in enumerate(row) if s]
        start = None
        for c in range(strokes[0], strokes[-1] + 1) if len(strokes) > 1 else ():
            if not touches(r, c):
                start = c if start is None else start
            elif start is not None:
                if c - start >= 2:
                    found.append((r, (start + c - 1) // 2))
                start = None
    assert len(found) >= count, "the label shows no gaps between its strokes"
    step = len(found) // count
    return [(origin[0] + LABEL[0] + c, origin[1] + LABEL[1] + r) for r, c in found[step // 2::step][:count]]


def retry_label_takes_clicks_between_its_letters(s):
    origin = wait_for("the login window on screen", s.login_origin, 60)
    shown = lambda mask: mask if any(map(any, mask)) else None
    error = wait_for("the retry label", lambda: shown(s.label_strokes("error", origin)), 60)
    before = s.login_page_requests()
    assert before >= 1, "the launcher never asked for the login page"
    for n, (x, y) in enumerate(gaps(error, origin, 3), 1):
        s.click(x, y)
        wait_for("request %d after a click at %d,%d" % (before + n, x, y), lambda: s.login_page_requests() >= before + n)
        # The retry fails again under Wine: the error label comes back for the next click.
        wait_for("the error label again", lambda: s.label_strokes("retry-%d" % n, origin) == error)
    time.sleep(0.5)
    assert s.login_page_requests() == before + 3, "more than one request per click"


def close_button_asks_and_no_keeps_the_launcher_running(s):
    origin = wait_for("the login window on screen", s.login_origin, 60)
    for answer in ("no", "yes"):
        s.click(origin[0] + (CLOSE[0] + CLOSE[2]) // 2, origin[1] + (CLOSE[1] + CLOSE[3]) // 2)
        box = wait_for("the question", s.question)
        assert box["text"] == QUESTION, "the question reads %r" % box["text"]
        s.click(*box[answer])
        wait_for("the question to go", lambda: not s.question())
        if answer == "no":
            assert s.launcher.poll() is None and s.login_origin() == origin, "the launcher went after No"
    wait_for("the launcher to end after Yes", lambda: s.launcher.poll() is not None)
    assert s.launcher.returncode == 0, "exit code %r after Yes" % s.launcher.returncode


def main():
    ap = argparse.ArgumentParser()
    for name in ("--exe", "--probe", "--wine-dir", "--xml", "--shots", "--arch"):
        ap.add_argument(name, required=True)
    args = ap.parse_args()
    os.makedirs(args.shots, exist_ok=True)
    suite = ET.Element("testsuite", name="LauncherUnderAMouse")
    failed = False
    session = Session(args)
    try:
        session.start()
        for test in (retry_label_takes_clicks_between_its_letters, close_button_asks_and_no_keeps_the_launcher_running):
            case = ET.SubElement(suite, "testcase", classname="LauncherUnderAMouse", name=test.__name__)
            try:
                test(session)
                print("[    OK] " + test.__name__, flush=True)
            except AssertionError as e:
                failed = True
                ET.SubElement(case, "failure", message=str(e))
                print("[FAILED] %s: %s" % (test.__name__, e), flush=True)
    finally:
        session.stop()
        root = ET.Element("testsuites")
        root.append(suite)
        ET.ElementTree(root).write(args.xml, encoding="utf-8", xml_declaration=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
