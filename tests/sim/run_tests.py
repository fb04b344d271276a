#!/usr/bin/env python3
"""Runs the simulator's unittest modules (or those of --dir) and writes a JUnit-style
XML file, so that their cases count in the summary of scripts/test like the
GoogleTest programs'.

    run_tests.py [--dir DIR] [--xml FILE] [-k PATTERN]
"""
import argparse
import os
import sys
import time
import traceback
import unittest
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))


class RecordingResult(unittest.TextTestResult):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.cases = []  # (test id, seconds, outcome, message)
        self._started = {}

    def startTest(self, test):
        self._started[test.id()] = time.monotonic()
        super().startTest(test)

    def _record(self, test, outcome, message=""):
        start = self._started.get(test.id(), time.monotonic())
        self.cases.append((test.id(), time.monotonic() - start, outcome, message))

    def addSuccess(self, test):
        super().addSuccess(test)
        self._record(test, "pass")

    def addFailure(self, test, err):
        super().addFailure(test, err)
        self._record(test, "failure", "".join(traceback.format_exception(*err)))

    def addError(self, test, err):
        super().addError(test, err)
        self._record(test, "error", "".join(traceback.format_exception(*err)))

    def addSkip(self, test, reason):
        super().addSkip(test, reason)
        self._record(test, "skipped", reason)

    def addExpectedFailure(self, test, err):
        super().addExpectedFailure(test, err)
        self._record(test, "pass")

    def addUnexpectedSuccess(self, test):
        super().addUnexpectedSuccess(test)
        self._record(test, "failure", "unexpected success")

    def addSubTest(self, test, subtest, err):
        super().addSubTest(test, subtest, err)
        if err is not None:
            outcome = "failure" if issubclass(err[0], test.failureException) else "error"
            self._record(subtest, outcome, "".join(traceback.format_exception(*err)))


def write_xml(path, cases, seconds):
    suites = {}
    for test_id, secs, outcome, message in cases:
        suite, _, name = test_id.rpartition(".")
        suites.setdefault(suite, []).append((name, secs, outcome, message))
    root = ET.Element("testsuites", tests=str(len(cases)), name="platform_sim", time="%.3f" % seconds)
    for suite, items in suites.items():
        s = ET.SubElement(root, "testsuite", name=suite, tests=str(len(items)),
                          failures=str(sum(1 for i in items if i[2] == "failure")),
                          errors=str(sum(1 for i in items if i[2] == "error")),
                          skipped=str(sum(1 for i in items if i[2] == "skipped")))
        for name, secs, outcome, message in items:
            c = ET.SubElement(s, "testcase", name=name, classname=suite, time="%.3f" % secs)
            if outcome in ("failure", "error", "skipped"):
                ET.SubElement(c, outcome, message=message.splitlines()[-1] if message else outcome).text = message
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    ET.ElementTree(root).write(path, encoding="utf-8", xml_declaration=True)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--dir", default=HERE)
    ap.add_argument("--xml")
    ap.add_argument("-k", dest="pattern", action="append")
    args = ap.parse_args()
    top = os.path.abspath(args.dir)
    sys.path.insert(0, top)
    loader = unittest.TestLoader()
    if args.pattern:
        loader.testNamePatterns = ["*%s*" % p for p in args.pattern]
    suite = loader.discover(top, pattern="test_*.py", top_level_dir=top)
    runner = unittest.TextTestRunner(verbosity=2, resultclass=RecordingResult, stream=sys.stdout)
    t0 = time.monotonic()
    result = runner.run(suite)
    if args.xml:
        write_xml(args.xml, result.cases, time.monotonic() - t0)
    if result.testsRun == 0:
        print("no tests ran")
        return 1
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
