"""Every failure before the clip is taken releases everything the runner allocated: each
run under valgrind's memcheck, where any block still allocated at exit is an error, with
and without a run log."""

import os
import subprocess
import unittest

from harness import LOAD_FAILED, NO_PROPERTY_API, RUNNER, USAGE, runner_case, text

VALGRIND = os.environ.get("QEL_VALGRIND")
SUPPRESSIONS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "engine_left_loaded.supp")
LEAK_ERROR = 99

# name, variant, faults, clip description, exit code, message
EARLY_FAILURES = [
    ("no engine", None, (), "video 64 48 25 1 1", 2, LOAD_FAILED),
    ("missing entry point", "without_required", (), "video 64 48 25 1 1", 2, LOAD_FAILED),
    ("no environment", "full", ("QEL_STANDIN_NO_ENV",), "video 64 48 25 1 1", 2,
     "failed to create Avisynth environment\n"),
    ("no property interface", "without_optional", (), "video 64 48 25 1 1", 2, NO_PROPERTY_API),
    ("engine before interface version 9", "full", ("QEL_STANDIN_ENV_VERSION=8",),
     "video 64 48 25 1 1", 2, NO_PROPERTY_API),
    ("variable not set", "full", ("QEL_STANDIN_SET_VAR_FAIL",), "video 64 48 25 1 1", 2,
     "failed to set validation source mode\n"),
    ("import error", "full", (), "result error\ntext boom", 1, "boom\n"),
    ("not a clip", "full", (), "result string\ntext some text", 3, "script did not return a clip\n"),
]


@unittest.skipUnless(VALGRIND, "needs valgrind and the native build without sanitizers")
class early_failures_release_everything(runner_case):
    def memcheck(self, *args, variant="full", faults=()):
        """Runs the program under memcheck; returns its exit code, its standard error and
        memcheck's report."""
        report = self.path("memcheck.txt")
        options = ["--leak-check=full", "--show-leak-kinds=all", "--errors-for-leak-kinds=all",
                   f"--error-exitcode={LEAK_ERROR}", "--log-file=" + report, "--num-callers=30"]
        if variant == "without_required":
            options.append("--suppressions=" + SUPPRESSIONS)
        self.reset_trace()
        proc = self.start_runner(*options, RUNNER, *args, program=VALGRIND, variant=variant,
                                 faults=faults, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        _, err = proc.communicate(timeout=120)
        with open(report) as f:
            return proc.returncode, err, f.read()

    def test_each_early_failure_with_and_without_a_run_log(self):
        for name, variant, faults, description, code, message in EARLY_FAILURES:
            script = self.clip(*description.split("\n"))
            for csv in ([], ["f.csv"]):
                with self.subTest(name, run_log=bool(csv)):
                    result, err, report = self.memcheck("--validate", script, *csv,
                                                        variant=variant, faults=faults)
                    self.assertEqual(result, code, report)
                    self.assertEqual(err, text(message))
                    self.assertIn("ERROR SUMMARY: 0 errors", report)
                    if csv:
                        self.assertTrue(os.path.exists(self.path("f.csv.runner.log")))

    def test_a_rejected_command_line(self):
        for args, message in ((["--y4m"], USAGE),
                              (["--y4m-skip-drop", "0", "1", "x.avs"],
                               "Y4M fps numerator and denominator must be positive\n")):
            with self.subTest(args=args):
                result, err, report = self.memcheck(*args)
                self.assertEqual((result, err), (2, text(message)), report)
                self.assertIn("All heap blocks were freed", report)


if __name__ == "__main__":
    unittest.main()
