"""Runs every test_*.py of this folder on the real engine and ends with one line that
names the engine, the platform and the count of cases (each subtest counts as one)."""

import os
import sys
import unittest

from engine_harness import WINDOWS, engine_version


class counting_result(unittest.TextTestResult):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.cases = 0
        self._with_subtests = set()

    def addSubTest(self, test, subtest, outcome):
        super().addSubTest(test, subtest, outcome)
        self.cases += 1
        self._with_subtests.add(test.id())

    def stopTest(self, test):
        super().stopTest(test)
        if test.id() not in self._with_subtests:
            self.cases += 1


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    suite = unittest.defaultTestLoader.discover(here, pattern="test_*.py", top_level_dir=here)
    result = unittest.TextTestRunner(verbosity=2, resultclass=counting_result).run(suite)
    platform = "windows x64 under wine" if WINDOWS else "linux x86-64"
    verdict = "passed" if result.wasSuccessful() else (
        f"{len(result.failures) + len(result.errors)} FAILED")
    skipped = f", {len(result.skipped)} skipped" if result.skipped else ""
    print(f"real engine {engine_version()} on {platform}: {result.cases} cases, {verdict}{skipped}")
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
