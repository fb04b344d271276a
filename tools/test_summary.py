#!/usr/bin/env python3
"""Sums the GoogleTest-style XML results of every build into one closing line.

Usage: test_summary.py BUILD_DIR... [--broken N] [--skipped N] [--ctest-failed NAME...]

Each build keeps its results in BUILD_DIR/test-results/*.xml (one file per test
program run). A test program that ctest saw fail but whose XML shows no failure
(it crashed, hung or never wrote its file) counts as one failed test, so a crash
can never hide behind a green sum. Each of the N configurations that did not
even build counts as one failure too. The N test runs that this machine could not
start (--skipped) count as skipped, never as passed.
"""
import os
import sys
import xml.etree.ElementTree as ET


def count_file(path):
    passed = failed = skipped = 0
    try:
        root = ET.parse(path).getroot()
    except (ET.ParseError, OSError):
        return 0, 1, 0
    for case in root.iter("testcase"):
        if case.get("status") == "notrun" or case.get("result") == "suppressed":
            skipped += 1
        elif case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        elif case.find("skipped") is not None or case.get("result") == "skipped":
            skipped += 1
        else:
            passed += 1
    return passed, failed, skipped


def main(argv):
    builds, ctest_failed = [], []
    broken = 0
    not_started = 0
    target = builds
    args = iter(argv[1:])
    for a in args:
        if a == "--ctest-failed":
            target = ctest_failed
        elif a == "--broken":
            broken = int(next(args, "0"))
        elif a == "--skipped":
            not_started = int(next(args, "0"))
        else:
            target.append(a)
    passed, failed, skipped = 0, broken, not_started
    per_name = {}
    for b in builds:
        d = os.path.join(b, "test-results")
        if not os.path.isdir(d):
            continue
        for f in sorted(os.listdir(d)):
            if f.endswith(".xml"):
                p, fl, s = count_file(os.path.join(d, f))
                passed, failed, skipped = passed + p, failed + fl, skipped + s
                per_name[(b, f[:-4])] = fl
    for entry in ctest_failed:
        b, _, name = entry.partition("::")
        if per_name.get((b, name), 0) == 0:
            failed += 1
    line = f"{passed} passed, {failed} failed"
    if skipped:
        line += f", {skipped} skipped"
    print(line)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
