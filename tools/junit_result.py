"""One test case as a JUnit XML result file, the form tools/test_summary.py counts.

Shared by the static checks and the fuzz runner, which are not GoogleTest programs.
"""
import os
from xml.sax.saxutils import escape, quoteattr


def write_result(path, suite, case, failures, seconds=None, output=""):
    """Writes one test case; `failures` is a list of messages (empty: passed)."""
    time = f" time={quoteattr(f'{seconds:.3f}')}" if seconds is not None else ""
    body = "".join(f"<failure message={quoteattr(m)}>{escape(output)}</failure>" for m in failures)
    failed = 1 if failures else 0
    os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n'
                f'<testsuites tests="1" failures="{failed}" errors="0">'
                f'<testsuite name={quoteattr(suite)} tests="1" failures="{failed}">'
                f'<testcase classname={quoteattr(suite)} name={quoteattr(case)}{time}>{body}</testcase>'
                "</testsuite></testsuites>\n")
