#!/usr/bin/env python3
"""scripts/test-summary.py on ctest reports written here: what each suite's line and the total
say, and the exit status."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "test-summary.py")


def report(cases):
    """A ctest JUnit report of (name, status, skipped message or None) cases."""
    lines = ['<?xml version="1.0" encoding="UTF-8"?>', '<testsuite name="x" tests="0">']
    for name, status, skipped in cases:
        lines.append(f'<testcase name="{name}" classname="{name}" status="{status}">')
        if skipped is not None:
            lines.append(f'<skipped message="{skipped}"/>')
        lines.append("</testcase>")
    return "\n".join(lines + ["</testsuite>"])


def runs_log(tests):
    """ctest's log of the runs of these tests, one after the other, a test repeated when retried;
    each run's output holds a line that only looks like a heading."""
    return "".join(f"{i}/{len(tests)} Testing: {test}\n{i}/{len(tests)} Test: {test}\nOutput:\n"
                   f" 1/2 Testing: {test}\n<end of output>\nTest Passed.\n\n"
                   for i, test in enumerate(tests, 1))


class Summary(unittest.TestCase):
    def run_summary(self, reports):
        with tempfile.TemporaryDirectory() as directory:
            for name, content in reports.items():
                if name.endswith("-runs"):
                    with open(os.path.join(directory, name + ".log"), "w") as file:
                        file.write(runs_log(content))
                    continue
                with open(os.path.join(directory, name + ".xml"), "w") as file:
                    file.write(report(content))
            done = subprocess.run([sys.executable, SCRIPT, directory, "wine", "wine"],
                                  capture_output=True, text=True)
        return done.returncode, done.stdout.replace(directory, "DIR").splitlines()

    def test_suites(self):
        cases = [
            ("all passed", {"wine": [("A", "run", None), ("B", "run", None)]}, 0,
             ["wine: 2 passed, 0 failed", "total: 2 passed, 0 failed; needed a retry: none"]),
            # B passed on its retry, C asked to be skipped, D could not start, E failed twice.
            ("retried", {"wine": [("A", "run", None), ("B", "run", None),
                                  ("C", "notrun", "SKIP_REGULAR_EXPRESSION_MATCHED"),
                                  ("D", "notrun", "Unable to find executable"),
                                  ("E", "fail", None)],
                         "wine-runs": ["A", "B", "B", "C", "D", "D", "E", "E"]}, 1,
             ["wine: 2 passed, 2 failed, 1 skipped; passed on its retry: B; "
              "failed: D, E (output in DIR/wine.log)",
              "total: 2 passed, 2 failed; needed a retry: B (wine)"]),
            ("ran nothing", {"wine": []}, 1,
             ["wine: 0 passed, 0 failed; it passed nothing",
              "total: 0 passed, 1 failed; needed a retry: none"]),
            ("no report", {}, 1,
             ["wine: no report, so it did not build or did not run",
              "total: 0 passed, 1 failed; needed a retry: none"]),
        ]
        for name, reports, status, lines in cases:
            with self.subTest(name):
                self.assertEqual((status, lines), self.run_summary(reports))


if __name__ == "__main__":
    unittest.main()
