#!/usr/bin/env python3
"""The real launcher under a real mouse: xdotool in an X display of its own.

Runs OrvoGantry.exe in a fresh Wine prefix with a private Xvfb, beside a platform
simulator on the ports the launcher was built for (started by with-sim, which
exports GANTRY_SIM_WEB). Under Wine the login page always fails, so the launcher
shows its network-error label. The test then clicks as a player does:

- three times between the letters of the retry label (on pixels that are not part
  of its strokes, which the colour-keyed login window lets through to the backdrop
  below): each click must give one more request for the login page;
- on the close button: the question must come, and No must keep the launcher
  running; Yes then ends it with exit code 0.

    launcher_mouse_e2e.py --exe OrvoGantry.exe --probe dialog_probe.exe
                          --wine-dir cmake --arch win64|win32 --xml RESULT.xml --shots DIR

--wine-dir holds the project's wine-fixture (the prefix and its Xvfb) and wine-test
(runs a program in that prefix).

Writes GoogleTest-style XML so the test summary counts its two cases. Standard
library only; needs xdotool and ImageMagick's import on the machine.
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

QUESTION = "此操作将退出游戏，是否继续？"
NOTICE = "提示"
LOGIN_PAGE = "/tavro/wd/index.html?"
# The login window's client layout (its artwork): the status label and the close button.
LABEL = (575, 316, 895, 342)
CLOSE = (989, 85, 1019, 114)
WAIT = 20.0


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, predicate, timeout=WAIT):
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.1)


class Session:
    """The prefix, its display, the launcher and the simulator's log."""

    def __init__(self, args):
        self.args = args
        self.tmp = tempfile.mkdtemp(prefix="gantry-mouse.")
        self.prefix = os.path.join(self.tmp, "prefix")
        self.env = dict(os.environ)
        self.env.pop("DISPLAY", None)  # the fixture then starts an Xvfb of its own
        self.env.pop("GANTRY_WINE_PREFIX", None)
        self.launcher = None
        self.shot = 0

    def start(self):
        subprocess.run([self.fixture, "setup", self.prefix, self.args.arch], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, timeout=180)
        with open(self.prefix + ".display") as f:
            self.env["DISPLAY"] = f.read().strip()
        self.env["GANTRY_WINE_PREFIX"] = self.prefix
        # A session of its own, so the whole group (runner, loader) can be ended by its id.
        self.launcher = subprocess.Popen([self.runner, self.args.exe], env=self.env, stdout=subprocess.DEVNULL,
                                         stderr=subprocess.DEVNULL, start_new_session=True)

    @property
    def fixture(self):
        return os.path.join(self.args.wine_dir, "wine-fixture")

    @property
    def runner(self):
        return os.path.join(self.args.wine_dir, "wine-test")

    def stop(self):
        if self.launcher and self.launcher.poll() is None:
            os.killpg(self.launcher.pid, signal.SIGKILL)
            self.launcher.wait()
        subprocess.run([self.fixture, "cleanup", self.prefix, self.args.arch], env=self.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        shutil.rmtree(self.tmp, ignore_errors=True)

    def xdotool(self, *words):
        return subprocess.run(["xdotool"] + list(words), env=self.env, capture_output=True, text=True,
                              timeout=30).stdout

    def click(self, x, y):
        self.xdotool("mousemove", str(x), str(y), "click", "1")

    def login_origin(self):
        """Screen position of the login window once it is on screen (not parked)."""
        for wid in self.xdotool("search", "--onlyvisible", "--name", "^OrvoValdrenna$").split():
            geometry = self.xdotool("getwindowgeometry", "--shell", wid)
            values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
            if values.get("WIDTH") == "1200" and int(values.get("X", "-1")) >= 0:
                return int(values["X"]), int(values["Y"])
        return None

    def screenshot(self, name):
        """The whole screen as (width, pixel function); also saved as PNG to look at."""
        self.shot += 1
        png = os.path.join(self.args.shots, "mouse-e2e-%02d-%s.png" % (self.shot, name))
        subprocess.run(["import", "-window", "root", png], env=self.env, check=True, timeout=30)
        ppm = subprocess.run(["convert", png, "-depth", "8", "ppm:-"], capture_output=True, check=True,
                             timeout=30).stdout
        magic, size, maxval, body = ppm.split(b"\n", 3)
        width, _ = map(int, size.split())
        return lambda x, y: tuple(body[(y * width + x) * 3:(y * width + x) * 3 + 3])

    def login_page_requests(self):
        with urllib.request.urlopen("http://%s/_sim/log" % os.environ["GANTRY_SIM_WEB"], timeout=10) as r:
            lines = r.read().decode("utf-8").splitlines()
        entries = [json.loads(line) for line in lines if line.strip()]
        return sum(1 for e in entries if e["host"] == "web" and e["path"].startswith(LOGIN_PAGE))

    def dialogs(self):
        out = subprocess.run([self.runner, self.args.probe], env=self.env, capture_output=True,
                             timeout=60).stdout.decode("utf-8", "replace")
        boxes = []
        for line in out.splitlines():
            parts = line.split("\t")
            if len(parts) == 4:
                boxes.append({"caption": parts[0], "text": parts[1],
                              "yes": tuple(map(int, parts[2].split(","))),
                              "no": tuple(map(int, parts[3].split(",")))})
        return boxes


def is_stroke(rgb):
    """The label's yellow (0x00FFFF as a COLORREF), anti-aliased or not."""
    return rgb[0] > 150 and rgb[1] > 150 and rgb[2] < 120


def label_mask(pixel, origin):
    ox, oy = origin
    return tuple(tuple(is_stroke(pixel(ox + x, oy + y)) for x in range(LABEL[0], LABEL[2]))
                 for y in range(LABEL[1], LABEL[3]))


def points_between_strokes(mask, origin, count):
    """Screen points inside the label's text span that are no stroke and touch none:
    the middles of the gaps along the rows through the text."""
    candidates = []
    for row in range(len(mask)):
        strokes = [i for i, s in enumerate(mask[row]) if s]
        if len(strokes) < 2:
            continue
        run_start = None
        for i in range(strokes[0], strokes[-1] + 1):
            clear = not any(mask[r][c] for r in range(max(0, row - 1), min(len(mask), row + 2))
                            for c in range(max(0, i - 1), min(len(mask[row]), i + 2)))
            if clear and run_start is None:
                run_start = i
            elif not clear and run_start is not None:
                if i - run_start >= 2:
                    candidates.append((row, (run_start + i - 1) // 2))
                run_start = None
    check(len(candidates) >= count, "the label shows no gaps between strokes")
    step = len(candidates) // count
    chosen = [candidates[k * step + step // 2] for k in range(count)]
    return [(origin[0] + LABEL[0] + c, origin[1] + LABEL[1] + r) for r, c in chosen]


def test_retry_label_takes_clicks_between_its_letters(s):
    origin = wait_for("the login window on screen", s.login_origin, 60)
    wait_for("the retry label", lambda: any(any(r) for r in label_mask(s.screenshot("error"), origin)), 60)
    error_mask = label_mask(s.screenshot("error-label"), origin)
    before = s.login_page_requests()
    check(before >= 1, "the launcher never asked for the login page")
    for n, (x, y) in enumerate(points_between_strokes(error_mask, origin, 3), 1):
        s.click(x, y)
        wait_for("login page request %d after a click at %d,%d" % (before + n, x, y),
                 lambda: s.login_page_requests() >= before + n)
        # The retry fails again under Wine: the error label comes back for the next click.
        wait_for("the error label again", lambda: label_mask(s.screenshot("retry-%d" % n), origin) == error_mask)
    time.sleep(0.5)
    check(s.login_page_requests() == before + 3, "expected exactly three more login page requests")


def test_close_button_asks_and_no_keeps_the_launcher_running(s):
    origin = wait_for("the login window on screen", s.login_origin, 60)
    close = (origin[0] + (CLOSE[0] + CLOSE[2]) // 2, origin[1] + (CLOSE[1] + CLOSE[3]) // 2)
    for answer in ("no", "yes"):
        s.click(*close)
        boxes = wait_for("the question", lambda: [b for b in s.dialogs() if b["caption"] == NOTICE])
        s.screenshot("question-" + answer)
        check(boxes[0]["text"] == QUESTION, "the question reads %r" % boxes[0]["text"])
        s.click(*boxes[0][answer])
        wait_for("the question to go", lambda: not [b for b in s.dialogs() if b["caption"] == NOTICE])
        if answer == "no":
            check(s.launcher.poll() is None, "the launcher ended after No")
            check(s.login_origin() == origin, "the login window went after No")
    wait_for("the launcher to end after Yes", lambda: s.launcher.poll() is not None)
    check(s.launcher.returncode == 0, "exit code %r after Yes" % s.launcher.returncode)


def write_xml(path, results, seconds):
    suite = ET.Element("testsuite", name="LauncherUnderAMouse", tests=str(len(results)),
                       failures=str(sum(1 for _, _, e in results if e)), time="%.3f" % seconds)
    for name, t, error in results:
        case = ET.SubElement(suite, "testcase", name=name, classname="LauncherUnderAMouse", time="%.3f" % t)
        if error:
            ET.SubElement(case, "failure", message=error).text = error
    root = ET.Element("testsuites")
    root.append(suite)
    ET.ElementTree(root).write(path, encoding="utf-8", xml_declaration=True)


def main():
    ap = argparse.ArgumentParser()
    for name in ("--exe", "--probe", "--wine-dir", "--xml", "--shots"):
        ap.add_argument(name, required=True)
    ap.add_argument("--arch", default="win64")
    args = ap.parse_args()
    os.makedirs(args.shots, exist_ok=True)
    tests = [("RetryLabelTakesClicksBetweenItsLetters", test_retry_label_takes_clicks_between_its_letters),
             ("CloseButtonAsksAndNoKeepsTheLauncherRunning", test_close_button_asks_and_no_keeps_the_launcher_running)]
    results = []
    t0 = time.monotonic()
    session = Session(args)
    try:
        session.start()
        for name, test in tests:
            t = time.monotonic()
            error = None
            try:
                test(session)
            except Failure as e:
                error = str(e)
            print("[%s] %s%s" % ("FAILED" if error else "    OK", name, ": " + error if error else ""), flush=True)
            results.append((name, time.monotonic() - t, error))
    finally:
        session.stop()
    write_xml(args.xml, results, time.monotonic() - t0)
    return 1 if any(e for _, _, e in results) else 0


if __name__ == "__main__":
    sys.exit(main())
