#!/usr/bin/env python3
"""Mutation testing of the plain C++ logic against its native GoogleTest programs.

Each mutant (one small change to one source file) is written into the file, only
the native test programs that link that file are rebuilt (ninja, in a build
directory of its own, so build/native stays as it is), and those tests run under
a timeout. A mutant is killed when the build or a test fails or times out;
otherwise it survives. The file is always restored: in a finally block, and from
the backup FILE.mutate-orig left beside it if an earlier run was cut off.

  tools/mutate.py                                  every *_logic source with a native test
  tools/mutate.py --files browser/windows/GameLayout.cpp --max 20 --sample 1
  tools/mutate.py --list --files ui/Foo.cpp        show the mutants, build nothing

Operators: < <= > >= == != && || swapped; binary + and - swapped; an integer
constant c made c + 1; true and false swapped; a "!" removed; width/height,
left/right, top/bottom and min/max swapped in names the file uses; an assignment or
increment deleted, and a guarded early "return" deleted where code follows it.
Comments, string and character literals, preprocessor lines, template brackets and
the tokens -> << >> are never touched.

Standard library only.
"""

import argparse
import fcntl
import json
import os
import random
import re
import shlex
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BACKUP_SUFFIX = ".mutate-orig"

# --- A small C++ lexer ------------------------------------------------------------

PUNCTUATORS = sorted(
    """<<= >>= ->* ... :: -> ++ -- << >> <= >= == != && || += -= *= /= %= &= |= ^= ## .*
    { } [ ] ( ) ; : ? . , + - * / % ^ & | ~ ! = < > #""".split(),
    key=len,
    reverse=True,
)
IDENT = re.compile(r"[A-Za-z_]\w*")
NUMBER = re.compile(r"(?:0[xX][0-9A-Fa-f']+|\d[\d']*\.?\d*(?:[eE][+-]?\d+)?|\.\d+)[A-Za-z]*")
STRING_PREFIX = re.compile(r"(?:u8|u|U|L)?R?(?=[\"'])")


class Token:
    __slots__ = ("kind", "text", "start", "end", "line")

    def __init__(self, kind, text, start, end, line):
        self.kind, self.text, self.start, self.end, self.line = kind, text, start, end, line


def lex(src):
    """Tokens of src without comments and preprocessor lines; string and character
    literals come as one token each (kind "str") so nothing inside them mutates."""
    tokens, i, line, n = [], 0, 1, len(src)
    at_line_start = True
    while i < n:
        c = src[i]
        if c == "\n":
            line, i, at_line_start = line + 1, i + 1, True
            continue
        if c in " \t\r\f\v":
            i += 1
            continue
        if c == "#" and at_line_start:  # a directive, with its continuation lines
            while i < n and src[i] != "\n":
                if src[i] == "\\" and i + 1 < n and src[i + 1] == "\n":
                    line += 1
                    i += 1
                i += 1
            continue
        at_line_start = False
        if src.startswith("//", i):
            while i < n and src[i] != "\n":
                i += 1
            continue
        if src.startswith("/*", i):
            end = src.find("*/", i + 2)
            end = n if end < 0 else end + 2
            line += src.count("\n", i, end)
            i = end
            continue
        m = STRING_PREFIX.match(src, i)
        if m and i + len(m.group(0)) < n:
            prefix = m.group(0)
            q = i + len(prefix)
            if prefix.endswith("R") and src[q] == '"':  # raw string R"delim( ... )delim"
                paren = src.find("(", q)
                delim = src[q + 1 : paren]
                end = src.find(")" + delim + '"', paren)
                end = n if end < 0 else end + len(delim) + 2
            else:
                quote, end = src[q], q + 1
                while end < n and src[end] != quote:
                    end += 2 if src[end] == "\\" else 1
                end += 1
            tokens.append(Token("str", src[i:end], i, end, line))
            line += src.count("\n", i, end)
            i = end
            continue
        m = NUMBER.match(src, i)
        if m and (c.isdigit() or (c == "." and i + 1 < n and src[i + 1].isdigit())):
            tokens.append(Token("num", m.group(0), i, m.end(), line))
            i = m.end()
            continue
        m = IDENT.match(src, i)
        if m:
            tokens.append(Token("id", m.group(0), i, m.end(), line))
            i = m.end()
            continue
        for p in PUNCTUATORS:
            if src.startswith(p, i):
                tokens.append(Token("op", p, i, i + len(p), line))
                i += len(p)
                break
        else:
            i += 1
    return tokens


