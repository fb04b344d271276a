#!/usr/bin/env python3
"""Runs one libFuzzer target for a bounded number of inputs and records the result.

Usage: run_fuzz.py --target EXE --corpus DIR --work DIR --runs N --xml FILE [--dict FILE]

The committed corpus DIR (seeds and inputs that once crashed) is replayed first, then
the fuzzer mutates for N more inputs with a fixed seed, so a run is repeatable. New
inputs go to WORK/corpus, never into the repository; a crash leaves its input in
WORK/ as crash-*, leak-* or timeout-* (copy it into the committed corpus once the
fault is mended, so every later run replays it). The result is one test case in a
JUnit-style FILE, which tools/test_summary.py counts like a GoogleTest result.
Exits with the fuzzer's code.
"""
import argparse
import os
import shutil
import subprocess
import sys
import time

from junit_result import write_result


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--target", required=True)
    ap.add_argument("--corpus", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--runs", type=int, required=True)
    ap.add_argument("--xml", required=True)
    ap.add_argument("--dict")
    ap.add_argument("--seed", type=int, default=int(os.environ.get("GANTRY_FUZZ_SEED", "1")))
    args = ap.parse_args()

    name = os.path.basename(args.target)
    scratch = os.path.join(args.work, "corpus")
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    command = [args.target, f"-runs={args.runs}", f"-seed={args.seed}", "-max_total_time=60",
               "-timeout=10", "-rss_limit_mb=1024", "-print_final_stats=1",
               f"-artifact_prefix={os.path.join(args.work, '')}"]
    if args.dict:
        command.append(f"-dict={args.dict}")
    command += [scratch, args.corpus]  # new inputs go to the first directory only

    start = time.monotonic()
    proc = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                          errors="replace")
    seconds = time.monotonic() - start
    sys.stdout.write(proc.stdout)

    failures = [f"{name} exited with {proc.returncode}"] if proc.returncode != 0 else []
    tail = "\n".join(proc.stdout.splitlines()[-40:])
    write_result(args.xml, "fuzz", name, failures, seconds, tail)
    return proc.returncode


if __name__ == "__main__":
    sys.exit(main())
