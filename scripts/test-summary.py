#!/usr/bin/env python3
"""Counts test results from ctest's own JUnit reports and prints a line per suite and a total.

    test-summary.py DIR LABEL NAME [LABEL NAME ...]

DIR/NAME.xml is the report of the suite's run, with each test's last result; DIR/NAME-runs.log,
when present, ctest's log of every run of every test in it (LastTest.log). A test that ran more
than once and passed is named as one that needed its retry. Exits non-zero when a test failed, a
suite has no report or a suite passed nothing.
"""
import collections
import os
import re
import sys
import xml.etree.ElementTree as ElementTree


def results(path):
    """Each test's name and whether it passed, failed or was skipped, in the report's order."""
    found = {}
    for case in ElementTree.parse(path).getroot().iter("testcase"):
        status = case.get("status")
        skipped = case.find("skipped")
        # A test that asked to be skipped is "notrun" with a SKIP_ message; one that ctest could
        # not start is "notrun" too, with another message, and has failed.
        if status == "run":
            found[case.get("name")] = "passed"
        elif status == "disabled" or (status == "notrun" and skipped is not None and
                                      skipped.get("message", "").startswith("SKIP_")):
            found[case.get("name")] = "skipped"
        else:
            found[case.get("name")] = "failed"
    return found


def runs(path):
    """How many times each test ran, from ctest's log, which heads each run "i/n Testing: NAME"."""
    if not os.path.exists(path):
        return collections.Counter()
    with open(path, encoding="utf-8", errors="replace") as log:
        return collections.Counter(re.findall(r"^\d+/\d+ Testing: (.*)$", log.read(), re.M))


def summarize(directory, label, name):
    """Prints the suite's line; returns its passed and failed counts and the tests retried."""
    try:
        final = results(os.path.join(directory, name + ".xml"))
        ran = runs(os.path.join(directory, name + "-runs.log"))
    except FileNotFoundError:
        print(f"{label}: no report, so it did not build or did not run")
        return 0, 1, []
    except (OSError, ElementTree.ParseError) as error:
        print(f"{label}: no report ({error})")
        return 0, 1, []
    retried = [test for test, result in final.items() if result == "passed" and ran[test] > 1]
    passed = sum(1 for result in final.values() if result == "passed")
    failed = [test for test, result in final.items() if result == "failed"]
    skipped = sum(1 for result in final.values() if result == "skipped")
    line = f"{label}: {passed} passed, {len(failed)} failed"
    if skipped:
        line += f", {skipped} skipped"
    if retried:
        line += f"; passed on its retry: {', '.join(retried)}"
    if failed:
        line += f"; failed: {', '.join(failed)} (output in {os.path.join(directory, name)}.log)"
    if not passed:
        line += "; it passed nothing"
    print(line)
    # A suite that ran nothing has not passed.
    return passed, len(failed) + (passed == 0), retried


def main(arguments):
    directory, pairs = arguments[0], arguments[1:]
    passed = failed = 0
    retried = []
    for label, name in zip(pairs[0::2], pairs[1::2]):
        suite_passed, suite_failed, suite_retried = summarize(directory, label, name)
        passed += suite_passed
        failed += suite_failed
        retried += [f"{test} ({label})" for test in suite_retried]
    print(f"total: {passed} passed, {failed} failed; needed a retry: "
          + (", ".join(retried) if retried else "none"))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