# Tokens that may appear between the angle brackets of a template argument list.
TEMPLATE_INNER = {"::", ",", "*", "&", "&&", "<", ">", "...", "(", ")"}
KEYWORDS = {
    "alignas", "alignof", "auto", "bool", "break", "case", "catch", "char", "class", "const",
    "constexpr", "continue", "decltype", "default", "delete", "do", "double", "else", "enum",
    "explicit", "extern", "false", "float", "for", "friend", "goto", "if", "inline", "int", "long",
    "mutable", "namespace", "new", "noexcept", "nullptr", "operator", "private", "protected",
    "public", "return", "short", "signed", "sizeof", "static", "static_assert", "static_cast",
    "struct", "switch", "template", "this", "throw", "true", "try", "typedef", "typename", "union",
    "unsigned", "using", "virtual", "void", "volatile", "wchar_t", "while",
}


def template_brackets(tokens):
    """Indexes of the "<" and ">" tokens that bracket template arguments: a "<"
    after a name whose closing ">" follows with only names, numbers and type
    punctuation in between (a comparison has operands like calls or "||")."""
    marked = set()
    for k, t in enumerate(tokens):
        if t.text != "<" or k == 0 or tokens[k - 1].kind != "id" or k in marked:
            continue
        depth, j, inner = 1, k + 1, []
        while j < len(tokens) and depth:
            u = tokens[j]
            if u.text == "<":
                depth += 1
            elif u.text == ">":
                depth -= 1
            elif u.text == ">>":
                depth -= 2
            elif u.kind not in ("id", "num") and u.text not in TEMPLATE_INNER:
                break
            inner.append(j)
            j += 1
        if depth <= 0:
            marked.add(k)
            marked.update(x for x in inner if tokens[x].text in ("<", ">"))
    return marked


class Mutant:
    __slots__ = ("start", "end", "replacement", "line", "original")

    def __init__(self, start, end, replacement, line, original):
        self.start, self.end, self.replacement, self.line, self.original = (
            start, end, replacement, line, original)

    def apply(self, src):
        return src[: self.start] + self.replacement + src[self.end :]


SWAPS = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "==", "&&": "||", "||": "&&",
         "true": "false", "false": "true"}
# Names whose mix-up is a swapped coordinate or bound: a name containing one part
# is also tried with the other, where the file uses that name too.
NAME_SWAPS = [("width", "height"), ("Width", "Height"), ("left", "right"), ("Left", "Right"),
              ("top", "bottom"), ("Top", "Bottom"), ("min", "max")]
# Tokens after which a "+" or "-" is binary (an operand ends there).
OPERAND_END = {"id", "num"}


def bump_number(text):
    m = re.match(r"(0[xX][0-9A-Fa-f]+|\d+)([uUlL]*)$", text.replace("'", ""))
    if not m:
        return None  # floating point: left alone
    digits, suffix = m.groups()
    value = int(digits, 0) + 1
    return (hex(value) if digits[:2] in ("0x", "0X") else str(value)) + suffix


def matching_open(tokens, k):
    """Index of the "(" matching the ")" at k."""
    depth = 0
    for j in range(k, -1, -1):
        if tokens[j].text == ")":
            depth += 1
        elif tokens[j].text == "(":
            depth -= 1
            if depth == 0:
                return j
    return -1


def statement_end(tokens, k):
    depth = 0
    for j in range(k, len(tokens)):
        t = tokens[j].text
        if t in "([{":
            depth += 1
        elif t in ")]}":
            depth -= 1
            if depth < 0:
                return -1
        elif t == ";" and depth == 0:
            return j
    return -1


