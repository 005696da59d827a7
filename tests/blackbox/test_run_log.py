"""The run log beside a validation CSV: its name, its lines and its flushes."""

import os
import unittest

from harness import LIBRARY_FILE, library_path, runner_case, target_path, without_timings

HEAD = ["start", "runner: windows 64-bit", "{script}", "load: AviSynth.dll"]


class run_log(runner_case):
    def log_lines(self, *parts):
        data = self.read(*parts)
        self.assertTrue(data.endswith(b"\n"))
        self.assertNotIn(b"\r", data)
        return data.decode().split("\n")[:-1]

    def head(self, script, *more):
        return [line.format(script=script) for line in HEAD] + list(more)

    def test_a_successful_import_writes_the_set_up_lines(self):
        script = self.clip("video 64 48 25 1 3")
        os.makedirs(self.path("out"))
        result = self.run_runner("--validate", script, "out/frames.csv")
        self.assertEqual(result.code, 0)
        lines = self.log_lines("out", "frames.csv.runner.log")
        self.assertEqual(lines[:10], self.head(
            script, "dll: " + library_path("full"), "create: script environment v8",
            "import: script", "take: clip", "get: video info", "info: frames 3"))
        self.assertEqual(lines[-1], "exit: 0")

    def test_no_log_without_a_csv_path_or_outside_the_validation_modes(self):
        script = self.clip("video 64 48 25 1 1", "prop * qel_source_id int 1")
        for args in (["--validate", script], ["--validate-real", script],
                     ["--check-source", "1", script]):
            with self.subTest(args=args):
                self.run_runner(*args)
                self.assertEqual(sorted(os.listdir(self.dir)), ["clip.avs", "trace.log"])

    def test_each_early_failure_ends_the_log_with_its_checkpoint(self):
        dll = "dll: " + library_path("full")
        cases = [
            ("no engine", None, (), "video 64 48 25 1 1", ["failed: AviSynth.dll"]),
            ("missing entry point", "without_required", (), "video 64 48 25 1 1",
             ["failed: AviSynth.dll"]),
            ("no environment", "full", ("QEL_STANDIN_NO_ENV",), "video 64 48 25 1 1",
             [dll, "create: script environment v8", "failed: script environment"]),
            ("no property API", "without_prop_float", (), "video 64 48 25 1 1",
             ["dll: " + library_path("without_prop_float"), "create: script environment v8",
              "failed: frame property API unavailable"]),
            ("engine before interface version 9", "full", ("QEL_STANDIN_ENV_VERSION=8",),
             "video 64 48 25 1 1",
             [dll, "create: script environment v8", "failed: frame property API unavailable"]),
            ("variable not set", "full", ("QEL_STANDIN_SET_VAR_FAIL",), "video 64 48 25 1 1",
             [dll, "create: script environment v8"]),
            ("import error", "full", (), "result error\ntext boom",
             [dll, "create: script environment v8", "import: script", "failed: import"]),
            ("not a clip", "full", (), "result int",
             [dll, "create: script environment v8", "import: script",
              "failed: script did not return clip"]),
        ]
        for name, variant, faults, description, tail in cases:
            with self.subTest(name):
                script = self.clip(description)
                self.run_runner("--validate-real", script, "f.csv", variant=variant, faults=faults)
                self.assertEqual(self.log_lines("f.csv.runner.log"), self.head(script, *tail))

    def test_a_script_path_with_percent_signs_is_written_as_typed(self):
        script = self.clip("video 64 48 25 1 0", name="100%s%d%n.avs")
        self.run_runner("--validate", script, "f.csv")
        self.assertEqual(self.log_lines("f.csv.runner.log")[2], script)

    def test_an_empty_csv_argument_names_the_log_runner_log(self):
        script = self.clip("video 64 48 25 1 0")
        self.run_runner("--validate", script, "")
        self.assertEqual(self.log_lines(".runner.log")[:3], self.head(script)[:3])

    def test_an_earlier_log_is_emptied(self):
        script = self.clip("video 64 48 25 1 0")
        with open(self.path("f.csv.runner.log"), "w") as f:
            f.write("old line\n" * 1000)
        self.run_runner("--validate", script, "f.csv", variant=None)
        self.assertEqual(self.log_lines("f.csv.runner.log"), self.head(script, "failed: AviSynth.dll"))

    def test_a_log_that_cannot_be_created_changes_no_other_output(self):
        fixtures = {
            "success": "video 64 48 25 1 2",
            "import error": "result error\ntext boom",
            "not a clip": "result void",
        }
        for name, description in fixtures.items():
            with self.subTest(name):
                script = self.clip(description)
                with_log = self.run_runner("--validate", script, "ok.csv")
                os.makedirs(self.path("blocked.csv.runner.log"), exist_ok=True)
                without_log = self.run_runner("--validate", script, "blocked.csv")
                self.assertEqual(without_log.code, with_log.code)
                self.assertEqual(without_log.out, with_log.out)
                self.assertEqual(without_timings(without_log.err), without_timings(with_log.err))
                self.assertEqual(without_log.trace, with_log.trace)

    def test_a_library_path_of_260_characters_or_more_gives_the_fallback_line(self):
        script = self.clip("video 64 48 25 1 0")
        for length, expected in ((259, "full"), (260, "fallback"), (300, "fallback")):
            with self.subTest(length=length):
                folder = self.library_folder_for_path_length(length)
                self.copy_library("full", folder)
                result = self.run_runner("--validate", script, "f.csv", library_dir=folder)
                self.assertEqual(result.code, 0, result.err)
                line = self.log_lines("f.csv.runner.log")[4]
                if expected == "full":
                    path = target_path(os.path.join(folder, LIBRARY_FILE))
                    self.assertEqual(len(path), length)
                    self.assertEqual(line, "dll: " + path)
                else:
                    self.assertEqual(line, "dll: AviSynth.dll loaded, path unavailable")

    def library_folder_for_path_length(self, length):
        """A folder from which the library's full path, as the program sees it, has
        exactly length characters."""
        folder = os.path.realpath(self.dir)
        overhead = len(target_path(os.path.join(folder, LIBRARY_FILE))) - len(folder)
        while len(folder) + overhead < length:
            step = min(60, length - overhead - len(folder) - 1)
            folder = os.path.join(folder, "d" * step)
        self.assertEqual(len(target_path(os.path.join(folder, LIBRARY_FILE))), length)
        return folder


if __name__ == "__main__":
    unittest.main()
