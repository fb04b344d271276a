#!/usr/bin/env python3
"""Checks the size limits of the product sources: no file over 600 lines and no
function body over 60 lines. Prints each breach and exits 1 when there is one.

Functions are found the way clang-format lays them out here: a definition whose
line ends in "{" at some indent and whose body ends at the first "}" line with
the same indent."""
import argparse
import os
import re
import sys

PRODUCT_DIRS = ("app", "ui", "browser", "net")
MAX_FILE_LINES = 600
MAX_FUNCTION_LINES = 60

# A definition's first line: a parameter list closed and the body opened, not a
# control statement, a lambda's or an aggregate's brace.
DEFINITION = re.compile(r"^(\s*)(?!(?:if|for|while|switch|catch|do|else|return)\b)[^=;]*\)[^;=()]*\{$")


def unbalanced(lines):
    text = "".join(lines)
    return text.count(")") > text.count("(")


def functions(lines):
    """Yields (first line number, body length) for each function definition."""
    i = 0
    while i < len(lines):
        m = DEFINITION.match(lines[i])
        if not m or lines[i].lstrip().startswith(("#", "//")):
            i += 1
            continue
        # A signature or an initializer list over several lines: the body closes
        # at the indent of the definition's first line.
        start = i
        while start > 0 and (lines[start].lstrip().startswith(":") or unbalanced(lines[start : i + 1])):
            start -= 1
        closing = re.match(r"\s*", lines[start]).group(0) + "}"
        for j in range(i + 1, len(lines)):
            if lines[j].rstrip() == closing or lines[j].rstrip().startswith(closing + " //"):
                yield i + 1, j - i - 1
                break
        i += 1


def check_file(path, out):
    with open(path, encoding="utf-8", errors="replace") as f:
        lines = f.read().split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    breaches = 0
    if len(lines) > MAX_FILE_LINES:
        out.write(f"{path}: {len(lines)} lines (at most {MAX_FILE_LINES})\n")
        breaches += 1
    for first, length in functions(lines):
        if length > MAX_FUNCTION_LINES:
            out.write(f"{path}:{first}: function body of {length} lines (at most {MAX_FUNCTION_LINES})\n")
            breaches += 1
    return breaches


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("root", nargs="?", default=os.path.join(os.path.dirname(__file__), ".."))
    parser.add_argument("files", nargs="*", help="check these files instead of the product folders")
    args = parser.parse_args()
    paths = list(args.files)
    if not paths:
        for top in PRODUCT_DIRS:
            for folder, _, names in os.walk(os.path.join(args.root, top)):
                paths += [os.path.join(folder, n) for n in sorted(names) if n.endswith((".h", ".cpp"))]
    breaches = sum(check_file(p, sys.stdout) for p in sorted(paths))
    print(f"{len(paths)} files checked, {breaches} over the limits")
    return 1 if breaches else 0


if __name__ == "__main__":
    sys.exit(main())