def deletable_statement(tokens, k):
    """The index of the ";" ending a statement starting at k that can be deleted
    and still compile with defined behaviour: an assignment or increment through
    a plain name (not a declaration), or a "return" guarded by if/else that is not
    the last statement of its block. -1 otherwise."""
    prev = tokens[k - 1].text if k else ";"
    t = tokens[k]
    guarded = prev == "else" or (prev == ")" and matching_open(tokens, k - 1) > 0
                                 and tokens[matching_open(tokens, k - 1) - 1].text in ("if",))
    if prev not in (";", "{", "}") and not guarded:
        return -1
    end = statement_end(tokens, k)
    if end < 0:
        return -1
    if t.text == "return":
        following = tokens[end + 1].text if end + 1 < len(tokens) else "}"
        return end if guarded and following != "}" else -1
    if t.text in ("++", "--"):
        return end
    if t.kind != "id" or t.text in KEYWORDS:
        return -1
    body = tokens[k:end]
    assign = next((j for j, u in enumerate(body)
                   if u.text in ("=", "+=", "-=", "*=", "/=", "|=", "&=", "^=", "++", "--")), -1)
    if assign <= 0:
        return -1
    lhs = body[:assign]
    for a, b in zip(lhs, lhs[1:]):  # "Type name =" or "T<X> name =" is a declaration
        if b.kind == "id" and (a.kind == "id" or a.text in (">", "&", "*")):
            return -1
    return end


def find_mutants(src):
    tokens = lex(src)
    templates = template_brackets(tokens)
    lines = src.split("\n")
    out = []
    # Names used after "." or "->", and the others: a swap stays within its kind.
    members = {t.text for k, t in enumerate(tokens) if t.kind == "id" and k and tokens[k - 1].text in (".", "->")}
    names = {t.text for k, t in enumerate(tokens) if t.kind == "id" and not (k and tokens[k - 1].text in (".", "->"))}
    names.update(("min", "max"))  # std::min and std::max

    def add(start, end, replacement, line):
        out.append(Mutant(start, end, replacement, line, src[start:end]))

    for k, t in enumerate(tokens):
        prev = tokens[k - 1] if k else None
        nxt = tokens[k + 1] if k + 1 < len(tokens) else None
        if t.text in SWAPS and (t.kind == "op" or t.kind == "id"):
            if t.text in ("<", ">") and k in templates:
                pass
            elif t.text == "&&" and (prev is None or prev.kind != "id" and prev.text not in (")", "]")):
                pass  # an rvalue reference, not a logical and
            else:
                add(t.start, t.end, SWAPS[t.text], t.line)
        elif t.text in ("+", "-") and t.kind == "op":
            binary = prev is not None and (prev.kind in OPERAND_END or prev.text in (")", "]"))
            if binary and prev.text not in KEYWORDS and prev.kind != "str" and (nxt is None or nxt.kind != "str"):
                add(t.start, t.end, "-" if t.text == "+" else "+", t.line)
        elif t.text == "!" and t.kind == "op":
            add(t.start, t.end, "", t.line)
        elif t.kind == "num":
            bumped = bump_number(t.text)
            if bumped is not None:
                add(t.start, t.end, bumped, t.line)
        if t.kind == "id" and (prev is None or prev.kind != "id" or prev.text == "return"):
            for a, b in NAME_SWAPS:
                for x, y in ((a, b), (b, a)):
                    swapped = t.text.replace(x, y)
                    known = members if prev is not None and prev.text in (".", "->") else names
                    if x in t.text and swapped in known and swapped != t.text:
                        add(t.start, t.end, swapped, t.line)
        end = deletable_statement(tokens, k) if t.kind in ("id", "op") else -1
        if end >= 0:
            add(t.start, tokens[end].end, ";", t.line)
    for m in out:
        m.original = lines[m.line - 1]
    return out


def mutated_line(src, m):
    """The mutant's first changed line, for the survivor list."""
    new = m.apply(src)
    line_start = src.rfind("\n", 0, m.start) + 1
    line_end = new.find("\n", line_start)
    return new[line_start : line_end if line_end >= 0 else len(new)]


# --- Build directory and which tests cover a source -------------------------------


def run(cmd, timeout=None, cwd=ROOT):
    """(exit code, output); the code is None on a timeout. The command runs in a
    session of its own, so a timeout or an interruption ends it with its children
    (a test program that hangs under ctest), and Ctrl-C reaches only this script."""
    p = subprocess.Popen(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                         universal_newlines=True, start_new_session=True)
    try:
        out, _ = p.communicate(timeout=timeout)
        return p.returncode, out
    except subprocess.TimeoutExpired:
        kill_group(p)
        return None, ""
    except BaseException:
        kill_group(p)
        raise


def kill_group(p):
    try:
        os.killpg(p.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    p.communicate()


def ensure_build_dir(build, preset):
    if not os.path.exists(os.path.join(build, "build.ninja")):
        print("configuring %s (preset %s)" % (build, preset), flush=True)
        code, out = run(["cmake", "--preset", preset, "-B", build])
        if code != 0:
            sys.exit("configure failed:\n" + out)


def object_of(build, source):
    with open(os.path.join(build, "compile_commands.json")) as f:
        for entry in json.load(f):
            if os.path.realpath(entry["file"]) != os.path.realpath(source):
                continue
            if entry.get("output"):
                return entry["output"]
            args = shlex.split(entry["command"])
            return args[args.index("-o") + 1]
    return None


def dependents(build, target):
    """The ninja outputs that use target directly."""
    code, out = run(["ninja", "-C", build, "-t", "query", target])
    if code != 0:
        return []
    result, section = [], None
    for line in out.splitlines():
        if line.strip() in ("input:", "outputs:"):
            section = line.strip()
        elif section == "outputs:" and line.startswith("    "):
            result.append(line.strip())
    return result


def native_tests(build):
    """ctest test name -> the executable it runs. ctest names the program only once
    it is built, so a test named after an executable target of the build counts
    too (gantry_native_test names each test after its program)."""
    code, out = run(["ctest", "--test-dir", build, "--show-only=json-v1"])
    if code != 0:
        sys.exit("ctest --show-only failed:\n" + out)
    code, targets = run(["ninja", "-C", build, "-t", "targets", "all"])
    executables = {}
    for line in targets.splitlines():
        target, _, rule = line.partition(": ")
        if "EXECUTABLE_LINKER" in rule:
            executables[os.path.basename(target)] = os.path.realpath(os.path.join(build, target))
    tests = {}
    for t in json.loads(out).get("tests", []):
        for arg in t.get("command") or []:
            path = os.path.realpath(arg)
            if path.startswith(os.path.realpath(build) + os.sep):
                tests[t["name"]] = path
                break
        else:
            if t["name"] in executables:
                tests[t["name"]] = executables[t["name"]]
    return tests


def covering_tests(build, source, tests):
    """(object, [ninja targets of the test programs], [ctest names]) for source."""
    obj = object_of(build, source)
    if obj is None:
        return None, [], []
    by_exe = {}
    for name, exe in tests.items():
        by_exe.setdefault(exe, []).append(name)
    seen, todo, exes = set(), [obj], []
    while todo:
        node = todo.pop()
        for out in dependents(build, node):
            if out in seen:
                continue
            seen.add(out)
            full = os.path.realpath(os.path.join(build, out))
            if full in by_exe:
                exes.append(out)
            elif out.endswith(".a") or out.endswith(".o"):
                todo.append(out)
    names = sorted(n for e in exes for n in by_exe[os.path.realpath(os.path.join(build, e))])
    return obj, sorted(exes), names


def default_sources():
    """The sources of the plain *_logic libraries, from target_sources() in the CMakeLists."""
    found = []
    for base, dirs, files in os.walk(ROOT):
        dirs[:] = [d for d in dirs if d not in ("build", "tests", "bench", ".git") and not d.startswith(".")]
        if "CMakeLists.txt" not in files:
            continue
        with open(os.path.join(base, "CMakeLists.txt")) as f:
            text = re.sub(r"#[^\n]*", "", f.read())
        for lib, body in re.findall(r"target_sources\(\s*(\w+_logic)\s+(?:PRIVATE|PUBLIC)([^)]*)\)", text):
            for src in body.split():
                if src.endswith(".cpp") and "$" not in src:
                    found.append(os.path.relpath(os.path.join(base, src), ROOT))
    return sorted(set(found))


# --- Running ------------------------------------------------------------------------


class Stop(Exception):
    pass


def on_term(signum, frame):
    raise Stop("signal %d" % signum)


def restore_leftovers(paths):
    for path in paths:
        backup = path + BACKUP_SUFFIX
        if os.path.exists(backup):
            print("restoring %s from an interrupted run" % path)
            os.replace(backup, path)


def build_and_test(build, exes, names, timeout):
    """'killed:build', 'killed:test', 'killed:timeout' or 'survived'."""
    code, _ = run(["ninja", "-C", build] + exes, timeout=600)
    if code != 0:
        return "killed:build"
    regex = "^(" + "|".join(re.escape(n) for n in names) + ")$"
    code, _ = run(["ctest", "--test-dir", build, "-R", regex, "--timeout", str(timeout), "-j2"],
                  timeout=timeout * max(1, len(names)) + 30)
    if code is None:
        return "killed:timeout"
    if code != 0:
        # ctest reports a test's timeout as a failure too.
        return "killed:test"
    return "survived"


def mutate_file(path, args, tests, results):
    """Runs the mutants of path, adding [file, mutants run, killed, survivors] to
    results and keeping it current, so an interrupted run still reports."""
    rel = os.path.relpath(path, ROOT)
    with open(path, newline="") as f:
        src = f.read()
    mutants = find_mutants(src)
    if args.sample is not None:
        random.Random(args.sample).shuffle(mutants)
    if args.max:
        mutants = mutants[: args.max]
        mutants.sort(key=lambda m: m.start)
    if args.list:
        for m in mutants:
            print("%s:%d: %s -> %s" % (rel, m.line, m.original.strip(), mutated_line(src, m).strip()))
        return
    _, exes, names = covering_tests(args.build_dir, path, tests)
    if not names:
        print("%s: no native test links it, skipped" % rel, flush=True)
        return
    print("%s: %d mutants, tests %s" % (rel, len(mutants), " ".join(names)), flush=True)
    if build_and_test(args.build_dir, exes, names, args.timeout) != "survived":
        print("%s: the tests fail without a mutant, skipped" % rel, flush=True)
        return
    entry = [rel, 0, 0, []]
    results.append(entry)
    backup = path + BACKUP_SUFFIX
    with open(backup, "w", newline="") as f:
        f.write(src)
    try:
        for i, m in enumerate(mutants, 1):
            with open(path, "w", newline="") as f:
                f.write(m.apply(src))
            started = time.time()
            verdict = build_and_test(args.build_dir, exes, names, args.timeout)
            text = "%s:%d: %s -> %s" % (rel, m.line, m.original.strip(), mutated_line(src, m).strip())
            entry[1] += 1
            if verdict == "survived":
                entry[3].append(text)
            else:
                entry[2] += 1
            if args.verbose:
                print("  [%d/%d] %-13s %4.1fs %s" % (i, len(mutants), verdict, time.time() - started, text),
                      flush=True)
    finally:
        with open(path, "w", newline="") as f:
            f.write(src)
        os.remove(backup)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--files", nargs="+", help="sources to mutate (default: every *_logic source)")
    parser.add_argument("--max", type=int, default=0, help="at most N mutants per file")
    parser.add_argument("--sample", type=int, help="pick the mutants at random with this seed")
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build", "mutate"))
    parser.add_argument("--preset", default="native", help="configure preset for a new build directory")
    parser.add_argument("--timeout", type=int, default=60, help="seconds per test program")
    parser.add_argument("--list", action="store_true", help="only list the mutants")
    parser.add_argument("-v", "--verbose", action="store_true", help="print each mutant's verdict")
    args = parser.parse_args()

    files = [os.path.abspath(f) for f in (args.files or default_sources())]
    # One run at a time per build directory: a second one would build the first
    # one's mutants and take its backups for leftovers.
    os.makedirs(args.build_dir, exist_ok=True)
    lock = open(os.path.join(args.build_dir, "mutate.lock"), "w")
    try:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except OSError:
        sys.exit("another mutation run is using %s" % args.build_dir)
    restore_leftovers(files)
    # Also when started in the background, where SIGINT would be ignored.
    signal.signal(signal.SIGINT, on_term)
    signal.signal(signal.SIGTERM, on_term)
    tests = {}
    if not args.list:
        ensure_build_dir(args.build_dir, args.preset)
        tests = native_tests(args.build_dir)
    results = []
    try:
        for path in files:
            mutate_file(path, args, tests, results)
    except (KeyboardInterrupt, Stop) as e:
        print("stopped (%s); the files are restored" % (e or "Ctrl-C"), file=sys.stderr)
    if args.list:
        return 0
    total = sum(r[1] for r in results)
    killed = sum(r[2] for r in results)
    print("\nkill rate per file:")
    for rel, count, k, _ in results:
        if count:
            print("  %-45s %3d/%3d killed  %5.1f %%" % (rel, k, count, 100.0 * k / count))
    survivors = [s for r in results for s in r[3]]
    if survivors:
        print("\nsurvivors:")
        for s in survivors:
            print("  " + s)
    rate = 100.0 * killed / total if total else 0.0
    print("\ntotal: %d/%d killed, %.1f %%, %d survived" % (killed, total, rate, total - killed))
    return 0


if __name__ == "__main__":
    sys.exit(main())
